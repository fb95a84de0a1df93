// The question before a load replaces the editor's text.
#pragma once

#include <QDialog>

namespace taplink {

class CSaveQueryDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSaveQueryDlg(QWidget* parent = nullptr);
};

}  // namespace taplink
