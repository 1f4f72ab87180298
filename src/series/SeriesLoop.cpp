#include "series/SeriesLoop.h"

#include <algorithm>
#include <climits>

#include "common/NumberText.h"
#include "common/Paths.h"
#include "picture/PictureFileName.h"

namespace korvane {

Status RunSeriesLoop(SeriesContext& ctx, const SeriesSteps& steps, const PictureMaker& make) {
    const double pictures = ctx.request.numberOfPictures;
    ctx.observer.SeriesStarted(TruncateToInt(pictures + 1.0));
    // The counter must not overflow, and a position that stops advancing must not write
    // pictures for ever: no more than the box asked for, plus the one that rounding adds.
    const long long limit =
        std::min<long long>(static_cast<long long>(TruncateToInt(pictures)) + 1, INT_MAX - 1);
    const std::string folder = FolderOf(ctx.request.eventFilePath);

    int number = 1;
    for (double position = steps.start; position < steps.end && number <= limit;
         position = position + steps.step) {
        const std::string path = JoinPath(folder, PictureFileName(steps.prefix, number));
        const Status made = make(position, path);
        if (!made.ok()) {
            return made;
        }
        ctx.observer.PictureWritten(
            {number, path, *steps.shown, steps.ranges, position + steps.step});
        ++number;
        if (ctx.observer.CancelRequested()) {
            return Status::Cancelled();
        }
        ctx.observer.HandleWindowMessages();
    }
    return Status::Ok();
}

}  // namespace korvane
