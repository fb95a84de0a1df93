#include "file_commands.h"

#include <algorithm>
#include <variant>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "file_io.h"
#include "hex_display.h"
#include "ladder.h"
#include "send_checks.h"

namespace taplink {

namespace msg {
const Message kNoMemoryImage{"Binary system document does not exists , has no way to preserve!",
                             std::string(kAppName), MessageIcon::None};
const Message kLadderEmpty{"The ladder document holds no instructions: nothing to show.",
                           std::string(kAppName), MessageIcon::None};
}  // namespace msg

namespace {

constexpr std::uint8_t kFrameStart = 0x11;
constexpr std::size_t kFrameHeader = 3;

// A received image still carries its frame's head: the start byte and a
// length that announces exactly the bytes after it. An image read from a
// file may begin with the same byte; its bytes are all kept.
bool IsReceivedFrame(const Bytes& image) {
    return image.size() >= kFrameHeader && image[0] == kFrameStart &&
           image[1] + 256u * image[2] == image.size() - kFrameHeader;
}

}  // namespace

Message ReadFailedMessage(const std::string& path, const std::string& why) {
    return {"Cannot read the file " + path + ".\nError: " + why, std::string(kAppName),
            MessageIcon::Stop};
}

Message WriteFailedMessage(const std::string& path, const std::string& why) {
    return {"Cannot write the file " + path + ".\nError: " + why, std::string(kAppName),
            MessageIcon::Stop};
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
    // An image that no frame can carry is refused before it is read.
    struct stat info {};
    if (model == kModelMemory && ::stat(path.c_str(), &info) == 0 &&
        static_cast<std::uintmax_t>(info.st_size) > kMaxFrameLength) {
        return msg::kMemoryFrameTooLong;
    }
    const FileRead r = ReadFileBytes(path);
    if (!r.ok) {
        // A document that is not there is the "not found" of the R80 model;
        // any other failure says why.
        const bool missing = r.error == std::strerror(ENOENT);
        return model == kModelR80 && missing ? msg::kPlcDocumentMissing
                                             : ReadFailedMessage(path, r.error);
    }
    if (model == kModelMemory) {
        st.m_nDocKind = kDocNone;
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
    if (old.ok) {
        // The backup comes first, whole, whatever the checks say after.
        const std::string backup = LadderBackupPath(path);
        if (const auto why = WriteFileBytes(backup, old.bytes)) {
            return SaveFailure{WriteFailedMessage(backup, *why), true};
        }
    }
    auto merged = MergeIntoLadder(old.ok ? old.bytes : std::string{}, e);
    if (const Message* refused = std::get_if<Message>(&merged)) {
        return SaveFailure{*refused, false};
    }
    if (const auto why = WriteFileBytes(path, std::get<std::string>(merged))) {
        return SaveFailure{WriteFailedMessage(path, *why), true};
    }
    return std::nullopt;
}

bool FileCommands::SaveMemoryImage(const std::string& path) {
    Bytes& image = st_.m_memImage;
    if (image.empty()) {
        Show(msg::kNoMemoryImage);
        return false;
    }
    if (IsReceivedFrame(image)) image.erase(image.begin(), image.begin() + kFrameHeader);
    if (const auto why = WriteFileBytes(path, std::string(image.begin(), image.end()))) {
        Show(WriteFailedMessage(path, *why));
        return false;
    }
    return true;
}

}  // namespace taplink
