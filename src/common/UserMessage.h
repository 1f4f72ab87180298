#pragma once
// A message for the user as a front end shows it: in a box on the desktop, as
// "caption: text" in korvane-batch.

#include <string>

namespace korvane {

// Message box icons, with the values of the classic message box types.
enum class MessageIcon { Stop = 16, Warning = 48, Information = 64 };

struct UserMessage {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::Stop;

    bool operator==(const UserMessage&) const = default;
};

}  // namespace korvane
