// The program editor: a multi-line plain-text editor without line wrapping.
#pragma once

#include <QPlainTextEdit>

namespace taplink {

class CNumberEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    explicit CNumberEdit(QWidget* parent = nullptr);
};

}  // namespace taplink
