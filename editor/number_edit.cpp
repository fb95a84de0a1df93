#include "number_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTextBlock>

#include "block_numbering.h"
#include "text_codec.h"

namespace taplink {

CNumberEdit::CNumberEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

std::size_t CNumberEdit::CaretInText() const {
    const int end = textCursor().selectionEnd();
    return EditorTextToBytes(document()->toRawText().left(end)).size();
}

void CNumberEdit::SetTextFromProgram(const QString& text) {
    fromProgram_ = true;
    setPlainText(text);
    fromProgram_ = false;
}

int CNumberEdit::LengthInText() const {
    // Characters, with each line break counted as CR LF.
    return document()->characterCount() - 1 + document()->blockCount() - 1;
}

void CNumberEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers shortcuts =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = event->text();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Editing keys, shortcuts (paste among them) and focus keys are the
    // editor's own; Escape is no character to insert.
    if ((text.isEmpty() && !enter) || (event->modifiers() & shortcuts) ||
        event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
        event->key() == Qt::Key_Escape || event->key() == Qt::Key_Delete) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    if (enter) {
        TypeCharacter(event, kKeyEnter);
        return;
    }
    for (const char32_t key : text.toUcs4()) {
        if (!TypeCharacter(event, key)) return;
    }
}

bool CNumberEdit::TypeCharacter(QKeyEvent* event, char32_t key) {
    static const std::string kNone;
    const std::string& copy = hooks_.textCopy ? hooks_.textCopy() : kNone;
    const int model = hooks_.model ? hooks_.model() : 0;
    const KeyDecision d = DecideKey(copy, CaretInText(), model, key);
    if (d.kind == KeyDecision::Refuse) {
        if (hooks_.show) hooks_.show(d.message);
        return false;
    }
    if (key == kKeyBackspace) {
        QPlainTextEdit::keyPressEvent(event);
        return true;
    }
    const QString insert =
        d.kind == KeyDecision::Insert
            ? BytesToEditorText(d.text)
            : (key == kKeyEnter ? QStringLiteral("\n") : QString::fromUcs4(&key, 1));
    const int grows = static_cast<int>(insert.size() + insert.count(QChar('\n'))) -
                      static_cast<int>(textCursor().selectedText().size());
    if (LengthInText() + grows > kTypingLimit) {
        QApplication::beep();
        return false;
    }
    // In one piece: one change, after which the window's copy of the text
    // holds all of it.
    QTextCursor cursor = textCursor();
    cursor.insertText(insert);
    setTextCursor(cursor);
    ensureCursorVisible();
    return true;
}

}  // namespace taplink
