#pragma once
// The choosers on Qt's own dialogs.

#include "app/Choosers.h"

namespace korvane {

class QtChoosers : public Choosers {
  public:
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

}  // namespace korvane
