#pragma once

#include <string>
#include <string_view>
#include <vector>

class UserInterface;

// True when `text` is an acceptable tax registration number: nine digits, not
// all zero, whose last digit is the check digit of the first eight (weights
// 256, 128, ..., 2; the remainder modulo 11, with 10 counting as 0). Any other
// length gives false. Nine characters that are not all digits throw
// EConvertError "'%s' is not a valid integer value", which ends the operation
// that asked, as the callers expect of a text that is no number at all.
bool CheckAFM(std::string_view text);

// The check digit ('0'..'9') that completes eight leading digits to a
// number CheckAFM accepts.
char AfmCheckDigit(std::string_view first8);

// The key filter of whole-number fields: Backspace, Tab and the digits pass;
// any other key becomes 0 (dropped) with a beep.
void DigitsOnlyKey(char16_t& key, UserInterface& ui);

// The lines as one text, each ended by CR LF, as the declaration's files hold them.
std::string JoinLines(const std::vector<std::string>& lines);
