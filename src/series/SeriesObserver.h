#pragma once
// How a front end follows a calculation: everything a RunObserver follows, and besides each
// picture a series writes and what the series wrote in the end.

#include "common/RunObserver.h"
#include "series/SeriesResults.h"

namespace korvane {

class SeriesObserver : public RunObserver {
  public:
    // A picture of a series is on disk.
    virtual void PictureWritten(const WrittenPicture& picture) { (void)picture; }
    // The series ended (finished, stopped or failed); what it wrote.
    virtual void SeriesFinished(const SeriesSummary& summary) { (void)summary; }
};

}  // namespace korvane
