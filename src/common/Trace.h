#pragma once
// The engine's diagnostic lines ("input[][] sorted by direction!", "File open NOT
// succesfull") go to whoever wants them; the front ends print them on standard output.

#include <functional>
#include <string>

namespace korvane {

using TraceSink = std::function<void(const std::string& line)>;

}  // namespace korvane
