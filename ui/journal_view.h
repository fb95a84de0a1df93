// The transfer journal in the window: a table, newest first, a filter box
// that matches any column, and a row's details (document hash, message,
// trace) on a double click.
#pragma once

#include <QDialog>

class QSortFilterProxyModel;
class QStandardItemModel;
class QTableView;

namespace taplink {

class Journal;

class JournalView : public QDialog {
    Q_OBJECT
  public:
    JournalView(Journal& journal, QWidget* parent = nullptr);

    // Reads the rows again (the newest kShownRows).
    void Reload();
    static constexpr int kShownRows = 10000;

  private:
    void ShowDetails(const QModelIndex& index);

    Journal& journal_;
    QStandardItemModel* model_;
    QSortFilterProxyModel* filter_;
    QTableView* table_;
};

}  // namespace taplink
