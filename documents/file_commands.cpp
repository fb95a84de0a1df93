#include "file_commands.h"

#include <algorithm>
#include <variant>

#include "file_io.h"
#include "hex_display.h"
#include "ladder.h"

namespace taplink {

namespace msg {
const Message kNoMemoryImage{"Binary system document does not exists , has no way to preserve!",
                             std::string(kAppName), MessageIcon::None};
}  // namespace msg

namespace {

constexpr std::uint8_t kFrameStart = 0x11;
constexpr std::size_t kFrameHeader = 3;

std::string LowerExtension(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos) return {};
    std::string ext = name.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
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
    for (std::size_t at = 0; at + 8 <= image.size(); at += 8) {
        AppendHexLine(display, image.data() + at, 8, at);
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
    bool loaded = false;
    switch (model) {
        case kModelR40: loaded = OpenR40(*path); break;
        case kModelR80: loaded = OpenR80(*path); break;
        case kModelMemory: loaded = OpenMemory(*path); break;
        default: break;
    }
    if (loaded) win_.TextToEditor(st_.m_strText);
}

bool FileCommands::OpenR40(const std::string& path) {
    const FileRead r = ReadFileBytes(path);
    if (!r.ok) {
        Show(ReadFailedMessage(path, r.error));
        return false;
    }
    st_.m_nDocKind = kDocNone;
    st_.m_strText = r.bytes;
    return true;
}

bool FileCommands::OpenR80(const std::string& chosen) {
    const char last = chosen.back();
    std::string path = chosen;
    if (last == '2') path += ".txt";  // a new-format ladder file: its text companion
    const FileRead r = ReadFileBytes(path);
    if (!r.ok) {
        Show(msg::kPlcDocumentMissing);
        return false;
    }
    st_.m_strDocPath = chosen;
    st_.m_strDocFileText = r.bytes;
    if (last == 'x') {
        auto section = LoadLadderSection(r.bytes);
        if (const Message* damaged = std::get_if<Message>(&section)) {
            Show(*damaged);
            return false;
        }
        std::string& text = std::get<std::string>(section);
        // An empty section has nothing to show.
        if (text.empty()) return false;
        st_.m_nDocKind = kDocLadder;
        st_.m_strText = "%999\r\n" + text;
    } else if (last == '2') {
        st_.m_nDocKind = kDocNewLadder;
        st_.m_strText = "%999\r\n" + r.bytes;
    } else {
        st_.m_nDocKind = kDocText;
        st_.m_strText = r.bytes;
    }
    return true;
}

bool FileCommands::OpenMemory(const std::string& path) {
    const FileRead r = ReadFileBytes(path);
    if (!r.ok) {
        Show(ReadFailedMessage(path, r.error));
        return false;
    }
    st_.m_nDocKind = kDocNone;
    st_.m_memImage.assign(r.bytes.begin(), r.bytes.end());
    st_.m_strText = MemoryImageDisplay(st_.m_memImage);
    return true;
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
    if (ext == "ldx") return SaveLadder(*path);
    return SaveMemoryImage(*path);
}

bool FileCommands::SaveText(const std::string& path) {
    if (const auto why = WriteFileBytes(path, st_.m_strText)) {
        Show(WriteFailedMessage(path, *why));
        return false;
    }
    return true;
}

bool FileCommands::SaveLadder(const std::string& path) {
    const FileRead old = ReadFileBytes(path);
    if (old.ok) {
        // The backup comes first, whole, whatever the checks say after.
        const std::string backup = LadderBackupPath(path);
        if (const auto why = WriteFileBytes(backup, old.bytes)) {
            Show(WriteFailedMessage(backup, *why));
            return false;
        }
    }
    auto merged = MergeIntoLadder(old.ok ? old.bytes : std::string{}, st_.m_strText);
    if (const Message* refused = std::get_if<Message>(&merged)) {
        Show(*refused);
        return false;
    }
    if (const auto why = WriteFileAtomically(path, std::get<std::string>(merged))) {
        Show(WriteFailedMessage(path, *why));
        return false;
    }
    return true;
}

bool FileCommands::SaveMemoryImage(const std::string& path) {
    Bytes& image = st_.m_memImage;
    if (image.empty()) {
        Show(msg::kNoMemoryImage);
        return false;
    }
    // A received image still carries its frame's head.
    if (image[0] == kFrameStart) {
        image.erase(image.begin(),
                    image.begin() + static_cast<long>(std::min(kFrameHeader, image.size())));
    }
    if (const auto why = WriteFileBytes(path, std::string(image.begin(), image.end()))) {
        Show(WriteFailedMessage(path, *why));
        return false;
    }
    return true;
}

}  // namespace taplink
