// The lines (or display lines of an image) in which the controller's copy
// differs from what was sent, side by side, in a window the operator closes.
#pragma once

#include <QDialog>

#include "verify.h"

namespace taplink {

class VerifyView : public QDialog {
    Q_OBJECT
  public:
    VerifyView(const VerifyResult& result, bool image, QWidget* parent = nullptr);
};

}  // namespace taplink
