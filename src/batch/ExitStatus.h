#pragma once
// What korvane-batch tells the shell.

namespace korvane::batch {

constexpr int ExitSuccess = 0;        // the series finished, the movie is written
constexpr int ExitInvalidInput = 1;   // bad usage, unreadable setup file, rejected input
constexpr int ExitFailure = 2;        // the work started and failed (a picture not written...)
constexpr int ExitInterrupted = 130;  // stopped by Ctrl-C (128 + SIGINT, as shells report it)

}  // namespace korvane::batch
