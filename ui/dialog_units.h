// Dialog units: the layout is given in units of the dialog font, a quarter of
// its average character width across and an eighth of its height down.
#pragma once

#include <QFont>
#include <QRect>

namespace taplink {

class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    int X(int dluX) const { return (dluX * baseX_ + 2) / 4; }
    int Y(int dluY) const { return (dluY * baseY_ + 4) / 8; }
    QRect Rect(int x, int y, int w, int h) const {
        return {X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y)};
    }

  private:
    int baseX_;
    int baseY_;
};

// The dialog font: 9 point, the Windows SimSun face where installed, else a
// CJK face that renders the Chinese texts.
QFont DialogFont();

// The editor's font: fixed pitch, so that hex displays and programs line up,
// with CJK glyphs for the Chinese of PLC comments.
QFont EditorFont();

}  // namespace taplink
