#include "dataset/FixedFormatDataSet.h"

#include "dataset/FixedFormatText.h"

#include <algorithm>

using namespace FixedFormatText;

// ---------------------------------------------------------------- conversions and fetching

void TFixedFormatDataSet::LineToRecord(const std::string& line, std::string& record) const
{
    record.assign(line, 0, static_cast<size_t>(m_recordWidth));
}

std::string TFixedFormatDataSet::RecordToLine(const std::string& record) const
{
    const size_t terminator = record.find('\0');
    return record.substr(0, std::min({terminator, record.size(), static_cast<size_t>(m_recordWidth)}));
}

void TFixedFormatDataSet::FetchInto(int line, std::string& record) const
{
    LineToRecord(m_lines[static_cast<size_t>(line)].Text, record);
    const size_t terminator = record.find('\0');
    const size_t length = std::min(terminator, static_cast<size_t>(m_recordWidth));
    if (length < record.size())
        record.resize(length);
}

bool TFixedFormatDataSet::Accepts(int line)
{
    if (!m_filtered || !OnFilterRecord)
        return true;
    FetchInto(line, m_filterRecord);
    const TDataSetState saved = m_state;
    m_state = TDataSetState::dsFilter;
    m_filterLine = line;
    bool accept = true;
    try {
        OnFilterRecord(*this, accept);
    } catch (const EAbort&) {
    } catch (const std::exception& error) {
        if (ApplicationHandleException)
            ApplicationHandleException(error);
    } catch (...) {
    }
    m_state = saved;
    m_filterLine = -1;
    return accept;
}

void TFixedFormatDataSet::Activate(int line)
{
    FetchInto(line, m_activeRecord);
    m_activeId = m_lines[static_cast<size_t>(line)].Id;
    m_hasRecord = true;
}

void TFixedFormatDataSet::ClearActive()
{
    m_activeRecord.clear();
    m_activeId = 0;
    m_hasRecord = false;
}

// Makes the first acceptable line from `start` on, in steps of `step`, the
// current record; the cursor stays where it was when there is none.
bool TFixedFormatDataSet::FetchFrom(int start, int step)
{
    const int count = RecordCount();
    for (int line = start; line >= 0 && line < count; line += step) {
        if (Accepts(line)) {
            m_currentLine = line;
            Activate(line);
            return true;
        }
    }
    return false;
}

bool TFixedFormatDataSet::FetchCurrent()
{
    return FetchFrom(m_currentLine, 1);
}

bool TFixedFormatDataSet::FetchNext()
{
    return FetchFrom(m_currentLine + 1, 1);
}

bool TFixedFormatDataSet::FetchPrior()
{
    return FetchFrom(std::min(m_currentLine, RecordCount()) - 1, -1);
}

// Puts the nearest acceptable record at the cursor current: the record there,
// else the next, else the prior one.
void TFixedFormatDataSet::Resync()
{
    if (FetchCurrent() || FetchNext() || FetchPrior()) {
        m_bof = m_eof = false;
        return;
    }
    ClearActive();
    m_bof = m_eof = true;
}

void TFixedFormatDataSet::ResyncExact()
{
    const int count = static_cast<int>(m_lines.size());
    if (m_currentLine < 0 || m_currentLine >= count || !Accepts(m_currentLine))
        Raise(kRecordNotFound);
    Activate(m_currentLine);
    m_bof = m_eof = false;
}

int TFixedFormatDataSet::IndexOfId(int32_t id, int hint) const
{
    const int count = static_cast<int>(m_lines.size());
    if (hint >= 0 && hint < count && m_lines[static_cast<size_t>(hint)].Id == id)
        return hint;
    for (int i = 0; i < count; ++i) {
        if (m_lines[static_cast<size_t>(i)].Id == id)
            return i;
    }
    return -1;
}

// ---------------------------------------------------------------- navigation

void TFixedFormatDataSet::CheckBrowseMode()
{
    CheckActive();
    if (!IsEditing())
        return;
    NotifyUpdateData();
    if (m_modified)
        PostRecord(false);
    else
        Cancel();
}

void TFixedFormatDataSet::First()
{
    JumpToEnd(true);
}

void TFixedFormatDataSet::Last()
{
    JumpToEnd(false);
}

void TFixedFormatDataSet::JumpToEnd(bool first)
{
    CheckBrowseMode();
    CallHook(BeforeScroll);
    m_currentLine = first ? -1 : RecordCount();
    const bool found = first ? FetchNext() : FetchPrior();
    if (!found) {
        ClearActive();
        m_currentLine = -1;
    }
    m_bof = first || !found;
    m_eof = !first || !found;
    NotifyScrolled();
    CallHook(AfterScroll);
}

void TFixedFormatDataSet::Next()
{
    Step(true);
}

void TFixedFormatDataSet::Prior()
{
    Step(false);
}

void TFixedFormatDataSet::Step(bool forward)
{
    CheckBrowseMode();
    CallHook(BeforeScroll);
    bool& atEnd = forward ? m_eof : m_bof;
    if (atEnd)
        return;
    (forward ? m_bof : m_eof) = false;
    if (!(forward ? FetchNext() : FetchPrior()))
        atEnd = true;
    NotifyScrolled();
    CallHook(AfterScroll);
}

bool TFixedFormatDataSet::IsEmpty() const
{
    if (!Active())
        return true;
    return m_state != TDataSetState::dsInsert && !m_hasRecord;
}

int TFixedFormatDataSet::RecordCount() const
{
    return static_cast<int>(m_lines.size());
}

int TFixedFormatDataSet::RecNo() const
{
    switch (m_state) {
    case TDataSetState::dsInactive:
    case TDataSetState::dsInsert:
        return -1;
    case TDataSetState::dsFilter:
        return m_filterLine + 1;
    case TDataSetState::dsEdit:
        return m_editId;
    default:
        return m_hasRecord ? m_activeId : -1;
    }
}

void TFixedFormatDataSet::SetRecNo(int value)
{
    CheckBrowseMode();
    if (value < 1 || value > RecordCount() || value == RecNo())
        return;
    CallHook(BeforeScroll);
    m_currentLine = value - 1;
    Resync();
    NotifyScrolled();
    CallHook(AfterScroll);
}

int32_t TFixedFormatDataSet::GetBookmark() const
{
    if (m_state == TDataSetState::dsEdit)
        return m_editId;
    if (m_state == TDataSetState::dsBrowse && m_hasRecord)
        return m_activeId;
    return 0;
}

void TFixedFormatDataSet::GotoBookmark(int32_t bookmark)
{
    CheckBrowseMode();
    CallHook(BeforeScroll);
    const int line = IndexOfId(bookmark, m_currentLine);
    if (line < 0)
        throw EDatabaseError("Bookmark not found");
    const int previous = m_currentLine;
    m_currentLine = line;
    try {
        ResyncExact();
    } catch (...) {
        m_currentLine = previous;
        throw;
    }
    NotifyScrolled();
    CallHook(AfterScroll);
}

void TFixedFormatDataSet::Refresh()
{
    CheckBrowseMode();
    CallHook(BeforeRefresh);
    if (m_hasRecord) {
        const int line = IndexOfId(m_activeId, m_currentLine);
        if (line >= 0)
            m_currentLine = line;
    }
    Resync();
    NotifyDataSetChanged();
    CallHook(AfterRefresh);
}
