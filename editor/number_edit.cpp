#include "number_edit.h"

#include <QApplication>
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

// Whether the base editor would put the key's text in: Qt's own rule, under
// which Ctrl alone inserts nothing but Alt, Ctrl+Alt and Meta do.
bool PutsTextIn(const QKeyEvent& e) {
    const QString text = e.text();
    if (text.isEmpty()) return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format) return true;
    const Qt::KeyboardModifiers m = e.modifiers();
    if (m == Qt::ControlModifier || m == (Qt::ShiftModifier | Qt::ControlModifier)) return false;
    return c.isPrint() || c.category() == QChar::Other_PrivateUse || c.isHighSurrogate() ||
           c == QLatin1Char('\t');
}

// One of the platform's standard key sequences (copy, paste, undo, word
// moves...), which the base editor acts on rather than inserting.
bool IsStandardKey(const QKeyEvent& e) {
    for (int k = QKeySequence::HelpContents; k <= QKeySequence::Cancel; ++k) {
        if (e.matches(static_cast<QKeySequence::StandardKey>(k))) return true;
    }
    return false;
}

// Where a pasted or dropped text holds a character the editor refuses.
struct RefusedCharacter {
    char32_t c;
    std::size_t line, column;  // from 1, in the pasted text
};

// A pasted or dropped text as the editor takes it: line ends of every kind
// as the editor's line breaks, letters upper case; or its first character
// that typing would refuse. It is not typing: no spaces are added and no
// block is numbered.
struct PastedText {
    QString text;
    std::optional<RefusedCharacter> refused;
};

PastedText Pasted(const QString& source) {
    const std::u32string text = source.toStdU32String();
    PastedText out;
    std::size_t line = 1, column = 0;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char32_t c = text[k];
        if (c == '\r' || c == '\n' || c == kLineSeparator || c == kParagraphSeparator) {
            if (c == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
            out.text += QChar('\n');
            ++line;
            column = 0;
            continue;
        }
        ++column;
        const std::optional<char> plain = PlainCharacter(c);
        if (!plain) return {{}, RefusedCharacter{c, line, column}};
        out.text += QChar(*plain);
    }
    return out;
}

// The refusal of a whole text, naming the character that refused it: the
// refusal of a typed character, and where the text refused.
Message Refusal(const RefusedCharacter& r, bool pasted) {
    const QString code = QStringLiteral("U+%1").arg(static_cast<uint>(r.c), 4, 16, QChar('0'));
    const QString name =
        QChar::isPrint(r.c)
            ? QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&r.c, 1), code.toUpper())
            : code.toUpper();
    const char* pattern =
        pasted
            ? QT_TRANSLATE_NOOP(
                  "Messages", "您输入的是非法字符!\n%1 at line %2, column %3: nothing was pasted.")
            : QT_TRANSLATE_NOOP("Messages",
                                "您输入的是非法字符!\n%1 at line %2, column %3: nothing was "
                                "dropped.");
    const Message& typed = msg::kIllegalCharacter;
    return Composed(pattern, {name.toStdString(), std::to_string(r.line), std::to_string(r.column)},
                    typed.caption, typed.icon);
}

}  // namespace

CNumberEdit::CNumberEdit(QWidget* parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(true);
}

std::size_t CNumberEdit::CaretInText() const {
    const QString raw = document()->toRawText();
    return EditorByteCount(QStringView(raw).left(textCursor().selectionEnd()));
}

void CNumberEdit::SetTextFromProgram(const QString& text) {
    fromProgram_ = true;
    setPlainText(text);
    // Nothing the operator could lose: it came from a file or the controller.
    document()->setModified(false);
    fromProgram_ = false;
}

void CNumberEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const int key = event->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const bool modified =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Enter with any modifier would break the line; a modified key that puts
    // a character in (Alt+h puts h) is typing like any other. What is left
    // is the editor's own: editing and moving keys, copy, paste, undo (whose
    // text is a control code or nothing), focus keys, Escape.
    const bool typed = enter || (!modified ? !text.isEmpty() && key != Qt::Key_Tab &&
                                                 key != Qt::Key_Backtab && key != Qt::Key_Escape &&
                                                 key != Qt::Key_Delete && key != Qt::Key_Backspace
                                           : PutsTextIn(*event) && !IsStandardKey(*event));
    if (!typed) {
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
    const PastedText pasted = Pasted(source->text());
    if (pasted.refused) {
        Show(Refusal(*pasted.refused, true));
        return;
    }
    if (pasted.text.isEmpty() || !Fits(EditorByteCount(pasted.text))) return;
    QMimeData plain;
    plain.setText(pasted.text);
    QPlainTextEdit::insertFromMimeData(&plain);
}

void CNumberEdit::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    const auto refused = data->hasText() ? Pasted(data->text()).refused : std::nullopt;
    if (!refused) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    // Refused before the base takes it: a text moved within the editor
    // stays where it was, and the drop caret goes.
    event->ignore();
    QDragLeaveEvent leave;
    QPlainTextEdit::dragLeaveEvent(&leave);
    // Said once the drag is over: its source may still be waiting for the
    // answer.
    QMetaObject::invokeMethod(
        this, [this, m = Refusal(*refused, false)] { Show(m); }, Qt::QueuedConnection);
}

std::optional<std::string> CNumberEdit::Typed(const std::u32string& keys) {
    static const std::string kNone;
    // The window's copy, read in place: a key in a long program copies
    // nothing it need not.
    std::string_view text = hooks_.textCopy ? hooks_.textCopy() : kNone;
    std::string edited;  // the text as the keys after the first see it
    const int model = hooks_.model ? hooks_.model() : 0;
    const QString raw = document()->toRawText();
    const QTextCursor cursor = textCursor();
    std::size_t caret = EditorByteCount(QStringView(raw).left(cursor.selectionEnd()));
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
        if (keys.size() > 1) {
            if (k == 0) {
                // The first character replaces the selection; the keys after
                // it see the text as it is then, as the window's copy would be.
                edited = EditorTextToBytes(QStringView(raw).left(cursor.selectionStart()));
                caret = edited.size();
                edited += EditorTextToBytes(QStringView(raw).mid(cursor.selectionEnd()));
            }
            edited.insert(caret, piece);
            text = edited;
        }
        caret += piece.size();
        insert += piece;
    }
    if (!Fits(insert.size(), raw)) return std::nullopt;
    return insert;
}

bool CNumberEdit::Fits(std::size_t insertBytes) {
    return Fits(insertBytes, document()->toRawText());
}

bool CNumberEdit::Fits(std::size_t insertBytes, const QString& raw) {
    // Counted as the program keeps the text: bytes, CR LF counting two.
    const QTextCursor c = textCursor();
    const std::size_t length = EditorByteCount(raw);
    const std::size_t selected = EditorByteCount(
        QStringView(raw).mid(c.selectionStart(), c.selectionEnd() - c.selectionStart()));
    if (insertBytes <= selected || length - selected + insertBytes <= kEditorTextLimit) return true;
    // The control's input limit takes nothing more, as an edit control's
    // does; its message is for a text that was loaded past the limit.
    if (length > kEditorTextLimit) {
        Show(msg::kTooManyCharacters);
    } else {
        QApplication::beep();
    }
    return false;
}

void CNumberEdit::Show(const Message& message) const {
    if (hooks_.show) hooks_.show(message);
}

}  // namespace taplink
