#include "series/SeriesLoop.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "common/AtomicFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "picture/PictureFileName.h"
#include "picture/PictureFiles.h"
#include "series/PictureWriter.h"
#include "series/SeriesIndex.h"

namespace korvane {

namespace {

// A picture handed to the writer and not yet reported.
struct PictureInHand {
    IndexedPicture entry;
    std::string path;
    const cv::Mat* canvas = nullptr;
};

class SeriesRun {
  public:
    SeriesRun(SeriesContext& ctx, const SeriesSteps& steps, std::string folder)
        : m_ctx(ctx), m_steps(steps), m_folder(std::move(folder)) {
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
        m_written.push_back(picture.entry);
        const cv::Mat area = (*picture.canvas)(m_canvas.RasterArea());
        m_ctx.observer.PictureWritten({picture.entry.number, picture.path, area, *picture.canvas,
                                       m_steps.labels.ranges, picture.entry.captionValue,
                                       m_steps.columns});
        if (m_ctx.observer.CancelRequested()) {
            return Status::Cancelled();
        }
        m_ctx.observer.HandleWindowMessages();
        return Status::Ok();
    }

    // Where picture `number` is painted, when the series paints in place. The writer holds
    // the other canvas; this one's last picture was settled before the one before this.
    void PointPaintArea(int number) {
        if (m_steps.paintArea != nullptr) {
            *m_steps.paintArea = m_canvas.PaintArea(number % 2, *m_steps.raster);
        }
    }

    // Composes the raster just computed as picture `number` and hands it to the writer,
    // once the picture before it is settled.
    Status Hand(int number, double captionValue, const PictureFacts& facts) {
        const int slot = number % 2;
        const cv::Mat& raster = m_steps.paintArea != nullptr ? *m_steps.paintArea : *m_steps.raster;
        const cv::Mat& canvas = m_canvas.Compose(slot, raster, captionValue);
        const OutputOptions& output = m_ctx.request.output;
        PictureInHand picture;
        picture.entry = {
            number,       NumberedFileName(m_steps.prefix, number, PictureExtension(output.format)),
            "",           captionValue,
            facts.bounds, facts.events};
        picture.path = JoinPath(m_folder, picture.entry.file);
        picture.canvas = &canvas;
        PictureJob job{&canvas, picture.path, output.format, nullptr, ""};
        if (output.densities && m_steps.field != nullptr) {
            // The densities are overwritten by the next picture: the writer gets a copy.
            CopyDensities(*m_steps.field, m_steps.densityArea, m_densities[slot]);
            picture.entry.densityFile = NumberedFileName(m_steps.prefix, number, ".tiff");
            job.densities = &m_densities[slot];
            job.densityPath = JoinPath(m_folder, picture.entry.densityFile);
        }
        const Status settled = Settle();
        if (!settled.ok()) {
            return settled;
        }
        m_writer.Start(std::move(job));
        m_inHand = std::move(picture);
        return Status::Ok();
    }

    const std::vector<IndexedPicture>& Written() const { return m_written; }

  private:
    SeriesContext& m_ctx;
    const SeriesSteps& m_steps;
    const std::string m_folder;
    SeriesCanvas m_canvas;
    cv::Mat m_densities[2];  // like the canvases: one written while the next is copied
    std::optional<PictureInHand> m_inHand;
    std::vector<IndexedPicture> m_written;
    PictureWriter m_writer;  // last: its thread ends before the canvases go
};

// The rows of the sorted table that some picture drew from, as disjoint runs. The runs of
// a series never move backwards (positions grow, the table is sorted on their column).
class RunUnion {
  public:
    void Add(const EventRun& run) {
        if (run.size() == 0) {
            return;
        }
        if (!m_runs.empty() && run.begin <= m_runs.back().end) {
            m_runs.back().end = std::max(m_runs.back().end, run.end);
            m_runs.back().begin = std::min(m_runs.back().begin, run.begin);
        } else {
            m_runs.push_back(run);
        }
    }

    // Events of the table in no picture: in no run, or outside the plane pictures show.
    long long Outside(const EventTable& events, const SeriesSteps& steps) const {
        long long inside = 0;
        for (const EventRun& run : m_runs) {
            for (int i = run.begin; i < run.end && i < events.count; ++i) {
                if (!steps.inPicturePlane || steps.inPicturePlane(events.rows[i])) {
                    ++inside;
                }
            }
        }
        return events.count - inside;
    }

  private:
    std::vector<EventRun> m_runs;
};

Status WithIndex(const Status& series, const SeriesContext& ctx, const SeriesSteps& steps,
                 const std::string& folder, const std::vector<IndexedPicture>& written) {
    if (!ctx.request.output.index) {
        return series;
    }
    const std::string path = JoinPath(folder, std::string(steps.prefix) + ".json");
    const Status indexed = WriteSeriesIndex(path, ctx, steps, written, series.ok());
    return series.ok() ? indexed : series;
}

}  // namespace

Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureComputer& compute) {
    const double pictures = ctx.request.numberOfPictures;
    ctx.observer.SeriesStarted(TruncateToInt(pictures + 1.0));
    // The counter must not overflow, and a position that stops advancing must not write
    // pictures for ever: no more than the box asked for, plus the one that rounding adds.
    const long long limit =
        std::min<long long>(static_cast<long long>(TruncateToInt(pictures)) + 1, INT_MAX - 1);
    const std::string folder = ctx.request.output.folder.empty()
                                   ? FolderOf(ctx.request.eventFilePath)
                                   : ctx.request.output.folder;
    // What a killed run left half-written there goes before the new pictures come.
    RemoveStaleTemporaries(folder);

    SeriesRun run(ctx, steps, folder);
    RunUnion drawn;
    Status result = Status::Ok();
    int number = 1;
    for (double position = steps.start; position < steps.end && number <= limit;
         position = position + steps.step) {
        PictureFacts facts;
        run.PointPaintArea(number);
        const Status computed = compute(position, facts);
        if (!computed.ok()) {
            const Status settled = run.Settle();
            result = settled.ok() ? computed : settled;
            break;
        }
        result = run.Hand(number, position + steps.step, facts);
        if (!result.ok()) {
            break;
        }
        drawn.Add(facts.run);
        ++number;
    }
    if (result.ok()) {
        result = run.Settle();
    }
    const Status finished = WithIndex(result, ctx, steps, folder, run.Written());
    ctx.observer.SeriesFinished({static_cast<int>(run.Written().size()), ctx.events.count,
                                 drawn.Outside(ctx.events, steps)});
    return finished;
}

}  // namespace korvane
