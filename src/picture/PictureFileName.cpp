#include "picture/PictureFileName.h"

namespace korvane {

namespace {

struct FormatEntry {
    PictureFormat format;
    const char* name;
    const char* extension;
};

constexpr FormatEntry Formats[] = {
    {PictureFormat::Bmp, "BMP", ".bmp"},
    {PictureFormat::Png, "PNG", ".png"},
};

const FormatEntry& EntryOf(PictureFormat format) {
    for (const FormatEntry& entry : Formats) {
        if (entry.format == format) {
            return entry;
        }
    }
    return Formats[0];
}

bool SameLetters(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'a' && text[i] <= 'z' ? static_cast<char>(text[i] - 32) : text[i];
        if (c != upper[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

const char* PictureExtension(PictureFormat format) {
    return EntryOf(format).extension;
}

const char* PictureFormatName(PictureFormat format) {
    return EntryOf(format).name;
}

std::optional<PictureFormat> PictureFormatNamed(std::string_view name) {
    for (const FormatEntry& entry : Formats) {
        if (SameLetters(name, entry.name)) {
            return entry.format;
        }
    }
    return std::nullopt;
}

std::string PictureFileName(const std::string& prefix, int n) {
    return NumberedFileName(prefix, n, ".bmp");
}

std::string NumberedFileName(const std::string& prefix, int n, const char* extension) {
    // Four digits at least, so that a folder listing sorts the pictures in number order up
    // to 9999; larger numbers simply get longer.
    std::string zeros;
    if (n < 10) {
        zeros = "000";
    } else if (n < 100) {
        zeros = "00";
    } else if (n < 1000) {
        zeros = "0";
    }
    return prefix + zeros + std::to_string(n) + extension;
}

bool IsNumberedFileOf(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix) {
        return false;
    }
    std::string_view rest = name.substr(prefix.size());
    bool known = false;
    for (const std::string_view extension : {".bmp", ".png", ".tiff", ".tfw"}) {
        if (rest.size() > extension.size() &&
            rest.substr(rest.size() - extension.size()) == extension) {
            rest.remove_suffix(extension.size());
            known = true;
            break;
        }
    }
    constexpr std::size_t MinimumDigits = 4;
    return known && rest.size() >= MinimumDigits &&
           rest.find_first_not_of("0123456789") == std::string_view::npos;
}

}  // namespace korvane
