#pragma once
// Errors are values: the engine returns them and the front end (the desktop program or the
// batch) shows them. Nothing in the engine throws past its edge, shows a box or prints.

#include <string>
#include <utility>

namespace korvane {

class [[nodiscard]] Status {
  public:
    enum class Code {
        Ok,
        InvalidInput,  // the user's input cannot be used: a box, an event file, a folder
        IoError,       // a file could not be read or written
        NoMemory,      // a picture or a table too large for the memory
        Cancelled,     // the user asked to stop; what was finished stays
        NothingMade,   // the work ran as asked but had nothing to make (an empty range)
        Internal       // a library failed in a way the program does not expect
    };

    static Status Ok() { return Status(); }
    static Status InvalidInput(std::string message) {
        return Status(Code::InvalidInput, std::move(message));
    }
    static Status IoError(std::string message) { return Status(Code::IoError, std::move(message)); }
    static Status NoMemory(std::string message) {
        return Status(Code::NoMemory, std::move(message));
    }
    static Status Cancelled() { return Status(Code::Cancelled, "cancelled"); }
    static Status NothingMade(std::string message) {
        return Status(Code::NothingMade, std::move(message));
    }
    static Status Internal(std::string message) {
        return Status(Code::Internal, std::move(message));
    }

    // The same failure in other words (a longer message).
    Status WithMessage(std::string message) const { return Status(m_code, std::move(message)); }

    bool ok() const { return m_code == Code::Ok; }
    Code code() const { return m_code; }
    const std::string& message() const { return m_message; }

  private:
    Status() = default;
    Status(Code code, std::string message) : m_code(code), m_message(std::move(message)) {}

    Code m_code = Code::Ok;
    std::string m_message;
};

}  // namespace korvane
