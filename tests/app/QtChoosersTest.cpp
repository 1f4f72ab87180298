// The real Qt choosers, answered by a timer: the open kind takes a name that does not exist
// yet ("Save Setup" uses it), the save kind adds the default extension, cancel gives nothing.

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QTest>
#include <QTimer>
#include <functional>

#include "AppTestRegistry.h"
#include "app/QtChoosers.h"
#include "support/TempDir.h"

namespace korvane::testing {
namespace {

template <typename Dialog>
void AnswerNextDialog(std::function<void(Dialog*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            QApplication::activeModalWidget()->close();
            return;
        }
        answer(dialog);
    });
}

class QtChoosersTest : public QObject {
    Q_OBJECT
  private slots:
    void openKindTakesANewName() {
        TempDir dir;
        const QString wanted = QString::fromStdString(dir.file("new-setup"));
        QString shownFilter;
        AnswerNextDialog<QFileDialog>([&](QFileDialog* dialog) {
            shownFilter = dialog->nameFilters().join(";;");
            dialog->selectFile(wanted);
            static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
        });
        QtChoosers choosers;
        const auto path = choosers.ChooseFile(nullptr, FileDialogKind::Open, "",
                                              "Korvane Ini-Files(*.ini)|*.ini||");
        QVERIFY(path.has_value());
        QCOMPARE(QString::fromStdString(*path), wanted);
        QCOMPARE(shownFilter, QString("Korvane Ini-Files(*.ini)"));
    }

    void saveKindAddsTheDefaultExtension() {
        TempDir dir;
        AnswerNextDialog<QFileDialog>([&](QFileDialog* dialog) {
            QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptSave);
            dialog->selectFile(QString::fromStdString(dir.file("movie")));
            static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
        });
        QtChoosers choosers;
        const auto path = choosers.ChooseFile(nullptr, FileDialogKind::Save, ".avi",
                                              "Movie-Files(*.avi)|*.avi||");
        QVERIFY(path.has_value());
        QCOMPARE(*path, dir.file("movie.avi"));
    }

    // A movie's save asks before it replaces a file, and a name typed without an extension
    // gets that of the filter chosen.
    void askingSaveConfirmsAndFollowsTheFilter() {
        TempDir dir;
        AnswerNextDialog<QFileDialog>([&](QFileDialog* dialog) {
            QVERIFY(!dialog->testOption(QFileDialog::DontConfirmOverwrite));
            QCOMPARE(dialog->defaultSuffix(), QString("avi"));
            dialog->selectNameFilter("MP4 Movies(*.mp4)");
            emit dialog->filterSelected("MP4 Movies(*.mp4)");
            QCOMPARE(dialog->defaultSuffix(), QString("mp4"));
            dialog->selectFile(QString::fromStdString(dir.file("movie2")));
            static_cast<QDialog*>(dialog)->accept();
        });
        QtChoosers choosers;
        const auto path = choosers.ChooseFile(nullptr, FileDialogKind::SaveAskingToReplace, ".avi",
                                              "Movie-Files(*.avi)|*.avi|MP4 Movies(*.mp4)|*.mp4||");
        QVERIFY(path.has_value());
        QCOMPARE(*path, dir.file("movie2.mp4"));
    }

    void cancelledChoosersGiveNothing() {
        QtChoosers choosers;
        AnswerNextDialog<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(!choosers.ChooseFile(nullptr, FileDialogKind::Open, "", "A|*.a||"));
        AnswerNextDialog<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
        QVERIFY(!choosers.BrowseForFolder(nullptr, ""));
        AnswerNextDialog<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
        QVERIFY(!choosers.ChooseCodec(nullptr, {"MJPG", "XVID"}));
    }

    void codecListOffersTheFirstCodecInWords() {
        QStringList offered;
        AnswerNextDialog<QInputDialog>([&](QInputDialog* dialog) {
            offered = dialog->comboBoxItems();
            static_cast<QDialog*>(dialog)->accept();  // as the dialog's own button does
        });
        QtChoosers choosers;
        const auto codec = choosers.ChooseCodec(nullptr, {"MJPG", "XVID"});
        QCOMPARE(offered.size(), 2);
        QCOMPARE(offered[0], QString("MJPG: Motion JPEG, plays almost everywhere"));
        QVERIFY(offered[1].startsWith("XVID: "));
        QVERIFY(codec.has_value());
        QCOMPARE(*codec, std::string("MJPG"));
    }

    void aChosenCodecInWordsGivesItsCode() {
        AnswerNextDialog<QInputDialog>([&](QInputDialog* dialog) {
            dialog->setTextValue(dialog->comboBoxItems().at(1));
            static_cast<QDialog*>(dialog)->accept();
        });
        QtChoosers choosers;
        const auto codec = choosers.ChooseCodec(nullptr, {"MJPG", "XVID"});
        QVERIFY(codec.has_value());
        QCOMPARE(*codec, std::string("XVID"));
    }
};

const bool registered = RegisterAppTest<QtChoosersTest>();

}  // namespace
}  // namespace korvane::testing

#include "QtChoosersTest.moc"
