#pragma once
// Writes the pictures of a series on a thread of its own, so the next picture is computed
// while the last one is encoded and written. At most one picture is in hand at a time.

#include <condition_variable>
#include <mutex>
#include <opencv2/core.hpp>
#include <string>
#include <thread>
#include <vector>

#include "common/Status.h"
#include "picture/PictureFileName.h"
#include "picture/PictureFiles.h"

namespace korvane {

// One picture to write, and the densities beside it on request. What the pointers name must
// stay unchanged until Wait returns.
struct PictureJob {
    const cv::Mat* canvas = nullptr;
    std::string path;
    PictureFormat format = PictureFormat::Bmp;
    const cv::Mat* densities = nullptr;  // none: no density file
    std::string densityPath;
    // The world file that places the density file on a map (empty: none), and its path.
    std::string worldFile = {};
    std::string worldPath = {};
};

class PictureWriter {
  public:
    PictureWriter();
    ~PictureWriter();  // waits for the picture in hand
    PictureWriter(const PictureWriter&) = delete;
    PictureWriter& operator=(const PictureWriter&) = delete;

    // Starts writing the job's picture, then its densities. The previous picture must have
    // been waited for.
    void Start(PictureJob job);

    // Waits until the picture in hand is written; its Status (Ok when there is none).
    Status Wait();

    // After Wait: whether the picture file of that job is on disk (it is also when only its
    // density file failed).
    bool lastPictureOnDisk() const { return m_lastPictureOnDisk; }

  private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    PictureJob m_job;  // the picture in hand
    Status m_result = Status::Ok();
    bool m_pictureOnDisk = false;      // of the job in hand, set by the thread
    bool m_lastPictureOnDisk = false;  // of the job last waited for
    bool m_busy = false;
    bool m_stopping = false;
    EncodedPicture m_encoded;  // the encoded picture, kept for the whole series
    std::thread m_thread;      // last: starts once the members above exist
};

}  // namespace korvane
