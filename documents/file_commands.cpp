#include "file_commands.h"

#include <algorithm>
#include <variant>

#include <cerrno>

#include "file_io.h"
#include "hex_display.h"
#include "ladder.h"
#include "send_checks.h"

namespace taplink {

namespace msg {
const Message kNoMemoryImage{
    TAPLINK_TEXT("Messages", "Binary system document does not exists , has no way to preserve!"),
    std::string(kAppName), MessageIcon::None};
const Message kLadderEmpty{
    TAPLINK_TEXT("Messages", "The ladder document holds no instructions: nothing to show."),
    std::string(kAppName), MessageIcon::None};
}  // namespace msg

namespace {

// The protocol byte and the length in front of a received image.
constexpr std::size_t kFrameHeader = 3;

}  // namespace

Message ReadFailedMessage(const std::string& path, const std::string& why) {
    return Composed(TAPLINK_TEXT("Messages", "Cannot read the file %1.\nError: %2"), {path, why},
                    std::string(kAppName), MessageIcon::Stop);
}

Message WriteFailedMessage(const std::string& path, const std::string& why) {
    return Composed(TAPLINK_TEXT("Messages", "Cannot write the file %1.\nError: %2"), {path, why},
                    std::string(kAppName), MessageIcon::Stop);
}

std::string MemoryImageDisplay(const Bytes& image) {
    std::string display;
    display.reserve(image.size() / 8 * (kDisplayLineLength + 1));
    for (std::size_t at = 0; at < image.size(); at += 8) {
        AppendHexLine(display, image.data() + at, std::min<std::size_t>(8, image.size() - at), at);
    }
    return display;
}

void FileCommands::OnOpenFile() {
    const int model = model_();
    st_.m_strText = win_.TextFromEditor();
    if (!st_.m_strText.empty() && win_.AskSaveQuery() == 1) {
        // A save that is cancelled or fails ends the Open: the operator
        // wanted the text kept somewhere first.
        if (!OnSaveFile()) return;
    }
    const char* filter = model == kModelR80      ? kOpenFilterR80
                         : model == kModelMemory ? kOpenFilterMemory
                                                 : kOpenFilterR40;
    const char* ext = model == kModelR80 ? "ldx" : model == kModelMemory ? "hex" : "txt";
    const auto path = win_.AskFile({false, filter, ext});
    if (!path) return;
    if (const auto failed = LoadDocumentFile(model, *path, st_)) {
        Show(*failed);
        return;
    }
    win_.TextToEditor(st_.m_strText);
}

std::optional<Message> LoadDocumentFile(int model, const std::string& chosen, DialogState& st) {
    if (chosen.empty()) return msg::kPlcDocumentMissing;
    const std::string ext = LowerExtension(chosen);
    std::string path = chosen;
    // A new-format ladder file is read through its text companion.
    if (model == kModelR80 && ext == "ld2") path += ".txt";
    // An image longer than a frame opens and saves; only Send refuses it.
    const FileRead r =
        ReadFileBytes(path, model == kModelMemory ? kMaxImageFile : kMaxDocumentFile);
    if (!r.ok) {
        // A document that is not there is the "not found" of the R80 model;
        // any other failure says why.
        return model == kModelR80 && r.errorCode == ENOENT ? msg::kPlcDocumentMissing
                                                           : ReadFailedMessage(path, r.error);
    }
    if (model == kModelMemory) {
        st.m_nDocKind = kDocNone;
        st.m_bImageIsFrame = false;  // written back byte for byte
        st.m_memImage.assign(r.bytes.begin(), r.bytes.end());
        st.m_strText = MemoryImageDisplay(st.m_memImage);
        return std::nullopt;
    }
    if (model != kModelR80) {
        st.m_nDocKind = kDocNone;
        st.m_strText = r.bytes;
        return std::nullopt;
    }
    if (ext == "ldx") {
        auto section = LoadLadderSection(r.bytes);
        if (const Message* damaged = std::get_if<Message>(&section)) return *damaged;
        const std::string& text = std::get<std::string>(section);
        if (text.empty()) return msg::kLadderEmpty;
        st.m_nDocKind = kDocLadder;
        st.m_strText = "%999\r\n" + text;
    } else if (ext == "ld2") {
        st.m_nDocKind = kDocNewLadder;
        st.m_strText = "%999\r\n" + r.bytes;
    } else {
        st.m_nDocKind = kDocText;
        st.m_strText = r.bytes;
    }
    st.m_strDocPath = chosen;
    st.m_strDocFileText = r.bytes;
    return std::nullopt;
}

bool FileCommands::OnSaveFile() {
    const int model = model_();
    const char* filter = model == kModelR80      ? kSaveFilterR80
                         : model == kModelMemory ? kSaveFilterMemory
                                                 : kSaveFilterR40;
    st_.m_strText = win_.TextFromEditor();
    const auto path = win_.AskFile({true, filter, "txt"});
    if (!path) return false;
    const std::string ext = LowerExtension(*path);
    if (ext.empty()) return false;
    if (ext == "txt") return SaveText(*path);
    if (ext == "ldx") {
        if (const auto failed = SaveLadderDocument(*path, st_.m_strText)) {
            Show(failed->message);
            return false;
        }
        return true;
    }
    return SaveMemoryImage(*path);
}

bool FileCommands::SaveText(const std::string& path) {
    if (const auto why = WriteFileBytes(path, st_.m_strText)) {
        Show(WriteFailedMessage(path, *why));
        return false;
    }
    return true;
}

std::optional<SaveFailure> SaveLadderDocument(const std::string& path, const std::string& e) {
    const FileRead old = ReadFileBytes(path);
    // A document that is not there yet is refused by the merge; one that
    // cannot be read says why.
    if (!old.ok && old.errorCode != ENOENT) {
        return SaveFailure{ReadFailedMessage(path, old.error), true};
    }
    auto merged = MergeIntoLadder(old.ok ? old.bytes : std::string{}, e);
    if (const Message* refused = std::get_if<Message>(&merged)) {
        return SaveFailure{*refused, false};
    }
    // The backup is made only for a save that goes ahead: a refused one
    // leaves the previous backup as it was. A backup that cannot be made
    // stops the save.
    const std::string backup = LadderBackupPath(path);
    if (const auto why = WriteFileBytes(backup, old.bytes)) {
        return SaveFailure{WriteFailedMessage(backup, *why), true};
    }
    if (const auto why = WriteFileBytes(path, std::get<std::string>(merged))) {
        return SaveFailure{WriteFailedMessage(path, *why), true};
    }
    return std::nullopt;
}

bool FileCommands::SaveMemoryImage(const std::string& path) {
    // Only a frame from the controller carries a head that is not memory.
    const Bytes& image = st_.m_memImage;
    const std::size_t from =
        st_.m_bImageIsFrame ? std::min(kFrameHeader, image.size()) : std::size_t{0};
    if (image.size() == from) {
        Show(msg::kNoMemoryImage);
        return false;
    }
    if (const auto why = WriteFileBytes(path, std::string(image.begin() + from, image.end()))) {
        Show(WriteFailedMessage(path, *why));
        return false;
    }
    return true;
}

}  // namespace taplink
