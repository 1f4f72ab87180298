#include "catalogue/QuakeMlRecords.h"

#include <libxml/xmlreader.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "common/ReadableFile.h"

namespace korvane {
namespace {

// A value longer than this is no number or time of an event; it is cut, so that a hostile
// file cannot make one text grow without end.
constexpr std::size_t MaximumValueBytes = 256;
// Origins and magnitudes kept per event; further ones are passed over.
constexpr std::size_t MaximumAlternatives = 1024;

struct Origin {
    std::string id;
    std::string time;
    std::string latitude;
    std::string longitude;
    std::string depth;
};

struct Magnitude {
    std::string id;
    std::string value;
};

struct EventValues {
    long long line = 0;
    std::string preferredOrigin;
    std::string preferredMagnitude;
    std::vector<Origin> origins;
    std::vector<Magnitude> magnitudes;
};

template <typename Item>
const Item* Preferred(const std::vector<Item>& items, const std::string& id) {
    for (const Item& item : items) {
        if (!id.empty() && item.id == id) {
            return &item;
        }
    }
    return items.empty() ? nullptr : &items.front();
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::string RowOf(const EventValues& event) {
    const Origin* origin = Preferred(event.origins, event.preferredOrigin);
    const Magnitude* magnitude = Preferred(event.magnitudes, event.preferredMagnitude);
    std::string row;
    if (origin != nullptr) {
        row = Trimmed(origin->time) + ',' + Trimmed(origin->latitude) + ',' +
              Trimmed(origin->longitude) + ',' + Trimmed(origin->depth);
    } else {
        row = ",,,";
    }
    row += ',';
    if (magnitude != nullptr) {
        row += Trimmed(magnitude->value);
    }
    return row;
}

// Which value of an event the text of the element at `path` (local names from the event
// down) is, or null.
std::string* Slot(EventValues& event, const std::vector<std::string>& path) {
    const std::size_t depth = path.size();
    if (depth == 2 && path[1] == "preferredOriginID") {
        return &event.preferredOrigin;
    }
    if (depth == 2 && path[1] == "preferredMagnitudeID") {
        return &event.preferredMagnitude;
    }
    if (depth == 4 && path[1] == "origin" && path[3] == "value" && !event.origins.empty() &&
        event.origins.size() <= MaximumAlternatives) {
        Origin& origin = event.origins.back();
        if (path[2] == "time") {
            return &origin.time;
        }
        if (path[2] == "latitude") {
            return &origin.latitude;
        }
        if (path[2] == "longitude") {
            return &origin.longitude;
        }
        if (path[2] == "depth") {
            return &origin.depth;
        }
    }
    if (depth == 4 && path[1] == "magnitude" && path[2] == "mag" && path[3] == "value" &&
        !event.magnitudes.empty() && event.magnitudes.size() <= MaximumAlternatives) {
        return &event.magnitudes.back().value;
    }
    return nullptr;
}

std::string Attribute(xmlTextReaderPtr reader, const char* name) {
    xmlChar* value = xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>(name));
    if (value == nullptr) {
        return "";
    }
    std::string text(reinterpret_cast<const char*>(value));
    xmlFree(value);
    return text.substr(0, MaximumValueBytes);
}

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

struct ReaderFree {
    void operator()(xmlTextReaderPtr reader) const { xmlFreeTextReader(reader); }
};

}  // namespace

bool LooksLikeXml(std::string_view head) {
    if (head.substr(0, 3) == "\xEF\xBB\xBF") {
        head.remove_prefix(3);
    }
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && head[first] == '<';
}

Status ForEachQuakeMlEvent(const std::string& path,
                           const std::function<bool(std::string_view row, long long line)>& take) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    // No network, no external entities or DTDs, no messages on the terminal.
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "catalogue", file); !opened.ok()) {
        return opened;
    }
    std::unique_ptr<xmlTextReader, ReaderFree> reader(
        xmlReaderForFd(file.get(), path.c_str(), nullptr, options));
    if (!reader) {
        return Status::IoError("The catalogue " + Quoted(path) + " could not be opened.");
    }
    std::vector<std::string> elements;  // local names from the event down, while in one
    EventValues event;
    int result = 0;
    while ((result = xmlTextReaderRead(reader.get())) == 1) {
        const int type = xmlTextReaderNodeType(reader.get());
        const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
        if (type == XML_READER_TYPE_ELEMENT) {
            const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
            if (elements.empty()) {
                if (name != nullptr && std::strcmp(name, "event") == 0 && !empty) {
                    event = EventValues();
                    event.line = xmlGetLineNo(xmlTextReaderCurrentNode(reader.get()));
                    elements.emplace_back("event");
                }
                continue;
            }
            elements.emplace_back(name != nullptr ? name : "");
            if (elements.size() == 2 && elements[1] == "origin") {
                event.origins.push_back({Attribute(reader.get(), "publicID"), "", "", "", ""});
            } else if (elements.size() == 2 && elements[1] == "magnitude") {
                event.magnitudes.push_back({Attribute(reader.get(), "publicID"), ""});
            }
            if (empty) {
                elements.pop_back();
            }
        } else if (type == XML_READER_TYPE_END_ELEMENT && !elements.empty()) {
            elements.pop_back();
            if (elements.empty() && !take(RowOf(event), event.line)) {
                return Status::Ok();
            }
        } else if ((type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA) &&
                   !elements.empty()) {
            if (std::string* slot = Slot(event, elements)) {
                const char* text =
                    reinterpret_cast<const char*>(xmlTextReaderConstValue(reader.get()));
                if (text != nullptr && slot->size() < MaximumValueBytes) {
                    slot->append(text,
                                 std::min(std::strlen(text), MaximumValueBytes - slot->size()));
                }
            }
        }
    }
    if (result < 0) {
        return Status::InvalidInput(
            "The catalogue " + Quoted(path) + " is not well-formed XML (near line " +
            std::to_string(xmlTextReaderGetParserLineNumber(reader.get())) + ").");
    }
    return Status::Ok();
}

}  // namespace korvane
