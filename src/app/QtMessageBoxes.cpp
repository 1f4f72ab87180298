#include "app/QtMessageBoxes.h"

#include <QMessageBox>

namespace korvane {

void QtMessageBoxes::Show(QWidget* owner, const std::string& text, const std::string& caption,
                          MessageIcon icon) {
    QMessageBox box(icon == MessageIcon::Stop      ? QMessageBox::Critical
                    : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                   : QMessageBox::Information,
                    QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                    owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace korvane
