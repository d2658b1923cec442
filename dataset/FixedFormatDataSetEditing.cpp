#include "dataset/FixedFormatDataSet.h"

#include "dataset/FixedFormatText.h"

#include <algorithm>
#include <iterator>

using namespace FixedFormatText;

// ---------------------------------------------------------------- editing

template <class Operation>
void TFixedFormatDataSet::CheckOperation(Operation operation, const TErrorHook& onError)
{
    for (;;) {
        try {
            operation();
            return;
        } catch (const EDatabaseError& error) {
            TDataAction action = TDataAction::daFail;
            if (onError)
                onError(*this, error, action);
            if (action == TDataAction::daFail)
                throw;
            if (action == TDataAction::daAbort)
                throw EAbort();
        }
    }
}

void TFixedFormatDataSet::Edit()
{
    CheckActive();
    if (IsEditing())
        return;
    if (!m_hasRecord) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    CallHook(BeforeEdit);
    CheckOperation(
        [this] {
            const int line = IndexOfId(m_activeId, m_currentLine);
            if (line < 0)
                Raise(kRecordNotFound);
            m_currentLine = line;
            FetchInto(line, m_editBuffer);
        },
        OnEditError);
    m_editId = m_activeId;
    SetState(TDataSetState::dsEdit);
    NotifyRecordChanged(nullptr);
    CallHook(AfterEdit);
}

void TFixedFormatDataSet::BeginInsertAppend()
{
    CheckBrowseMode();
    CheckCanModify();
    CallHook(BeforeInsert);
    CallHook(BeforeScroll);
}

void TFixedFormatDataSet::EndInsertAppend()
{
    m_editBuffer.clear();
    m_editId = 0;
    SetState(TDataSetState::dsInsert);
    try {
        CallHook(OnNewRecord);
    } catch (...) {
        RestoreCursorAfterEdit();
        SetState(TDataSetState::dsBrowse);
        Resync();
        NotifyDataSetChanged();
        throw;
    }
    m_modified = false;
    NotifyDataSetChanged();
    CallHook(AfterInsert);
    CallHook(AfterScroll);
}

void TFixedFormatDataSet::Insert()
{
    BeginInsertAppend();
    m_isAppend = false;
    m_insertBeforeId = m_hasRecord ? m_activeId : 0;
    m_insertPosition = m_hasRecord ? m_currentLine : RecordCount();
    EndInsertAppend();
}

void TFixedFormatDataSet::Append()
{
    BeginInsertAppend();
    m_isAppend = true;
    m_insertBeforeId = 0;
    m_insertPosition = RecordCount();
    m_currentLine = RecordCount();
    m_bof = false;
    m_eof = true;
    EndInsertAppend();
}

void TFixedFormatDataSet::InsertAtFront(const std::vector<std::string>& records)
{
    CheckActive();
    CheckBrowseMode();
    CheckCanModify();
    if (records.empty())
        return;
    std::vector<TLine> lines;
    lines.reserve(records.size() + m_lines.size());
    for (size_t k = records.size(); k-- > 0;)
        lines.push_back(TLine{RecordToLine(records[k]), m_lastRecordId + 1 + static_cast<int32_t>(k)});
    std::move(m_lines.begin(), m_lines.end(), std::back_inserter(lines));
    m_lines = std::move(lines);
    m_lastRecordId += static_cast<int32_t>(records.size());
    m_linesChanged = true;
    m_currentLine = 0;
    Resync();
    NotifyDataSetChanged();
}

// Leaves the cursor where the record shown before the edit or insertion is.
void TFixedFormatDataSet::RestoreCursorAfterEdit()
{
    if (m_state == TDataSetState::dsInsert) {
        if (m_isAppend || m_insertBeforeId == 0) {
            m_currentLine = m_isAppend ? RecordCount() : m_currentLine;
        } else {
            const int line = IndexOfId(m_insertBeforeId, m_insertPosition);
            if (line >= 0)
                m_currentLine = line;
        }
    } else if (m_state == TDataSetState::dsEdit) {
        const int line = IndexOfId(m_editId, m_currentLine);
        if (line >= 0)
            m_currentLine = line;
    }
    m_editBuffer.clear();
    m_insertPosition = -1;
    m_isAppend = false;
}

void TFixedFormatDataSet::Post()
{
    PostRecord(true);
}

void TFixedFormatDataSet::PostRecord(bool handInEdits)
{
    CheckActive();
    if (!IsEditing())
        Raise(kNotEditing);
    if (handInEdits)
        NotifyUpdateData();
    CallHook(BeforePost);
    if (!IsEditing())
        return; // the hook settled the record itself
    CheckOperation([this] { StoreRecord(); }, OnPostError);
    m_editBuffer.clear();
    m_insertPosition = -1;
    m_isAppend = false;
    SetState(TDataSetState::dsBrowse);
    Resync();
    NotifyDataSetChanged();
    CallHook(AfterPost);
}

void TFixedFormatDataSet::StoreRecord()
{
    std::string line = RecordToLine(m_editBuffer);
    if (m_state == TDataSetState::dsEdit) {
        const int index = IndexOfId(m_editId, m_currentLine);
        if (index < 0)
            Raise(kRecordNotFound);
        m_lines[static_cast<size_t>(index)].Text = std::move(line);
        m_currentLine = index;
    } else {
        const int count = RecordCount();
        int index = count;
        if (!m_isAppend && m_insertBeforeId != 0) {
            index = IndexOfId(m_insertBeforeId, m_insertPosition);
            if (index < 0)
                index = std::clamp(m_insertPosition, 0, count);
        }
        m_lines.insert(m_lines.begin() + index, TLine{std::move(line), m_lastRecordId + 1});
        ++m_lastRecordId;
        m_currentLine = index;
    }
    m_linesChanged = true;
}

void TFixedFormatDataSet::Cancel()
{
    if (!IsEditing())
        return;
    const bool inserting = m_state == TDataSetState::dsInsert;
    CallHook(BeforeCancel);
    if (inserting)
        CallHook(BeforeScroll);
    RestoreCursorAfterEdit();
    SetState(TDataSetState::dsBrowse);
    Resync();
    NotifyDataSetChanged();
    CallHook(AfterCancel);
    if (inserting)
        CallHook(AfterScroll);
}

void TFixedFormatDataSet::Delete()
{
    CheckActive();
    if (m_state == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    // Deletion changes the lines as much as editing does.
    CheckCanModify();
    if (!m_hasRecord)
        Raise(kEmpty);
    const int32_t id = m_state == TDataSetState::dsEdit ? m_editId : m_activeId;
    CallHook(BeforeDelete);
    CallHook(BeforeScroll);
    // The record asked for goes, or none: hooks that moved the cursor meanwhile
    // must not make another record go in its place.
    CheckOperation(
        [this, id] {
            const int line = IndexOfId(id, m_currentLine);
            if (line < 0)
                Raise(kRecordNotFound);
            m_lines.erase(m_lines.begin() + line);
            m_currentLine = std::min(line, RecordCount() - 1);
            m_linesChanged = true;
        },
        OnDeleteError);
    m_editBuffer.clear();
    SetState(TDataSetState::dsBrowse);
    Resync();
    NotifyDataSetChanged();
    CallHook(AfterDelete);
    CallHook(AfterScroll);
}
