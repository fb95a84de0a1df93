#include "dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace taplink {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics fm(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    // The average of the Latin letters, rounded, as the dialog manager takes it.
    baseX_ = (fm.horizontalAdvance(sample) / 26 + 1) / 2;
    baseY_ = fm.height();
    if (baseX_ < 1) baseX_ = 1;
    if (baseY_ < 1) baseY_ = 1;
}

QFont DialogFont() {
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体"),
                      QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPointSize(9);
    return font;
}

QFont EditorFont() {
    QFont font;
    font.setFamilies({QStringLiteral("NSimSun"), QStringLiteral("WenQuanYi Zen Hei Mono"),
                      QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    return font;
}

}  // namespace taplink
