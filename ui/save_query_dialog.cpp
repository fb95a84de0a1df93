#include "save_query_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "dialog_units.h"

namespace taplink {

CSaveQueryDlg::CSaveQueryDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("注意！！"));
    QFont font = DialogFont();
    font.setPointSize(10);
    setFont(font);
    const DialogUnits du(font);
    setFixedSize(du.X(121), du.Y(34));
    auto* text = new QLabel(tr("文档即将被改变，是否保存？"), this);
    QRect r = du.Rect(12, 3, 105, 8);
    r.setWidth(std::max(r.width(), text->sizeHint().width()));
    r.setHeight(std::max(r.height(), text->sizeHint().height()));
    text->setGeometry(r);
    auto* yes = new QPushButton(tr("是"), this);
    yes->setGeometry(du.Rect(10, 16, 44, 14));
    yes->setDefault(true);
    auto* no = new QPushButton(tr("否"), this);
    no->setGeometry(du.Rect(66, 16, 45, 14));
    connect(yes, &QPushButton::clicked, this, &QDialog::accept);
    connect(no, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(std::max(width(), r.right() + du.X(4)), height());
}

}  // namespace taplink
