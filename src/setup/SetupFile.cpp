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

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "common/ReadableFile.h"
#include "picture/DensityPicture.h"
#include "picture/PictureFileName.h"
#include "setup/CatalogueKeys.h"

namespace korvane {
namespace {

enum class Written { Integer, Exponent };

struct NumberKey {
    const char* key;
    double CalculationSetup::*field;
    Written form;
};

constexpr const char* FilePathKey = "[File-Path]";

// The eighteen numbers in the order of the file, after the path line.
constexpr NumberKey NumberKeys[] = {
    {"[Direction]", &CalculationSetup::Direction, Written::Integer},
    {"[Amin]", &CalculationSetup::Amin, Written::Exponent},
    {"[Amax]", &CalculationSetup::Amax, Written::Exponent},
    {"[Bmin]", &CalculationSetup::Bmin, Written::Exponent},
    {"[Bmax]", &CalculationSetup::Bmax, Written::Exponent},
    {"[Cmin]", &CalculationSetup::Cmin, Written::Exponent},
    {"[Cmax]", &CalculationSetup::Cmax, Written::Exponent},
    {"[Timestart]", &CalculationSetup::Timestart, Written::Exponent},
    {"[Timeend]", &CalculationSetup::Timeend, Written::Exponent},
    {"[Fixedsize]", &CalculationSetup::Fixedsize, Written::Integer},
    {"[Width]", &CalculationSetup::Width, Written::Integer},
    {"[Height]", &CalculationSetup::Height, Written::Integer},
    {"[Fixeddensity]", &CalculationSetup::Fixeddensity, Written::Integer},
    {"[Maxdensity]", &CalculationSetup::Maxdensity, Written::Exponent},
    {"[Gaussiandistance]", &CalculationSetup::Gaussiandistance, Written::Integer},
    {"[NoOfPictures]", &CalculationSetup::NoOfPictures, Written::Exponent},
    {"[Cumulative]", &CalculationSetup::Cumulative, Written::Integer},
    {"[Radius]", &CalculationSetup::Radius, Written::Exponent},
};

// The output keys follow the nineteen lines, each only when its value differs from the
// default, so a setup with the default output is saved exactly as it always was.
constexpr const char* PictureFormatKey = "[Pictureformat]";  // BMP or PNG
constexpr const char* DensityDataKey = "[Densitydata]";      // 1: a TIFF of densities
constexpr const char* SeriesIndexKey = "[Seriesindex]";      // 0: no series index
constexpr const char* VolumeKey = "[Volume]";                // 1: a NetCDF density volume
constexpr const char* ColourMapKey = "[Colourmap]";          // viridis, inferno, ...
constexpr const char* ScaleKey = "[Scale]";                  // log or sqrt
constexpr const char* WeightsKey = "[Weights]";              // value or moment
constexpr const char* MaximumKey = "[Maximum]";              // series or percentile:P
constexpr const char* RadiusUnitKey = "[Radiusunit]";        // coordinates
constexpr const char* UnitKey = "[Unit]";                    // km, ft, ...
constexpr const char* DepthAxisKey = "[Depthaxis]";          // down or up
constexpr const char* TrueScaleKey = "[Truescale]";          // 1: one unit as long both ways
constexpr const char* ExaggerationKey = "[Exaggeration]";    // shown or hidden: "V.E. 3.2x"
constexpr const char* TicksKey = "[Ticks]";                  // round or classic

void AppendLine(std::string& text, const char* key, std::string_view value) {
    text += key;
    text += '\t';
    text += value;
    text += "\r\n";
}

void AppendOutputKeys(std::string& text, const OutputOptions& output) {
    const OutputOptions defaults;
    if (output.format != defaults.format) {
        AppendLine(text, PictureFormatKey, PictureFormatName(output.format));
    }
    if (output.densities != defaults.densities) {
        AppendLine(text, DensityDataKey, output.densities ? "1" : "0");
    }
    if (output.index != defaults.index) {
        AppendLine(text, SeriesIndexKey, output.index ? "1" : "0");
    }
    if (output.volume != defaults.volume) {
        AppendLine(text, VolumeKey, output.volume ? "1" : "0");
    }
    if (output.colourMap != defaults.colourMap) {
        AppendLine(text, ColourMapKey, ColourMapName(output.colourMap));
    }
    if (output.scale != defaults.scale) {
        AppendLine(text, ScaleKey, DensityScaleName(output.scale));
    }
    if (output.eventWeights != defaults.eventWeights) {
        AppendLine(text, WeightsKey, EventWeightingName(output.eventWeights));
    }
    if (output.maximum != defaults.maximum) {
        AppendLine(text, MaximumKey, MaximumChoiceText(output.maximum));
    }
    if (output.radiusUnit != defaults.radiusUnit) {
        AppendLine(text, RadiusUnitKey, RadiusUnitName(output.radiusUnit));
    }
    if (output.unit != defaults.unit) {
        AppendLine(text, UnitKey, output.unit);
    }
    const ViewChoices& view = output.view;
    if (view.depthAxis != defaults.view.depthAxis) {
        AppendLine(text, DepthAxisKey, DepthAxisName(view.depthAxis));
    }
    if (view.trueScale != defaults.view.trueScale) {
        AppendLine(text, TrueScaleKey, view.trueScale ? "1" : "0");
    }
    if (view.exaggeration != defaults.view.exaggeration) {
        AppendLine(text, ExaggerationKey, ExaggerationNoteName(view.exaggeration));
    }
    if (view.ticks != defaults.view.ticks) {
        AppendLine(text, TicksKey, TickStyleName(view.ticks));
    }
}

// An output key's value; false for a key that is none of them. A format other than BMP or
// PNG leaves the format as it was; so does an unknown colour map, scale, weighting or maximum.
bool ApplyOutputKey(OutputOptions& output, std::string_view key, std::string_view value) {
    if (key == PictureFormatKey) {
        output.format = PictureFormatNamed(value).value_or(output.format);
        return true;
    }
    if (key == DensityDataKey) {
        output.densities = ReadDecimal(value) != 0.0;
        return true;
    }
    if (key == SeriesIndexKey) {
        output.index = ReadDecimal(value) != 0.0;
        return true;
    }
    if (key == VolumeKey) {
        output.volume = ReadDecimal(value) != 0.0;
        return true;
    }
    if (key == ColourMapKey) {
        output.colourMap = ColourMapNamed(value).value_or(output.colourMap);
        return true;
    }
    if (key == ScaleKey) {
        output.scale = DensityScaleNamed(value).value_or(output.scale);
        return true;
    }
    if (key == WeightsKey) {
        output.eventWeights = EventWeightingNamed(value).value_or(output.eventWeights);
        return true;
    }
    if (key == MaximumKey) {
        output.maximum = MaximumChoiceNamed(value).value_or(output.maximum);
        return true;
    }
    if (key == UnitKey) {
        if (IsUnitText(value)) {
            output.unit.assign(value);
        }
        return true;
    }
    if (key == RadiusUnitKey) {
        output.radiusUnit = RadiusUnitNamed(value).value_or(output.radiusUnit);
        return true;
    }
    if (key == DepthAxisKey) {
        output.view.depthAxis = DepthAxisNamed(value).value_or(output.view.depthAxis);
        return true;
    }
    if (key == TrueScaleKey) {
        output.view.trueScale = ReadDecimal(value) != 0.0;
        return true;
    }
    if (key == ExaggerationKey) {
        output.view.exaggeration = ExaggerationNoteNamed(value).value_or(output.view.exaggeration);
        return true;
    }
    if (key == TicksKey) {
        output.view.ticks = TickStyleNamed(value).value_or(output.view.ticks);
        return true;
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
    text += FilePathKey;
    text += '\t';
    text += setup.FilePath;
    text += "\r\n";
    for (const NumberKey& key : NumberKeys) {
        const double value = setup.*key.field;
        text += key.key;
        text += '\t';
        text += key.form == Written::Integer ? FormatInteger(value) : FormatExponentExact(value);
        text += "\r\n";
    }
    AppendOutputKeys(text, setup.Output);
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
    if (key == FilePathKey) {
        setup.FilePath.assign(value);
        // How a file is read belongs to that file: the catalogue keys that follow, if any.
        setup.Catalogue = {};
        return;
    }
    if (ApplyOutputKey(setup.Output, key, value)) {
        return;
    }
    if (ApplyCatalogueKey(setup.Catalogue, key, value)) {
        return;
    }
    for (const NumberKey& known : NumberKeys) {
        if (key == known.key) {
            setup.*known.field = ReadDecimal(value);
            return;
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
