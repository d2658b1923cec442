#include "text/Cp1253.h"

#include <array>
#include <cstdint>

namespace cp1253 {
namespace {

// Our own table rather than the platform converter: converters disagree on the
// bytes the code page leaves undefined (some give U+FFFD, which loses the byte).
// Here the undefined bytes 0x80-0x9F come back as their C1 controls and the
// three undefined bytes above 0xA0 as the private-use characters U+F8F9..U+F8FB,
// so every byte string survives a round trip unchanged.
constexpr char16_t kHigh[128] = {
    // 0x80
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x0088, 0x2030, 0x008A, 0x2039, 0x008C, 0x008D, 0x008E, 0x008F, //
    // 0x90
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x0098, 0x2122, 0x009A, 0x203A, 0x009C, 0x009D, 0x009E, 0x009F, //
    // 0xA0
    0x00A0, 0x0385, 0x0386, 0x00A3, 0x00A4, 0x00A5, 0x00A6, 0x00A7, //
    0x00A8, 0x00A9, 0xF8F9, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015, //
    // 0xB0
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7, //
    0x0388, 0x0389, 0x038A, 0x00BB, 0x038C, 0x00BD, 0x038E, 0x038F, //
    // 0xC0
    0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397, //
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F, //
    // 0xD0
    0x03A0, 0x03A1, 0xF8FA, 0x03A3, 0x03A4, 0x03A5, 0x03A6, 0x03A7, //
    0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF, //
    // 0xE0
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7, //
    0x03B8, 0x03B9, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BE, 0x03BF, //
    // 0xF0
    0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7, //
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0xF8FB, //
};

char16_t toChar(unsigned char byte)
{
    return byte < 0x80 ? char16_t(byte) : kHigh[byte - 0x80];
}

// Unicode (BMP) to byte; -1 where the code page has no byte.
const std::array<int16_t, 0x10000>& reverseTable()
{
    static const auto table = [] {
        std::array<int16_t, 0x10000> t;
        t.fill(-1);
        for (int b = 0; b < 256; ++b)
            t[toChar(static_cast<unsigned char>(b))] = static_cast<int16_t>(b);
        return t;
    }();
    return table;
}

} // namespace

QString toUnicode(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(toChar(static_cast<unsigned char>(bytes[i])));
    return text;
}

namespace {

// Walks `text`, writing each character's byte; stops at the first character
// without one when `stopAtMissing`, otherwise writes '?' for it (a surrogate
// pair is one character and gets one '?').
bool encode(const QString& text, std::string& out, bool stopAtMissing, QChar* badChar)
{
    const auto& table = reverseTable();
    out.clear();
    out.reserve(static_cast<size_t>(text.size()));
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const int16_t byte = table[c.unicode()];
        if (byte >= 0) {
            out.push_back(static_cast<char>(byte));
            continue;
        }
        if (stopAtMissing) {
            out.clear();
            if (badChar)
                *badChar = c;
            return false;
        }
        if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate())
            ++i;
        out.push_back('?');
    }
    return true;
}

} // namespace

std::string fromUnicode(const QString& text)
{
    std::string out;
    encode(text, out, false, nullptr);
    return out;
}

bool fromUnicodeChecked(const QString& text, std::string& out, QChar* badChar)
{
    return encode(text, out, true, badChar);
}

} // namespace cp1253
