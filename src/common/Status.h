#pragma once
// Errors are values: the engine returns them and the window (or the batch front end) shows
// them. Nothing in the engine throws past its edge.

#include <string>
#include <utility>

namespace korvane {

class Status {
public:
    static Status Ok() { return Status(); }
    static Status Error(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    const std::string& message() const { return m_message; }

private:
    Status() = default;
    explicit Status(std::string message) : m_failed(true), m_message(std::move(message)) {}

    bool m_failed = false;
    std::string m_message;
};

}  // namespace korvane
