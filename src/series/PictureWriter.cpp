#include "series/PictureWriter.h"

#include <new>

#include "common/AtomicFile.h"
#include "picture/DensityPicture.h"
#include "picture/PictureFiles.h"

namespace korvane {

PictureWriter::PictureWriter() : m_thread([this] { Run(); }) {}

PictureWriter::~PictureWriter() {
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_busy; });
        m_stopping = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void PictureWriter::Start(PictureJob job) {
    {
        std::lock_guard lock(m_mutex);
        m_job = std::move(job);
        m_busy = true;
    }
    m_changed.notify_all();
}

Status PictureWriter::Wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
    Status result = m_result;
    m_result = Status::Ok();
    m_lastPictureOnDisk = m_pictureOnDisk;
    return result;
}

void PictureWriter::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_busy || m_stopping; });
        if (!m_busy) {
            return;
        }
        const PictureJob job = m_job;
        lock.unlock();
        Status written = Status::Ok();
        bool pictureOnDisk = false;
        try {
            written = WritePictureFile(*job.canvas, job.path, m_encoded, job.format);
            pictureOnDisk = written.ok();
            if (written.ok() && job.densities != nullptr) {
                written = WriteDensityFile(*job.densities, job.densityPath, m_encoded.bytes);
            }
            if (written.ok() && job.densities != nullptr && !job.worldFile.empty()) {
                AtomicFileOptions options;
                options.failureText = [](const std::string& path, const std::string& reason) {
                    std::string text = "Cannot write the world file ";
                    text += path;
                    text += ": ";
                    text += reason;
                    return text;
                };
                written = WriteFileAtomically(job.worldPath, job.worldFile, options);
            }
        } catch (const std::bad_alloc&) {
            written =
                Status::NoMemory("Cannot write the picture " + job.path + ": not enough memory");
        }
        lock.lock();
        m_result = std::move(written);
        m_pictureOnDisk = pictureOnDisk;
        m_job = PictureJob();
        m_busy = false;
        m_changed.notify_all();
    }
}

}  // namespace korvane
