#pragma once
// Runs the built korvane-batch as a child process and collects what it tells the shell.

#include <sys/types.h>

#include <string>
#include <vector>

namespace korvane::testing {

struct BatchResult {
    int exitStatus = -1;  // the exit status, or -1 when the program died of a signal
    std::string out;      // standard output
    std::string err;      // standard error
};

// A running korvane-batch whose output goes to files in `outputFolder`.
class BatchProcess {
  public:
    BatchProcess(const std::vector<std::string>& arguments, const std::string& workingFolder,
                 const std::string& outputFolder);
    ~BatchProcess();
    BatchProcess(const BatchProcess&) = delete;
    BatchProcess& operator=(const BatchProcess&) = delete;

    // Waits until standard error holds `text`; false if the program ended first or after
    // `seconds`.
    bool WaitForError(const std::string& text, double seconds);
    void Signal(int signalNumber);
    // Waits for the end (killing the program after `seconds`) and collects the result.
    BatchResult Finish(double seconds);

  private:
    pid_t m_pid = -1;
    std::string m_outPath;
    std::string m_errPath;
    bool m_finished = false;
    int m_earlyStatus = 0;  // the wait status when the program ended during WaitForError
};

// Runs korvane-batch to its end in `workingFolder`.
BatchResult RunBatch(const std::vector<std::string>& arguments, const std::string& workingFolder);

}  // namespace korvane::testing
