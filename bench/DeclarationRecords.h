#pragma once

#include "bench/TaxNumber.h"

#include <string>

inline std::string Padded(std::string text, size_t width)
{
    text.resize(width, ' ');
    return text;
}

inline std::string Cents(long long cents, size_t width)
{
    const std::string digits = std::to_string(cents);
    return std::string(width - digits.size(), '0') + digits;
}

// A detail record in file form that passes the row checks without a question
// and the save checks too.
inline std::string DetailRecord(int index, const std::string& surname = "PAPADOPOULOS")
{
    std::string line = "3" + TaxNumber(10'000'000 + index) + " " + Padded(surname, 18) +
                       Padded("GIORGOS", 9) + Padded("KON", 3) + Padded("ATHINA", 10) +
                       Padded("PATISION", 16) + Padded("5", 5) + Padded("11257", 5) +
                       (index % 2 ? "10" : "11");
    const long long gross = 100'000 + index;
    line += Cents(gross, 10) + Cents(360, 8) + Cents(72, 7) + Cents(20'000, 9) + Cents(gross - 20'000, 10) +
            Cents(10'000, 9) + Cents(10'000, 9) + Padded("0", 6) + "025" + Cents(300, 8) + Cents(300, 8) +
            "    ";
    return line;
}

// The first two records of a declaration of last year (the save checks
// refuse a year after the current one), CR LF included.
inline std::string HeaderRecords(int lastYear)
{
    const std::string year = std::to_string(lastYear);
    return "0JL10    20250110" + year + std::string(149, ' ') + "\r\n" + "1" + year +
           Padded("YPOURGEIO", 30) + "0" + TaxNumber(9'000'004) + std::string(125, ' ') + "\r\n";
}
