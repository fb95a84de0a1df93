#include "journal_view.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "journal.h"

namespace taplink {
namespace {

enum Column {
    kStarted,
    kPort,
    kModel,
    kDirection,
    kOutcome,
    kBytes,
    kDocument,
    kMessage,
    kColumns
};
// The row's details ride on its first cell.
constexpr int kDetailsRole = Qt::UserRole + 1;

QString FirstLine(const QString& text) {
    return text.section(QLatin1Char('\n'), 0, 0);
}

}  // namespace

JournalView::JournalView(Journal& journal, QWidget* parent)
    : QDialog(parent),
      journal_(journal),
      model_(new QStandardItemModel(0, kColumns, this)),
      filter_(new QSortFilterProxyModel(this)),
      table_(new QTableView(this)) {
    setWindowTitle(QStringLiteral("Transfer journal: %1").arg(journal.Describe()));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("filter"));
    box->setPlaceholderText(QStringLiteral("Filter: port, document, outcome, message..."));
    box->setClearButtonEnabled(true);
    layout->addWidget(box);

    model_->setHorizontalHeaderLabels(
        {"Started", "Port", "Model", "Direction", "Outcome", "Bytes", "Document", "Message"});
    filter_->setSourceModel(model_);
    filter_->setFilterKeyColumn(-1);  // any column
    filter_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    connect(box, &QLineEdit::textChanged, filter_, &QSortFilterProxyModel::setFilterFixedString);

    table_->setObjectName(QStringLiteral("rows"));
    table_->setModel(filter_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    connect(table_, &QTableView::doubleClicked, this, &JournalView::ShowDetails);
    layout->addWidget(table_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* reload = buttons->addButton(QStringLiteral("Reload"), QDialogButtonBox::ActionRole);
    connect(reload, &QPushButton::clicked, this, &JournalView::Reload);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 420);
    Reload();
}

void JournalView::Reload() {
    model_->removeRows(0, model_->rowCount());
    JournalFilter f;
    f.limit = kShownRows;
    for (const JournalRow& r : journal_.Rows(f)) {
        QList<QStandardItem*> items;
        const auto add = [&](const QString& text) { items << new QStandardItem(text); };
        add(r.start.start.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        add(r.start.machine.isEmpty()
                ? r.start.port
                : r.start.machine + QStringLiteral(" (") + r.start.port + ")");
        add(r.start.model);
        add(r.start.direction);
        add(QString::fromStdString(OutcomeText(r.end ? r.end->outcome : Outcome::Started)));
        add(r.end ? QString::number(r.end->bytes) : QString());
        add(r.start.documentName);
        add(r.end ? FirstLine(r.end->message) : QString());
        QString details =
            QStringLiteral("Document: %1\nSHA-256: %2\nMessage: %3\nTrace: %4")
                .arg(r.start.documentPath.isEmpty() ? QStringLiteral("(none)")
                                                    : r.start.documentPath,
                     r.end && !r.end->sha256.isEmpty() ? QString::fromLatin1(r.end->sha256)
                                                       : QStringLiteral("(none)"),
                     r.end ? r.end->message : QStringLiteral("(still running)"),
                     r.start.tracePath.isEmpty() ? QStringLiteral("(none)") : r.start.tracePath);
        items.front()->setData(details, kDetailsRole);
        model_->appendRow(items);
    }
    table_->resizeColumnsToContents();
    if (model_->rowCount() == 0 && !journal_.LastError().isEmpty()) {
        QMessageBox::warning(this, windowTitle(), journal_.LastError());
    }
}

void JournalView::ShowDetails(const QModelIndex& index) {
    const QModelIndex first = filter_->mapToSource(index).siblingAtColumn(kStarted);
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Transfer"),
                    model_->data(first, kDetailsRole).toString(), QMessageBox::Ok, this);
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}

}  // namespace taplink
