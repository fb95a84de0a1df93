// The Open and Save commands, per model, over the window services: file
// dialogs with their filters, the save query before a load, the document
// kinds that Send reads, and every message of the file formats.
#pragma once

#include <functional>
#include <string_view>

#include "dialog_state.h"
#include "window_services.h"

namespace taplink {

// The filters, as the dialogs are asked for them. Open ends with every file:
// a program called PROG, with no extension at all, opens as a text document.
inline constexpr const char* kOpenFilterR40 = "G指令文件(*.txt)|*.txt|所有文件(*)|*||";
inline constexpr const char* kOpenFilterR80 =
    "G指令文件(*.txt)|*.txt|PLC文件(*.ldx)|*.ldx|新PLC文件(*.ld2)|*.ld2|所有文件(*)|*||";
inline constexpr const char* kOpenFilterMemory =
    "二进制文件(*.hex)|*.hex|二进制文件(*.tmp)|*.tmp|所有文件(*)|*||";
inline constexpr const char* kSaveFilterR40 = "Text File(*.txt)|*.txt||";
inline constexpr const char* kSaveFilterR80 = "G指令文件(*.txt)|*.txt|PLC文件(*.ldx)|*.ldx||";
inline constexpr const char* kSaveFilterMemory =
    "二进制文件(*.hex)|*.hex|二进制文件(*.tmp)|*.tmp||";

// The filters' names, which the dialogs show translated.
inline constexpr std::string_view kFilterNames[] = {
    TAPLINK_TEXT("Messages", "G指令文件(*.txt)"),  TAPLINK_TEXT("Messages", "所有文件(*)"),
    TAPLINK_TEXT("Messages", "PLC文件(*.ldx)"),    TAPLINK_TEXT("Messages", "新PLC文件(*.ld2)"),
    TAPLINK_TEXT("Messages", "二进制文件(*.hex)"), TAPLINK_TEXT("Messages", "二进制文件(*.tmp)"),
    TAPLINK_TEXT("Messages", "Text File(*.txt)"),
};

// Every name of a filter is in kFilterNames, so that none shows untranslated.
consteval bool FilterNamesListed(std::string_view filter) {
    for (std::size_t at = 0; at < filter.size() && filter[at] != '|';) {
        const std::size_t end = filter.find('|', at);
        const std::string_view name = filter.substr(at, end - at);
        bool listed = false;
        for (const std::string_view known : kFilterNames)
            listed = listed || known == name;
        if (!listed) return false;
        at = filter.find('|', end + 1) + 1;  // past the pattern
    }
    return true;
}
static_assert(FilterNamesListed(kOpenFilterR40) && FilterNamesListed(kOpenFilterR80) &&
              FilterNamesListed(kOpenFilterMemory) && FilterNamesListed(kSaveFilterR40) &&
              FilterNamesListed(kSaveFilterR80) && FilterNamesListed(kSaveFilterMemory));

namespace msg {
extern const Message kNoMemoryImage;
extern const Message kLadderEmpty;
}  // namespace msg

// The file messages that name a file and the system's reason.
Message ReadFailedMessage(const std::string& path, const std::string& why);
Message WriteFailedMessage(const std::string& path, const std::string& why);

// The memory image shown as the hex display: a full line for each group of
// eight bytes from the start of the file, and a last line for what is left,
// so that every byte is shown and sent.
std::string MemoryImageDisplay(const Bytes& image);

// Loads a document file as Open does for the model: the editor text, the
// document kind and, for "Memory", the image. Nothing in st changes on
// failure; the message says why.
std::optional<Message> LoadDocumentFile(int model, const std::string& path, DialogState& st);

// Why a ladder document was not written: the message, and whether a file
// could not be written (rather than the text being refused).
struct SaveFailure {
    Message message;
    bool fileError = false;
};

// Writes the PLC text document e into the ladder document at path: the
// backup first (whole), then the checks, then the document, each whole or
// not at all. Says why nothing (or only the backup) was written.
std::optional<SaveFailure> SaveLadderDocument(const std::string& path, const std::string& e);

class FileCommands {
  public:
    FileCommands(WindowServices& win, DialogState& st, std::function<int()> model)
        : win_(win), st_(st), model_(std::move(model)) {}

    // "Open File(&F)". Nothing the operator has is dropped until a new
    // document has been loaded.
    void OnOpenFile();
    // "Save File(&S)". True when the document was written.
    bool OnSaveFile();

  private:
    bool SaveText(const std::string& path);
    bool SaveMemoryImage(const std::string& path);
    void Show(const Message& m) { win_.ShowMessage(m); }

    WindowServices& win_;
    DialogState& st_;
    std::function<int()> model_;
};

}  // namespace taplink
