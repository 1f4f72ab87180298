#pragma once
// What the fuzz targets share: a scratch file per process, and a way to stop with a message
// when an invariant breaks.

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvane::fuzzing {

// A file of this process in the temporary folder (in memory where the system has one),
// overwritten with `data` at every call; returns its path.
const std::string& WriteScratchFile(const std::uint8_t* data, std::size_t size);

// A second scratch path of this process, for files the target code writes itself.
const std::string& ScratchPath(const std::string& name);

// Prints `what` and aborts, so the fuzzer keeps the input as a finding.
[[noreturn]] void Fail(const std::string& what);

inline void Require(bool condition, const char* what) {
    if (!condition) {
        Fail(what);
    }
}

}  // namespace korvane::fuzzing
