#include "support/BatchRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/TempDir.h"

namespace korvane::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::chrono::duration<double> Seconds(double seconds) {
    return std::chrono::duration<double>(seconds);
}

}  // namespace

BatchProcess::BatchProcess(const std::vector<std::string>& arguments,
                           const std::string& workingFolder, const std::string& outputFolder)
    : m_outPath((std::filesystem::path(outputFolder) / "batch.out").string()),
      m_errPath((std::filesystem::path(outputFolder) / "batch.err").string()) {
    std::vector<std::string> words = {KORVANE_BATCH_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid < 0) {
        throw std::runtime_error("cannot start korvane-batch");
    }
    if (m_pid == 0) {
        // In the child: only async-signal-safe calls until exec.
        const int out = open(m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, STDOUT_FILENO) < 0 || dup2(err, STDERR_FILENO) < 0 ||
            chdir(workingFolder.c_str()) != 0) {
            _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
}

BatchProcess::~BatchProcess() {
    if (!m_finished) {
        Finish(0.0);
    }
}

bool BatchProcess::WaitForError(const std::string& text, double seconds) {
    const auto deadline = Clock::now() + Seconds(seconds);
    while (Clock::now() < deadline) {
        if (ReadWholeFile(m_errPath).find(text) != std::string::npos) {
            return true;
        }
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            // Ended on its own: the text is there now or never. Reap it only once.
            m_finished = true;
            const bool found = ReadWholeFile(m_errPath).find(text) != std::string::npos;
            m_earlyStatus = status;
            return found;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

void BatchProcess::Signal(int signalNumber) {
    if (!m_finished) {
        kill(m_pid, signalNumber);
    }
}

BatchResult BatchProcess::Finish(double seconds) {
    int status = m_earlyStatus;
    if (!m_finished) {
        const auto deadline = Clock::now() + Seconds(seconds);
        while (waitpid(m_pid, &status, WNOHANG) != m_pid) {
            if (Clock::now() >= deadline) {
                kill(m_pid, SIGKILL);
                waitpid(m_pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        m_finished = true;
    }
    BatchResult result;
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = ReadWholeFile(m_outPath);
    result.err = ReadWholeFile(m_errPath);
    return result;
}

BatchResult RunBatch(const std::vector<std::string>& arguments, const std::string& workingFolder) {
    TempDir output;
    BatchProcess process(arguments, workingFolder, output.path().string());
    // Generous: the suite also runs under valgrind.
    return process.Finish(600.0);
}

}  // namespace korvane::testing
