#include "workspace/StoredRowIndex.h"

#include "text/AmountText.h"
#include "workspace/DeclarationFile.h"

using namespace declaration;

namespace {

std::string TrimBothEnds(std::string_view text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
        --end;
    return std::string(text.substr(begin, end - begin));
}

std::string PairKey(const std::string& trimmedAfm, std::string_view typeInc)
{
    // The length in front keeps ("1", "23") apart from ("12", "3").
    std::string key(1, static_cast<char>(typeInc.size()));
    key.append(typeInc);
    key.append(trimmedAfm);
    return key;
}

void Bump(std::unordered_map<std::string, int>& counts, const std::string& key, int delta)
{
    auto it = counts.try_emplace(key, 0).first;
    it->second += delta;
    if (it->second <= 0)
        counts.erase(it);
}

} // namespace

StoredRowIndex::Facts StoredRowIndex::Describe(const std::string& text)
{
    Facts facts;
    facts.text = text;
    // The store hands out at most one record's width of a line.
    const std::string_view record =
        std::string_view(text).substr(0, std::min<size_t>(text.size(), RecordWidth));
    facts.afm = std::string(DetailFieldText(record, AFM));
    const std::string_view kind = DetailFieldText(record, TypeInc);
    facts.pairKey = PairKey(TrimBothEnds(facts.afm), kind);
    facts.excluded = kind == "15" || kind == "16";
    if (facts.excluded)
        return facts;
    for (size_t box = 0; box < TotalsLayout().size(); ++box) {
        const std::string_view field = DetailFieldText(record, TotalsLayout()[box].field);
        if (field.empty())
            continue;
        facts.state[box] = amount::TryStrToFloat(field, facts.value[box]) ? 1 : 2;
    }
    return facts;
}

void StoredRowIndex::Add(const Facts& facts)
{
    Bump(m_afmCounts, facts.afm, 1);
    Bump(m_pairCounts, facts.pairKey, 1);
}

void StoredRowIndex::Remove(const Facts& facts)
{
    Bump(m_afmCounts, facts.afm, -1);
    Bump(m_pairCounts, facts.pairKey, -1);
}

void StoredRowIndex::Clear()
{
    m_byId.clear();
    m_order.clear();
    m_afmCounts.clear();
    m_pairCounts.clear();
}

void StoredRowIndex::Sync(const std::vector<TFixedFormatDataSet::TLine>& lines)
{
    ++m_generation;
    m_order.clear();
    m_order.reserve(lines.size());
    for (const auto& line : lines) {
        auto [it, inserted] = m_byId.try_emplace(line.Id);
        Facts& facts = it->second;
        if (inserted || facts.text != line.Text) {
            if (!inserted)
                Remove(facts);
            facts = Describe(line.Text);
            Add(facts);
        }
        facts.generation = m_generation;
        m_order.push_back(&facts);
    }
    // Lines that went away (deleted, or a store reopened over other lines).
    if (m_byId.size() > lines.size()) {
        for (auto it = m_byId.begin(); it != m_byId.end();) {
            if (it->second.generation != m_generation) {
                Remove(it->second);
                it = m_byId.erase(it);
            } else {
                ++it;
            }
        }
    }
}

bool StoredRowIndex::HasPair(const std::string& afm, const std::string& typeInc) const
{
    return m_pairCounts.count(PairKey(TrimBothEnds(afm), typeInc)) != 0;
}

std::array<long double, 9> StoredRowIndex::Totals() const
{
    // One accumulator per box, added to in row order, so the sums come out
    // exactly as a pass over the rows would make them.
    std::array<long double, 9> sums{};
    for (const Facts* facts : m_order) {
        if (facts->excluded)
            continue;
        for (size_t box = 0; box < sums.size(); ++box) {
            if (facts->state[box] == 1) {
                sums[box] += facts->value[box];
            } else if (facts->state[box] == 2) {
                const std::string_view record =
                    std::string_view(facts->text)
                        .substr(0, std::min<size_t>(facts->text.size(), RecordWidth));
                amount::StrToFloat(DetailFieldText(record, TotalsLayout()[box].field)); // throws its error
            }
        }
    }
    return sums;
}
