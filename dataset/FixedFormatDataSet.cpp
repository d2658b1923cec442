#include "dataset/FixedFormatDataSet.h"

#include "dataset/FixedFormatText.h"
#include "dataset/LineFile.h"

#include <algorithm>

using namespace FixedFormatText;

// ---------------------------------------------------------------- TField

TField::TField(TFixedFormatDataSet& dataSet, std::string name, int offset, int size, int index)
    : m_dataSet(dataSet), m_name(std::move(name)), m_offset(offset), m_size(size), m_index(index)
{
}

bool TField::IsNull() const
{
    const std::string* record = m_dataSet.ActiveRecordText();
    return !record || static_cast<size_t>(m_offset) >= record->size();
}

std::string TField::AsString() const
{
    const std::string* record = m_dataSet.ActiveRecordText();
    return record ? std::string(m_dataSet.FieldView(*record, *this)) : std::string();
}

void TField::SetAsString(std::string_view value)
{
    m_dataSet.WriteField(*this, value);
}

// ---------------------------------------------------------------- construction and properties

TFixedFormatDataSet::TFixedFormatDataSet(std::string name) : m_name(std::move(name)) {}

TFixedFormatDataSet::~TFixedFormatDataSet()
{
    // The owner is being torn down, so no hook may run; stored rows are still
    // written as a close would, and a failure here has nobody left to tell.
    if (Active() && !m_readOnly && !m_inMemory && m_linesChanged) {
        try {
            TLineFile::WriteAtomically(m_fileName, JoinLines(m_lines));
        } catch (...) {
        }
    }
}

void TFixedFormatDataSet::Raise(const std::string& message) const
{
    throw EDatabaseError(m_name + ": " + message);
}

void TFixedFormatDataSet::CheckActive() const
{
    if (!Active())
        Raise(kClosed);
}

void TFixedFormatDataSet::CheckInactive() const
{
    if (Active())
        Raise(kOpen);
}

void TFixedFormatDataSet::CheckCanModify() const
{
    if (!CanModify())
        Raise(kReadOnly);
}

void TFixedFormatDataSet::SetFileName(const std::string& path)
{
    CheckInactive();
    m_fileName = path;
    m_inMemory = false;
}

void TFixedFormatDataSet::SetFileMustExist(bool value)
{
    CheckInactive();
    m_fileMustExist = value;
}

void TFixedFormatDataSet::SetReadOnly(bool value)
{
    CheckInactive();
    m_readOnly = value;
}

void TFixedFormatDataSet::SetTrimSpace(bool value)
{
    CheckInactive();
    m_trimSpace = value;
}

void TFixedFormatDataSet::SetFiltered(bool value)
{
    if (!Active()) {
        m_filtered = value;
        return;
    }
    CheckBrowseMode();
    m_filtered = value;
    First();
}

void TFixedFormatDataSet::CallHook(const THook& hook)
{
    if (hook)
        hook(*this);
}

void TFixedFormatDataSet::SetState(TDataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    m_modified = false;
    NotifyStateChanged();
}

// ---------------------------------------------------------------- open, close, files

void TFixedFormatDataSet::ReadLines(std::vector<TLine>& lines, size_t& longest) const
{
    const std::string bytes = TLineFile::ReadAll(m_fileName);
    const std::string_view content = TLineFile::ReadableContent(bytes);
    lines.reserve(TLineFile::LineCountHint(content));
    longest = 0;
    int32_t id = 0;
    TLineFile::ForEachLine(content, [&](std::string_view line) {
        longest = std::max(longest, line.size());
        lines.push_back(TLine{std::string(line), ++id});
    });
}

std::string TFixedFormatDataSet::JoinLines(const std::vector<TLine>& lines) const
{
    size_t total = 0;
    for (const TLine& line : lines)
        total += line.Text.size() + 2;
    std::string bytes;
    bytes.reserve(total);
    for (const TLine& line : lines) {
        bytes += line.Text;
        bytes += "\r\n";
    }
    return bytes;
}

void TFixedFormatDataSet::Open()
{
    if (Active())
        return;
    CallHook(BeforeOpen);
    std::vector<TLine> lines;
    size_t longest = 0;
    if (!m_inMemory) {
        if (!m_fileMustExist && !TLineFile::Exists(m_fileName))
            TLineFile::CreateEmpty(m_fileName);
        ReadLines(lines, longest);
    }
    OpenWith(std::move(lines), longest);
}

void TFixedFormatDataSet::OpenOnLines(std::vector<TLine> lines)
{
    CheckInactive();
    CallHook(BeforeOpen);
    m_inMemory = true;
    m_fileName.clear();
    size_t longest = 0;
    for (const TLine& line : lines)
        longest = std::max(longest, line.Text.size());
    OpenWith(std::move(lines), longest);
}

std::vector<TFixedFormatDataSet::TLine> TFixedFormatDataSet::NumberedLines(std::vector<std::string> texts)
{
    std::vector<TLine> lines;
    lines.reserve(texts.size());
    int32_t id = 0;
    for (std::string& text : texts)
        lines.push_back(TLine{std::move(text), ++id});
    return lines;
}

void TFixedFormatDataSet::OpenWith(std::vector<TLine> lines, size_t longest)
{
    m_lines = std::move(lines);
    m_linesChanged = false;
    m_lastRecordId = 0;
    for (const TLine& line : m_lines)
        m_lastRecordId = std::max(m_lastRecordId, line.Id);
    BuildFields(longest);
    m_currentLine = -1;
    m_state = TDataSetState::dsBrowse;
    m_modified = false;
    const bool found = FetchNext();
    if (!found)
        ClearActive();
    m_bof = true;
    m_eof = !found;
    NotifyStateChanged();
    NotifyDataSetChanged();
    CallHook(AfterOpen);
}

void TFixedFormatDataSet::Close()
{
    std::vector<TLine> dropped;
    Close(dropped);
}

void TFixedFormatDataSet::Close(std::vector<TLine>& heldLines)
{
    if (!Active())
        return;
    CallHook(BeforeClose);
    // A failed write keeps the store open with every line, so nothing stored
    // is lost and the caller can try again or write elsewhere.
    if (!m_readOnly && !m_inMemory && m_linesChanged)
        TLineFile::WriteAtomically(m_fileName, JoinLines(m_lines));

    heldLines.clear();
    heldLines.swap(m_lines);
    m_fieldCount = 0;
    m_currentLine = -1;
    m_lastRecordId = 0;
    m_recordWidth = 0;
    m_editBuffer.clear();
    m_insertPosition = -1;
    m_isAppend = false;
    ClearActive();
    m_bof = m_eof = true;
    SetState(TDataSetState::dsInactive);
    NotifyDataSetChanged();
    CallHook(AfterClose);
}

void TFixedFormatDataSet::WriteFileAs(const std::string& path, bool inPlace)
{
    // A closed store holds no lines; writing them would empty the file.
    CheckActive();
    if (inPlace)
        TLineFile::Overwrite(path, JoinLines(m_lines));
    else
        TLineFile::WriteAtomically(path, JoinLines(m_lines));
    m_fileName = path;
    m_inMemory = false;
    m_linesChanged = false;
}

void TFixedFormatDataSet::DropBlankLines()
{
    CheckActive();
    CheckCanModify();
    CheckBrowseMode();
    const int32_t currentId = m_hasRecord ? m_activeId : 0;
    int newCurrent = -1;
    size_t kept = 0;
    for (size_t i = 0; i < m_lines.size(); ++i) {
        // A dropped current record leaves its place to the one that follows.
        if (m_lines[i].Id == currentId)
            newCurrent = static_cast<int>(kept);
        if (TrimBlanks(m_lines[i].Text).empty())
            continue;
        if (kept != i)
            m_lines[kept] = std::move(m_lines[i]);
        ++kept;
    }
    if (kept == m_lines.size())
        return;
    m_lines.resize(kept);
    m_linesChanged = true;
    const int count = static_cast<int>(m_lines.size());
    m_currentLine = std::min(newCurrent < 0 ? m_currentLine : newCurrent, count - 1);
    Resync();
    NotifyDataSetChanged();
}

void TFixedFormatDataSet::CutLinesToWidth()
{
    CheckActive();
    CheckCanModify();
    // Cut a copy and write it; the held lines change only once the file has them.
    std::vector<TLine> cut = m_lines;
    std::string record;
    for (auto line = cut.rbegin(); line != cut.rend(); ++line) {
        LineToRecord(line->Text, record);
        line->Text = RecordToLine(record);
    }
    if (!m_inMemory)
        TLineFile::WriteAtomically(m_fileName, JoinLines(cut));
    m_lines = std::move(cut);
    if (m_state == TDataSetState::dsBrowse)
        Resync();
    NotifyDataSetChanged();
}

// ---------------------------------------------------------------- observers

void TFixedFormatDataSet::AddObserver(TDataSetObserver* observer)
{
    if (observer && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end())
        m_observers.push_back(observer);
}

void TFixedFormatDataSet::RemoveObserver(TDataSetObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

void TFixedFormatDataSet::DisableControls()
{
    ++m_disableCount;
}

void TFixedFormatDataSet::EnableControls()
{
    if (m_disableCount > 0 && --m_disableCount == 0)
        NotifyDataSetChanged();
}

template <class Call> void TFixedFormatDataSet::Notify(Call call, bool evenWhenDisabled)
{
    if (m_observers.empty() || (m_disableCount > 0 && !evenWhenDisabled))
        return;
    // An observer may detach itself or another one while it is told.
    const std::vector<TDataSetObserver*> observers = m_observers;
    for (TDataSetObserver* observer : observers) {
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end())
            call(*observer);
    }
}

void TFixedFormatDataSet::NotifyUpdateData()
{
    Notify([this](TDataSetObserver& o) { o.UpdateData(*this); }, true);
}

void TFixedFormatDataSet::NotifyDataSetChanged()
{
    Notify([this](TDataSetObserver& o) { o.DataSetChanged(*this); });
}

void TFixedFormatDataSet::NotifyStateChanged()
{
    Notify([this](TDataSetObserver& o) { o.StateChanged(*this); });
}

void TFixedFormatDataSet::NotifyScrolled()
{
    Notify([this](TDataSetObserver& o) { o.Scrolled(*this); });
}

void TFixedFormatDataSet::NotifyRecordChanged(const TField* field)
{
    Notify([this, field](TDataSetObserver& o) { o.RecordChanged(*this, field); });
}
