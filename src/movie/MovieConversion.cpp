#include "movie/MovieConversion.h"

#include <errno.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <new>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <string>
#include <system_error>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "movie/AviWriter.h"
#include "movie/ConversionProgress.h"
#include "movie/MovieContainers.h"
#include "movie/PictureSeriesListing.h"

namespace korvane {
namespace {

const char* const FailureCaption = "Movie not written";

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
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

// The conversion proper. Returns the outcome; for Failed, `failure` holds the text of the
// error box.
ConversionOutcome Convert(const std::string& folder, const std::string& moviePath,
                          const std::string& fourccText, Host& host, std::string& failure,
                          std::string& currentPicture) {
    PictureSeries series;
    if (const Status listed = ListPictureSeries(folder, series); !listed.ok()) {
        // A folder that cannot be listed holds no picture the conversion can use.
        failure = listed.message();
        return ConversionOutcome::EmptyFolder;
    }
    if (series.count == 0) {
        return ConversionOutcome::EmptyFolder;
    }

    int fourcc = 0;
    if (!ParseFourcc(fourccText, fourcc)) {
        failure = "The codec " + Quoted(fourccText) + " is not a four-character code.";
        return ConversionOutcome::Failed;
    }

    // The frame size is the size of the first picture; it is released before the frames.
    cv::Size pictureSize;
    {
        currentPicture = series.firstPicture;
        const cv::Mat first = cv::imread(series.firstPicture, cv::IMREAD_UNCHANGED);
        if (first.empty()) {
            failure = UnreadablePictureText(series.firstPicture);
            return ConversionOutcome::Failed;
        }
        pictureSize = first.size();
    }
    const cv::Size frameSize = MovieFrameSize(pictureSize);

    // The writer opens its file by name: it writes into a private folder beside the movie,
    // and the finished movie is renamed onto the movie's name, so an existing file of that
    // name is never half-overwritten. The folder goes when `temporary` goes, after the
    // writer (declared after it) is closed. The name inside has the extension of the
    // container the movie's name selects (AVI for any other name), which the writer follows.
    RemoveStaleTemporaries(FolderOf(moviePath));
    TemporaryFolder temporary(
        moviePath, MovieSaveFailureText,
        std::string("movie") + ContainerExtension(ContainerOfPath(moviePath)));
    if (const Status made = temporary.Create(); !made.ok()) {
        failure = made.message();
        return ConversionOutcome::Failed;
    }
    cv::VideoWriter writer;
    int backend = 0;
    if (!OpenAviWriter(writer, temporary.file(), fourcc, frameSize, backend)) {
        failure = "The movie " + Quoted(moviePath) + " cannot be created with the codec " +
                  fourccText + " for pictures of " + SizeText(pictureSize) + " pixels.";
        return ConversionOutcome::Failed;
    }

    const int frames = series.count;
    host.SetProgressRange(1, ProgressUpperBound(frames));
    for (int j = 1; j <= frames; ++j) {
        // One picture in memory at a time: each is read, written and released in turn.
        currentPicture = FramePicturePath(series.basePath, j, series.extension);
        cv::Mat picture = cv::imread(currentPicture, cv::IMREAD_UNCHANGED);
        if (picture.empty()) {
            failure = UnreadablePictureText(currentPicture);
            return ConversionOutcome::Failed;
        }
        if (picture.size() != pictureSize) {
            failure = "The picture " + Quoted(currentPicture) + " measures " +
                      SizeText(picture.size()) + " pixels, the first picture " +
                      SizeText(pictureSize) + ": all pictures of a movie must have one size.";
            return ConversionOutcome::Failed;
        }
        const cv::Mat frame = MovieFrame(picture, frameSize);
        picture.release();
        if (frame.empty()) {
            failure = "The picture " + Quoted(currentPicture) +
                      " is not a picture of 8-bit colour or grey values.";
            return ConversionOutcome::Failed;
        }
        writer.write(frame);
        host.SetProgressPosition(ProgressPosition(j, frames));
        host.DrainMessageQueue();
        if (host.CancelRequested()) {
            // The user closed the window: no movie, and no box either (the user asked).
            return ConversionOutcome::Cancelled;
        }
    }
    currentPicture.clear();
    writer.release();

    // The writer reports no failed frame; reading the movie back proves it is complete.
    const long long written = CountMovieFrames(temporary.file(), backend);
    if (written != frames) {
        failure = "The movie " + Quoted(moviePath) + " could not be completed (" +
                  (written < 0 ? std::string("it cannot be read back")
                               : FormatInteger(static_cast<double>(written)) + " of " +
                                     FormatInteger(frames) + " frames written") +
                  IncompleteMovieReason(FolderOf(temporary.file()), frameSize) + ").";
        return ConversionOutcome::Failed;
    }

    if (const Status saved = temporary.Commit(); !saved.ok()) {
        failure = saved.message();
        return ConversionOutcome::Failed;
    }
    return ConversionOutcome::Written;
}

}  // namespace

ConversionResult ConvertPicturesToMovie(const std::string& folder, const std::string& moviePath,
                                        const std::string& fourcc, Host& host) {
    std::string failure;
    std::string currentPicture;
    ConversionOutcome outcome = ConversionOutcome::Failed;
    // The video and picture libraries report some failures by exceptions; none may reach the
    // window's event loop.
    try {
        outcome = Convert(folder, moviePath, fourcc, host, failure, currentPicture);
    } catch (const cv::Exception& exception) {
        failure =
            "The video library failed" +
            (currentPicture.empty() ? std::string() : " at the picture " + Quoted(currentPicture)) +
            ": " + exception.what();
    } catch (const std::bad_alloc&) {
        failure = "There is not enough memory" +
                  (currentPicture.empty() ? std::string()
                                          : " for the picture " + Quoted(currentPicture)) +
                  ".";
    }
    ConversionResult result{outcome, std::nullopt, ""};
    if (outcome == ConversionOutcome::EmptyFolder) {
        result.message =
            UserMessage{"Folder does not contain pictures!", "Empty folder!", MessageIcon::Stop};
        result.reason = failure;
    } else if (outcome == ConversionOutcome::Failed && !failure.empty()) {
        result.message = UserMessage{failure, FailureCaption, MessageIcon::Stop};
    }
    return result;
}

}  // namespace korvane
