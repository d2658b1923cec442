#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Amounts are decimal numbers kept as text with the comma as decimal separator
// (the Greek convention the declaration is written in). Arithmetic happens in
// 80-bit long double; results that must compare exactly are compared as the
// texts these functions produce. All texts here are ASCII, so the same
// std::string serves as cp1253 bytes.
namespace amount {

// Reads an amount: optional leading and trailing blanks, an optional sign,
// digits with at most one decimal comma, an optional exponent (E/e, optional
// sign, digits). No thousands separators, no decimal point. Returns false for
// anything else, including an empty text.
bool TryStrToFloat(std::string_view text, long double& value);

// As TryStrToFloat; throws EConvertError "'%s' is not a valid floating point value".
long double StrToFloat(std::string_view text);

// TryStrToFloat, with 0 for a text that cannot be read.
long double StrToFloatDef(std::string_view text, long double fallback = 0.0L);

// Reads a whole number: optional leading blanks, an optional sign, decimal
// digits; nothing may follow. Returns false on overflow of 64 bits.
bool TryStrToInt64(std::string_view text, int64_t& value);

// As TryStrToInt64 limited to 32 bits; throws EConvertError
// "'%s' is not a valid integer value".
int32_t StrToInt(std::string_view text);

// The pattern "0.##": at least one integer digit, at most two decimals rounded
// half away from zero on the value's 18-significant-digit decimal expansion,
// trailing decimal zeros and a bare separator dropped, decimal comma, a
// leading minus for negative values ("-0" never appears).
//   1234,50 -> "1234,5"; 12,345 -> "12,35"; 0,004 -> "0"
std::string FormatAmount(long double value);

// A whole number of cents as FormatAmount writes cents / 100, straight from
// the integer: "-1234,5" for -123450, "12" for 1200.
std::string CentsText(int64_t cents);

// The general form with 15 significant digits: fixed notation while the
// decimal exponent allows (as for any amount), scientific ("1,5E20", "1E-5")
// otherwise; no trailing decimal zeros, decimal comma.
//   799,999999999999995 -> "800"; 1234,56 * 100 -> "123456"
std::string FormatGeneral15(long double value);

// Working form to the declaration file's form: the amount in whole cents,
// filled on the left with '0' to `width` (after the sign of a negative amount,
// "-0000500", so that it reads back). An empty text counts as "0". The cents
// are the product value * 100 rendered by FormatGeneral15; a value that does
// not fit comes out whole and longer. Throws EConvertError when the text is
// not an amount.
std::string ToFileForm(std::string_view workingText, int width);
// The same, appended to `out`; throws before appending anything.
void AppendFileForm(std::string& out, std::string_view workingText, int width);

// True when `workingText` has a proper file form in a field of `width`: whole
// cents in at most `width` characters. False for an amount too large (whose
// cents would be longer, or written in exponent form), for fractions of a cent
// and for a text that is not an amount.
bool FitsFileForm(std::string_view workingText, int width);

// File form back to working form: the field read as a whole number of cents
// (leading blanks and one leading sign accepted) divided by 100 and rendered
// by FormatGeneral15. Returns false, leaving `out` alone, when the field is not
// a whole number.
bool FromFileForm(std::string_view fileField, std::string& out);

} // namespace amount
