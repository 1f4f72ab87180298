#pragma once
// "Choose a Series": which of the picture series of a folder becomes the movie, each shown by
// its name, its picture count, its picture size, when its newest picture was written and
// which of its pictures belong to the last run.

#include <QDialog>
#include <vector>

#include "movie/PictureSeriesListing.h"

class QTreeWidget;

namespace korvane {

class SeriesChooserDlg : public QDialog {
    Q_OBJECT
  public:
    // `preselected` is the row chosen when the dialog opens.
    SeriesChooserDlg(const std::vector<SeriesDescription>& series, std::size_t preselected,
                     QWidget* parent = nullptr);

    // The row chosen.
    std::size_t chosen() const;

  private:
    QTreeWidget* m_list = nullptr;
};

// The texts of a series' row: name, pictures, picture size, newest picture (local time),
// and which of its pictures the last run wrote, where its index says that run finished.
QStringList SeriesRowTexts(const SeriesDescription& series);

}  // namespace korvane
