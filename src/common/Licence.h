#pragma once
// Korvane's copyright and licence (LICENSE), as --version and the About box state them.

namespace korvane {

inline constexpr const char* CopyrightLine = "Copyright 2026 The Korvane developers";
inline constexpr const char* LicenceLine = "Licensed under the Apache License 2.0";

}  // namespace korvane
