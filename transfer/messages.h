// Every message the program shows, with its caption and icon, as data. The
// handlers return or show these; the window decides how they look.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "translatable.h"

namespace taplink {

// The application's name: the caption of messages that carry no caption of
// their own.
inline constexpr std::string_view kAppName = "TAPLINK";

// The window's title.
inline constexpr std::string_view kMainWindowCaption =
    TAPLINK_TEXT("taplink::CCncCommDlg", "QRNR40/R60/R80 Series CNC Communications Software V6.4");

enum class MessageIcon { None, Exclamation, Stop };

// The texts are the system's own; the catalogues look them up by the context
// "Messages" (text and caption alike). A text made from a pattern and values
// keeps both, so that a translation can place the values where its language
// wants them.
struct Message {
    std::string text;
    std::string caption;
    MessageIcon icon = MessageIcon::None;
    // With %1, %2, ...: what a translation is looked up by. Composed makes
    // the text from it; a text made otherwise (with plurals, say) keeps its
    // own and shows it while the pattern has no translation.
    std::string pattern = {};
    std::vector<std::string> args = {};  // the values of %1, %2, ...
    // Bit k: args[k] is itself a marked text (an operation, a reason), to be
    // translated too; other values (paths, numbers) are shown as they are.
    unsigned textArgs = 0;
    // Which of the translations of one text: a translation may say more than
    // the original (a time-out's seconds, from args) where the original says
    // the same for several cases.
    std::string variant = {};

    // What the operator reads: the pattern is how it was made.
    friend bool operator==(const Message& a, const Message& b) {
        return a.text == b.text && a.caption == b.caption && a.icon == b.icon;
    }
};

// A message whose text is pattern filled with args.
Message Composed(std::string pattern, std::vector<std::string> args, std::string caption,
                 MessageIcon icon, unsigned textArgs = 0);

namespace msg {

// Start-up: the serial backend could not be created.
extern const Message kSerialBackendMissing;

// Send checks.
extern const Message kEmptyDocument;
extern const Message kLoneCarriageReturn;
extern const Message kProgramNumber;
extern const Message kProgramFrameTooLong;
extern const Message kR80DocumentNumber;
extern const Message kR80ProgramRange;
extern const Message kR80TooLarge;
extern const Message kR80LineAfterNumber;
extern const Message kR80LadderTooShort;
extern const Message kR80LadderLineAfterNumber;
extern const Message kR80HeadOfficeDigits;
extern const Message kR80HeadOfficeLineEnd;
extern const Message kMemoryEmpty;
extern const Message kMemoryFrameTooLong;

// Received frames.
extern const Message kTakingOverFinished;
// The message as a program without an editor (a station, taplink-cli) shows
// and records it: the same text, looked up in the catalogues by a variant
// where the window's translation speaks of the editor.
Message WithoutEditor(Message message);
extern const Message kWrongStart;

// Transfer ends.
extern const Message kProgramSent;  // "R40/R60"
extern const Message kMemorySent;   // "Memory"
extern const Message kNotReady;
// kNotReady, told apart for the translations: a receive, or a send, and how
// long the controller was waited for.
Message NotReady(bool receiving, long long seconds);

// What the serial control reported when the line went (kLostConnection's
// text, or one of its own), with a stop icon.
Message LineFailure(const std::string& what);
extern const Message kNoResponse;
// A send whose bytes the line stopped taking (held by XOFF or CTS, or not
// read by the far end) for the no-response time.
extern const Message kStoppedTaking;
extern const Message kSendingFinished;  // "R80"
extern const Message kProcedureNumberWrong;

}  // namespace msg
}  // namespace taplink
