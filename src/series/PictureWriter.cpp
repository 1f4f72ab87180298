#include "series/PictureWriter.h"

#include <new>

#include "picture/DensityPicture.h"

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

void PictureWriter::Start(const cv::Mat& canvas, std::string path) {
    {
        std::lock_guard lock(m_mutex);
        m_canvas = &canvas;
        m_path = std::move(path);
        m_busy = true;
    }
    m_changed.notify_all();
}

Status PictureWriter::Wait() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
    Status result = m_result;
    m_result = Status::Ok();
    return result;
}

void PictureWriter::Run() {
    std::unique_lock lock(m_mutex);
    while (true) {
        m_changed.wait(lock, [this] { return m_busy || m_stopping; });
        if (!m_busy) {
            return;
        }
        const cv::Mat* canvas = m_canvas;
        const std::string path = m_path;
        lock.unlock();
        Status written = Status::Ok();
        try {
            written = WritePictureFile(*canvas, path, m_bytes);
        } catch (const std::bad_alloc&) {
            written = Status::NoMemory("Cannot write the picture " + path + ": not enough memory");
        }
        lock.lock();
        m_result = std::move(written);
        m_canvas = nullptr;
        m_busy = false;
        m_changed.notify_all();
    }
}

}  // namespace korvane
