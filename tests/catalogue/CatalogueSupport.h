#pragma once
// Shared pieces of the bad-input catalogue: dialog values that pass every check, event files
// of a given number of events, and what a folder holds afterwards.

#include <opencv2/core.hpp>
#include <string>
#include <vector>

#include "setup/DialogValues.h"
#include "support/Folders.h"

namespace korvane::catalogue {

// The texts of every message the program gives for bad input.
extern const char* const MissingFileMessage;
extern const char* const NotNumbersMessage;
extern const char* const OutOfRangeMessage;
extern const char* const FinishedMessage;

// Boxes that pass every check: 0..10 on every axis, 0..10 s, two pictures of 20 x 16 pixels,
// radius 1, fixed density maximum 2, direction z, for the event file `eventFile`.
DialogValues PassingValues(const std::string& eventFile);

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
