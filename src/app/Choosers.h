#pragma once
// The choosers the program asks the user with: a file, a folder, a video codec. The dialogs
// call them through this interface, so a test can answer them instead of a person.

#include <optional>
#include <string>
#include <vector>

#include "movie/PictureSeriesListing.h"

class QWidget;

namespace korvane {

// Save: never asks before replacing a file. SaveAskingToReplace: asks, as a person expects of
// a save, and a name typed without an extension gets the extension of the filter chosen.
enum class FileDialogKind { Open, Save, SaveAskingToReplace };

class Choosers {
  public:
    virtual ~Choosers() = default;

    // A file dialog with no initial name. The open kind does not insist that the file exists
    // (a setup may be saved under a new name through it); the save kind never asks before
    // replacing a file and adds `defaultExtension` to a name typed without one. `filter` is
    // in the classic "Description|*.ext||" form. It opens in `startFolder` when that is given
    // and exists. Gives the full path when the user confirms.
    virtual std::optional<std::string> ChooseFile(QWidget* owner, FileDialogKind kind,
                                                  const std::string& defaultExtension,
                                                  const std::string& filter,
                                                  const std::string& startFolder = "") = 0;

    // A folder, starting in `startFolder` when that is given and exists; nothing when the
    // user cancels.
    virtual std::optional<std::string> BrowseForFolder(QWidget* owner, const std::string& title,
                                                       const std::string& startFolder = "") = 0;

    // One of `codecs` (FOURCC codes, the first is the default), each shown in words; nothing
    // when the user cancels.
    virtual std::optional<std::string> ChooseCodec(QWidget* owner,
                                                   const std::vector<std::string>& codecs) = 0;

    // One of the picture series of a folder that holds several (`series` is not empty), with
    // `preselected` chosen at first. The index of the series chosen; nothing when the user
    // cancels.
    virtual std::optional<std::size_t> ChooseSeries(QWidget* owner,
                                                    const std::vector<SeriesDescription>& series,
                                                    std::size_t preselected) = 0;
};

}  // namespace korvane
