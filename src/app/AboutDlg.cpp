#include "app/AboutDlg.h"

#include <QLabel>
#include <QPushButton>

#include "app/Artwork.h"
#include "app/DialogUnits.h"
#include "common/Licence.h"

namespace korvane {

AboutDlg::AboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName("IDD_ABOUTBOX");
    setWindowTitle("About Korvane");
    setFont(DialogFont());
    const DialogBaseUnits units = BaseUnitsOf(font());
    setFixedSize(DialogSizeToPixels(units, 255, 54));

    // An icon control keeps the icon's own 32 x 32 size whatever the template says.
    auto* icon = new QLabel(this);
    icon->setObjectName("IDC_ICON");
    icon->setPixmap(QPixmap::fromImage(MakeIconImage(32)));
    const QRect iconPlace = DialogRectToPixels(units, 11, 12, 0, 0);
    icon->setGeometry(iconPlace.x(), iconPlace.y(), 32, 32);

    auto* version = new QLabel("Korvane Version 1.0", this);
    version->setObjectName("IDC_VERSION");
    version->setGeometry(DialogRectToPixels(units, 40, 10, 119, 8));

    auto* licence = new QLabel(QString("%1\n%2").arg(CopyrightLine, LicenceLine), this);
    licence->setObjectName("IDC_LICENCE");
    licence->setGeometry(DialogRectToPixels(units, 40, 22, 150, 20));

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("IDOK");
    ok->setGeometry(DialogRectToPixels(units, 198, 19, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace korvane
