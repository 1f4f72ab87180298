#pragma once
// Message boxes on QMessageBox.

#include "app/MessageBoxes.h"

namespace korvane {

class QtMessageBoxes : public MessageBoxes {
  public:
    void Show(QWidget* owner, const std::string& text, const std::string& caption,
              MessageIcon icon) override;
};

}  // namespace korvane
