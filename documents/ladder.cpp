#include "ladder.h"

#include <algorithm>

namespace taplink {

namespace msg {
namespace {
const std::string kApp(kAppName);
}  // namespace

const Message kPlcDocumentMissing{
    TAPLINK_TEXT(
        "Messages",
        "Do not discover the PLC document,Examine that the document is entire or not please!"),
    TAPLINK_TEXT("Messages", "Notice!"), MessageIcon::Exclamation};
const Message kLadderDamaged{TAPLINK_TEXT("Messages", "Document content damages!"),
                             TAPLINK_TEXT("Messages", "Warning!"), MessageIcon::Stop};
const Message kNotALadderDocument{
    TAPLINK_TEXT("Messages",
                 "This document is not identification a ldx of correct PLC ladder diagram software "
                 "document,Have no way to cover!"),
    kApp, MessageIcon::None};
const Message kPlcMustBegin999{TAPLINK_TEXT("Messages",
                                            "The PLC document must begin from the document "
                                            "number,And the document number must be %999!"),
                               kApp, MessageIcon::None};
const Message kPlcNeedsEnd1End2{
    TAPLINK_TEXT(
        "Messages",
        "Ask the document storing to be short of necessary END1 of standard PLC document or END2 "
        "instruction,The wrong document has no way to cover!"),
    kApp, MessageIcon::None};
const Message kPlcLayoutWrong{
    TAPLINK_TEXT("Messages",
                 "The file layout waiting for memory is wrong,Memory has no way to carry out!"),
    kApp, MessageIcon::None};
const Message kPlcLineEndAfterNumber{
    TAPLINK_TEXT("Messages",
                 "Carriage return starts data of the head office number queen be obliged to!"),
    kApp, MessageIcon::None};
const Message kPlcHeadOfficeDigits{TAPLINK_TEXT("Messages",
                                                "The 2nd row of data are PLC document head office "
                                                "numbers,It must be 8 figures,Insufficient "
                                                "can have 0 added in at the head!"),
                                   kApp, MessageIcon::None};
const Message kPlcHeadOfficeZero{
    TAPLINK_TEXT(
        "Messages",
        "The head office number is 00000000: the PLC document has no steps, nothing was written!"),
    kApp, MessageIcon::None};
}  // namespace msg

namespace {

constexpr std::size_t kMarkerSkip = kTotalStepsMarker.size() + 1;  // marker and separator
constexpr std::size_t kStepField = 8;
constexpr std::size_t kMnemonicWidth = 8;
constexpr std::size_t kNumberWidth = 4;
constexpr std::size_t kHeadDigits = 8;
constexpr std::string_view kBackupMark = "_bak";
constexpr std::size_t kNameMax =
    255;  // bytes in a file name (NAME_MAX)  // the total of steps in a text document
constexpr std::string_view kAddressLetters = "XYFGRCTAKLP";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Appends the run from i up to (not including) a stop character or the end,
// padded with leading zeros to four; returns where the run ended.
std::size_t AppendPaddedRun(std::string_view e, std::size_t i, std::string_view stops,
                            std::string& o) {
    std::size_t j = i;
    while (j < e.size() && stops.find(e[j]) == std::string_view::npos)
        ++j;
    if (j - i < kNumberWidth) o.append(kNumberWidth - (j - i), '0');
    o.append(e.substr(i, j - i));
    return j;
}

// One "CODB" after the other: the first one is marked 'O' so that the next
// search finds the next, and padding and the table's comma are inserted
// behind it; at the end every "OODB" becomes "CODB". Done in place, every
// "CODB" costs a search from the start and a move of the rest of o, so o is
// copied once into r instead. An edit lies within 31 characters after its
// "CODB", so only the tail of r is edited, and searching r + o[s..] from the
// last "CODB" on sees the same text as a search from the start would.
void FixUpCodb(std::string& o) {
    std::string r;
    r.reserve(o.size() + o.size() / 16);
    std::size_t s = 0;  // o[s..] not yet copied into r
    // Copies from o until r is n long or o is used up.
    const auto copyUpTo = [&](std::size_t n) {
        const std::size_t take = std::min(n > r.size() ? n - r.size() : 0, o.size() - s);
        r.append(o, s, take);
        s += take;
    };
    for (std::size_t from = 0;;) {
        const std::size_t p = r.find("CODB", from);
        if (p == std::string::npos) {
            if (s == o.size()) break;
            // Up to the end of the next "CODB" of o; one that starts in the
            // tail of r and ends in o is found in r first.
            const std::size_t next = o.find("CODB", s);
            copyUpTo(r.size() + (next == std::string::npos ? o.size() : next + 4) - s);
            continue;
        }
        r[p] = 'O';
        from = p + 1;
        const std::size_t second = p + 13;
        // Only whether the number is shorter than four matters, so the look
        // stops after four characters rather than at the next space.
        copyUpTo(second + kNumberWidth);
        if (second >= r.size() || !IsDigit(r[second])) continue;
        std::size_t end = second;
        while (end < r.size() && end < second + kNumberWidth && r[end] != ' ')
            ++end;
        if (end - second < kNumberWidth) r.insert(second, kNumberWidth - (end - second), '0');
        const std::size_t comma = p + 30;
        copyUpTo(comma + 1);
        if (comma >= r.size()) continue;
        if (r[comma] == ' ') {
            r.insert(comma, ",");
        } else if (r[comma] != ',') {
            r.insert(comma, ", ");
        }
    }
    for (std::size_t p = r.find("OODB"); p != std::string::npos; p = r.find("OODB", p + 4))
        r[p] = 'C';
    o = std::move(r);
}

}  // namespace

std::variant<std::string, Message> LoadLadderSection(std::string_view text) {
    const std::size_t p1 = text.find(kTotalStepsMarker);
    const std::size_t p2 = text.find(kSectionEndMarker);
    if (p1 == std::string_view::npos || p2 == std::string_view::npos || p2 < p1 + kMarkerSkip) {
        return msg::kLadderDamaged;
    }
    std::string section(text.substr(p1 + kMarkerSkip, p2 - p1 - kMarkerSkip));
    // The ladder software writes the total without leading zeros; the text
    // document has it in eight digits, as Save and Send want it back.
    const std::size_t digits = section.find_first_of("\r\n");
    if (digits != std::string::npos && digits > 0 && digits < kHeadDigits &&
        std::all_of(section.begin(), section.begin() + static_cast<long>(digits), IsDigit)) {
        section.insert(0, kHeadDigits - digits, '0');
    }
    return section;
}

std::string ConvertToLadderSection(std::string_view e, std::string o) {
    std::size_t i = 14;
    while (i < e.size()) {
        if (e[i] == '\n' && i + 1 < e.size()) {
            o.push_back('\n');
            ++i;
            // A line too short for its step field ends the pass: nothing is
            // read past the text, and nothing is made up after it.
            if (e.size() - i < kStepField) {
                o.append(e.substr(i));
                break;
            }
            o.append(e.substr(i, kStepField));
            i += kStepField;
            while (i < e.size() && e[i] == ' ')
                ++i;
            std::string w(kMnemonicWidth, ' ');
            std::size_t written = 0;
            while (i < e.size() && e[i] != ' ' && e[i] != '\r') {
                if (written < kMnemonicWidth) w[written++] = e[i];
                ++i;
            }
            o += w;
            while (i < e.size() && e[i] == ' ')
                ++i;
            if (i >= e.size()) break;
            if (e[i] == '\r') {
                o.push_back('\r');
                ++i;
            } else if (IsDigit(e[i])) {
                i = AppendPaddedRun(e, i, " \r", o);
            }
            continue;
        }
        const char c = e[i];
        o.push_back(c);
        if (kAddressLetters.find(c) != std::string_view::npos) {
            i = AppendPaddedRun(e, i + 1, " .\r", o) - 1;
        } else if (c == 'D' && i + 1 < e.size() && IsDigit(e[i + 1])) {
            i = AppendPaddedRun(e, i + 1, " .\r", o) - 1;
        }
        if (e[i] == ' ' && i + 1 < e.size() && e[i + 1] == ' ') {
            while (i + 1 < e.size() && e[i + 1] == ' ')
                ++i;
        }
        ++i;
    }
    FixUpCodb(o);
    return o;
}

std::variant<std::string, Message> MergeIntoLadder(std::string_view t, std::string_view e) {
    const std::size_t p1 = t.find(kTotalStepsMarker);
    const std::size_t p2 = t.find(kSectionEndMarker);
    if (p1 == std::string_view::npos || p2 == std::string_view::npos) {
        return msg::kNotALadderDocument;
    }
    // An end marker before the section (or nothing after "TOTALSTEPS") has
    // no section to replace: the file is damaged, as Open says.
    if (p2 < p1 + kMarkerSkip) return msg::kLadderDamaged;
    if (e.find("%999") == std::string_view::npos || e.empty() || e[0] != '%') {
        return msg::kPlcMustBegin999;
    }
    if (e.find("END1") == std::string_view::npos || e.find("END2") == std::string_view::npos) {
        return msg::kPlcNeedsEnd1End2;
    }
    if (e.size() <= 16) return msg::kPlcLayoutWrong;
    if (e[4] != '\r' || e[5] != '\n') return msg::kPlcLineEndAfterNumber;
    std::string head;
    for (std::size_t k = 6; k < 14; ++k) {
        if (!IsDigit(e[k])) return msg::kPlcHeadOfficeDigits;
        if (!head.empty() || e[k] != '0') head.push_back(e[k]);
    }
    if (head.empty()) return msg::kPlcHeadOfficeZero;
    if (e[14] != '\r' || e[15] != '\n') return msg::kPlcLineEndAfterNumber;
    const std::string section = ConvertToLadderSection(e, std::move(head));
    std::string out(t);
    const std::size_t at = p1 + kMarkerSkip;
    const std::size_t old = p2 >= at ? p2 - at : 0;
    out.replace(at, old, section);
    return out;
}

std::string LadderBackupPath(const std::string& path) {
    // The file name's own extension, never a ".ldx" among the folders.
    const std::size_t slash = path.find_last_of('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < start) dot = path.size();
    // A name too long for four more bytes gives up the end of its stem (never
    // half a UTF-8 character), so that every document that can be saved has
    // a backup.
    std::size_t cut = dot;
    const std::size_t extension = path.size() - dot;
    while (cut > start && cut - start + kBackupMark.size() + extension > kNameMax)
        --cut;
    while (cut > start && (static_cast<unsigned char>(path[cut]) & 0xC0) == 0x80)
        --cut;
    return path.substr(0, cut) + std::string(kBackupMark) + path.substr(dot);
}

bool IsLadderPath(const std::string& path) {
    return LowerExtension(path) == "ldx";
}

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

}  // namespace taplink
