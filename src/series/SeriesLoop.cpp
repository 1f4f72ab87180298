#include "series/SeriesLoop.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "picture/PictureFileName.h"
#include "series/PictureWriter.h"

namespace korvane {

namespace {

// A picture handed to the writer and not yet reported.
struct PictureInHand {
    int number = 0;
    std::string path;
    const cv::Mat* canvas = nullptr;
    double captionValue = 0;
};

class SeriesRun {
public:
    SeriesRun(SeriesContext& ctx, const SeriesSteps& steps) : m_ctx(ctx), m_steps(steps) {
        m_canvas.Prepare(steps.raster->size(), steps.labels);
    }

    // Waits for the picture in hand, reports it and asks about a cancel.
    Status Settle() {
        if (!m_inHand) {
            return Status::Ok();
        }
        const PictureInHand picture = *m_inHand;
        m_inHand.reset();
        const Status written = m_writer.Wait();
        if (!written.ok()) {
            return written;
        }
        const cv::Mat area = (*picture.canvas)(m_canvas.RasterArea());
        m_ctx.observer.PictureWritten({picture.number, picture.path, area, *picture.canvas,
                                       m_steps.labels.ranges, picture.captionValue});
        if (m_ctx.observer.CancelRequested()) {
            return Status::Cancelled();
        }
        m_ctx.observer.HandleWindowMessages();
        return Status::Ok();
    }

    // Composes the raster just computed as picture `number` and hands it to the writer,
    // once the picture before it is settled.
    Status Hand(int number, const std::string& path, double captionValue) {
        const cv::Mat& canvas = m_canvas.Compose(number % 2, *m_steps.raster, captionValue);
        const Status settled = Settle();
        if (!settled.ok()) {
            return settled;
        }
        m_writer.Start(canvas, path);
        m_inHand = PictureInHand{number, path, &canvas, captionValue};
        return Status::Ok();
    }

private:
    SeriesContext& m_ctx;
    const SeriesSteps& m_steps;
    SeriesCanvas m_canvas;
    std::optional<PictureInHand> m_inHand;
    PictureWriter m_writer;  // last: its thread ends before the canvases go
};

}  // namespace

Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureComputer& compute) {
    const double pictures = ctx.request.numberOfPictures;
    ctx.observer.SeriesStarted(TruncateToInt(pictures + 1.0));
    // The counter must not overflow, and a position that stops advancing must not write
    // pictures for ever: no more than the box asked for, plus the one that rounding adds.
    const long long limit =
        std::min<long long>(static_cast<long long>(TruncateToInt(pictures)) + 1, INT_MAX - 1);
    const std::string folder = FolderOf(ctx.request.eventFilePath);
    // What a killed run left half-written there goes before the new pictures come.
    RemoveStaleTemporaries(folder);

    SeriesRun run(ctx, steps);
    int number = 1;
    for (double position = steps.start; position < steps.end && number <= limit;
         position = position + steps.step) {
        const Status computed = compute(position);
        if (!computed.ok()) {
            const Status settled = run.Settle();
            return settled.ok() ? computed : settled;
        }
        const std::string path = JoinPath(folder, PictureFileName(steps.prefix, number));
        const Status handed = run.Hand(number, path, position + steps.step);
        if (!handed.ok()) {
            return handed;
        }
        ++number;
    }
    return run.Settle();
}

}  // namespace korvane
