// The program editor: lets only the characters of a part program in, puts a
// space before each address word, upper-cases letters and, with "R40/R60"
// chosen, numbers blocks as the operator presses Enter. Text committed by an
// input method, or put in by a key with Alt or Meta, is typed key by key,
// and taken whole or not at all. A paste or a drop is not typing: it keeps
// its lines as they are, upper-cased, with CR LF line ends; one that holds a
// character the editor refuses is refused whole. Nothing the operator puts
// in takes the text past kEditorTextLimit bytes.
#pragma once

#include <QPlainTextEdit>
#include <functional>
#include <optional>
#include <string>

#include "messages.h"

namespace taplink {

class CNumberEdit : public QPlainTextEdit {
    Q_OBJECT
  public:
    // What the editor reads from its window, and how it shows a refusal.
    struct Hooks {
        std::function<const std::string&()> textCopy;  // the window's copy of the text
        std::function<int()> model;                    // the model list's selection
        std::function<void(const Message&)> show;
    };

    explicit CNumberEdit(QWidget* parent = nullptr);
    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // The caret (the end of the selection) as a position in the editor text:
    // bytes of the text as the program keeps it, CR LF counting two.
    std::size_t CaretInText() const;

    // Puts text in for the program (Open, Receive): no typing rules apply,
    // and the change is known not to be the operator's.
    void SetTextFromProgram(const QString& text);
    bool ChangingFromProgram() const { return fromProgram_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // What typing `keys` at the caret puts in place of the selection, as
    // bytes; nothing, after saying why, when any key is refused or the text
    // would grow past the limit.
    std::optional<std::string> Typed(const std::u32string& keys);
    // Whether insertBytes bytes may replace the selection of the editor
    // whose raw text is raw; refuses as the control's input limit does.
    bool Fits(std::size_t insertBytes);
    bool Fits(std::size_t insertBytes, const QString& raw);
    void Show(const Message& message) const;

    Hooks hooks_;
    bool fromProgram_ = false;
};

}  // namespace taplink
