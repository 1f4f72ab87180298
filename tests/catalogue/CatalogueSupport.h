#pragma once
// Shared pieces of the bad-input catalogue: event files of a given number of events, and what
// a folder holds afterwards.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "setup/DialogValues.h"
#include "support/DialogInputs.h"
#include "support/Folders.h"

namespace korvane::catalogue {

// The texts of the messages for bad input, and boxes that pass every check.
using testing::FinishedMessage;
using testing::MissingFileMessage;
using testing::NotNumbersMessage;
using testing::OutOfRangeMessage;
using testing::PassingValues;

// `count` events, one a line, x y z t spread over 0..10.
std::string EventLines(int count);

// What a folder holds, and pictures read back: the helpers every test folder shares.
using testing::FolderNames;
using testing::PictureNames;
using testing::ReadPicture;

// True when the running user can still create files in a folder whose write permission was
// taken away (the superuser can): such a test then has nothing to prove.
bool PermissionsDoNotStopWrites(const std::string& readOnlyFolder);

}  // namespace korvane::catalogue
