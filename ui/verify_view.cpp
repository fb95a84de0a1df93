#include "verify_view.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "dialog_units.h"
#include "message_text.h"

namespace taplink {

VerifyView::VerifyView(const VerifyResult& result, bool image, QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("Differences from the controller's copy"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* summary = new QLabel(TranslatedText(result.message), this);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary);

    auto* table = new QTableWidget(static_cast<int>(result.differences.size()), 3, this);
    table->setObjectName(QStringLiteral("differences"));
    table->setHorizontalHeaderLabels(
        {image ? tr("Offset") : tr("Line"), tr("Sent"), tr("Controller")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setFont(EditorFont());
    int row = 0;
    for (const auto& d : result.differences) {
        const QString number = image
                                   ? QStringLiteral("%1").arg(d.number, 4, 16, QChar('0')).toUpper()
                                   : QString::number(d.number);
        table->setItem(row, 0, new QTableWidgetItem(number));
        table->setItem(row, 1, new QTableWidgetItem(QString::fromLatin1(d.sent.c_str())));
        table->setItem(row, 2, new QTableWidgetItem(QString::fromLatin1(d.held.c_str())));
        ++row;
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(720, 360);
}

}  // namespace taplink
