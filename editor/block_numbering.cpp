#include "block_numbering.h"

#include "dialog_state.h"

namespace taplink {

namespace msg {
namespace {
const std::string kWarning = TAPLINK_TEXT("Messages", "警告!");
}  // namespace

const Message kIllegalCharacter{TAPLINK_TEXT("Messages", "您输入的是非法字符!"),
                                std::string(kAppName), MessageIcon::None};
const Message kLineNumberWrong{TAPLINK_TEXT("Messages", "此行行号有错误!"), kWarning,
                               MessageIcon::Stop};
const Message kFileNumberWrong{TAPLINK_TEXT("Messages", "文件号有错误!"), kWarning,
                               MessageIcon::Stop};
const Message kNextLineNumberWrong{TAPLINK_TEXT("Messages", "下面一行的行号有错误!"),
                                   std::string(kAppName), MessageIcon::None};
const Message kBlockNumberFull{TAPLINK_TEXT("Messages", "行号已到N9999，不能再编号!"), kWarning,
                               MessageIcon::Stop};
const Message kTooManyCharacters =
    Composed(TAPLINK_TEXT("Messages", "“请填入不多于%1个的字符。”"),
             {std::to_string(kEditorTextLimit)}, std::string(kAppName), MessageIcon::Exclamation);
}  // namespace msg

namespace {

constexpr std::string_view kAddressLetters = "GSMTFXUIPDLZWEKNRYABCOVJ";
constexpr int kLastBlockNumber = 9999;
constexpr int kNumberStep = 10;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The text as the editor handler reads it: NUL outside.
struct Reader {
    std::string_view t;
    char operator[](std::size_t i) const { return i < t.size() ? t[i] : '\0'; }
};

// 'N' and four digits at position p: their number, or -1.
int BlockNumberAt(const Reader& t, std::size_t p) {
    if (t[p] != 'N') return -1;
    int n = 0;
    for (std::size_t k = 1; k <= 4; ++k) {
        if (!IsDigit(t[p + k])) return -1;
        n = n * 10 + (t[p + k] - '0');
    }
    return n;
}

KeyDecision Insert(std::string text) {
    return {KeyDecision::Insert, std::move(text), {}};
}
KeyDecision Refuse(const Message& m) {
    return {KeyDecision::Refuse, {}, m};
}

std::string NewBlock(int n) {
    std::string s = "\r\nN0000";
    for (int k = 6; k >= 3; --k, n /= 10)
        s[static_cast<std::size_t>(k)] = static_cast<char>('0' + n % 10);
    return s;
}

KeyDecision NumberBlock(std::string_view text, std::size_t c) {
    const Reader t{text};
    if (c == 0) return Insert("\r\n");
    std::size_t s = 0;
    bool lineStart = false;
    for (std::size_t k = c; k >= 1; --k) {
        if (t[k - 1] == '\n') {
            s = k;
            lineStart = true;
            break;
        }
    }
    int prev = 0;
    if (lineStart) {
        prev = c < 3 ? -1 : BlockNumberAt(t, s);
        if (prev < 0) return Refuse(msg::kLineNumberWrong);
    } else {
        if (c == 3 && t[0] == '%' && IsDigit(t[1]) && IsDigit(t[2])) return Insert(NewBlock(0));
        return Refuse(msg::kFileNumberWrong);
    }
    std::size_t e = c;
    while (t[e] != '\n' && t[e] != '\0')
        ++e;
    int n = prev + kNumberStep;
    if (t[e] == '\n' && t[e + 5] != '\0') {
        const int next = BlockNumberAt(t, e + 1);
        if (next < 0) return Refuse(msg::kNextLineNumberWrong);
        n = (prev + next) / 2;
    }
    // Four digits cannot hold more.
    if (n > kLastBlockNumber) return Refuse(msg::kBlockNumberFull);
    return Insert(NewBlock(n));
}

}  // namespace

KeyDecision DecideKey(std::string_view text, std::size_t caret, int model, char32_t key) {
    if (key == kKeyBackspace) return {};
    if (key == kKeyEnter) return model == 0 ? NumberBlock(text, caret) : KeyDecision{};
    // Digits, spaces, '%', '-', '/' and '.' go in as they are.
    const std::optional<char> plain = PlainCharacter(key);
    if (!plain) return Refuse(msg::kIllegalCharacter);
    const char letter = *plain;
    if (letter < 'A' || letter > 'Z') return {};
    const Reader t{text};
    std::string insert;
    if (caret != 0 && t[caret - 1] != ' ' && !(letter == 'N' && t[caret - 1] == '\n')) {
        insert.push_back(' ');
    }
    insert.push_back(letter);
    return Insert(std::move(insert));
}

std::optional<char> PlainCharacter(char32_t key) {
    switch (key) {
        case '%':
        case '-':
        case '/':
        case '.':
        case ' ': return static_cast<char>(key);
        default: break;
    }
    if (key >= '0' && key <= '9') return static_cast<char>(key);
    if (key >= 'a' && key <= 'z') key = key - 'a' + 'A';
    if (key < 'A' || key > 'Z') return std::nullopt;
    const char letter = static_cast<char>(key);
    if (kAddressLetters.find(letter) == std::string_view::npos) return std::nullopt;
    return letter;
}

}  // namespace taplink
