#include "declaration/Totals.h"

#include <utility>

Totals::Totals(const Boxes& edits, std::string label32)
    : m_grossPay(edits[0]), m_deductions(edits[1]), m_netPay(edits[2]), m_taxWithheld(edits[3]),
      m_stampDuty(edits[4]), m_stampDutyLevy(edits[5]), m_taxDue(edits[6]), m_taxLevyWithheld(edits[7]),
      m_taxLevyDue(edits[8]), m_label32(std::move(label32))
{
}

Totals::Boxes Totals::Edits() const
{
    return {m_grossPay,      m_deductions, m_netPay,          m_taxWithheld, m_stampDuty,
            m_stampDutyLevy, m_taxDue,     m_taxLevyWithheld, m_taxLevyDue};
}
