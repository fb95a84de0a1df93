#include "number_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>

#include "block_numbering.h"
#include "dialog_state.h"
#include "text_codec.h"

namespace taplink {
namespace {

constexpr char32_t kLineSeparator = 0x2028;
constexpr char32_t kParagraphSeparator = 0x2029;

}  // namespace

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

void CNumberEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers shortcuts =
        Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    const QString text = event->text();
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Editing keys, shortcuts (paste among them) and focus keys are the
    // editor's own; Escape is no character to insert.
    if ((text.isEmpty() && !enter) || (event->modifiers() & shortcuts) ||
        event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
        event->key() == Qt::Key_Escape || event->key() == Qt::Key_Delete ||
        event->key() == Qt::Key_Backspace) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const auto insert = Typed(enter ? std::u32string(1, kKeyEnter) : text.toStdU32String());
    if (!insert) return;
    // In one piece: one change, after which the window's copy of the text
    // holds all of it.
    QTextCursor cursor = textCursor();
    cursor.insertText(BytesToEditorText(*insert));
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CNumberEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The composition goes on showing as the input method has it; what it
    // commits is typed, all of it or none.
    QInputMethodEvent typed(event->preeditString(), event->attributes());
    if (const auto insert = Typed(event->commitString().toStdU32String())) {
        typed.setCommitString(BytesToEditorText(*insert), event->replacementStart(),
                              event->replacementLength());
    }
    QPlainTextEdit::inputMethodEvent(&typed);
    event->setAccepted(typed.isAccepted());
}

bool CNumberEdit::canInsertFromMimeData(const QMimeData* source) const {
    return source->hasText();
}

void CNumberEdit::insertFromMimeData(const QMimeData* source) {
    if (!source->hasText()) return;
    // A paste is not typing: no spaces are added and no block is numbered.
    // Line ends of every kind become the editor's line breaks.
    const std::u32string text = source->text().toStdU32String();
    QString clean;
    bool refused = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char32_t c = text[k];
        if (c == '\r' || c == '\n' || c == kLineSeparator || c == kParagraphSeparator) {
            if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
            clean += QChar('\n');
        } else if (const std::optional<char> plain = PlainCharacter(c)) {
            clean += QChar(*plain);
        } else {
            refused = true;
        }
    }
    if (!Fits(EditorTextToBytes(clean).size())) return;
    if (!clean.isEmpty()) {
        QMimeData plain;
        plain.setText(clean);
        QPlainTextEdit::insertFromMimeData(&plain);
    }
    if (refused) Show(msg::kIllegalCharacter);
}

std::optional<std::string> CNumberEdit::Typed(const std::u32string& keys) {
    static const std::string kNone;
    std::string text = hooks_.textCopy ? hooks_.textCopy() : kNone;
    const int model = hooks_.model ? hooks_.model() : 0;
    std::size_t caret = CaretInText();
    std::string insert;
    for (std::size_t k = 0; k < keys.size(); ++k) {
        const char32_t key = keys[k];
        // Backspace among other characters is no editing key.
        const KeyDecision d = key == kKeyBackspace
                                  ? KeyDecision{KeyDecision::Refuse, {}, msg::kIllegalCharacter}
                                  : DecideKey(text, caret, model, key);
        if (d.kind == KeyDecision::Refuse) {
            Show(d.message);
            return std::nullopt;
        }
        const std::string piece = d.kind == KeyDecision::Insert ? d.text
                                  : key == kKeyEnter            ? std::string("\r\n")
                                                     : std::string(1, static_cast<char>(key));
        if (k == 0 && keys.size() > 1) {
            // The first character replaces the selection; the keys after it
            // see the text as it is then, as the window's copy would be.
            const QString raw = document()->toRawText();
            const QTextCursor c = textCursor();
            text = EditorTextToBytes(raw.left(c.selectionStart()));
            caret = text.size();
            text += EditorTextToBytes(raw.mid(c.selectionEnd()));
        }
        text.insert(caret, piece);
        caret += piece.size();
        insert += piece;
    }
    if (!Fits(insert.size())) return std::nullopt;
    return insert;
}

bool CNumberEdit::Fits(std::size_t insertBytes) {
    // Counted as the program keeps the text: bytes, CR LF counting two.
    const std::size_t length = EditorBytes(*this).size();
    const std::size_t selected = EditorTextToBytes(textCursor().selectedText()).size();
    if (insertBytes <= selected || length - selected + insertBytes <= kEditorTextLimit) return true;
    Show(msg::kTooManyCharacters);
    return false;
}

void CNumberEdit::Show(const Message& message) const {
    if (hooks_.show) hooks_.show(message);
}

}  // namespace taplink
