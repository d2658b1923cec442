#pragma once

#include "declaration/Helpers.h"

#include <string>

// A nine-digit tax number whose last digit is the check digit of the first eight.
inline std::string TaxNumber(long long first8)
{
    std::string digits = std::to_string(first8);
    digits.insert(0, 8 - digits.size(), '0');
    return digits + AfmCheckDigit(digits);
}
