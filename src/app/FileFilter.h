#pragma once
// File dialog helpers: the classic filter text turned into Qt's, and the default extension.

#include <QString>
#include <string>
#include <string_view>

namespace korvane {

// "ASCII-Files (*.dat)|*.dat||" becomes "ASCII-Files (*.dat)"; several pairs are joined with
// ";;". A description that already ends with its patterns in brackets is kept as it is, any
// other gets " (patterns)" appended; patterns separated by ';' are separated by spaces.
QString QtFileFilter(std::string_view classicFilter);

// `path` with `extension` (".avi" or "avi") appended when its file name has no extension.
std::string WithDefaultExtension(const std::string& path, const std::string& extension);

}  // namespace korvane
