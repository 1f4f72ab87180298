#include "app/FileFilter.h"

#include <QStringList>
#include <vector>

namespace korvane {

namespace {

std::vector<std::string> SplitAtBars(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t bar = text.find('|', start);
        const std::size_t end = bar == std::string_view::npos ? text.size() : bar;
        parts.emplace_back(text.substr(start, end - start));
        if (bar == std::string_view::npos) {
            break;
        }
        start = bar + 1;
    }
    return parts;
}

}  // namespace

QString QtFileFilter(std::string_view classicFilter) {
    const std::vector<std::string> parts = SplitAtBars(classicFilter);
    QStringList filters;
    // Description and pattern come in pairs; the empty part after "||" ends the list.
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty() && parts[i + 1].empty()) {
            break;
        }
        const QString description = QString::fromStdString(parts[i]).trimmed();
        const QString patterns =
            QString::fromStdString(parts[i + 1]).split(';', Qt::SkipEmptyParts).join(' ');
        if (description.endsWith("(" + patterns + ")")) {
            filters << description;
        } else {
            filters << description + " (" + patterns + ")";
        }
    }
    return filters.join(";;");
}

std::string WithDefaultExtension(const std::string& path, const std::string& extension) {
    if (extension.empty() || path.empty()) {
        return path;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) {
        return path;
    }
    return extension.front() == '.' ? path + extension : path + "." + extension;
}

}  // namespace korvane
