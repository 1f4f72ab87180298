#include "series/SeriesLoop.h"

#include <algorithm>
#include <climits>
#include <new>

#include "common/NumberText.h"
#include "picture/PictureFileName.h"

namespace korvane {

SeriesResult SeriesFailure(std::string message) {
    SeriesResult result;
    result.outcome = SeriesOutcome::Failed;
    result.message = std::move(message);
    return result;
}

SeriesResult RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps,
                           const std::function<void(double position)>& fillPicture) {
    const double pictures = ctx.numberOfPictures;
    ctx.host.SetProgressRange(0, TruncateToInt(pictures + 1.0));
    // The counter must not overflow, and a position that stops advancing must not write
    // pictures for ever: no more than the box asked for, plus the one that rounding adds.
    const long long limit =
        std::min<long long>(static_cast<long long>(TruncateToInt(pictures)) + 1, INT_MAX - 1);

    int n = 1;
    long long written = 0;
    double position = steps.start;
    while (position < steps.end && written < limit) {
        fillPicture(position);
        const std::string fileName = PictureFileName(steps.prefix, n);
        n = n + 1;
        const Status saved =
            WriteDensityPicture(ctx.work.raster, steps.hMin, steps.hMax, steps.vMin, steps.vMax,
                                position + steps.step, fileName, steps.direction, steps.kind,
                                ctx.eventFilePath, ctx.run.DensityMaximum, ctx.work.canvas);
        if (!saved.ok()) {
            return SeriesFailure(saved.message());
        }
        ++written;
        ctx.host.SetProgressPosition(n);
        if (ctx.host.CancelRequested()) {
            SeriesResult cancelled;
            cancelled.outcome = SeriesOutcome::Cancelled;
            return cancelled;
        }
        ctx.host.DrainMessageQueue();
        position = position + steps.step;
    }
    ctx.host.MessageBoxA("Calculation finished successfully.", "Information",
                         MessageIcon::Information);
    return SeriesResult{};
}

SeriesResult GuardSeries(const std::function<SeriesResult()>& body) {
    try {
        return body();
    } catch (const cv::Exception& e) {
        return SeriesFailure("The picture could not be computed: " + e.msg);
    } catch (const std::bad_alloc&) {
        return SeriesFailure("There is not enough memory to compute the pictures.");
    }
}

}  // namespace korvane
