#include "setup/SetupFile.h"

#include <errno.h>
#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <new>
#include <string_view>
#include <vector>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/ReadableFile.h"
#include "picture/DensityPicture.h"
#include "picture/PictureFileName.h"
#include "series/TimeWindows.h"
#include "setup/CatalogueKeys.h"
#include "setup/ClassicFields.h"
#include "setup/SectionKeys.h"

namespace korvane {
namespace {

void AppendLine(std::string& text, const char* key, std::string_view value) {
    text += key;
    text += '\t';
    text += value;
    text += "\r\n";
}

// A switch of the output: "1" or "0", read as any number other than 0.
std::string SwitchText(bool on) {
    return on ? "1" : "0";
}
bool SwitchOfText(std::string_view value) {
    return ReadDecimal(value) != 0.0;
}

// One output key: the member it sets, the text the file holds of it and the reading back.
// A value that is none of those the key takes leaves the member as it was.
struct OutputKey {
    const char* key;
    bool (*isDefault)(const OutputOptions&);
    std::string (*text)(const OutputOptions&);
    void (*read)(OutputOptions&, std::string_view);
};

template <auto member>
bool AtDefault(const OutputOptions& output) {
    return output.*member == OutputOptions().*member;
}

// A member written by `name` and read by `named` (an optional: none for an unknown value).
template <auto member, auto name, auto named>
OutputKey NamedKey(const char* key) {
    return {key, AtDefault<member>,
            [](const OutputOptions& output) { return std::string(name(output.*member)); },
            [](OutputOptions& output, std::string_view value) {
                output.*member = named(value).value_or(output.*member);
            }};
}

template <auto member>
OutputKey SwitchKey(const char* key) {
    return {key, AtDefault<member>,
            [](const OutputOptions& output) { return SwitchText(output.*member); },
            [](OutputOptions& output, std::string_view value) {
                output.*member = SwitchOfText(value);
            }};
}

// A list of files: their paths one after the other, each after a TAB.
std::string FileListText(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& file : files) {
        if (!text.empty()) {
            text += '\t';
        }
        text += file;
    }
    return text;
}

std::vector<std::string> FileListOf(std::string_view value) {
    std::vector<std::string> files;
    while (!value.empty()) {
        const std::size_t tab = value.find('\t');
        if (tab != 0) {
            files.emplace_back(value.substr(0, tab));
        }
        value = tab == std::string_view::npos ? std::string_view() : value.substr(tab + 1);
    }
    return files;
}

template <auto member>
OutputKey FileListKey(const char* key) {
    return {
        key, AtDefault<member>,
        [](const OutputOptions& output) { return FileListText(output.*member); },
        [](OutputOptions& output, std::string_view value) { output.*member = FileListOf(value); }};
}

using O = OutputOptions;

// The output keys follow the nineteen lines, each only when its value differs from the
// default, so a setup with the default output is saved exactly as it always was.
const OutputKey kOutputKeys[] = {
    NamedKey<&O::format, PictureFormatName, PictureFormatNamed>("[Pictureformat]"),  // BMP, PNG
    SwitchKey<&O::densities>("[Densitydata]"),  // 1: a TIFF of densities
    SwitchKey<&O::index>("[Seriesindex]"),      // 0: no series index
    SwitchKey<&O::volume>("[Volume]"),          // 1: a NetCDF density volume
    NamedKey<&O::colourMap, ColourMapName, ColourMapNamed>("[Colourmap]"),  // viridis, ...
    NamedKey<&O::scale, DensityScaleName, DensityScaleNamed>("[Scale]"),    // log or sqrt
    NamedKey<&O::eventWeights, EventWeightingName, EventWeightingNamed>("[Weights]"),
    NamedKey<&O::maximum, MaximumChoiceText, MaximumChoiceNamed>("[Maximum]"),  // series, ...
    NamedKey<&O::radiusUnit, RadiusUnitName, RadiusUnitNamed>("[Radiusunit]"),  // coordinates
    {"[Unit]", AtDefault<&O::unit>, [](const O& output) { return output.unit; },
     [](O& output, std::string_view value) {
         if (IsUnitText(value)) {  // km, ft, ...
             output.unit.assign(value);
         }
     }},
    // Which way depth runs, true scale, the "V.E. 3.2x" note and the ticks.
    {"[Depthaxis]",
     [](const O& output) { return output.view.depthAxis == ViewChoices().depthAxis; },
     [](const O& output) { return std::string(DepthAxisName(output.view.depthAxis)); },
     [](O& output, std::string_view value) {
         output.view.depthAxis = DepthAxisNamed(value).value_or(output.view.depthAxis);
     }},
    {"[Truescale]",
     [](const O& output) { return output.view.trueScale == ViewChoices().trueScale; },
     [](const O& output) { return SwitchText(output.view.trueScale); },
     [](O& output, std::string_view value) { output.view.trueScale = SwitchOfText(value); }},
    {"[Exaggeration]",
     [](const O& output) { return output.view.exaggeration == ViewChoices().exaggeration; },
     [](const O& output) { return std::string(ExaggerationNoteName(output.view.exaggeration)); },
     [](O& output, std::string_view value) {
         output.view.exaggeration = ExaggerationNoteNamed(value).value_or(output.view.exaggeration);
     }},
    {"[Ticks]", [](const O& output) { return output.view.ticks == ViewChoices().ticks; },
     [](const O& output) { return std::string(TickStyleName(output.view.ticks)); },
     [](O& output, std::string_view value) {
         output.view.ticks = TickStyleNamed(value).value_or(output.view.ticks);
     }},
    // Calendar or growing time windows (1d, 1mo, log:START,FIRST,FACTOR); windows that cannot
    // be read leave the equal steps, and the offset is kept either way.
    {"[Windows]", [](const O& output) { return output.windows.unit == WindowUnit::Steps; },
     [](const O& output) { return TimeWindowsText(output.windows); },
     [](O& output, std::string_view value) {
         const int offset = output.windows.offsetMinutes;
         output.windows = TimeWindowsNamed(value, nullptr).value_or(output.windows);
         output.windows.offsetMinutes = offset;
     }},
    {"[Windowsoffset]", [](const O& output) { return output.windows.offsetMinutes == 0; },
     [](const O& output) { return UtcOffsetText(output.windows.offsetMinutes); },
     [](O& output, std::string_view value) {
         output.windows.offsetMinutes =
             UtcOffsetNamed(value).value_or(output.windows.offsetMinutes);
     }},
    FileListKey<&O::overlayPoints>("[Overlay-Points]"),  // stations, wells, a mainshock
    FileListKey<&O::overlayLines>("[Overlay-Lines]"),    // faults, coastlines, drifts
};

void AppendOutputKeys(std::string& text, const OutputOptions& output) {
    for (const OutputKey& key : kOutputKeys) {
        if (!key.isDefault(output)) {
            AppendLine(text, key.key, key.text(output));
        }
    }
}

// An output key's value; false for a key that is none of them.
bool ApplyOutputKey(OutputOptions& output, std::string_view key, std::string_view value) {
    for (const OutputKey& known : kOutputKeys) {
        if (key == known.key) {
            known.read(output, value);
            return true;
        }
    }
    return false;
}

// The one line the program traces when a file operation fails after the file was opened.
void ReportFileFailure(const TraceSink& trace) {
    if (trace) {
        trace("File open NOT succesfull");
    }
}

std::string SetupText(const CalculationSetup& setup) {
    std::string text;
    text.reserve(512 + setup.FilePath.size());
    for (const ClassicField& field : ClassicFields()) {
        AppendLine(text, field.key, SetupFileValue(field, setup));
    }
    AppendOutputKeys(text, setup.Output);
    AppendSectionKeys(text, setup.Output.section);
    AppendCatalogueKeys(text, setup.Catalogue);
    return text;
}

void ApplyLine(CalculationSetup& setup, std::string_view line) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        return;
    }
    const std::string_view key = line.substr(0, tab);
    const std::string_view value = line.substr(tab + 1);
    if (ApplyOutputKey(setup.Output, key, value) ||
        ApplySectionKey(setup.Output.section, key, value)) {
        return;
    }
    if (ApplyCatalogueKey(setup.Catalogue, key, value)) {
        return;
    }
    if (const ClassicField* field = ClassicFieldOfKey(key)) {
        ReadSetupFileValue(*field, setup, value);
        if (field->type == FieldType::Path) {
            // How a file is read belongs to that file: the catalogue keys that follow, if any.
            setup.Catalogue = {};
        }
    }
}

int OpenRetrying(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = open(path, flags | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

// Reads the whole file into `text`, at most `limit` bytes of it. Returns 0, EFBIG for a
// longer file, or the errno of the failed read.
int ReadAll(int fd, std::string& text, std::size_t limit) {
    char block[1 << 14];
    for (;;) {
        const long got = ReadSome(fd, block, sizeof block);
        if (got < 0) {
            return errno;
        }
        if (got == 0) {
            return 0;
        }
        if (text.size() + static_cast<std::size_t>(got) > limit) {
            return EFBIG;
        }
        text.append(block, static_cast<std::size_t>(got));
    }
}

// The file a save really replaces: a symbolic link is followed, so that the link stays and
// the file it names gets the new setup.
std::filesystem::path FollowLinks(std::filesystem::path target) {
    std::error_code error;
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(target, error); ++hop) {
        std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target;
}

std::string SaveFailureText(const std::string& path, const std::string& reason) {
    return "Cannot write the setup file " + path + ": " + reason;
}

Status SaveFailure(const std::string& path, int error) {
    return Status::IoError(SaveFailureText(path, SystemReason(error)));
}

Status LoadFailure(const std::string& path, int error) {
    return Status::IoError("Cannot read the setup file " + path + ": " + SystemReason(error));
}

// Writes straight into a file that cannot be replaced by a new one (a device, a pipe).
Status WriteInPlace(const std::string& target, const std::string& text, const TraceSink& trace) {
    // Without O_NONBLOCK a FIFO that nobody reads would hold the save (and the window) for
    // ever; opened so, it fails at once with "No such device or address".
    const int fd = OpenRetrying(target.c_str(), O_WRONLY | O_TRUNC | O_NONBLOCK);
    if (fd < 0) {
        return SaveFailure(target, errno);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    int error = WriteEveryByte(fd, text);
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error != 0) {
        ReportFileFailure(trace);
        return SaveFailure(target, error);
    }
    return Status::Ok();
}

}  // namespace

Status LoadSetupFile(CalculationSetup& setup, const std::string& path, const TraceSink& trace) {
    FileDescriptor file;
    if (Status opened = OpenRegularFile(path, "setup file", file); !opened.ok()) {
        if (opened.code() == Status::Code::IoError) {
            return LoadFailure(path, errno);
        }
        return opened;  // a folder, a pipe or a device is not a setup file
    }
    std::string text;
    int error = 0;
    try {
        error = ReadAll(file.get(), text, MaximumLineBytes);
    } catch (const std::bad_alloc&) {
        error = ENOMEM;
    }
    if (error == EFBIG) {
        return Status::InvalidInput("The setup file \"" + path +
                                    "\" is longer than 1 MB; a setup file holds a few short "
                                    "lines.");
    }
    if (error != 0) {
        // Nothing is taken from a file that could not be read to its end.
        ReportFileFailure(trace);
        return LoadFailure(path, error);
    }
    if (const std::string reason = NotPlainTextReason(std::string_view(text).substr(0, 1024));
        !reason.empty()) {
        return Status::InvalidInput("The setup file \"" + path + "\" cannot be read: " + reason +
                                    ".");
    }
    // Lines end in LF, CR LF or CR alone: a CR LF leaves an empty line between, which holds
    // no key.
    std::string_view rest = std::string_view(text).substr(ByteOrderMarkLength(text));
    while (!rest.empty()) {
        const std::size_t end = rest.find_first_of("\r\n");
        const std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        ApplyLine(setup, line);
    }
    return Status::Ok();
}

Status SaveSetupFile(const CalculationSetup& setup, const std::string& path,
                     const TraceSink& trace) {
    if (path.empty()) {
        return SaveFailure(path, ENOENT);
    }
    if (const std::string problem = CatalogueKeysProblem(setup.Catalogue); !problem.empty()) {
        return Status::InvalidInput(problem);
    }
    // A setup saved under the name of its own event file would replace the events.
    if (Status apart = RefuseOverInput(path, "setup file", setup.FilePath, "event file");
        !apart.ok()) {
        return apart;
    }
    const std::string text = SetupText(setup);
    const std::string target = FollowLinks(path).string();

    // The new setup goes into a fresh file beside the old one, which is then renamed over
    // it: a save that fails half-way (a full disk) leaves the previous setup as it was.
    AtomicFileOptions options;
    options.syncBeforeRename = true;
    options.failureText = SaveFailureText;
    struct stat info {};
    if (stat(target.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return SaveFailure(target, EISDIR);
        }
        if (!S_ISREG(info.st_mode)) {
            return WriteInPlace(target, text, trace);
        }
        if (access(target.c_str(), W_OK) != 0) {
            return SaveFailure(target, errno);  // a write-protected setup file stays as it is
        }
        options.permissions = static_cast<int>(info.st_mode & 07777);
    }

    // What a killed save of this file left goes first; nothing else of the folder is touched.
    RemoveStaleTemporaries(FolderOf(target), OnlyTarget(target, TemporaryKind::File));
    AtomicFile file(target, options);
    if (Status created = file.Create(); !created.ok()) {
        return created;  // the folder does not exist or cannot be written: no line printed
    }
    Status saved = file.Write(text);
    if (saved.ok()) {
        saved = file.Commit();
    }
    if (!saved.ok()) {
        ReportFileFailure(trace);
    }
    return saved;
}

std::string SetupIniPath(const std::string& programFilePath) {
    const std::string programFolder = FolderOf(programFilePath);
    const std::string besideProgram = JoinPath(programFolder, "Setup.ini");
    if (access(programFolder.c_str(), W_OK) == 0) {
        return besideProgram;
    }
    // An installed program's folder is not the user's to write: keep the setup in the
    // user's configuration folder.
    const std::string own = UserSetupIniPath();
    return own.empty() ? besideProgram : own;
}

std::string UserSetupIniPath() {
    // A relative XDG_CONFIG_HOME is not a valid setting.
    std::filesystem::path configFolder;
    const char* xdg = getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        configFolder = xdg;
    } else {
        const char* home = getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : nullptr;
        }
        if (home == nullptr || home[0] == '\0') {
            return {};
        }
        configFolder = std::filesystem::path(home) / ".config";
    }
    const std::filesystem::path folder = configFolder / "Korvane";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return (folder / "Setup.ini").string();
}

}  // namespace korvane
