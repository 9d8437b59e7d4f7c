#include "util/FilePaths.h"

namespace util {

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

/// True when the character at `i` of `text` is a byte carried by decodePath(): a low surrogate
/// of U+DC80..U+DCFF that is not the second half of a pair.
bool isEscapedByte(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF && (i == 0 || !text[i - 1].isHighSurrogate());
}

/// The number of bytes of the UTF-8 sequence that starts with `lead`; 0 for a byte no valid
/// sequence starts with.
qsizetype sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead < 0xC2)
        return 0; // a continuation byte, or the start of an overlong form
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return lead < 0xF5 ? 4 : 0;
}

} // namespace

QString decodePath(QByteArrayView native)
{
    if (native.isValidUtf8())
        return QString::fromUtf8(native);
    // Valid stretches go through Qt's decoder as they are; a byte that starts no valid
    // sequence (or whose sequence is cut short, overlong or a surrogate) is carried alone, and
    // decoding goes on with the next byte.
    QString text;
    text.reserve(native.size());
    qsizetype stretch = 0;
    qsizetype at = 0;
    while (at < native.size()) {
        const auto lead = static_cast<unsigned char>(native[at]);
        const qsizetype length = sequenceLength(lead);
        if (length > 0 && at + length <= native.size() && native.sliced(at, length).isValidUtf8()) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(native.sliced(stretch, at - stretch));
        text += QChar(char16_t(kEscapeBase + lead));
        stretch = ++at;
    }
    text += QString::fromUtf8(native.sliced(stretch));
    return text;
}

QByteArray encodePath(const QString &path)
{
    QByteArray native;
    qsizetype stretch = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        if (!isEscapedByte(path, i))
            continue;
        native += QStringView(path).sliced(stretch, i - stretch).toUtf8();
        native += char(path[i].unicode() - kEscapeBase);
        stretch = i + 1;
    }
    if (stretch == 0)
        return path.toUtf8();
    native += QStringView(path).sliced(stretch).toUtf8();
    return native;
}

QString readablePath(const QString &text)
{
    QString readable = text;
    for (qsizetype i = 0; i < readable.size(); ++i) {
        if (isEscapedByte(text, i)) {
            const char16_t byte = text[i].unicode() - kEscapeBase;
            readable[i] = byte >= 0xA0 ? QChar(byte) : QChar(QChar::ReplacementCharacter);
        }
    }
    return readable;
}

} // namespace util
