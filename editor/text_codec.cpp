#include "text_codec.h"

#include <QPlainTextEdit>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTextDocument>
#include <algorithm>
#include <optional>

namespace taplink {
namespace {

constexpr const char* kCodePage = "GB18030";
constexpr char16_t kEscapeBase = 0xF700;  // U+F700 + byte: a byte carried as it is
constexpr char16_t kBareLineFeed = 0x2028;
constexpr char16_t kBlockSeparator = 0x2029;

bool IsEscape(char16_t c) {
    return c >= kEscapeBase && c <= kEscapeBase + 0xFF;
}

// Control characters the editor would not keep as they are.
bool NeedsEscape(unsigned char b) {
    return (b < 0x20 && b != '\t') || b == 0x7F;
}

QChar Escape(unsigned char b) {
    return QChar(static_cast<char16_t>(kEscapeBase + b));
}

// Decodes one well-formed-looking sequence; false when it does not come back
// to the same bytes, or would look like an escape.
bool DecodeExact(const char* p, qsizetype n, QString& out) {
    QStringDecoder decoder(kCodePage, QStringDecoder::Flag::Stateless);
    const QString s = decoder(QByteArrayView(p, n));
    if (decoder.hasError() || s.isEmpty()) return false;
    for (const QChar c : s) {
        // Characters that stand for something else in the editor's text.
        if (IsEscape(c.unicode()) || c == kBareLineFeed || c == kBlockSeparator) return false;
    }
    QStringEncoder encoder(kCodePage, QStringEncoder::Flag::Stateless);
    const QByteArray back = encoder(s);
    if (back != QByteArrayView(p, n)) return false;
    out += s;
    return true;
}

// The length of the GB18030 sequence starting at i, by its shape alone.
qsizetype SequenceLength(const std::string& b, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(b[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) return 1;
    if (lead == 0x80 || lead == 0xFF || i + 1 >= b.size()) return 0;
    const unsigned char second = at(i + 1);
    if (second >= 0x30 && second <= 0x39) {
        if (i + 3 >= b.size()) return 0;
        const unsigned char third = at(i + 2), fourth = at(i + 3);
        return third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39 ? 4 : 0;
    }
    return (second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE) ? 2 : 0;
}

}  // namespace

QString BytesToEditorText(const std::string& bytes) {
    QString out;
    out.reserve(static_cast<qsizetype>(bytes.size()));
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            out += QChar('\n');
            i += 2;
            continue;
        }
        if (b == '\n') {
            out += QChar(kBareLineFeed);
            ++i;
            continue;
        }
        if (b < 0x80) {
            out += NeedsEscape(b) ? Escape(b) : QChar(b);
            ++i;
            continue;
        }
        // A run of non-ASCII bytes: decoded whole when it comes back exact,
        // else sequence by sequence, escaping what does not.
        std::size_t end = i;
        while (end < bytes.size() && static_cast<unsigned char>(bytes[end]) >= 0x80) {
            const qsizetype n = SequenceLength(bytes, end);
            end += n > 1 ? static_cast<std::size_t>(n) : 1;
        }
        end = std::min(end, bytes.size());
        if (DecodeExact(bytes.data() + i, static_cast<qsizetype>(end - i), out)) {
            i = end;
            continue;
        }
        while (i < end) {
            const qsizetype n = SequenceLength(bytes, i);
            if (n > 1 && DecodeExact(bytes.data() + i, n, out)) {
                i += static_cast<std::size_t>(n);
            } else {
                out += Escape(static_cast<unsigned char>(bytes[i]));
                ++i;
            }
        }
    }
    return out;
}

namespace {

// Walks the editor's text, giving each character's bytes to out: out.Byte
// for a character that is one byte, out.LineBreak for CR LF, out.Run for a
// run of characters that go through the code page (with the number of
// characters after it). A key typed into a long program walks the text a
// few times, so the common characters take the short way.
template <typename Out>
void Encode(QStringView text, Out& out) {
    std::optional<QStringEncoder> encoder;
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype k = 0; k < n; ++k) {
        const char16_t c = p[k];
        if (c < 0x80) {
            if (c == '\n') {
                out.LineBreak();
            } else {
                out.Byte(static_cast<char>(c));
            }
            continue;
        }
        if (c == kBlockSeparator) {
            out.LineBreak();
            continue;
        }
        if (c == kBareLineFeed || IsEscape(c)) {
            out.Byte(c == kBareLineFeed ? '\n' : static_cast<char>(c - kEscapeBase));
            continue;
        }
        qsizetype end = k + 1;
        while (end < n && p[end] >= 0x80 && p[end] != kBlockSeparator && p[end] != kBareLineFeed &&
               !IsEscape(p[end]))
            ++end;
        if (!encoder) encoder.emplace(kCodePage, QStringEncoder::Flag::Stateless);
        out.Run((*encoder)(text.mid(k, end - k)), static_cast<std::size_t>(n - end));
        k = end - 1;
    }
}

struct ByteCounter {
    std::size_t n = 0;
    void Byte(char) { ++n; }
    void LineBreak() { n += 2; }
    void Run(const QByteArray& bytes, std::size_t) { n += static_cast<std::size_t>(bytes.size()); }
};

// Writes into room made beforehand: two bytes for each character still to
// come, which a line break or a one-byte character never exceeds; a run
// through the code page makes more when it needs it.
struct ByteWriter {
    std::string& out;
    std::size_t n = 0;
    void Byte(char c) { out[n++] = c; }
    void LineBreak() {
        out[n++] = '\r';
        out[n++] = '\n';
    }
    void Run(const QByteArray& bytes, std::size_t charactersLeft) {
        const auto size = static_cast<std::size_t>(bytes.size());
        const std::size_t need = n + size + 2 * charactersLeft;
        if (need > out.size()) out.resize(std::max(need, out.size() + out.size() / 2));
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(n));
        n += size;
    }
};

}  // namespace

std::string EditorTextToBytes(QStringView text) {
    std::string out(2 * static_cast<std::size_t>(text.size()), '\0');
    ByteWriter writer{out};
    Encode(text, writer);
    out.resize(writer.n);
    return out;
}

std::size_t EditorByteCount(QStringView text) {
    ByteCounter counter;
    Encode(text, counter);
    return counter.n;
}

std::string EditorBytes(const QPlainTextEdit& editor) {
    return EditorTextToBytes(editor.document()->toRawText());
}

}  // namespace taplink
