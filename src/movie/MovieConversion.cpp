#include "movie/MovieConversion.h"

#include <errno.h>
#include <sys/statvfs.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <optional>
#include <string>
#include <system_error>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "movie/MovieContainers.h"
#include "movie/PictureFile.h"
#include "movie/PictureSeriesListing.h"
#include "movie/VideoWriter.h"

namespace korvane {
namespace {

const char* const FailureCaption = "Movie not written";

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string FileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string SizeText(const cv::Size& size) {
    return FormatInteger(size.width) + " x " + FormatInteger(size.height);
}

std::string MovieSaveFailureText(const std::string& moviePath, const std::string& reason) {
    return "The movie cannot be saved as " + Quoted(moviePath) + " (" + reason + ").";
}

// The movie's frame size for pictures of `pictureSize`: the video library writes only even
// widths and heights and would crop an odd picture's last column or row, so odd sizes grow by
// one (the picture's edge pixels are repeated into it).
cv::Size MovieFrameSize(const cv::Size& pictureSize) {
    return cv::Size(pictureSize.width + pictureSize.width % 2,
                    pictureSize.height + pictureSize.height % 2);
}

// A picture as a movie frame of `frameSize`, 8-bit blue, green, red; grey and four-channel
// pictures are converted. Empty when the picture is empty or has another depth.
cv::Mat MovieFrame(const cv::Mat& picture, const cv::Size& frameSize) {
    if (picture.empty() || picture.depth() != CV_8U) {
        return cv::Mat();
    }
    cv::Mat colour;
    switch (picture.channels()) {
        case 3:
            colour = picture;
            break;
        case 1:
            cv::cvtColor(picture, colour, cv::COLOR_GRAY2BGR);
            break;
        case 4:
            cv::cvtColor(picture, colour, cv::COLOR_BGRA2BGR);
            break;
        default:
            return cv::Mat();
    }
    if (colour.size() == frameSize) {
        return colour;
    }
    cv::Mat padded;
    cv::copyMakeBorder(colour, padded, 0, frameSize.height - colour.rows, 0,
                       frameSize.width - colour.cols, cv::BORDER_REPLICATE);
    return padded;
}

// The video writer reports no failed write. When its movie comes back incomplete and the
// disk it went to has no room left for another frame, the full disk is the reason.
std::string IncompleteMovieReason(const std::string& folder, const cv::Size& frameSize) {
    struct statvfs disk {};
    const unsigned long long frameBytes = 3ULL * static_cast<unsigned long long>(frameSize.area());
    if (::statvfs(folder.c_str(), &disk) == 0 &&
        static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize < frameBytes) {
        return ": " + SystemReason(ENOSPC);
    }
    return "";
}

std::string UnreadablePictureText(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return "The picture " + Quoted(path) + " does not exist.";
    }
    return "The picture " + Quoted(path) + " cannot be read.";
}

std::string PicturesText(int count) {
    return FormatInteger(count) + (count == 1 ? " picture" : " pictures");
}

// What the user should hear of the series a movie shows: the others the folder holds, or
// that the movie is a single picture.
std::string SeriesNote(const PictureSeries& series) {
    const std::string shown = "The movie shows the series " + Quoted(FileNameOf(series.basePath)) +
                              " (" + PicturesText(series.count) + ")";
    std::string note;
    if (!series.others.empty()) {
        std::string others;
        for (const SeriesCount& other : series.others) {
            others += (others.empty() ? "" : ", ") + Quoted(other.prefix) + " (" +
                      PicturesText(other.count) + ")";
        }
        note = shown + "; the folder also holds " + others + ", left out.";
    } else if (series.count == 1) {
        note = shown + ": a movie of a single picture.";
    }
    if (!series.leftAside.empty()) {
        note += (note.empty() ? shown + ". " : std::string(" ")) + series.leftAside;
    }
    return note;
}

// A movie named like a picture of its own series (a link to it) would replace that picture.
Status MovieApartFromPictures(const std::string& moviePath, const std::string& folder,
                              const PictureSeries& series) {
    const FileIdentity movie = IdentityOf(moviePath);
    if (!movie.exists) {
        return Status::Ok();
    }
    for (const std::string& name : series.names) {
        const std::string picture = JoinPath(folder, name);
        if (IdentityOf(picture).Is(movie)) {
            return RefuseOverInput(moviePath, "movie", movie, picture, "picture");
        }
    }
    return Status::Ok();
}

// One conversion in its steps, each of which fails with the message the user sees.
class Conversion {
  public:
    Conversion(const std::string& folder, const std::string& moviePath, RunObserver& observer)
        : m_folder(folder), m_moviePath(moviePath), m_observer(observer) {}

    // The movie's name, the series of the folder, the codec, the first picture and the
    // writer in its private folder.
    Status Open(const std::string& fourccText, const std::string& seriesPrefix) {
        if (Status target = CheckMovieTarget(m_moviePath); !target.ok()) {
            return target;
        }
        if (Status listed = ListPictureSeries(m_folder, m_series, seriesPrefix); !listed.ok()) {
            // A folder that cannot be listed, or mixes BMP and PNG pictures, holds no series
            // the conversion can use; a series asked for by name that is not there is named.
            m_empty = seriesPrefix.empty() || listed.code() == Status::Code::IoError;
            return listed;
        }
        if (m_series.count == 0) {
            m_empty = true;
            return Status::InvalidInput("Folder does not contain pictures!");
        }
        if (Status apart = MovieApartFromPictures(m_moviePath, m_folder, m_series); !apart.ok()) {
            return apart;
        }
        int fourcc = 0;
        if (!ParseFourcc(fourccText, fourcc)) {
            return Status::InvalidInput("The codec " + Quoted(fourccText) +
                                        " is not a four-character code.");
        }
        // The frame size is the size of the first picture; it is released before the frames.
        {
            cv::Mat first;
            if (Status read = ReadFrame(m_series.firstPicture, first); !read.ok()) {
                return read;
            }
            m_pictureSize = first.size();
        }
        m_frameSize = MovieFrameSize(m_pictureSize);

        // The writer opens its file by name: it writes into a private folder beside the
        // movie, and the finished movie is renamed onto the movie's name, so an existing file
        // of that name is never half-overwritten. The name inside has the extension of the
        // container the movie's name selects, which the writer follows. Only this movie's
        // own leftovers are cleaned away first.
        RemoveStaleTemporaries(FolderOf(m_moviePath),
                               OnlyTarget(m_moviePath, TemporaryKind::Folder));
        m_temporary.emplace(
            m_moviePath, MovieSaveFailureText,
            std::string("movie") + ContainerExtension(ContainerOfPath(m_moviePath)));
        if (Status made = m_temporary->Create(); !made.ok()) {
            return made;
        }
        if (!OpenVideoWriter(m_writer, m_temporary->file(), fourcc, m_frameSize, m_backend)) {
            return Status::IoError("The movie " + Quoted(m_moviePath) +
                                   " cannot be created with the codec " + fourccText +
                                   " for pictures of " + SizeText(m_pictureSize) + " pixels.");
        }
        return Status::Ok();
    }

    // Every picture of the series in number order, one in memory at a time.
    Status WriteFrames() {
        const int frames = m_series.count;
        m_observer.PhaseStarted(RunPhase::Frames, frames);
        for (int j = 1; j <= frames; ++j) {
            cv::Mat picture;
            const std::string path =
                m_series.indexed.empty()
                    ? FramePicturePath(m_series.basePath, j, m_series.extension)
                    : JoinPath(m_folder, m_series.indexed[static_cast<std::size_t>(j - 1)]);
            if (Status read = ReadFrame(path, picture); !read.ok()) {
                return read;
            }
            if (picture.size() != m_pictureSize) {
                return Status::InvalidInput(
                    "The picture " + Quoted(m_currentPicture) + " measures " +
                    SizeText(picture.size()) + " pixels, the first picture " +
                    SizeText(m_pictureSize) + ": all pictures of a movie must have one size.");
            }
            const cv::Mat frame = MovieFrame(picture, m_frameSize);
            picture.release();
            if (frame.empty()) {
                return Status::InvalidInput("The picture " + Quoted(m_currentPicture) +
                                            " is not a picture of 8-bit colour or grey values.");
            }
            m_writer.write(frame);
            m_observer.Progress(j);
            if (m_observer.ShouldStop()) {
                // The user asked to stop: no movie, and no box either (the user asked).
                return Status::Cancelled();
            }
        }
        m_currentPicture.clear();
        m_writer.release();
        return Status::Ok();
    }

    // The writer reports no failed frame; reading the movie back proves it is complete.
    Status Verify() {
        const long long written = CountMovieFrames(m_temporary->file(), m_backend);
        if (written == m_series.count) {
            return Status::Ok();
        }
        return Status::IoError(
            "The movie " + Quoted(m_moviePath) + " could not be completed (" +
            (written < 0 ? std::string("it cannot be read back")
                         : FormatInteger(static_cast<double>(written)) + " of " +
                               FormatInteger(m_series.count) + " frames written") +
            IncompleteMovieReason(FolderOf(m_temporary->file()), m_frameSize) + ").");
    }

    // The finished movie under its name.
    Status Commit() { return m_temporary->Commit(); }

    bool emptyFolder() const { return m_empty; }
    const PictureSeries& series() const { return m_series; }
    const std::string& currentPicture() const { return m_currentPicture; }

  private:
    // Reads a picture the listing found; any other file of that name (one that appeared
    // since, a pipe) is not read.
    Status ReadFrame(const std::string& path, cv::Mat& picture) {
        m_currentPicture = path;
        const std::string name = FileNameOf(path);
        if (!std::binary_search(m_series.names.begin(), m_series.names.end(), name)) {
            return Status::IoError(UnreadablePictureText(path));
        }
        return ReadPictureFile(path, picture);
    }

    const std::string& m_folder;
    const std::string& m_moviePath;
    RunObserver& m_observer;
    PictureSeries m_series;
    bool m_empty = false;
    std::string m_currentPicture;
    cv::Size m_pictureSize;
    cv::Size m_frameSize;
    // The writer is declared after its folder, so it is closed before the folder goes.
    std::optional<TemporaryFolder> m_temporary;
    cv::VideoWriter m_writer;
    int m_backend = 0;
};

Status Convert(Conversion& conversion, const std::string& fourcc, const std::string& seriesPrefix) {
    Status status = conversion.Open(fourcc, seriesPrefix);
    if (status.ok()) {
        status = conversion.WriteFrames();
    }
    if (status.ok()) {
        status = conversion.Verify();
    }
    if (status.ok()) {
        status = conversion.Commit();
    }
    return status;
}

}  // namespace

ConversionResult ConvertPicturesToMovie(const std::string& folder, const std::string& moviePath,
                                        const std::string& fourcc, RunObserver& observer,
                                        const std::string& seriesPrefix) {
    Conversion conversion(folder, moviePath, observer);
    Status status = Status::Ok();
    // The video and picture libraries report some failures by exceptions; none may reach the
    // window's event loop.
    try {
        status = Convert(conversion, fourcc, seriesPrefix);
    } catch (const cv::Exception& exception) {
        const std::string& picture = conversion.currentPicture();
        status = Status::Internal(
            "The video library failed" +
            (picture.empty() ? std::string() : " at the picture " + Quoted(picture)) + ": " +
            exception.what());
    } catch (const std::bad_alloc&) {
        const std::string& picture = conversion.currentPicture();
        status = Status::NoMemory(
            "There is not enough memory" +
            (picture.empty() ? std::string() : " for the picture " + Quoted(picture)) + ".");
    }
    ConversionResult result{ConversionOutcome::Failed, std::nullopt, "", 0, ""};
    if (status.ok()) {
        result.outcome = ConversionOutcome::Written;
        result.frames = conversion.series().count;
        result.note = SeriesNote(conversion.series());
    } else if (status.code() == Status::Code::Cancelled) {
        result.outcome = ConversionOutcome::Cancelled;
    } else if (conversion.emptyFolder()) {
        result.outcome = ConversionOutcome::EmptyFolder;
        result.message =
            UserMessage{"Folder does not contain pictures!", "Empty folder!", MessageIcon::Stop};
        if (status.message() != "Folder does not contain pictures!") {
            result.reason = status.message();
        }
    } else {
        result.message = UserMessage{status.message(), FailureCaption, MessageIcon::Stop};
    }
    return result;
}

}  // namespace korvane
