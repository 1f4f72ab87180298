#include "catalogue/CatalogueSupport.h"

#include <fcntl.h>
#include <unistd.h>

#include "common/NumberText.h"

namespace korvane::catalogue {

std::string EventLines(int count) {
    std::string text;
    text.reserve(static_cast<std::size_t>(count) * 24);
    for (int i = 0; i < count; ++i) {
        const double a = (i % 101) / 10.0;
        const double b = (i % 37) / 3.7;
        const double c = (i % 11);
        const double t = (i % 1000) / 100.0;
        text += FormatFixed(a, 1) + "\t" + FormatFixed(b, 3) + "\t" + FormatFixed(c, 0) + "\t" +
                FormatFixed(t, 2) + "\n";
    }
    return text;
}

bool PermissionsDoNotStopWrites(const std::string& readOnlyFolder) {
    const std::string probe = readOnlyFolder + "/.write-probe";
    const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        return false;
    }
    close(fd);
    unlink(probe.c_str());
    return true;
}

}  // namespace korvane::catalogue
