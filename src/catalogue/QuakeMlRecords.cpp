#include "catalogue/QuakeMlRecords.h"

#include <libxml/xmlreader.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
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
// Origins and magnitudes kept per event; further ones are passed over (a file of endless
// empty origins takes no memory for them).
constexpr std::size_t MaximumAlternatives = 1024;
// How many nodes are read between two looks at the stop request: a few milliseconds.
constexpr long long NodesBetweenChecks = 4096;

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
    // The origin or magnitude being read is kept (the last of its list), not passed over.
    bool originKept = false;
    bool magnitudeKept = false;
    // An element's line past 65535 is not kept by the parser: the event's line is then
    // worked out from its first text.
    bool lineFromText = false;
};

// The line an element starts on is only kept up to this; beyond it, that of a text node.
constexpr long ElementLinesKept = 65535;

// The line where the text of the current node starts: the parser notes the line at its end.
long TextStartLine(xmlTextReaderPtr reader, const char* text) {
    long line = xmlGetLineNo(xmlTextReaderCurrentNode(reader));
    for (const char* c = text; c != nullptr && *c != '\0'; ++c) {
        line -= *c == '\n' ? 1 : 0;
    }
    return line;
}

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

// The event's values in the order of QuakeMlColumns, in `row` (which `fields` then view).
void RowOf(const EventValues& event, std::array<std::string, 5>& row,
           std::vector<std::string_view>& fields) {
    const Origin* origin = Preferred(event.origins, event.preferredOrigin);
    const Magnitude* magnitude = Preferred(event.magnitudes, event.preferredMagnitude);
    row.fill(std::string());
    if (origin != nullptr) {
        row[0] = Trimmed(origin->time);
        row[1] = Trimmed(origin->latitude);
        row[2] = Trimmed(origin->longitude);
        row[3] = Trimmed(origin->depth);
    }
    if (magnitude != nullptr) {
        row[4] = Trimmed(magnitude->value);
    }
    fields.assign(row.begin(), row.end());
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
    if (depth == 4 && path[1] == "origin" && path[3] == "value" && event.originKept) {
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
        event.magnitudeKept) {
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

Status ForEachQuakeMlEvent(const std::string& path, const TakeQuakeMlEvent& take,
                           RunObserver* observer) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    // No network, no external entities or DTDs, no messages on the terminal; line numbers
    // past 65535 counted as they are.
    const int options =
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_BIG_LINES;
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "catalogue", file); !opened.ok()) {
        return opened;
    }
    std::unique_ptr<xmlTextReader, ReaderFree> reader(
        xmlReaderForFd(file.get(), path.c_str(), nullptr, options));
    if (!reader) {
        return Status::IoError("The catalogue " + Quoted(path) + " could not be opened.");
    }
    if (observer != nullptr) {
        struct stat info {};
        observer->PhaseStarted(RunPhase::Reading, fstat(file.get(), &info) == 0 ? info.st_size : 0);
    }
    PhaseTicker ticker(observer, NodesBetweenChecks);
    long long nodes = 0;
    std::vector<std::string> elements;  // local names from the event down, while in one
    EventValues event;
    std::array<std::string, 5> row;
    std::vector<std::string_view> fields;
    int result = 0;
    while ((result = xmlTextReaderRead(reader.get())) == 1) {
        if (++nodes % NodesBetweenChecks == 0 &&
            ticker.Check(std::max(0L, xmlTextReaderByteConsumed(reader.get())))) {
            return Status::Cancelled();
        }
        const int type = xmlTextReaderNodeType(reader.get());
        const char* name = reinterpret_cast<const char*>(xmlTextReaderConstLocalName(reader.get()));
        if (type == XML_READER_TYPE_ELEMENT) {
            const bool empty = xmlTextReaderIsEmptyElement(reader.get()) == 1;
            if (elements.empty()) {
                if (name != nullptr && std::strcmp(name, "event") == 0 && !empty) {
                    event = EventValues();
                    event.line = xmlGetLineNo(xmlTextReaderCurrentNode(reader.get()));
                    event.lineFromText = event.line >= ElementLinesKept;
                    elements.emplace_back("event");
                }
                continue;
            }
            elements.emplace_back(name != nullptr ? name : "");
            if (elements.size() == 2 && elements[1] == "origin") {
                event.originKept = event.origins.size() < MaximumAlternatives;
                if (event.originKept) {
                    event.origins.push_back({Attribute(reader.get(), "publicID"), "", "", "", ""});
                }
            } else if (elements.size() == 2 && elements[1] == "magnitude") {
                event.magnitudeKept = event.magnitudes.size() < MaximumAlternatives;
                if (event.magnitudeKept) {
                    event.magnitudes.push_back({Attribute(reader.get(), "publicID"), ""});
                }
            }
            if (empty) {
                elements.pop_back();
            }
        } else if (type == XML_READER_TYPE_END_ELEMENT && !elements.empty()) {
            elements.pop_back();
            if (elements.empty()) {
                RowOf(event, row, fields);
                if (!take(fields, event.line)) {
                    return Status::Ok();
                }
            }
        } else if ((type == XML_READER_TYPE_TEXT || type == XML_READER_TYPE_CDATA ||
                    type == XML_READER_TYPE_WHITESPACE ||
                    type == XML_READER_TYPE_SIGNIFICANT_WHITESPACE) &&
                   !elements.empty()) {
            const char* text = reinterpret_cast<const char*>(xmlTextReaderConstValue(reader.get()));
            if (event.lineFromText) {
                event.lineFromText = false;
                const long line = TextStartLine(reader.get(), text);
                event.line = line >= ElementLinesKept ? line : event.line;
            }
            if (std::string* slot = Slot(event, elements)) {
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
