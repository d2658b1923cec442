#include "declaration/StoredRowIndex.h"

#include "text/AmountText.h"
#include "declaration/DeclarationFile.h"

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

void StoredRowIndex::Describe(Slot& slot, const std::string& text)
{
    slot.text = text;
    // The store hands out at most one record's width of a line.
    const std::string_view record =
        std::string_view(text).substr(0, std::min<size_t>(text.size(), RecordWidth));
    slot.afm = std::string(DetailFieldText(record, AFM));
    const std::string_view kind = DetailFieldText(record, TypeInc);
    slot.pairKey = PairKey(TrimBothEnds(slot.afm), kind);
    slot.excluded = kind == "15" || kind == "16";
    slot.state.fill(0);
    if (slot.excluded)
        return;
    for (size_t box = 0; box < TotalsLayout().size(); ++box) {
        const std::string_view field = DetailFieldText(record, TotalsLayout()[box].field);
        if (!field.empty())
            slot.state[box] = amount::TryStrToFloat(field, slot.value[box]) ? 1 : 2;
    }
}

void StoredRowIndex::Count(const Slot& slot, int delta)
{
    if (delta == 0)
        return;
    Bump(m_afmCounts, slot.afm, delta);
    Bump(m_pairCounts, slot.pairKey, delta);
}

void StoredRowIndex::Clear()
{
    m_byId.clear();
    m_order.clear();
    m_live = 0;
    m_afmCounts.clear();
    m_pairCounts.clear();
}

StoredRowIndex::Slot& StoredRowIndex::SlotFor(int32_t id)
{
    const size_t at = static_cast<size_t>(std::max<int32_t>(id, 0));
    if (at >= m_byId.size())
        m_byId.resize(std::max(at + 1, m_byId.size() * 3 / 2));
    return m_byId[at];
}

void StoredRowIndex::Sync(const std::vector<TFixedFormatDataSet::TLine>& lines)
{
    // When most lines are new to the index (another declaration opened), the
    // number counts are rebuilt in one go: far cheaper than taking every old
    // line out of them and putting every new one in.
    size_t changed = 0;
    size_t highest = 0;
    for (const auto& line : lines) {
        const size_t at = static_cast<size_t>(std::max<int32_t>(line.Id, 0));
        highest = std::max(highest, at);
        if (at >= m_byId.size() || !m_byId[at].live || m_byId[at].text != line.Text)
            ++changed;
    }
    // Grown once to the highest id, rather than moving every slot at each
    // step of a declaration read whole.
    if (highest >= m_byId.size())
        m_byId.resize(highest + 1);
    const bool recount = changed > 1024 && changed > lines.size() / 4;
    const int in = recount ? 0 : 1;

    ++m_generation;
    m_order.clear();
    m_order.reserve(lines.size());
    size_t seen = 0;
    for (const auto& line : lines) {
        Slot& slot = SlotFor(line.Id);
        if (!slot.live) {
            Describe(slot, line.Text);
            Count(slot, in);
            slot.live = true;
            ++m_live;
        } else if (slot.text != line.Text) {
            Count(slot, -in);
            Describe(slot, line.Text);
            Count(slot, in);
        }
        if (slot.generation != m_generation) {
            slot.generation = m_generation;
            ++seen;
        }
        m_order.push_back(line.Id);
    }
    // Lines that went away (deleted, or a store reopened over fewer lines).
    if (m_live != seen) {
        for (Slot& slot : m_byId) {
            if (slot.live && slot.generation != m_generation) {
                Count(slot, -in);
                slot = Slot();
                --m_live;
            }
        }
    }
    if (recount) {
        m_afmCounts.clear();
        m_pairCounts.clear();
        m_afmCounts.reserve(m_live);
        m_pairCounts.reserve(m_live);
        for (const Slot& slot : m_byId)
            if (slot.live) {
                ++m_afmCounts[slot.afm];
                ++m_pairCounts[slot.pairKey];
            }
    }
}

void StoredRowIndex::Renumber(const std::vector<int32_t>& formerIds)
{
    std::vector<Slot> renumbered(formerIds.size() + 1);
    for (size_t k = 0; k < formerIds.size(); ++k) {
        const int32_t former = formerIds[k];
        if (former < 0 || static_cast<size_t>(former) >= m_byId.size() ||
            !m_byId[static_cast<size_t>(former)].live)
            continue;
        renumbered[k + 1] = std::move(m_byId[static_cast<size_t>(former)]);
        m_byId[static_cast<size_t>(former)] = Slot();
    }
    // Whatever was not carried over is gone from the counts too.
    for (const Slot& slot : m_byId)
        if (slot.live)
            Count(slot, -1);
    m_byId = std::move(renumbered);
    m_live = 0;
    for (const Slot& slot : m_byId)
        m_live += slot.live ? 1 : 0;
    m_order.clear();
}

bool StoredRowIndex::HasPair(const std::string& afm, const std::string& typeInc) const
{
    return m_pairCounts.count(PairKeyOf(afm, typeInc)) != 0;
}

std::string StoredRowIndex::PairKeyOf(const std::string& afm, const std::string& typeInc)
{
    return PairKey(TrimBothEnds(afm), typeInc);
}

std::array<long double, 9> StoredRowIndex::Totals() const
{
    // One accumulator per box, added to in row order, so the sums come out
    // exactly as a pass over the rows would make them.
    std::array<long double, 9> sums{};
    for (int32_t id : m_order) {
        const Slot& slot = m_byId[static_cast<size_t>(std::max<int32_t>(id, 0))];
        if (slot.excluded)
            continue;
        for (size_t box = 0; box < sums.size(); ++box) {
            if (slot.state[box] == 1) {
                sums[box] += slot.value[box];
            } else if (slot.state[box] == 2) {
                const std::string_view record =
                    std::string_view(slot.text).substr(0, std::min<size_t>(slot.text.size(), RecordWidth));
                amount::StrToFloat(DetailFieldText(record, TotalsLayout()[box].field)); // throws its error
            }
        }
    }
    return sums;
}
