#pragma once
// The last few picture folders shown, newest first, kept in the program's settings store.

#include <QStringList>

namespace korvane {

class RecentFolders {
  public:
    static constexpr int MaxFolders = 6;

    QStringList Load() const;
    // `folder` moves to the front (or comes in there); the oldest beyond MaxFolders go.
    void Add(const QString& folder);
};

}  // namespace korvane
