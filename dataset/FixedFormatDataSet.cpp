#include "dataset/FixedFormatDataSet.h"

#include "dataset/LineFile.h"

#include <algorithm>
#include <charconv>
#include <iterator>
#include <climits>
#include <optional>

namespace {

constexpr int kDefaultWidth = 250;
// Wider than this is a slip in the schema, not a record layout.
constexpr int kMaxFieldWidth = 1 << 20;

const char* const kClosed = "Cannot perform this operation on a closed dataset";
const char* const kOpen = "Cannot perform this operation on an open dataset";
const char* const kNotEditing = "Dataset not in edit or insert mode";
const char* const kReadOnly = "Cannot modify a read-only dataset";
const char* const kEmpty = "Cannot perform this operation on an empty dataset";
const char* const kRecordNotFound = "Record not found";

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// Only Latin letters fold: Greek capitals and small letters stay distinct.
char AsciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::optional<int> ParseWidth(std::string_view text)
{
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int width = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (width < 0 || width > kMaxFieldWidth)
        return std::nullopt;
    return width;
}

struct TFieldDef
{
    std::string Name;
    int Size;
};

// One definition per non-blank schema line: "Name=Width", or a bare name that
// takes the default width; no schema at all is one field "Line".
std::vector<TFieldDef> ParseSchema(const std::vector<std::string>& schema, int defaultWidth)
{
    std::vector<TFieldDef> defs;
    if (schema.empty()) {
        defs.push_back({"Line", defaultWidth});
        return defs;
    }
    for (const std::string& line : schema) {
        if (TrimBlanks(line).empty())
            continue;
        const std::string_view text = line;
        const size_t equals = text.find('=');
        if (equals == std::string_view::npos) {
            defs.push_back({std::string(TrimBlanks(text)), defaultWidth});
            continue;
        }
        const std::optional<int> width = ParseWidth(text.substr(equals + 1));
        defs.push_back({std::string(TrimBlanks(text.substr(0, equals))), width.value_or(defaultWidth)});
    }
    return defs;
}

// Key field names are separated by commas or blanks; a name in double quotes
// may hold blanks.
std::vector<std::string_view> SplitKeyFields(std::string_view list)
{
    std::vector<std::string_view> names;
    size_t i = 0;
    while (i < list.size()) {
        const char c = list[i];
        if (c == ',' || c == ' ') {
            ++i;
            continue;
        }
        size_t end;
        if (c == '"') {
            end = list.find('"', i + 1);
            if (end == std::string_view::npos)
                end = list.size();
            names.push_back(list.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        end = list.find_first_of(", ", i);
        if (end == std::string_view::npos)
            end = list.size();
        names.push_back(list.substr(i, end - i));
        i = end;
    }
    return names;
}

bool KeyMatches(std::string_view key, std::string_view value, TFixedFormatDataSet::TLocateOptions options)
{
    if (value.size() < key.size() || (value.size() > key.size() && !options.PartialKey))
        return false;
    if (!options.CaseInsensitive)
        return value.compare(0, key.size(), key) == 0;
    for (size_t i = 0; i < key.size(); ++i) {
        if (AsciiUpper(key[i]) != AsciiUpper(value[i]))
            return false;
    }
    return true;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return AsciiUpper(x) == AsciiUpper(y); });
}

} // namespace

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
    if (Active() && !m_readOnly && m_linesChanged) {
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

void TFixedFormatDataSet::SetSchema(std::vector<std::string> lines)
{
    CheckInactive();
    m_schema = std::move(lines);
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

void TFixedFormatDataSet::BuildFields(size_t longestLine)
{
    const int defaultWidth =
        longestLine == 0 ? kDefaultWidth : static_cast<int>(std::min<size_t>(longestLine, INT_MAX / 4));
    const std::vector<TFieldDef> defs = ParseSchema(m_schema, defaultWidth);
    int offset = 0;
    for (size_t i = 0; i < defs.size(); ++i) {
        if (i == m_fields.size())
            m_fields.push_back(std::make_unique<TField>(*this, std::string(), 0, 0, static_cast<int>(i)));
        TField& field = *m_fields[i];
        field.m_name = defs[i].Name;
        field.m_offset = offset;
        field.m_size = defs[i].Size;
        field.ReadOnly = false;
        field.OnValidate = nullptr;
        offset += defs[i].Size;
    }
    m_fieldCount = static_cast<int>(defs.size());
    m_recordWidth = offset == 0 ? kDefaultWidth : offset;
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
    if (!m_fileMustExist && !TLineFile::Exists(m_fileName))
        TLineFile::CreateEmpty(m_fileName);
    std::vector<TLine> lines;
    size_t longest = 0;
    ReadLines(lines, longest);

    m_lines = std::move(lines);
    m_linesChanged = false;
    m_lastRecordId = static_cast<int32_t>(m_lines.size());
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
    if (!Active())
        return;
    CallHook(BeforeClose);
    // A failed write keeps the store open with every line, so nothing stored
    // is lost and the caller can try again or write elsewhere.
    if (!m_readOnly && m_linesChanged)
        TLineFile::WriteAtomically(m_fileName, JoinLines(m_lines));

    std::vector<TLine>().swap(m_lines);
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

void TFixedFormatDataSet::WriteFileAs(const std::string& path)
{
    // A closed store holds no lines; writing them would empty the file.
    CheckActive();
    TLineFile::WriteAtomically(path, JoinLines(m_lines));
    m_fileName = path;
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
    TLineFile::WriteAtomically(m_fileName, JoinLines(cut));
    m_lines = std::move(cut);
    if (m_state == TDataSetState::dsBrowse)
        Resync();
    NotifyDataSetChanged();
}

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

// ---------------------------------------------------------------- fields

TField& TFixedFormatDataSet::Fields(int index)
{
    if (index < 0 || index >= m_fieldCount)
        throw std::out_of_range(m_name + ": field index " + std::to_string(index) + " out of range");
    return *m_fields[static_cast<size_t>(index)];
}

TField* TFixedFormatDataSet::FindField(std::string_view name)
{
    for (int i = 0; i < m_fieldCount; ++i) {
        if (EqualsIgnoringCase(m_fields[static_cast<size_t>(i)]->FieldName(), name))
            return m_fields[static_cast<size_t>(i)].get();
    }
    return nullptr;
}

TField& TFixedFormatDataSet::FieldByName(std::string_view name)
{
    TField* field = FindField(name);
    if (!field)
        Raise("Field '" + std::string(name) + "' not found");
    return *field;
}

const std::string* TFixedFormatDataSet::ActiveRecordText() const
{
    switch (m_state) {
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
        return &m_editBuffer;
    case TDataSetState::dsFilter:
        return &m_filterRecord;
    case TDataSetState::dsBrowse:
    case TDataSetState::dsCalcFields:
        return m_hasRecord ? &m_activeRecord : nullptr;
    default:
        return nullptr;
    }
}

std::string_view TFixedFormatDataSet::FieldView(const std::string& record, const TField& field) const
{
    const size_t offset = static_cast<size_t>(field.Offset());
    if (offset >= record.size())
        return {};
    std::string_view value = std::string_view(record).substr(offset, static_cast<size_t>(field.Size()));
    if (m_trimSpace) {
        while (!value.empty() && value.back() == ' ')
            value.remove_suffix(1);
    }
    return value;
}

std::string TFixedFormatDataSet::FieldText(int line, int fieldIndex) const
{
    if (line < 0 || line >= RecordCount())
        throw EDatabaseError("No Records");
    const TField& field = const_cast<TFixedFormatDataSet*>(this)->Fields(fieldIndex);
    FetchInto(line, m_scratch);
    return std::string(FieldView(m_scratch, field));
}

void TFixedFormatDataSet::WriteField(TField& field, std::string_view value)
{
    if (!IsEditing() && m_state != TDataSetState::dsCalcFields)
        Raise(kNotEditing);
    if (field.ReadOnly)
        throw EDatabaseError("Field '" + field.FieldName() + "' cannot be modified");
    value = value.substr(0, static_cast<size_t>(field.Size()));
    // A line break would split the record in two when the file is read again,
    // and a NUL would end the file there: neither can be stored.
    if (value.find_first_of(std::string_view("\0\r\n", 3)) != std::string_view::npos)
        throw EDatabaseError("Invalid value for field '" + field.FieldName() + "'");
    if (field.OnValidate)
        field.OnValidate(field, value);

    std::string& record = m_editBuffer;
    const size_t offset = static_cast<size_t>(field.Offset());
    const size_t end = offset + static_cast<size_t>(field.Size());
    if (record.size() < end)
        record.resize(end, ' ');
    std::fill(record.begin() + static_cast<std::ptrdiff_t>(offset),
              record.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    std::copy(value.begin(), value.end(), record.begin() + static_cast<std::ptrdiff_t>(offset));
    m_modified = true;
    NotifyRecordChanged(&field);
}

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

// ---------------------------------------------------------------- search

bool TFixedFormatDataSet::Locate(std::string_view keyFields, std::string_view keyValue,
                                 TLocateOptions options)
{
    return Locate(keyFields, std::vector<std::string>{std::string(keyValue)}, options);
}

bool TFixedFormatDataSet::Locate(std::string_view keyFields, const std::vector<std::string>& keyValues,
                                 TLocateOptions options)
{
    CheckBrowseMode();
    const std::vector<std::string_view> names = SplitKeyFields(TrimBlanks(keyFields));
    if (m_lines.empty() || names.empty())
        return false;
    std::vector<const TField*> fields;
    for (std::string_view name : names)
        fields.push_back(&FieldByName(name));
    // One value serves every key field; otherwise one value per field.
    if (keyValues.size() != 1 && keyValues.size() != fields.size())
        Raise("Locate needs one key value for each key field");
    std::vector<std::string_view> keys;
    for (size_t i = 0; i < fields.size(); ++i)
        keys.push_back(TrimBlanks(keyValues[keyValues.size() == 1 ? 0 : i]));

    const int32_t start = m_hasRecord ? m_activeId : 0;
    // Views see where the search ends, not every record it passes.
    DisableControls();
    try {
        First();
        while (!m_eof) {
            if (LocateMatches(fields, keys, options)) {
                EnableControls();
                return true;
            }
            Next();
        }
        if (start != 0)
            GotoBookmark(start);
    } catch (...) {
        m_disableCount = std::max(0, m_disableCount - 1);
        throw;
    }
    EnableControls();
    return false;
}

bool TFixedFormatDataSet::LocateMatches(const std::vector<const TField*>& fields,
                                        const std::vector<std::string_view>& keys,
                                        TLocateOptions options) const
{
    const std::string* record = ActiveRecordText();
    if (!record)
        return false;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (!KeyMatches(keys[i], TrimBlanks(FieldView(*record, *fields[i])), options))
            return false;
    }
    return true;
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
