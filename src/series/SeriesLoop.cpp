#include "series/SeriesLoop.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <utility>

#include "common/AtomicFile.h"
#include "common/FloatNarrowing.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "picture/PictureFileName.h"
#include "picture/PictureFiles.h"
#include "series/PictureWriter.h"
#include "series/SeriesIndex.h"
#include "series/SeriesVolume.h"

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
    SeriesRun(SeriesContext& ctx, const SeriesSteps& steps, std::string folder,
              const FileIdentity& eventFile)
        : m_ctx(ctx), m_steps(steps), m_folder(std::move(folder)), m_eventFile(eventFile) {
        m_canvas.Prepare(steps.raster->size(), steps.labels);
    }

    // Waits for the picture in hand, reports it and asks whether to stop.
    Status Settle() {
        if (!m_inHand) {
            return Status::Ok();
        }
        const PictureInHand picture = *m_inHand;
        m_inHand.reset();
        const Status written = m_writer.Wait();
        if (m_writer.lastPictureOnDisk()) {
            m_lastOnDisk = {picture.entry.number, picture.path};
        }
        if (!written.ok()) {
            return written;
        }
        m_written.push_back(picture.entry);
        const cv::Mat area = (*picture.canvas)(m_canvas.RasterArea());
        PlaneRange shown = m_steps.labels.ranges;
        if (m_steps.labels.depthDown) {
            std::swap(shown.vertical.min, shown.vertical.max);  // the top row holds the minimum
        }
        m_ctx.observer.PictureWritten({picture.entry.number, picture.path, area, *picture.canvas,
                                       shown, picture.entry.captionValue, m_steps.columns,
                                       picture.entry.events});
        m_ctx.observer.Progress(picture.entry.number);
        if (m_ctx.observer.ShouldStop()) {
            return Status::Cancelled();
        }
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
        OverlayFrame overlayFrame = m_steps.overlayFrame;
        if (m_steps.slabbed) {
            overlayFrame.slab = facts.bounds;
        }
        const cv::Mat& canvas = m_canvas.Compose(slot, raster, captionValue, &overlayFrame);
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
            if (m_steps.labels.depthDown) {
                cv::flip(m_densities[slot], m_densities[slot], 0);  // rows as the picture's
            }
            picture.entry.densityFile = NumberedFileName(m_steps.prefix, number, ".tiff");
            job.densities = &m_densities[slot];
            job.densityPath = JoinPath(m_folder, picture.entry.densityFile);
            if (!m_steps.worldFile.empty()) {
                job.worldFile = m_steps.worldFile;
                job.worldPath =
                    JoinPath(m_folder, NumberedFileName(m_steps.prefix, number, ".tfw"));
            }
        }
        // The event file itself may carry a picture's name in the output folder.
        for (const auto& [target, kind] :
             {std::pair{&picture.path, "picture"}, std::pair{&job.densityPath, "density file"},
              std::pair{&job.worldPath, "world file"}}) {
            if (Status apart = RefuseOverInput(*target, kind, m_eventFile,
                                               m_ctx.request.eventFilePath, "event file");
                !apart.ok()) {
                const Status settled = Settle();
                return settled.ok() ? apart : settled;
            }
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
    // The number and path of the last picture file this run put on disk (0 when none).
    const std::pair<int, std::string>& LastOnDisk() const { return m_lastOnDisk; }

  private:
    SeriesContext& m_ctx;
    const SeriesSteps& m_steps;
    const std::string m_folder;
    const FileIdentity m_eventFile;
    SeriesCanvas m_canvas;
    cv::Mat m_densities[2];  // like the canvases: one written while the next is copied
    std::optional<PictureInHand> m_inHand;
    std::vector<IndexedPicture> m_written;
    std::pair<int, std::string> m_lastOnDisk{0, ""};
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

std::string IndexPath(const std::string& folder, const SeriesSteps& steps) {
    return JoinPath(folder, std::string(steps.prefix) + ".json");
}

// The index of the series, written at its end whatever the end was. Its own failure is
// reported as a picture's would be: after a failed or cancelled series too, beside that.
Status WithIndex(const Status& series, const SeriesContext& ctx, const SeriesSteps& steps,
                 const std::string& folder, const std::vector<IndexedPicture>& written) {
    if (!ctx.request.output.index) {
        return series;
    }
    const Status indexed =
        WriteSeriesIndex(IndexPath(folder, steps), ctx, steps, written, series.ok());
    if (indexed.ok() || series.ok()) {
        return series.ok() ? indexed : series;
    }
    if (series.code() == Status::Code::Cancelled) {
        return indexed;
    }
    return series.WithMessage(series.message() + "\n" + indexed.message());
}

// An index of an earlier run would speak for a folder whose pictures this run now
// replaces: it goes before the first of them does, so that a run stopped part-way (by a
// kill, a full disk) never leaves an index that says the folder is one complete series.
Status RemoveEarlierIndex(const std::string& folder, const SeriesSteps& steps) {
    const std::string path = IndexPath(folder, steps);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::unlink(path.c_str()) == 0 || errno == ENOENT) {
        return Status::Ok();
    }
    return Status::IoError("The series index " + path + " of an earlier run cannot be removed (" +
                           SystemReason(errno) +
                           "); no picture was written, so that it cannot speak for new ones.");
}

// The temporaries a series writes: its pictures, density files and world files (the prefix,
// at least four digits, ".bmp", ".png", ".tiff" or ".tfw"), its index (the prefix and ".json") and
// its density volume beside the pictures (the prefix and ".nc").
TemporaryTargets SeriesFiles(std::string prefix) {
    return [prefix = std::move(prefix)](std::string_view target) {
        return target == prefix + ".json" || target == prefix + ".nc" ||
                       IsNumberedFileOf(target, prefix)
                   ? TemporaryKind::File
                   : TemporaryKind::NotOurs;
    };
}

// A position as a person writes it: 5, 2.5, -0.125.
std::string Shown(double value) {
    std::string text = FormatFixed(value, 6);
    while (text.find('.') != std::string::npos && (text.back() == '0' || text.back() == '.')) {
        const bool point = text.back() == '.';
        text.pop_back();
        if (point) {
            break;
        }
    }
    return text;
}

// Why a series wrote no picture: the range it steps through holds no position.
Status NothingWritten(const SeriesSteps& steps) {
    return Status::NothingMade(
        "No picture was written: the range the pictures step through, "
        "from " +
        Shown(steps.start) + " to " + Shown(steps.end) +
        ", is empty. Choose a start below the end.");
}

// The positions a series visits: from the start, each the one before plus the step, while
// below the end and within the limit; or the starts of the series' own windows.
class PositionWalk {
  public:
    PositionWalk(const SeriesSteps& steps, long long limit)
        : m_steps(steps), m_limit(limit), m_position(steps.start) {}

    bool More(int number) const {
        if (m_steps.windows != nullptr) {
            return m_index < m_steps.windows->size();
        }
        return m_position < m_steps.end && number <= m_limit;
    }
    double Position() const {
        return m_steps.windows != nullptr ? (*m_steps.windows)[m_index].min : m_position;
    }
    void Next() {
        ++m_index;
        m_position = m_position + m_steps.step;
    }

  private:
    const SeriesSteps& m_steps;
    const long long m_limit;
    double m_position;
    std::size_t m_index = 0;
};

// The pictures the progress counts: those asked for (rounding of the steps may add one),
// or one per window.
int PicturesAsked(const SeriesContext& ctx, const SeriesSteps& steps) {
    if (steps.windows != nullptr) {
        return static_cast<int>(steps.windows->size());
    }
    return std::max(TruncateToInt(ctx.request.numberOfPictures + 1.0) - 1, 0);
}

}  // namespace

namespace {

// Keeps the highest density of `field` in `highest` and, when `keep`, appends its non-zero
// densities to `nonZero`. The first pass reads every pixel of every picture, so the rows
// are read straight from the field's arrays, the maximum in four independent lanes (a
// maximum does not depend on the order it is taken in).
void NoteDensities(const DensityField& field, bool keep, double& highest,
                   std::vector<float>& nonZero) {
    const int C = field.columns;
    for (int j = 0; j < field.rows; ++j) {
        if (field.counted) {
            const int* row = field.counts.data() + static_cast<std::size_t>(j) * (C + 1);
            int top = 0;
            for (int k = 0; k < C; ++k) {
                top = std::max(top, row[k]);
                if (keep && row[k] > 0) {
                    nonZero.push_back(static_cast<float>(row[k]));
                }
            }
            highest = std::max(highest, static_cast<double>(top));
            continue;
        }
        const double* row = field.sums.data() + static_cast<std::size_t>(j) * C;
        if (keep) {
            for (int k = 0; k < C; ++k) {
                highest = row[k] > highest ? row[k] : highest;
                if (row[k] > 0.0) {
                    nonZero.push_back(NarrowToFloat(row[k]));
                }
            }
            continue;
        }
        double lanes[4] = {highest, highest, highest, highest};
        int k = 0;
        for (; k + 4 <= C; k += 4) {
            for (int l = 0; l < 4; ++l) {
                lanes[l] = row[k + l] > lanes[l] ? row[k + l] : lanes[l];
            }
        }
        for (; k < C; ++k) {
            lanes[0] = row[k] > lanes[0] ? row[k] : lanes[0];
        }
        for (double lane : lanes) {
            highest = lane > highest ? lane : highest;
        }
    }
}

}  // namespace

long long SeriesPictureLimit(double numberOfPictures) {
    return std::min<long long>(static_cast<long long>(TruncateToInt(numberOfPictures)) + 1,
                               INT_MAX - 1);
}

long long SeriesPictureCount(const AxisRange& range, double numberOfPictures) {
    const double step = ScaleOrStep(range, numberOfPictures);
    const long long limit = SeriesPictureLimit(numberOfPictures);
    long long count = 0;
    for (double position = range.min; position < range.max && count < limit;
         position = position + step) {
        ++count;
    }
    return count;
}

bool MaximumFromSeries(const CalculationRequest& request) {
    return !request.fixedDensityMaximum.has_value() &&
           request.output.maximum.mode != MaximumMode::Catalogue;
}

double NearestRankPercentile(std::vector<float>& values, double percentile) {
    if (values.empty()) {
        return 0.0;
    }
    const double n = static_cast<double>(values.size());
    const double rank = std::ceil(percentile / 100.0 * n);  // 1-based
    const auto index = static_cast<std::size_t>(std::clamp(rank, 1.0, n)) - 1;
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index),
                     values.end());
    return values[index];
}

Status MeasureSeriesMaximum(SeriesContext& ctx, const SeriesSteps& steps,
                            const DensityMeasure& measure) {
    if (!MaximumFromSeries(ctx.request)) {
        return Status::Ok();
    }
    const bool percentile = ctx.request.output.maximum.mode == MaximumMode::Percentile;
    const long long limit = SeriesPictureLimit(ctx.request.numberOfPictures);
    ctx.observer.PhaseStarted(RunPhase::Estimating, PicturesAsked(ctx, steps));
    double highest = 0.0;
    // The non-zero densities of every picture. Single precision is enough: the colours
    // compare densities with the maximum narrowed to single precision.
    std::vector<float> nonZero;
    int number = 1;
    for (PositionWalk walk(steps, limit); walk.More(number); walk.Next()) {
        measure(walk.Position());
        NoteDensities(*steps.field, percentile, highest, nonZero);
        ctx.observer.Progress(number);
        if (ctx.observer.ShouldStop()) {
            return Status::Cancelled();
        }
        ++number;
    }
    ctx.densityMaximum = percentile
                             ? NearestRankPercentile(nonZero, ctx.request.output.maximum.percentile)
                             : highest;
    return Status::Ok();
}

Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureComputer& compute) {
    const double pictures = ctx.request.numberOfPictures;
    ctx.observer.PhaseStarted(RunPhase::Pictures, PicturesAsked(ctx, steps));
    // The counter must not overflow, and a position that stops advancing must not write
    // pictures for ever: no more than the box asked for, plus the one that rounding adds.
    const long long limit = SeriesPictureLimit(pictures);
    const std::string folder = ctx.request.output.folder.empty()
                                   ? FolderOf(ctx.request.eventFilePath)
                                   : ctx.request.output.folder;
    // What a killed run of this series left half-written there goes before the new pictures
    // come; the files of other programs and of other series stay.
    RemoveStaleTemporaries(folder, SeriesFiles(steps.prefix));
    // No file of the series replaces the event file it is drawn from.
    const FileIdentity eventFile = IdentityOf(ctx.request.eventFilePath);
    Status removed = RefuseOverInput(IndexPath(folder, steps), "series index", eventFile,
                                     ctx.request.eventFilePath, "event file");
    if (removed.ok()) {
        removed = RemoveEarlierIndex(folder, steps);
    }
    if (!removed.ok()) {
        ctx.observer.SeriesFinished({0, ctx.events.count, ctx.events.count, 0, ""});
        return removed;
    }

    SeriesVolume volume;
    if (const std::string path = VolumePathOf(ctx.request.output, ctx.request.kind, folder);
        !path.empty() && steps.grid != nullptr) {
        removed = RefuseOverInput(path, "density volume", eventFile, ctx.request.eventFilePath,
                                  "event file");
        if (removed.ok()) {
            removed = volume.Begin(ctx, *steps.grid, path);
        }
        if (!removed.ok()) {
            ctx.observer.SeriesFinished({0, ctx.events.count, ctx.events.count, 0, ""});
            return removed;
        }
    }

    SeriesRun run(ctx, steps, folder, eventFile);
    RunUnion drawn;
    Status result = Status::Ok();
    int number = 1;
    for (PositionWalk walk(steps, limit); walk.More(number); walk.Next()) {
        const double position = walk.Position();
        PictureFacts facts;
        run.PointPaintArea(number);
        const Status computed = compute(position, facts);
        if (!computed.ok()) {
            const Status settled = run.Settle();
            result = settled.ok() ? computed : settled;
            break;
        }
        const double caption = facts.caption.value_or(position + steps.step);
        if (volume.open()) {
            result = volume.Add(*steps.field, steps.densityArea, caption, facts.bounds);
            if (!result.ok()) {
                const Status settled = run.Settle();
                result = settled.ok() ? result : settled;
                break;
            }
        }
        result = run.Hand(number, caption, facts);
        if (!result.ok()) {
            break;
        }
        drawn.Add(facts.run);
        ++number;
    }
    if (result.ok()) {
        result = run.Settle();
    }
    if (result.ok() && number == 1) {
        result = NothingWritten(steps);
    }
    // The volume is put in place only for a series that ran to its end.
    if (result.ok() && volume.open()) {
        result = volume.Finish();
    }
    const Status finished = WithIndex(result, ctx, steps, folder, run.Written());
    ctx.observer.SeriesFinished({static_cast<int>(run.Written().size()), ctx.events.count,
                                 drawn.Outside(ctx.events, steps), run.LastOnDisk().first,
                                 run.LastOnDisk().second});
    return finished;
}

}  // namespace korvane
