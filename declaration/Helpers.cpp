#include "declaration/Helpers.h"

#include "text/ConvertError.h"
#include "declaration/UserInterface.h"

#include <algorithm>

bool CheckAFM(std::string_view text)
{
    if (text.size() != 9)
        return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        throw EConvertError::InvalidInteger(text);
    if (text.find_first_not_of('0') == std::string_view::npos)
        return false;
    return AfmCheckDigit(text.substr(0, 8)) == text[8];
}

char AfmCheckDigit(std::string_view first8)
{
    int sum = 0;
    for (size_t i = 0; i < 8 && i < first8.size(); ++i)
        sum += (first8[i] - '0') << (8 - i);
    return static_cast<char>('0' + sum % 11 % 10);
}

void DigitsOnlyKey(char16_t& key, UserInterface& ui)
{
    const bool passes = key == 8 || key == 9 || (key >= u'0' && key <= u'9');
    if (!passes) {
        key = 0;
        ui.Beep();
    }
}

std::string JoinLines(const std::vector<std::string>& lines)
{
    std::string text;
    size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const auto& line : lines)
        text.append(line).append("\r\n");
    return text;
}
