#include "app/SeriesChooserDlg.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <chrono>

namespace korvane {

QStringList SeriesRowTexts(const SeriesDescription& series) {
    const QString size = series.width > 0 ? QString("%1 x %2").arg(series.width).arg(series.height)
                                          : QString("unreadable");
    QString newest;
    if (series.newest != std::chrono::system_clock::time_point::min()) {
        const auto seconds =
            std::chrono::duration_cast<std::chrono::seconds>(series.newest.time_since_epoch())
                .count();
        newest = QDateTime::fromSecsSinceEpoch(seconds).toString("yyyy-MM-dd hh:mm:ss");
    }
    // A series of 0001.bmp, 0002.bmp, ... has no name of its own.
    const QString name =
        series.prefix.empty() ? QString("(numbers only)") : QString::fromStdString(series.prefix);
    // The pictures the last run's index lists, which the movie takes: all, or which numbers.
    QString lastRun;
    if (series.lastRun > 0) {
        lastRun = series.lastRun == series.count ? QString("all")
                                                 : QString("%1: numbers %2 to %3")
                                                       .arg(series.lastRun)
                                                       .arg(series.lastRunFirst)
                                                       .arg(series.lastRunLast);
    }
    return {name, QString::number(series.count), size, newest, lastRun};
}

SeriesChooserDlg::SeriesChooserDlg(const std::vector<SeriesDescription>& series,
                                   std::size_t preselected, QWidget* parent)
    : QDialog(parent) {
    setObjectName("SeriesChooser");
    setWindowTitle("Choose a Series");

    auto* layout = new QVBoxLayout(this);
    auto* prompt = new QLabel(
        "The folder holds several picture series. Make the movie of (where the last run of a "
        "series finished, the movie takes its pictures only):",
        this);
    prompt->setWordWrap(true);
    layout->addWidget(prompt);

    m_list = new QTreeWidget(this);
    m_list->setObjectName("seriesList");
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {"Series", "Pictures", "Picture size", "Newest picture", "Of the last run"});
    for (const SeriesDescription& description : series) {
        auto* row = new QTreeWidgetItem(m_list, SeriesRowTexts(description));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    if (preselected < series.size()) {
        m_list->setCurrentItem(m_list->topLevelItem(static_cast<int>(preselected)));
    }
    layout->addWidget(m_list);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("Make Movie");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(640, 140 + 22 * static_cast<int>(std::min<std::size_t>(series.size(), 8)));
}

std::size_t SeriesChooserDlg::chosen() const {
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    return row < 0 ? 0 : static_cast<std::size_t>(row);
}

}  // namespace korvane
