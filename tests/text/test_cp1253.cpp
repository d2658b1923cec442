#include "text/Cp1253.h"

#include <QStringDecoder>
#include <gtest/gtest.h>

#include <random>

namespace {

std::string allBytes()
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}

TEST(Cp1253, EveryByteStringSurvivesARoundTrip)
{
    const std::string bytes = allBytes();
    EXPECT_EQ(cp1253::fromUnicode(cp1253::toUnicode(bytes)), bytes);

    std::mt19937 rng(1253);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int n = 0; n < 200; ++n) {
        std::string s(static_cast<size_t>(byte(rng)), '\0');
        for (char& c : s)
            c = static_cast<char>(byte(rng));
        std::string back;
        ASSERT_TRUE(cp1253::fromUnicodeChecked(cp1253::toUnicode(s), back));
        ASSERT_EQ(back, s);
    }
}

TEST(Cp1253, GreekTextMapsToItsCodePageBytes)
{
    const QString text = QString::fromUtf8("Μη έγκυρο αρχείο ΑΦΜ ΐ ΰ ώ €");
    const std::string bytes = cp1253::fromUnicode(text);
    EXPECT_EQ(bytes,
              "\xCC\xE7 \xDD\xE3\xEA\xF5\xF1\xEF \xE1\xF1\xF7\xE5\xDF\xEF \xC1\xD6\xCC \xC0 \xE0 \xFE \x80");
    EXPECT_EQ(cp1253::toUnicode(bytes), text);
}

// The converter of the platform is an independent reading of the code page:
// wherever it defines a byte, both must agree.
TEST(Cp1253, DefinedBytesAgreeWithThePlatformConverter)
{
    QStringDecoder decoder("windows-1253", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        GTEST_SKIP() << "no windows-1253 converter in this Qt build";
    // Converters differ on the bytes the code page leaves undefined (this
    // one loses 0xD2 and 0xFF); those are ours by design.
    const std::string undefined = "\x81\x88\x8A\x8C\x8D\x8E\x8F\x90\x98\x9A\x9C\x9D\x9E\x9F\xAA\xD2\xFF";
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        if (undefined.find(byte) != std::string::npos)
            continue;
        const QString theirs = decoder.decode(QByteArrayView(&byte, 1));
        EXPECT_EQ(cp1253::toUnicode(std::string(1, byte)), theirs) << "byte " << b;
        ++compared;
    }
    EXPECT_EQ(compared, 239);
}

TEST(Cp1253, CharactersOutsideTheCodePage)
{
    // Cyrillic, a CJK character and one astral character (a surrogate pair).
    const QString text = QString::fromUtf8("a\u0416b\u4E2Dc\U0001F600d");
    EXPECT_EQ(cp1253::fromUnicode(text), "a?b?c?d");

    std::string out = "stale";
    QChar bad;
    EXPECT_FALSE(cp1253::fromUnicodeChecked(text, out, &bad));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(bad, QChar(0x0416));

    EXPECT_TRUE(cp1253::fromUnicodeChecked(QString::fromUtf8("Αθήνα 10"), out));
    EXPECT_EQ(out, "\xC1\xE8\xDE\xED\xE1 10");
}

} // namespace
