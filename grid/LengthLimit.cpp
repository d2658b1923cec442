#include "grid/LengthLimit.h"

#include <algorithm>

TLengthLimit::TLengthLimit(int limit, std::function<void()> beep, QObject* parent)
    : QValidator(parent), m_limit(limit), m_beep(std::move(beep))
{
}

QValidator::State TLengthLimit::validate(QString& input, int& pos) const
{
    if (Cut(input, pos, m_limit) && m_beep) {
        m_beep();
    }
    return Acceptable;
}

bool TLengthLimit::Cut(QString& text, int& cursor, int limit)
{
    if (limit <= 0 || text.size() <= limit) {
        return false;
    }
    const int excess = static_cast<int>(text.size()) - limit;
    const int from = std::max(0, cursor - excess);
    text.remove(from, std::min(excess, cursor - from));
    text.truncate(limit);
    cursor = std::min<int>(from, static_cast<int>(text.size()));
    return true;
}
