#pragma once
// Message boxes with an OK button, behind an interface so no test ever waits for a person.

#include <string>

#include "common/UserMessage.h"

class QWidget;

namespace korvane {

class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;

    // Shows `text` under `caption` with the stop or information icon and waits for OK.
    virtual void Show(QWidget* owner, const std::string& text, const std::string& caption,
                      MessageIcon icon) = 0;
};

}  // namespace korvane
