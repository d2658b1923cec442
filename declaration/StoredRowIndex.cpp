#include "declaration/StoredRowIndex.h"

#include "declaration/ChangedSpan.h"
#include "declaration/DeclarationFile.h"
#include "text/AmountText.h"

#include <algorithm>

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

} // namespace

bool StoredRowIndex::ReadAmount(std::string_view text, long double& value)
{
    return amount::TryStrToFloat(text, value);
}

void StoredRowIndex::Describe(size_t at, const std::string& text)
{
    Slot& slot = m_byId[at];
    Amounts& amounts = m_amounts[at];
    if (slot.live && amounts.Unreadable())
        --m_unreadable;
    slot.text = text;
    // The store hands out at most one record's width of a line.
    const std::string_view record =
        std::string_view(text).substr(0, std::min<size_t>(text.size(), RecordWidth));
    slot.afm = std::string(DetailFieldText(record, AFM));
    const std::string_view kind = DetailFieldText(record, TypeInc);
    slot.pairKey = PairKey(TrimBothEnds(slot.afm), kind);
    Amounts fresh;
    fresh.excluded = kind == "15" || kind == "16";
    if (!fresh.excluded) {
        for (size_t box = 0; box < TotalsLayout().size(); ++box) {
            const std::string_view field = DetailFieldText(record, TotalsLayout()[box].field);
            if (!field.empty())
                fresh.state[box] = ReadAmount(field, fresh.value[box]) ? 1 : 2;
        }
    }
    // A line new to the index counts against no amounts at all.
    const Amounts& before = slot.live ? amounts : Amounts();
    if (!(fresh == before))
        m_amountsChanged = true;
    amounts = fresh;
    if (amounts.Unreadable())
        ++m_unreadable;
}

void StoredRowIndex::Forget(size_t at)
{
    Count(m_byId[at], -1);
    const Amounts& amounts = m_amounts[at];
    if (!(amounts == Amounts()))
        m_amountsChanged = true;
    if (amounts.Unreadable())
        --m_unreadable;
    m_byId[at] = Slot();
    m_amounts[at] = Amounts();
    --m_live;
}

void StoredRowIndex::Count(const Slot& slot, int delta)
{
    if (delta == 0)
        return;
    m_afmCounts.Bump(slot.afm, delta);
    m_pairCounts.Bump(slot.pairKey, delta);
}

void StoredRowIndex::Clear()
{
    m_byId.clear();
    m_amounts.clear();
    m_order.clear();
    m_live = 0;
    m_unreadable = 0;
    m_afmCounts.clear();
    m_pairCounts.clear();
    m_trusted = false;
    Unsum(0);
}

void StoredRowIndex::Unsum(size_t from)
{
    m_sumsFrom = std::min(m_sumsFrom, from);
    m_amountsChanged = false;
}

size_t StoredRowIndex::SlotFor(int32_t id)
{
    const size_t at = static_cast<size_t>(std::max<int32_t>(id, 0));
    if (at >= m_byId.size()) {
        const size_t size = std::max(at + 1, m_byId.size() * 3 / 2);
        m_byId.resize(size);
        m_amounts.resize(size);
    }
    return at;
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
    if (highest >= m_byId.size()) {
        m_byId.resize(highest + 1);
        m_amounts.resize(highest + 1);
    }
    const bool recount = changed > 1024 && changed > lines.size() / 4;
    const int in = recount ? 0 : 1;

    ++m_generation;
    std::vector<int32_t> order;
    order.reserve(lines.size());
    size_t seen = 0;
    for (const auto& line : lines) {
        const size_t at = SlotFor(line.Id);
        Slot& slot = m_byId[at];
        if (!slot.live) {
            Describe(at, line.Text);
            Count(slot, in);
            slot.live = true;
            ++m_live;
        } else if (slot.text != line.Text) {
            Count(slot, -in);
            Describe(at, line.Text);
            Count(slot, in);
        }
        if (slot.generation != m_generation) {
            slot.generation = m_generation;
            ++seen;
        }
        order.push_back(line.Id);
    }
    // Lines that went away (deleted, or a store reopened over fewer lines).
    if (m_live != seen) {
        for (size_t at = 0; at < m_byId.size(); ++at) {
            // With the counts rebuilt below, taking it out of them is wasted
            // but harmless.
            if (m_byId[at].live && m_byId[at].generation != m_generation)
                Forget(at);
        }
    }
    if (m_amountsChanged || order != m_order)
        Unsum(0);
    m_order = std::move(order);
    if (recount) {
        m_afmCounts.clear();
        m_pairCounts.clear();
        m_afmCounts.reserve(m_live);
        m_pairCounts.reserve(m_live);
        for (const Slot& slot : m_byId)
            if (slot.live) {
                m_afmCounts.Bump(slot.afm, 1);
                m_pairCounts.Bump(slot.pairKey, 1);
            }
    }
    m_trusted = true;
}

void StoredRowIndex::Follow(const std::vector<TFixedFormatDataSet::TLine>& lines,
                            std::optional<size_t> editedAt)
{
    const std::optional<ChangedSpan> span =
        m_trusted ? ChangedSpan::Find(m_order, lines, editedAt) : std::nullopt;
    if (!span) {
        Sync(lines);
        return;
    }
    ++m_generation;
    for (size_t k = span->start; k < span->start + span->added; ++k) {
        const auto& line = lines[k];
        const size_t at = SlotFor(line.Id);
        Slot& slot = m_byId[at];
        if (!slot.live) {
            Describe(at, line.Text);
            Count(slot, 1);
            slot.live = true;
            ++m_live;
        } else if (slot.text != line.Text) {
            Count(slot, -1);
            Describe(at, line.Text);
            Count(slot, 1);
        }
        slot.generation = m_generation;
    }
    for (size_t k = span->start; k < span->start + span->removed; ++k) {
        const size_t at = static_cast<size_t>(std::max<int32_t>(m_order[k], 0));
        if (at < m_byId.size() && m_byId[at].live && m_byId[at].generation != m_generation)
            Forget(at);
    }
    const auto from = m_order.begin() + static_cast<std::ptrdiff_t>(span->start);
    if (m_amountsChanged)
        Unsum(span->start);
    if (span->removed != span->added) {
        // A row came or went: every later one moved in the order of the sums.
        Unsum(span->start);
        m_order.erase(from, from + static_cast<std::ptrdiff_t>(span->removed));
        m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(span->start), span->added, 0);
    }
    for (size_t k = span->start; k < span->start + span->added; ++k)
        m_order[k] = lines[k].Id;
}

void StoredRowIndex::Renumber(const std::vector<int32_t>& formerIds)
{
    std::vector<Slot> renumbered(formerIds.size() + 1);
    std::vector<Amounts> amounts(formerIds.size() + 1);
    for (size_t k = 0; k < formerIds.size(); ++k) {
        const int32_t former = formerIds[k];
        if (former < 0 || static_cast<size_t>(former) >= m_byId.size() ||
            !m_byId[static_cast<size_t>(former)].live)
            continue;
        renumbered[k + 1] = std::move(m_byId[static_cast<size_t>(former)]);
        amounts[k + 1] = m_amounts[static_cast<size_t>(former)];
        m_byId[static_cast<size_t>(former)] = Slot();
    }
    // Whatever was not carried over is gone from the counts too.
    for (const Slot& slot : m_byId)
        if (slot.live)
            Count(slot, -1);
    m_byId = std::move(renumbered);
    m_amounts = std::move(amounts);
    m_live = 0;
    m_unreadable = 0;
    for (size_t at = 0; at < m_byId.size(); ++at) {
        if (!m_byId[at].live)
            continue;
        ++m_live;
        const Amounts& a = m_amounts[at];
        if (a.Unreadable())
            ++m_unreadable;
    }
    m_order.clear();
    m_trusted = false;
    Unsum(0);
}

bool StoredRowIndex::HasPair(const std::string& afm, const std::string& typeInc) const
{
    return m_pairCounts.Contains(PairKeyOf(afm, typeInc));
}

std::string StoredRowIndex::PairKeyOf(const std::string& afm, const std::string& typeInc)
{
    return PairKey(TrimBothEnds(afm), typeInc);
}

std::array<long double, 9> StoredRowIndex::Totals() const
{
    if (m_sumsFrom == SIZE_MAX && m_unreadable == 0)
        return m_sums;
    // One accumulator per box, added to in row order, so the sums come out
    // exactly as a pass over the rows would make them. An amount that cannot
    // be read is met from the first row, as such a pass meets it.
    const size_t mark = m_unreadable > 0 ? 0 : std::min(m_sumsFrom, m_order.size()) / kMarkEvery;
    m_marks.resize(std::min(m_marks.size(), mark + 1));
    if (m_marks.empty())
        m_marks.emplace_back();
    std::array<long double, 9> sums = m_marks.back();
    for (size_t row = (m_marks.size() - 1) * kMarkEvery; row < m_order.size(); ++row) {
        if (row % kMarkEvery == 0 && row / kMarkEvery == m_marks.size())
            m_marks.push_back(sums);
        const size_t at = static_cast<size_t>(std::max<int32_t>(m_order[row], 0));
        const Amounts& amounts = m_amounts[at];
        if (amounts.excluded)
            continue;
        for (size_t box = 0; box < sums.size(); ++box) {
            if (amounts.state[box] == 1) {
                sums[box] += amounts.value[box];
            } else if (amounts.state[box] == 2) {
                const std::string& text = m_byId[at].text;
                const std::string_view record =
                    std::string_view(text).substr(0, std::min<size_t>(text.size(), RecordWidth));
                amount::StrToFloat(DetailFieldText(record, TotalsLayout()[box].field)); // throws its error
            }
        }
    }
    m_sums = sums;
    m_sumsFrom = SIZE_MAX;
    return sums;
}
