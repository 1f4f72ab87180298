#include "FakeWindowServices.h"

namespace korvane::testing {

namespace {

std::optional<std::string> NextAnswer(std::deque<std::optional<std::string>>& answers) {
    if (answers.empty()) {
        return std::nullopt;
    }
    std::optional<std::string> answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace

std::optional<std::string> FakeChoosers::ChooseFile(QWidget*, FileDialogKind kind,
                                                    const std::string& defaultExtension,
                                                    const std::string& filter,
                                                    const std::string& startFolder) {
    fileQuestions.push_back({kind, defaultExtension, filter, startFolder});
    return NextAnswer(fileAnswers);
}

std::optional<std::string> FakeChoosers::BrowseForFolder(QWidget*, const std::string&,
                                                         const std::string& startFolder) {
    ++folderQuestions;
    folderStarts.push_back(startFolder);
    return NextAnswer(folderAnswers);
}

std::optional<std::string> FakeChoosers::ChooseCodec(QWidget*,
                                                     const std::vector<std::string>& codecs) {
    codecLists.push_back(codecs);
    return NextAnswer(codecAnswers);
}

std::optional<std::size_t> FakeChoosers::ChooseSeries(QWidget*,
                                                      const std::vector<SeriesDescription>& series,
                                                      std::size_t preselected) {
    seriesQuestions.push_back({series, preselected});
    if (seriesAnswers.empty()) {
        return std::nullopt;
    }
    const std::optional<std::size_t> answer = seriesAnswers.front();
    seriesAnswers.pop_front();
    return answer;
}

void FakeMessageBoxes::Show(QWidget*, const std::string& text, const std::string& caption,
                            MessageIcon icon) {
    shown.push_back({text, caption, icon});
}

}  // namespace korvane::testing
