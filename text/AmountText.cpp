#include "text/AmountText.h"

#include "text/ConvertError.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <locale.h>

namespace amount {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The C locale for strtold_l: the program's own locale may use a decimal comma.
locale_t cLocale()
{
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
    return loc;
}

// A decimal expansion: value = (negative ? -1 : 1) * 0.digits * 10^point.
// An empty `digits` is zero.
struct Decimal
{
    bool negative = false;
    std::string digits;
    int point = 0;
};

void stripTrailingZeros(Decimal& d)
{
    while (!d.digits.empty() && d.digits.back() == '0')
        d.digits.pop_back();
}

// The value's 18 significant decimal digits, the precision an 80-bit value
// carries; every rounding below works on this text so that 0,005 rounds up
// although its binary value lies just below the half.
Decimal expand18(long double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17Le", value);
    Decimal d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (isDigit(*p))
            d.digits.push_back(*p);
    d.point = (*p == 'e') ? std::atoi(p + 1) + 1 : 0;
    stripTrailingZeros(d);
    if (d.digits.empty())
        d.negative = false;
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the next one.
void roundDigits(Decimal& d, int keep)
{
    if (keep >= static_cast<int>(d.digits.size()))
        return;
    if (keep < 0) {
        d.digits.clear();
    } else {
        const bool up = d.digits[keep] >= '5';
        d.digits.resize(keep);
        if (up) {
            int i = keep - 1;
            while (i >= 0 && d.digits[i] == '9')
                d.digits[i--] = '0';
            if (i >= 0) {
                ++d.digits[i];
            } else {
                d.digits.insert(d.digits.begin(), '1');
                ++d.point;
            }
        }
    }
    stripTrailingZeros(d);
    if (d.digits.empty())
        d.negative = false;
}

std::string fixedText(const Decimal& d)
{
    if (d.digits.empty())
        return "0";
    const int n = static_cast<int>(d.digits.size());
    std::string s = d.negative ? "-" : "";
    if (d.point <= 0) {
        s += "0,";
        s.append(-d.point, '0');
        s += d.digits;
    } else if (d.point >= n) {
        s += d.digits;
        s.append(d.point - n, '0');
    } else {
        s.append(d.digits, 0, d.point);
        s += ',';
        s.append(d.digits, d.point);
    }
    return s;
}

std::string scientificText(const Decimal& d)
{
    std::string s = d.negative ? "-" : "";
    s += d.digits[0];
    if (d.digits.size() > 1) {
        s += ',';
        s.append(d.digits, 1);
    }
    return s + "E" + std::to_string(d.point - 1);
}

std::string nonFiniteText(long double value)
{
    if (std::isnan(value))
        return "NAN";
    return value < 0 ? "-INF" : "INF";
}

// Zeros go after a minus sign, so that a negative amount stays a number the
// reading accepts ("-0000500", not "0000-500").
std::string zeroFilled(std::string text, int width)
{
    if (static_cast<int>(text.size()) < width)
        text.insert(text[0] == '-' ? 1 : 0, width - text.size(), '0');
    return text;
}

bool isWholeCents(std::string_view text)
{
    if (!text.empty() && text[0] == '-')
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A working amount of plain digits with at most two decimals and at most 15
// significant digits. For such a text the floating route (read, times 100,
// 15 significant digits) is exact: the product lies within 2^-63 relative of
// the whole number of cents, far inside the 18-digit rounding, so the cents
// are computed directly. Anything else takes the floating route.
bool exactCents(std::string_view text, bool& negative, uint64_t& cents)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    uint64_t whole = 0;
    int digits = 0;
    int seen = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++seen) {
        whole = whole * 10 + uint64_t(text[i] - '0');
        if (whole != 0)
            ++digits;
    }
    int decimals = 0;
    if (i < text.size() && text[i] == ',') {
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++decimals, ++seen) {
            if (decimals == 2)
                return false;
            whole = whole * 10 + uint64_t(text[i] - '0');
            if (whole != 0)
                ++digits;
        }
    }
    while (i < text.size() && text[i] == ' ')
        ++i;
    if (i != text.size() || seen == 0 || digits > 15)
        return false;
    for (; decimals < 2; ++decimals)
        whole *= 10;
    cents = whole;
    return true;
}

} // namespace

bool TryStrToFloat(std::string_view text, long double& value)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    const size_t numberStart = i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // The digits are gathered as a whole number over a power of ten as well:
    // while both are exact, their quotient is the one correctly rounded value
    // the C reading would give, without its cost.
    uint64_t whole = 0;
    int decimals = 0;
    bool exact = true;
    const auto gather = [&](char c) {
        if (whole > (UINT64_MAX - 9) / 10)
            exact = false;
        else
            whole = whole * 10 + uint64_t(c - '0');
    };
    size_t mantissaDigits = 0;
    for (; i < n && isDigit(text[i]); ++i, ++mantissaDigits)
        gather(text[i]);
    size_t comma = std::string_view::npos;
    if (i < n && text[i] == ',') {
        comma = i;
        for (++i; i < n && isDigit(text[i]); ++i, ++mantissaDigits, ++decimals)
            gather(text[i]);
    }
    if (mantissaDigits == 0)
        return false;
    bool exponent = false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        exponent = true;
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-'))
            ++i;
        size_t exponentDigits = 0;
        for (; i < n && isDigit(text[i]); ++i, ++exponentDigits) {
        }
        if (exponentDigits == 0)
            return false;
    }
    const size_t numberEnd = i;
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n)
        return false;
    if (exact && !exponent && decimals <= 19) {
        long double scale = 1.0L;
        for (int k = 0; k < decimals; ++k)
            scale *= 10.0L;
        const long double magnitude = static_cast<long double>(whole) / scale;
        value = negative ? -magnitude : magnitude;
        return true;
    }
    // The same number in C notation, for strtold_l.
    std::string c(text.substr(numberStart, numberEnd - numberStart));
    if (comma != std::string_view::npos)
        c[comma - numberStart] = '.';
    errno = 0;
    const long double v = strtold_l(c.c_str(), nullptr, cLocale());
    if (!std::isfinite(v))
        return false;
    value = v;
    return true;
}

long double StrToFloat(std::string_view text)
{
    long double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError::InvalidFloat(text);
    return value;
}

long double StrToFloatDef(std::string_view text, long double fallback)
{
    long double value = 0;
    return TryStrToFloat(text, value) ? value : fallback;
}

bool TryStrToInt64(std::string_view text, int64_t& value)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == text.size())
        return false;
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
        const uint64_t digit = uint64_t(text[i] - '0');
        if (magnitude > (limit - digit) / 10)
            return false;
        magnitude = magnitude * 10 + digit;
    }
    value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

int32_t StrToInt(std::string_view text)
{
    int64_t value = 0;
    if (!TryStrToInt64(text, value) || value < INT32_MIN || value > INT32_MAX)
        throw EConvertError::InvalidInteger(text);
    return static_cast<int32_t>(value);
}

namespace {

// True when `value` is the 80-bit value nearest to a whole number of cents
// of at most 15 digits, as every amount read from a text with two decimals
// is. Its 18-digit expansion is then exactly those cents, so both formats
// can be written from the integer without the costly decimal expansion.
bool isNearestToCents(long double value, int64_t& cents)
{
    if (!(std::fabs(value) < 1e13L))
        return false;
    cents = std::llround(value * 100.0L);
    return static_cast<long double>(cents) / 100.0L == value;
}

} // namespace

std::string CentsText(int64_t cents)
{
    const bool negative = cents < 0;
    const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(cents) : static_cast<uint64_t>(cents);
    char buffer[32];
    char* end = buffer + sizeof buffer;
    char* p = end;
    const unsigned fraction = static_cast<unsigned>(magnitude % 100);
    if (fraction != 0) {
        if (fraction % 10 != 0)
            *--p = static_cast<char>('0' + fraction % 10);
        *--p = static_cast<char>('0' + fraction / 10);
        *--p = ',';
    }
    uint64_t whole = magnitude / 100;
    do {
        *--p = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole != 0);
    if (negative)
        *--p = '-';
    return std::string(p, end);
}

std::string FormatAmount(long double value)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (int64_t cents = 0; isNearestToCents(value, cents))
        return CentsText(cents);
    Decimal d = expand18(value);
    roundDigits(d, d.point + 2);
    return fixedText(d);
}

std::string FormatGeneral15(long double value)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    constexpr int precision = 15;
    if (int64_t cents = 0; isNearestToCents(value, cents))
        return CentsText(cents); // at most 15 digits, exponent within -2..12
    Decimal d = expand18(value);
    roundDigits(d, precision);
    if (d.digits.empty())
        return "0";
    const int exponent = d.point - 1;
    if (exponent >= precision || exponent < -4)
        return scientificText(d);
    return fixedText(d);
}

std::string ToFileForm(std::string_view workingText, int width)
{
    std::string out;
    AppendFileForm(out, workingText, width);
    return out;
}

void AppendFileForm(std::string& out, std::string_view workingText, int width)
{
    bool negative = false;
    uint64_t cents = 0;
    const size_t filled = static_cast<size_t>(std::max(width, 1));
    if (workingText.empty()) {
        out.append(filled, '0');
        return;
    }
    if (!exactCents(workingText, negative, cents)) {
        out += zeroFilled(FormatGeneral15(StrToFloat(workingText) * 100.0L), width);
        return;
    }
    // Written straight from the integer, the zeros after the sign.
    char digits[24];
    char* const end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = static_cast<char>('0' + cents % 10);
        cents /= 10;
    } while (cents != 0);
    const size_t count = static_cast<size_t>(end - p);
    const size_t sign = negative && !(count == 1 && *p == '0') ? 1 : 0;
    if (sign)
        out += '-';
    if (count + sign < filled)
        out.append(filled - count - sign, '0');
    out.append(p, count);
}

bool FitsFileForm(std::string_view workingText, int width)
{
    // Plain digits with at most two decimals, what the row checks leave, are
    // judged from the whole number of cents without building its text.
    bool negative = false;
    uint64_t exact = 0;
    if (!workingText.empty() && exactCents(workingText, negative, exact)) {
        int length = exact == 0 ? 1 : (negative ? 1 : 0);
        for (; exact != 0; exact /= 10)
            ++length;
        return length <= width;
    }
    long double value = 0;
    if (!workingText.empty() && !TryStrToFloat(workingText, value))
        return false;
    const std::string cents = ToFileForm(workingText, width);
    return static_cast<int>(cents.size()) <= width && isWholeCents(cents);
}

bool FromFileForm(std::string_view fileField, std::string& out)
{
    int64_t cents = 0;
    if (!TryStrToInt64(fileField, cents))
        return false;
    constexpr int64_t exactLimit = 1000000000000000; // 15 digits: N / 100 is exact in 18 digits
    if (cents > -exactLimit && cents < exactLimit) {
        out = CentsText(cents);
        return true;
    }
    out = FormatGeneral15(static_cast<long double>(cents) / 100.0L);
    return true;
}

} // namespace amount
