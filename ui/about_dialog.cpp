#include "about_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "dialog_units.h"

namespace taplink {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About"));
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.X(209), du.Y(159));

    auto* group =
        new QGroupBox(QStringLiteral("QRN R40/R60/R80Series CNC Communications Software"), this);
    group->setGeometry(du.Rect(0, 4, 209, 129));
    auto* version = new QLabel(QStringLiteral("(Ver 6.4)"), this);
    version->setGeometry(du.Rect(3, 13, 37, 8));
    auto* notice =
        new QLabel(QStringLiteral("TapLink moves part programs, PLC documents and memory images\n"
                                  "between this computer and QRN series CNC controllers\n"
                                  "over a serial line.\n\n"
                                  "Free software: use, copy and change it freely.\n"
                                  "No warranty of any kind."),
                   this);
    notice->setGeometry(du.Rect(8, 30, 195, 80));
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* date = new QLabel(QStringLiteral("2007.1.10"), this);
    date->setGeometry(du.Rect(169, 118, 37, 8));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setGeometry(du.Rect(79, 140, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace taplink
