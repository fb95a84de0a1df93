// The program editor: lets only the characters of a part program in, puts a
// space before each address word, upper-cases letters and, with "R40/R60"
// chosen, numbers blocks as the operator presses Enter. Paste is not
// filtered.
#pragma once

#include <QPlainTextEdit>
#include <functional>
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

    // The most characters the operator can type in (line breaks count two).
    static constexpr int kTypingLimit = 99999;

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

  private:
    bool TypeCharacter(QKeyEvent* event, char32_t key);
    int LengthInText() const;

    Hooks hooks_;
    bool fromProgram_ = false;
};

}  // namespace taplink
