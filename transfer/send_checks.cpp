#include "send_checks.h"

#include <algorithm>
#include <cstdio>

namespace taplink {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

bool IsDigit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

// The value of a display character: digits count from '0', everything else
// from 'A' - 10 (so lower-case letters give other values than upper-case).
int DisplayDigit(std::uint8_t c) {
    return IsDigit(c) ? c - '0' : c - 0x37;
}

std::uint8_t At(std::string_view t, std::size_t i) {
    return static_cast<std::uint8_t>(t[i]);
}

// The text with its lines ending as the controller takes them: a bare LF,
// as a file saved on Linux has, becomes CR LF. A CR without an LF after it
// is a line end that no controller takes, said through loneCr.
std::string CrLfLines(std::string_view t, bool* loneCr) {
    std::string out;
    out.reserve(t.size() + t.size() / 16);
    *loneCr = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == kLf && (i == 0 || t[i - 1] != kCr)) out.push_back(kCr);
        if (t[i] == kCr && (i + 1 == t.size() || t[i + 1] != kLf)) *loneCr = true;
        out.push_back(t[i]);
    }
    return out;
}

}  // namespace

std::optional<Message> CheckTextNotEmpty(std::string_view text) {
    if (text.empty()) return msg::kEmptyDocument;
    return std::nullopt;
}

PreparedProgram PrepareProgram(std::string_view text) {
    PreparedProgram out;
    bool loneCr = false;
    const std::string lines = CrLfLines(text, &loneCr);
    const std::string_view t = lines;
    std::string& c = out.cleaned;
    c.reserve(t.size() + 2);
    const std::size_t n = t.size();
    for (std::size_t i = 0; i < n; ++i) {
        const char ch = t[i];
        if (ch == kCr) {
            if (i + 3 >= n) {
                c.push_back(ch);
            } else if (t[i + 2] == kCr || (!c.empty() && c.back() == kLf)) {
                ++i;  // an empty line: drop the CR and the character after it
            } else {
                c.push_back(ch);
            }
        } else if (ch == ' ') {
            if (i + 1 == n || t[i + 1] == ' ') continue;
            if (i + 2 == n) {
                c.push_back(ch);
            } else if (t[i + 1] != kCr) {
                c.push_back(ch);
            }
        } else {
            c.push_back(ch);
        }
    }
    if (c.empty() || c.back() != kLf) c += "\r\n";

    if (loneCr) {
        out.failure = msg::kLoneCarriageReturn;
    } else if (c.size() < 4 || c[0] != '%' || c[3] != kCr) {
        out.failure = msg::kProgramNumber;
    } else if (c.size() + 2 > kMaxFrameLength) {
        out.failure = msg::kProgramFrameTooLong;
    }
    return out;
}

namespace {

// Part program: each CR becomes a 0 and the character after it is skipped.
Bytes ImageOfProgram(std::string_view t) {
    Bytes image;
    image.reserve(t.size());
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == kCr) {
            image.push_back(0);
            ++i;
        } else {
            image.push_back(At(t, i));
        }
    }
    return image;
}

// Ladder text: after the first line, a CR also drops the next line's step
// field; a comma goes with the character after it.
Bytes ImageOfLadder(std::string_view t) {
    Bytes image;
    image.reserve(t.size());
    bool firstCr = true;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == kCr) {
            image.push_back(0);
            i += firstCr ? 1 : 9;
            firstCr = false;
        } else if (t[i] == ',') {
            ++i;
        } else {
            image.push_back(At(t, i));
        }
    }
    return image;
}

// New-format ladder text: no step fields; the CRs are counted.
Bytes ImageOfNewLadder(std::string_view t, int* crs) {
    Bytes image;
    image.reserve(t.size() + 9);
    *crs = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == kCr) {
            image.push_back(0);
            ++*crs;
            ++i;
        } else if (t[i] == ',') {
            ++i;
        } else {
            image.push_back(At(t, i));
        }
    }
    return image;
}

}  // namespace

PreparedR80 PrepareR80Image(std::string_view text, int docKind) {
    PreparedR80 out;
    bool loneCr = false;
    out.normalisedText = CrLfLines(text, &loneCr);
    std::string& t = out.normalisedText;
    if (loneCr) {
        out.failure = msg::kLoneCarriageReturn;
        return out;
    }
    if (t.size() <= 4 || t[0] != '%' || !IsDigit(At(t, 1)) || !IsDigit(At(t, 2)) ||
        !IsDigit(At(t, 3))) {
        out.failure = msg::kR80DocumentNumber;
        return out;
    }
    if (t.back() != kLf) {
        t += "\r\n\r\n";
    } else if (t[t.size() - 3] != kLf) {
        t += "\r\n";
    }

    const bool plc = t.compare(1, 3, "999") == 0;
    Bytes& image = out.image;
    if (plc && docKind == kDocLadder) {
        image = ImageOfLadder(t);
        if (image.size() > kMaxR80Image) {
            out.failure = msg::kR80TooLarge;
        } else if (image.size() <= 14) {
            out.failure = msg::kR80LadderTooShort;
        } else if (image[4] != 0) {
            out.failure = msg::kR80LadderLineAfterNumber;
        } else if (!std::all_of(image.begin() + 5, image.begin() + 13, IsDigit)) {
            out.failure = msg::kR80HeadOfficeDigits;
        } else if (image[13] != 0) {
            out.failure = msg::kR80HeadOfficeLineEnd;
        }
        return out;
    }
    if (plc && docKind == kDocNewLadder) {
        int crs = 0;
        image = ImageOfNewLadder(t, &crs);
        if (image.size() > kMaxR80Image) {
            out.failure = msg::kR80TooLarge;
        } else if (image.size() <= 4 || image[4] != 0) {  // commas can eat the line end
            out.failure = msg::kR80LineAfterNumber;
        } else {
            // The head office number is the instruction count: the CRs less
            // those of the number line and the closing empty line. A text
            // with fewer line ends than that counts none.
            char head[16];
            std::snprintf(head, sizeof head, "%08d", std::max(crs - 2, 0));
            Bytes field(head, head + 8);
            field.push_back(0);
            image.insert(image.begin() + 5, field.begin(), field.end());
        }
        return out;
    }
    const int number = (t[1] - '0') * 100 + (t[2] - '0') * 10 + (t[3] - '0');
    if (number > 254) {
        out.failure = msg::kR80ProgramRange;
        return out;
    }
    image = ImageOfProgram(t);
    if (image.size() > kMaxR80Image) {
        out.failure = msg::kR80TooLarge;
    } else if (image.size() <= 4 || image[4] != 0) {
        out.failure = msg::kR80LineAfterNumber;
    }
    return out;
}

Bytes ParseMemoryDisplay(std::string_view t) {
    Bytes image;
    image.reserve(t.size() / 55 * 8 + 8);
    const std::size_t n = t.size();
    std::size_t p = 0;
    for (;;) {
        p += 7;
        if (p >= n) break;
        for (int k = 0; k < 8; ++k) {
            if (p + 1 >= n || t[p] == ' ' || t[p + 1] == ' ') break;
            const int value = DisplayDigit(At(t, p)) * 16 | DisplayDigit(At(t, p + 1));
            image.push_back(static_cast<std::uint8_t>(value & 0xFF));
            p += 4;
        }
        p += 16;
    }
    return image;
}

std::optional<Message> CheckMemoryImage(const Bytes& image) {
    if (image.size() < 2) return msg::kMemoryEmpty;
    if (image.size() > kMaxFrameLength) return msg::kMemoryFrameTooLong;
    return std::nullopt;
}

}  // namespace taplink
