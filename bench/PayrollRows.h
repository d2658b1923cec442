#pragma once

#include "bench/TaxNumber.h"

#include <random>
#include <string>
#include <vector>

// The 20 cells of sheet rows that pass every check without a question, as a
// spreadsheet shows them (decimal comma, no trailing zeros).
inline std::vector<std::vector<std::string>> PayrollRows(int count)
{
    std::mt19937 random(11);
    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const long long grossCents = 100'000 + static_cast<long long>(random() % 5'000'000);
        const long long netCents = grossCents - 20'050;
        auto amount = [](long long cents) {
            std::string text = std::to_string(cents / 100);
            if (cents % 100 != 0) {
                text += "," + std::to_string(cents % 100 / 10);
                if (cents % 10 != 0)
                    text += std::to_string(cents % 10);
            }
            return text;
        };
        rows.push_back({TaxNumber(10'000'000 + 7LL * i),
                        "ΠΑΠΑΔΟΠΟΥΛΟΣ",
                        "ΓΙΩΡΓΟΣ",
                        "ΚΩΝ",
                        "ΑΘΗΝΑ",
                        "ΠΑΤΗΣΙΩΝ",
                        "5",
                        "11257",
                        i % 2 ? "10" : "11",
                        amount(grossCents),
                        "12,34",
                        "2,47",
                        "200,5",
                        amount(netCents),
                        "0",
                        "0",
                        "",
                        "25",
                        "0",
                        "0"});
    }
    return rows;
}
