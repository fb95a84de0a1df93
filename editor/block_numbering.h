// What the program editor does with a typed character: let it through,
// insert something of its own instead (an upper-case address letter with its
// space, a line break with the next block number), or refuse it with a
// message. A pure function of the editor text, the caret, the model and the
// key, so every rule can be tested without a widget.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "messages.h"

namespace taplink {

inline constexpr char32_t kKeyBackspace = 8;
inline constexpr char32_t kKeyEnter = 13;

struct KeyDecision {
    enum Kind {
        PassThrough,  // the editor handles the key as it is
        Insert,       // insert `text` at the caret (CR LF for a line break)
        Refuse,       // insert nothing; show `message`
    };
    Kind kind = PassThrough;
    std::string text;
    Message message;
};

// text: the editor's text as bytes, CR LF line breaks (the copy the editor
// keeps); a position outside it reads as NUL. caret: the end of the
// selection, counted in that text. model: the model list's selection (0 is
// "R40/R60", which numbers blocks). key: the typed character.
KeyDecision DecideKey(std::string_view text, std::size_t caret, int model, char32_t key);

// The character a key stands for wherever it is typed: letters upper case,
// nothing for a character the editor refuses. Backspace and Enter are keys
// with effects of their own, not characters, and give nothing.
std::optional<char> PlainCharacter(char32_t key);

// The refusal messages.
namespace msg {
extern const Message kIllegalCharacter;
extern const Message kLineNumberWrong;
extern const Message kFileNumberWrong;
extern const Message kNextLineNumberWrong;
extern const Message kBlockNumberFull;
// More than the editor text holds (kEditorTextLimit bytes, CR LF counting two).
extern const Message kTooManyCharacters;
}  // namespace msg

}  // namespace taplink
