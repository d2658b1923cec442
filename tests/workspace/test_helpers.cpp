#include "ScriptedUi.h"
#include "text/ConvertError.h"
#include "declaration/Helpers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(CheckAFM, CheckDigitOfNineDigits)
{
    EXPECT_TRUE(CheckAFM("090000045")); // 1152 + 8 = 1160, remainder 5
    EXPECT_FALSE(CheckAFM("090000046"));
    EXPECT_TRUE(CheckAFM("000000050")); // remainder 10 counts as 0
    EXPECT_TRUE(CheckAFM("123456783")); // 1004, remainder 3
    EXPECT_FALSE(CheckAFM("123456784"));
    EXPECT_FALSE(CheckAFM("000000000")) << "nine zeros pass the digit test but are no number";
}

TEST(CheckAFM, OtherLengthsAreRefusedWithoutAnError)
{
    EXPECT_FALSE(CheckAFM("09000004"));
    EXPECT_FALSE(CheckAFM("0900000450"));
    EXPECT_FALSE(CheckAFM(""));
    EXPECT_FALSE(CheckAFM("abc"));
    EXPECT_FALSE(CheckAFM("12345678 9"));
}

TEST(CheckAFM, NineCharactersThatAreNotDigitsAreAConversionError)
{
    auto error = [](const char* text) -> std::string {
        try {
            CheckAFM(text);
        } catch (const EConvertError& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(error("12345678A"), "'12345678A' is not a valid integer value");
    EXPECT_EQ(error(" 12345678"), "' 12345678' is not a valid integer value");
    EXPECT_EQ(error("+12345678"), "'+12345678' is not a valid integer value");
    EXPECT_EQ(error("-12345678"), "'-12345678' is not a valid integer value");
    EXPECT_EQ(error("1234 5678"), "'1234 5678' is not a valid integer value");
    // cp1253 letters, quoted readably.
    EXPECT_EQ(error("\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9"), "'ΑΒΓΔΕΖΗΘΙ' is not a valid integer value");
}

TEST(CheckAFM, ExactlyOneCheckDigitForAnyEightDigits)
{
    std::mt19937 rng(11);
    for (int n = 0; n < 2000; ++n) {
        std::string prefix(8, '0');
        for (char& c : prefix)
            c = static_cast<char>('0' + rng() % 10);
        int passing = 0;
        for (char last = '0'; last <= '9'; ++last)
            passing += CheckAFM(prefix + last) ? 1 : 0;
        // Only the all-zero prefix loses its one digit: 000000000 is refused.
        EXPECT_EQ(passing, prefix == "00000000" ? 0 : 1) << prefix;
    }
}

TEST(DigitsOnlyKey, DigitsBackspaceAndTabPass)
{
    ScriptedUi ui;
    for (char16_t key : {u'0', u'5', u'9', char16_t(8), char16_t(9)}) {
        char16_t k = key;
        DigitsOnlyKey(k, ui);
        EXPECT_EQ(k, key);
    }
    EXPECT_TRUE(ui.log.empty()) << "no beep for a key that passes";
}

TEST(DigitsOnlyKey, EverythingElseIsDroppedWithABeep)
{
    ScriptedUi ui;
    const std::u16string refused = u"- a,.Α\r\x1b/:";
    for (char16_t key : refused) {
        char16_t k = key;
        DigitsOnlyKey(k, ui);
        EXPECT_EQ(k, 0) << int(key);
    }
    EXPECT_EQ(ui.log, std::vector<std::string>(refused.size(), "beep"));
}

} // namespace
