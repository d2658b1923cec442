#pragma once

#include <array>
#include <cstddef>
#include <string>

// What the totals boxes show: the nine sums of the stored rows as amount
// texts (the boxes Edit1..Edit9) and the row label Label32 that counts the
// rows and their distinct tax numbers. A value: the workspace makes a new one
// whenever the rows change, everyone else reads it.
class Totals
{
public:
    static constexpr size_t BoxCount = 9;
    // The box texts in the order Edit1..Edit9 (index 0 is Edit1), the order
    // the declaration's totals record holds them in.
    using Boxes = std::array<std::string, BoxCount>;
    // The boxes left to right as the window shows them and the reports'
    // totals rows print them: the pay and tax amounts, then the two levies on
    // the tax (the last LevyCount).
    static constexpr std::array<size_t, BoxCount> ShownOrder = {0, 4, 5, 1, 2, 3, 6, 7, 8};
    static constexpr size_t LevyCount = 2;

    // The row label before any declaration is started or opened.
    Totals() = default;
    Totals(const Boxes& edits, std::string label32);

    const std::string& GrossPay() const { return m_grossPay; }               // Edit1
    const std::string& Deductions() const { return m_deductions; }           // Edit2
    const std::string& NetPay() const { return m_netPay; }                   // Edit3
    const std::string& TaxWithheld() const { return m_taxWithheld; }         // Edit4
    const std::string& StampDuty() const { return m_stampDuty; }             // Edit5
    const std::string& StampDutyLevy() const { return m_stampDutyLevy; }     // Edit6
    const std::string& TaxDue() const { return m_taxDue; }                   // Edit7
    const std::string& TaxLevyWithheld() const { return m_taxLevyWithheld; } // Edit8
    const std::string& TaxLevyDue() const { return m_taxLevyDue; }           // Edit9
    const std::string& Label32() const { return m_label32; }

    // All nine box texts, Edit1 first.
    Boxes Edits() const;

    bool operator==(const Totals&) const = default;

private:
    std::string m_grossPay;
    std::string m_deductions;
    std::string m_netPay;
    std::string m_taxWithheld;
    std::string m_stampDuty;
    std::string m_stampDutyLevy;
    std::string m_taxDue;
    std::string m_taxLevyWithheld;
    std::string m_taxLevyDue;
    std::string m_label32 = " Εγγραφές (Πελάτες)";
};
