#pragma once
// Choosers and message boxes for tests: the answers are queued beforehand, every question
// and every box is recorded, and nothing ever waits for a person.

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Choosers.h"
#include "app/DesktopOpener.h"
#include "app/MessageBoxes.h"
#include "app/WindowServices.h"
#include "support/RecordingObserver.h"

namespace korvane::testing {

struct FileQuestion {
    FileDialogKind kind;
    std::string defaultExtension;
    std::string filter;
    std::string startFolder;
};

class FakeChoosers : public Choosers {
  public:
    // Answers in order; when a queue runs dry the user cancels.
    std::deque<std::optional<std::string>> fileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;
    std::deque<std::optional<std::string>> codecAnswers;
    std::deque<std::optional<std::size_t>> seriesAnswers;

    std::vector<FileQuestion> fileQuestions;
    int folderQuestions = 0;
    std::vector<std::string> folderStarts;  // the start folder of each folder question
    std::vector<std::vector<std::string>> codecLists;
    struct SeriesQuestion {
        std::vector<SeriesDescription> series;
        std::size_t preselected;
    };
    std::vector<SeriesQuestion> seriesQuestions;

    std::optional<std::string> ChooseFile(QWidget* owner, FileDialogKind kind,
                                          const std::string& defaultExtension,
                                          const std::string& filter,
                                          const std::string& startFolder = "") override;
    std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title,
                                               const std::string& startFolder = "") override;
    std::optional<std::string> ChooseCodec(QWidget* owner,
                                           const std::vector<std::string>& codecs) override;
    std::optional<std::size_t> ChooseSeries(QWidget* owner,
                                            const std::vector<SeriesDescription>& series,
                                            std::size_t preselected) override;
};

class FakeMessageBoxes : public MessageBoxes {
  public:
    std::vector<RecordedMessage> shown;

    void Show(QWidget* owner, const std::string& text, const std::string& caption,
              MessageIcon icon) override;
};

// A desktop that opens nothing unless told it works; records what it was asked to open.
class FakeOpener : public DesktopOpener {
  public:
    bool works = false;
    std::vector<std::string> opened;

    bool Open(const std::string& path) override {
        opened.push_back(path);
        return works;
    }
};

}  // namespace korvane::testing
