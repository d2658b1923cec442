#include "text/AmountText.h"
#include "text/ConvertError.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <random>

using namespace amount;

namespace {

long double read(std::string_view text)
{
    long double v = -12345;
    EXPECT_TRUE(TryStrToFloat(text, v)) << text;
    return v;
}

std::string convertMessage(auto&& call)
{
    try {
        call();
    } catch (const EConvertError& e) {
        return e.what();
    }
    return "no error";
}

TEST(AmountReading, AcceptsTheDecimalCommaSignBlanksAndExponent)
{
    EXPECT_EQ(read("1234,5"), 1234.5L);
    EXPECT_EQ(read("  -12,25  "), -12.25L);
    EXPECT_EQ(read("+7"), 7.0L);
    EXPECT_EQ(read(",5"), 0.5L);
    EXPECT_EQ(read("5,"), 5.0L);
    EXPECT_EQ(read("1,5E3"), 1500.0L);
    EXPECT_EQ(read("15e-1"), 1.5L);
    EXPECT_EQ(read("2E+2"), 200.0L);
    EXPECT_EQ(read("0000,10"), 0.1L);
    // The 80-bit reading, not a double one: 0,1 differs between the two.
    EXPECT_NE(read("0,1"), static_cast<long double>(0.1));
}

TEST(AmountReading, RefusesEverythingElse)
{
    for (const char* text :
         {"",   " ",   "+",   "-",   ",",   "1.5", "1.000,5", "1,2,3", "1 2",    "1E",    "1E+",
          "E5", "12a", "--1", "\t1", "1\t", "inf", "nan",     "0x10",  "1E5000", "1,5 E3"}) {
        long double v = 42;
        EXPECT_FALSE(TryStrToFloat(text, v)) << '"' << text << '"';
        EXPECT_EQ(v, 42) << "a refused text must leave the value alone";
    }
    EXPECT_EQ(StrToFloatDef("abc"), 0);
    EXPECT_EQ(StrToFloatDef("abc", 3), 3);
}

TEST(AmountReading, AgreesBitForBitWithTheCLibraryReading)
{
    // Digits are read without the C library while they fit in 64 bits and
    // carry no exponent; past that the library reads them. Both must give
    // the same value, sign of zero included, at and around the switch.
    std::mt19937_64 rng(20261208);
    locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    const char* sign[] = {"", "-", "+"};
    for (int n = 0; n < 60000; ++n) {
        std::string digits;
        for (size_t k = 0, length = 1 + rng() % 24; k < length; ++k)
            digits += static_cast<char>('0' + (k == 0 && rng() % 3 == 0 ? 9 : rng() % 10));
        if (n % 50 == 0)
            digits = std::string(1 + rng() % 22, rng() % 2 ? '9' : '0') + "1";
        const size_t count = digits.size();
        const size_t decimals = rng() % (count + 1);
        std::string text = sign[rng() % 3] + digits.substr(0, count - decimals);
        std::string cText = text;
        if (decimals > 0 || rng() % 5 == 0) {
            text += "," + digits.substr(count - decimals);
            cText += "." + digits.substr(count - decimals);
        }
        long double got = 0;
        ASSERT_TRUE(TryStrToFloat(text, got)) << text;
        const long double wanted = strtold_l(cText.c_str(), nullptr, c);
        ASSERT_EQ(got, wanted) << text;
        ASSERT_EQ(std::signbit(got), std::signbit(wanted)) << text;
    }
    EXPECT_TRUE(std::signbit(read("-0,00")));
    EXPECT_EQ(read("18446744073709551615"), 18446744073709551615.0L);
    EXPECT_EQ(read("184467440737095516159"), 184467440737095516159.0L);
    freelocale(c);
}

TEST(AmountFormat, WholeCentsComeOutAsTheirDecimalExpansion)
{
    // Against the C library's own rounding to two places, trailing zeros and
    // a bare separator dropped.
    std::mt19937_64 rng(11);
    for (int n = 0; n < 20000; ++n) {
        auto cents = static_cast<int64_t>(rng() % (n % 2 ? 1000ULL : 100000000000000ULL));
        if (rng() % 3 == 0)
            cents = -cents;
        char text[64];
        std::snprintf(text, sizeof text, "%.2Lf", static_cast<long double>(cents) / 100);
        std::string wanted = text;
        wanted[wanted.find('.')] = ',';
        while (wanted.back() == '0')
            wanted.pop_back();
        if (wanted.back() == ',')
            wanted.pop_back();
        if (wanted == "-0")
            wanted = "0";
        ASSERT_EQ(FormatAmount(static_cast<long double>(cents) / 100), wanted) << cents;
    }
}

TEST(AmountReading, ConversionErrorsQuoteTheTextAsTheUserSeesIt)
{
    EXPECT_EQ(convertMessage([] { StrToFloat("1.5"); }), "'1.5' is not a valid floating point value");
    // cp1253 data in the message comes out as readable text.
    EXPECT_EQ(convertMessage([] { StrToFloat("\xC1\xE2\xE3"); }),
              "'Αβγ' is not a valid floating point value");
    EXPECT_EQ(convertMessage([] { StrToInt("12 "); }), "'12 ' is not a valid integer value");
    EXPECT_EQ(convertMessage([] { StrToInt("2147483648"); }), "'2147483648' is not a valid integer value");
}

TEST(WholeNumberReading, LeadingBlanksAndOneSignOnly)
{
    int64_t v = 0;
    EXPECT_TRUE(TryStrToInt64("  -0012", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(TryStrToInt64("+9999999999", v));
    EXPECT_EQ(v, 9999999999);
    EXPECT_TRUE(TryStrToInt64("9223372036854775807", v));
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_TRUE(TryStrToInt64("-9223372036854775808", v));
    EXPECT_EQ(v, INT64_MIN);
    for (const char* text : {"", "   ", "-", "12 ", "1 2", "+-1", "1,0", "1E2", "9223372036854775808",
                             "-9223372036854775809", "99999999999999999999", "0x1F"}) {
        v = 77;
        EXPECT_FALSE(TryStrToInt64(text, v)) << '"' << text << '"';
        EXPECT_EQ(v, 77);
    }
    EXPECT_EQ(StrToInt(" 365"), 365);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
}

TEST(AmountPattern, TwoDecimalsRoundedHalfAwayFromZero)
{
    EXPECT_EQ(FormatAmount(read("1234,50")), "1234,5");
    EXPECT_EQ(FormatAmount(read("12,345")), "12,35");
    EXPECT_EQ(FormatAmount(read("-12,345")), "-12,35");
    EXPECT_EQ(FormatAmount(read("1000")), "1000");
    EXPECT_EQ(FormatAmount(read("0,004")), "0");
    EXPECT_EQ(FormatAmount(read("0,005")), "0,01");
    EXPECT_EQ(FormatAmount(read("999,995")), "1000");
    EXPECT_EQ(FormatAmount(read("0,07")), "0,07");
    EXPECT_EQ(FormatAmount(read("1E20")), "100000000000000000000");
    // 1,005 is 1.00499999999999999998... in binary; its 18-digit expansion is
    // 1,00500000000000000, which rounds up.
    EXPECT_EQ(FormatAmount(read("1,005")), "1,01");
}

TEST(AmountPattern, NeverWritesMinusZero)
{
    EXPECT_EQ(FormatAmount(-0.0L), "0");
    EXPECT_EQ(FormatAmount(read("-0,004")), "0");
    EXPECT_EQ(FormatAmount(read("-0,005")), "-0,01");
    EXPECT_EQ(FormatGeneral15(-0.0L), "0");
    EXPECT_EQ(FormatGeneral15(read("-1E-20")), "-1E-20");
}

TEST(AmountPattern, HidesBinaryRoundingOfSums)
{
    EXPECT_EQ(FormatAmount(read("0,1") + read("0,2")), "0,3");
    long double sum = 0;
    for (int i = 0; i < 1000; ++i)
        sum += read("0,01");
    EXPECT_EQ(FormatAmount(sum), "10");
}

// Amounts read from two-decimal texts take a short route through whole
// cents; a neighbouring value one step off must still come out the same
// through the full decimal expansion.
TEST(AmountPattern, CentsAndTheirNeighboursFormatAlike)
{
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 15);
        long long cents = static_cast<long long>(random() % 1000000000000000ULL);
        for (int k = digits; k < 15; ++k)
            cents /= 10;
        if (random() % 2)
            cents = -cents;
        const std::string whole = std::to_string(std::llabs(cents) / 100);
        const long long part = std::llabs(cents) % 100;
        std::string text = (cents < 0 ? "-" : "") + whole;
        if (part != 0)
            text += (part % 10 == 0) ? "," + std::to_string(part / 10)
                                     : "," + std::string(part < 10 ? "0" : "") + std::to_string(part);
        if (text == "-0")
            text = "0";
        const long double value = read(text);
        ASSERT_EQ(FormatAmount(value), text);
        ASSERT_EQ(FormatGeneral15(value), text);
        if (value == 0)
            continue; // its neighbours are the tiniest numbers there are, not amounts
        for (long double neighbour : {std::nextafter(value, 1e20L), std::nextafter(value, -1e20L)}) {
            ASSERT_EQ(FormatAmount(neighbour), text) << text;
            ASSERT_EQ(FormatGeneral15(neighbour), text) << text;
        }
    }
}

TEST(GeneralForm, FifteenSignificantDigits)
{
    EXPECT_EQ(FormatGeneral15(read("799,999999999999995")), "800");
    EXPECT_EQ(FormatGeneral15(read("1234,56") * 100), "123456");
    EXPECT_EQ(FormatGeneral15(read("0,07") * 100), "7");
    EXPECT_EQ(FormatGeneral15(0), "0");
    EXPECT_EQ(FormatGeneral15(read("1") / 3), "0,333333333333333");
    EXPECT_EQ(FormatGeneral15(read("-2") / 3), "-0,666666666666667");
    EXPECT_EQ(FormatGeneral15(read("123456789012345")), "123456789012345");
    EXPECT_EQ(FormatGeneral15(read("999999999999999,5")), "1E15");
}

TEST(GeneralForm, ScientificOutsideFixedRange)
{
    EXPECT_EQ(FormatGeneral15(read("1E15")), "1E15");
    EXPECT_EQ(FormatGeneral15(read("1,5E20")), "1,5E20");
    EXPECT_EQ(FormatGeneral15(read("0,0001")), "0,0001");
    EXPECT_EQ(FormatGeneral15(read("0,000015")), "1,5E-5");
    EXPECT_EQ(FormatGeneral15(read("0,00001")), "1E-5");
    EXPECT_EQ(FormatGeneral15(read("-12345678901234567")), "-1,23456789012346E16");
}

TEST(FileForm, CentsFilledWithZeros)
{
    EXPECT_EQ(ToFileForm("1234,5", 10), "0000123450");
    EXPECT_EQ(ToFileForm("1234,56", 10), "0000123456");
    EXPECT_EQ(ToFileForm("0,07", 8), "00000007");
    EXPECT_EQ(ToFileForm("100", 7), "0010000");
    EXPECT_EQ(ToFileForm("", 9), "000000000");
    EXPECT_EQ(ToFileForm("0", 9), "000000000");
    EXPECT_EQ(ToFileForm("1E3", 8), "00100000");
    EXPECT_EQ(ToFileForm("99999999,99", 10), "9999999999");
    // A sign that the reading accepts, rather than zeros in front of it.
    EXPECT_EQ(ToFileForm("-5", 8), "-0000500");
    // Too large: written whole, the caller decides (see FitsFileForm).
    EXPECT_EQ(ToFileForm("100000000", 10), "10000000000");
    EXPECT_THROW(ToFileForm("12a", 10), EConvertError);
    EXPECT_THROW(ToFileForm("1.5", 10), EConvertError);
}

TEST(FileForm, Capacity)
{
    EXPECT_TRUE(FitsFileForm("99999999,99", 10));
    EXPECT_FALSE(FitsFileForm("100000000", 10));
    EXPECT_TRUE(FitsFileForm("999999,99", 8));
    EXPECT_FALSE(FitsFileForm("1000000", 8));
    EXPECT_TRUE(FitsFileForm("", 7));
    EXPECT_TRUE(FitsFileForm("-99999,99", 8));
    EXPECT_FALSE(FitsFileForm("-999999,99", 8));
    EXPECT_FALSE(FitsFileForm("abc", 10));
    // Exponent form of the cents is short but no field content.
    EXPECT_FALSE(FitsFileForm("1E13", 15));
    EXPECT_FALSE(FitsFileForm("0,001", 10));
}

// Whole cents are written by an exact shortcut for ordinary amounts; it must
// give the same digits as reading, multiplying by 100 and writing 15 digits.
TEST(FileForm, ShortcutAgreesWithTheFloatingRoute)
{
    std::mt19937_64 rng(42);
    for (int n = 0; n < 20000; ++n) {
        const int digits = 1 + static_cast<int>(rng() % 15);
        uint64_t cents = rng() % 1000000000000000ULL;
        for (int d = digits; d < 15; ++d)
            cents /= 10;
        std::string text = std::to_string(cents / 100);
        const int decimals = static_cast<int>(rng() % 3);
        if (decimals == 1)
            text += "," + std::to_string(cents % 100 / 10);
        else if (decimals == 2)
            text += "," + std::to_string(cents % 100 / 10) + std::to_string(cents % 10);
        if (rng() % 4 == 0)
            text = "-" + text;
        const std::string viaFloat = FormatGeneral15(StrToFloat(text) * 100);
        ASSERT_EQ(ToFileForm(text, 1), viaFloat) << text;
    }
}

TEST(FileForm, ReadsBackAsWorkingForm)
{
    std::string out = "untouched";
    auto back = [&](std::string_view field) {
        out = "untouched";
        return FromFileForm(field, out) ? out : std::string("refused");
    };
    EXPECT_EQ(back("0000123450"), "1234,5");
    EXPECT_EQ(back("0000000007"), "0,07");
    EXPECT_EQ(back("0000010000"), "100");
    EXPECT_EQ(back("0000000000"), "0");
    EXPECT_EQ(back("9999999999"), "99999999,99");
    EXPECT_EQ(back("   -00050"), "-0,5");
    EXPECT_EQ(back("+1"), "0,01");
    EXPECT_EQ(back("-0"), "0");
    EXPECT_EQ(back("123456789012345678"), "1,23456789012346E15");
    for (const char* bad : {"          ", "12345 ", "12a4", "00-5", "", "1,5"})
        EXPECT_EQ(back(bad), "refused") << '"' << bad << '"';
    EXPECT_EQ(out, "untouched");
}

TEST(FileForm, WorkingAndFileFormsRoundTrip)
{
    std::mt19937_64 rng(7);
    for (int n = 0; n < 20000; ++n) {
        const auto cents = static_cast<int64_t>(rng() % 10000000000ULL);
        char field[16];
        std::snprintf(field, sizeof field, "%010lld", static_cast<long long>(cents));
        std::string working;
        ASSERT_TRUE(FromFileForm(field, working));
        // The exact shortcut of the reading against dividing in floating point.
        ASSERT_EQ(working, FormatGeneral15(static_cast<long double>(cents) / 100)) << field;
        ASSERT_EQ(FormatAmount(StrToFloat(working)), working) << "working form must be normalised";
        ASSERT_EQ(ToFileForm(working, 10), field);
    }
}

} // namespace
