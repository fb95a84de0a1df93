#include "about_dialog.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <algorithm>

#include "dialog_units.h"

namespace taplink {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About"));
    setFont(DialogFont());
    const DialogUnits du(font());
    setFixedSize(du.X(209), du.Y(159));

    auto* group = new QGroupBox(tr("QRN R40/R60/R80Series CNC Communications Software"), this);
    group->setGeometry(du.Rect(0, 4, 209, 129));
    // The template's places, widened where the font on this machine is wider
    // than the one the dialog units were drawn for: no text is cut.
    const auto fitted = [&](QLabel* label, QRect r, bool fromRight) {
        const int need = label->fontMetrics().horizontalAdvance(label->text()) + 2;
        if (need > r.width()) {
            if (fromRight) r.setLeft(r.right() - need);
            r.setWidth(need);
        }
        label->setGeometry(r);
    };
    auto* version = new QLabel(QStringLiteral("(Ver 6.4)"), this);
    fitted(version, du.Rect(3, 13, 37, 8), false);
    auto* notice = new QLabel(tr("TapLink moves part programs, PLC documents and memory images "
                                 "between this computer and QRN series CNC controllers over a "
                                 "serial line.\n\n"
                                 "Free software: use, copy and change it freely. "
                                 "No warranty of any kind."),
                              this);
    notice->setGeometry(du.Rect(8, 30, 195, 80));
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setWordWrap(true);
    auto* date = new QLabel(QStringLiteral("2007.1.10"), this);
    // Kept inside the group box, whose right edge it stands against.
    QRect dateRect = du.Rect(169, 118, 37, 8);
    dateRect.moveRight(std::min(dateRect.right(), du.X(206)));
    fitted(date, dateRect, true);
    date->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setGeometry(du.Rect(79, 140, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace taplink
