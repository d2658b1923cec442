#pragma once

#include "dataset/DataSetErrors.h"

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TFixedFormatDataSet;

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsCalcFields, dsFilter };
enum class TDataAction { daFail, daAbort, daRetry };

// One named fixed-width text field of the current record.
class TField
{
public:
    TField(TFixedFormatDataSet& dataSet, std::string name, int offset, int size, int index);

    const std::string& FieldName() const { return m_name; }
    int Size() const { return m_size; }
    int Offset() const { return m_offset; }
    int Index() const { return m_index; }
    bool ReadOnly = false;

    // Null when the record text ends before the field begins.
    bool IsNull() const;
    // The field's text, trailing spaces removed when the store trims.
    std::string AsString() const;
    // Cuts the value to the field's width and writes it left-aligned,
    // padding with spaces (edit or insert only). A value that still holds a
    // CR, LF or NUL is refused ("Invalid value for field '%s'"): stored, it
    // would split or end the file when it is read again.
    void SetAsString(std::string_view value);

    // Runs before a value is written, with the value already cut to the
    // field's width; raising refuses the write.
    std::function<void(TField&, std::string_view value)> OnValidate;

private:
    // The store lays its fields out again at every open, reusing these
    // objects, so a field reference stays valid across close and reopen.
    friend class TFixedFormatDataSet;
    TFixedFormatDataSet& m_dataSet;
    std::string m_name;
    int m_offset;
    int m_size;
    int m_index;
};

// Whoever shows the store (the grid's model) hears of its changes here, and
// hands in the edits it holds when the store asks for them.
class TDataSetObserver
{
public:
    virtual ~TDataSetObserver() = default;
    virtual void DataSetChanged(TFixedFormatDataSet&) {} // lines added/removed/reread, opened, closed
    virtual void RecordChanged(TFixedFormatDataSet&, const TField*) {
    }                                                  // a field written (null: an edit began)
    virtual void StateChanged(TFixedFormatDataSet&) {} // browse/edit/insert/inactive
    virtual void Scrolled(TFixedFormatDataSet&) {}     // the current record moved
    virtual void UpdateData(TFixedFormatDataSet&) {}   // hand pending edits in before post/navigation
};

// A text file held in memory as lines; every line is a record of consecutive
// fixed-width text fields named by the schema. The file on disk is rewritten
// whole (on close when something changed, and by WriteFileAs), never patched.
class TFixedFormatDataSet
{
public:
    using THook = std::function<void(TFixedFormatDataSet&)>;
    using TFilterHook = std::function<void(TFixedFormatDataSet&, bool& accept)>;
    using TErrorHook = std::function<void(TFixedFormatDataSet&, const EDatabaseError&, TDataAction&)>;

    struct TLine
    {
        std::string Text;
        int32_t Id = 0;
    };

    // A field as the schema defines it, before any file is read.
    struct TFieldDef
    {
        std::string Name;
        int Size = 0;
    };

    explicit TFixedFormatDataSet(std::string name = "FixedFormatDataSet");
    virtual ~TFixedFormatDataSet();
    TFixedFormatDataSet(const TFixedFormatDataSet&) = delete;
    TFixedFormatDataSet& operator=(const TFixedFormatDataSet&) = delete;

    const std::string& Name() const { return m_name; }

    // Properties; they can be set only while the store is closed
    // ("Cannot perform this operation on an open dataset").
    const std::string& FileName() const { return m_fileName; }
    void SetFileName(const std::string& path);
    bool FileMustExist() const { return m_fileMustExist; }
    void SetFileMustExist(bool value);
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool value);
    bool TrimSpace() const { return m_trimSpace; }
    void SetTrimSpace(bool value);
    const std::vector<std::string>& Schema() const { return m_schema; }
    void SetSchema(std::vector<std::string> lines);
    bool Filtered() const { return m_filtered; }
    void SetFiltered(bool value);

    // Opening and closing, with the file rules of the store.
    void Open();
    // Opens on `lines` held in memory, with no file behind them: the store
    // forgets its file name, and neither Close nor the destructor writes
    // anything; a later Open of such a store starts it empty. The ids must be
    // positive and distinct (they need not be in order: rows reordered keep
    // theirs). Setting a file name makes it a store over a file again.
    void OpenOnLines(std::vector<TLine> lines);
    bool InMemory() const { return m_inMemory; }
    // `texts` numbered 1, 2, ... in their order, as Open numbers a file's lines.
    static std::vector<TLine> NumberedLines(std::vector<std::string> texts);
    void Close();
    // Closes the store as Close does, handing its lines over to `heldLines`
    // instead of dropping them (an in-memory store's rows move on whole).
    void Close(std::vector<TLine>& heldLines);
    bool Active() const { return m_state != TDataSetState::dsInactive; }
    void SetActive(bool value) { value ? Open() : Close(); }
    // Writes every line to `path`, which becomes the store's file; with
    // `inPlace`, over the file as TLineFile::Overwrite does, for a file
    // whose lines are kept safe elsewhere.
    void WriteFileAs(const std::string& path, bool inPlace = false);
    void DropBlankLines();
    void CutLinesToWidth();
    bool CanModify() const { return !m_readOnly; }

    // Record set.
    TDataSetState State() const { return m_state; }
    void First();
    void Last();
    void Next();
    void Prior();
    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const;
    void SetRecNo(int value);
    bool Modified() const { return m_modified; }

    int FieldCount() const { return m_fieldCount; }
    TField& Fields(int index);
    TField& FieldByName(std::string_view name);
    TField* FindField(std::string_view name);
    // The schema's field definitions, known while the store is closed too; a
    // bare name has the width an empty file gives it. Null for a name the
    // schema lacks (case is ignored, as for fields).
    const TFieldDef* FindFieldDef(std::string_view name) const;

    void Insert();
    void Append();
    // Stores `records` ahead of the first line in one step, as inserting each
    // in turn before the one stored just before it would: the last of them
    // ends up first and is current. Each takes the next record id in the
    // order given. No editing hooks run: the caller has checked every record
    // and brings up to date what depends on the lines.
    void InsertAtFront(const std::vector<std::string>& records);
    void Edit();
    void Post();
    void Cancel();
    void Delete();

    struct TLocateOptions
    {
        bool CaseInsensitive = false;
        bool PartialKey = false;
    };
    // `keyFields` names one field or several separated by commas/blanks (a name
    // in double quotes may hold blanks); `keyValues` holds one value per named
    // field, or a single value that every named field is compared with.
    // Moves record by record from the first (scroll hooks run for each); when
    // nothing matches, the record current before is current again.
    bool Locate(std::string_view keyFields, const std::vector<std::string>& keyValues,
                TLocateOptions options);
    bool Locate(std::string_view keyFields, std::string_view keyValue, TLocateOptions options);

    // Bookmarks are record ids; 0 when no stored record is current.
    int32_t GetBookmark() const;
    void GotoBookmark(int32_t bookmark);

    // Re-reads the current record from the held lines (not from the file).
    void Refresh();

    // Observers hear nothing between these two (counted) calls, and one
    // DataSetChanged at the end; pending edits are still handed in.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Hooks, run in the order of the editing cycle.
    THook BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    THook BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    THook BeforePost, AfterPost, BeforeCancel, AfterCancel;
    THook BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    THook BeforeRefresh, AfterRefresh, OnNewRecord, OnCalcFields;
    TFilterHook OnFilterRecord;
    TErrorHook OnPostError, OnEditError, OnDeleteError;
    // Where an error raised by OnFilterRecord is shown (the application's error
    // report); the record still counts as accepted unless the handler had
    // already cleared the flag. Unset, such errors are dropped.
    std::function<void(const std::exception&)> ApplicationHandleException;

    void AddObserver(TDataSetObserver* observer);
    void RemoveObserver(TDataSetObserver* observer);

    // Direct access for views and whole-store passes that must not move the
    // cursor or pay for a fetch per record (the grid's model, totals, sorts).
    const std::vector<TLine>& Lines() const { return m_lines; }
    int CurrentLine() const { return m_currentLine; }
    int RecordWidth() const { return m_recordWidth; }
    bool LinesChanged() const { return m_linesChanged; }
    // The record text being edited or inserted (edit/insert only), and where a
    // record being inserted will stand once stored.
    const std::string& EditRecordText() const { return m_editBuffer; }
    int InsertPosition() const { return m_insertPosition; }
    // Field text of any held line, read with this store's trim rule (empty
    // when the line ends before the field). "No Records" for a line not held.
    std::string FieldText(int line, int fieldIndex) const;

protected:
    // Conversions between a held line and a record text. LineToRecord fills
    // `record` (reusing its storage, as it runs for every record the cursor
    // passes); the store keeps at most RecordWidth() characters of it.
    virtual void LineToRecord(const std::string& line, std::string& record) const;
    virtual std::string RecordToLine(const std::string& record) const;

private:
    friend class TField;
    // The record text a field read or write works on (active, edit or filter record).
    const std::string* ActiveRecordText() const;
    std::string_view FieldView(const std::string& record, const TField& field) const;
    void WriteField(TField& field, std::string_view value);
    [[noreturn]] void Raise(const std::string& message) const; // "%s: %s" with the store's name

    bool IsEditing() const { return m_state == TDataSetState::dsEdit || m_state == TDataSetState::dsInsert; }
    void CheckActive() const;
    void CheckInactive() const;
    void CheckCanModify() const;
    void CheckBrowseMode();
    void SetState(TDataSetState state);
    void CallHook(const THook& hook);
    template <class Operation> void CheckOperation(Operation operation, const TErrorHook& onError);

    void ReadLines(std::vector<TLine>& lines, size_t& longest) const;
    void OpenWith(std::vector<TLine> lines, size_t longest);
    void BuildFields(size_t longestLine);
    std::string JoinLines(const std::vector<TLine>& lines) const;

    // The fetch primitive: record text of a held line, at most RecordWidth characters.
    void FetchInto(int line, std::string& record) const;
    bool Accepts(int line);
    void Activate(int line);
    void ClearActive();
    bool FetchFrom(int start, int step);
    bool FetchCurrent();
    bool FetchNext();
    bool FetchPrior();
    void Resync();
    void ResyncExact();
    void JumpToEnd(bool first);
    void Step(bool forward);
    int IndexOfId(int32_t id, int hint) const;
    void RestoreCursorAfterEdit();

    void PostRecord(bool handInEdits);
    void StoreRecord();
    void BeginInsertAppend();
    void EndInsertAppend();
    bool LocateMatches(const std::vector<const TField*>& fields, const std::vector<std::string_view>& keys,
                       TLocateOptions options) const;

    void NotifyUpdateData();
    void NotifyDataSetChanged();
    void NotifyStateChanged();
    void NotifyScrolled();
    void NotifyRecordChanged(const TField* field);
    template <class Call> void Notify(Call call, bool evenWhenDisabled = false);

    std::string m_name;
    std::string m_fileName;
    bool m_inMemory = false;
    bool m_fileMustExist = true;
    bool m_readOnly = false;
    bool m_trimSpace = true;
    bool m_filtered = false;
    std::vector<std::string> m_schema;
    std::vector<TFieldDef> m_fieldDefs; // the schema read with the default width

    TDataSetState m_state = TDataSetState::dsInactive;
    std::vector<TLine> m_lines;
    int m_currentLine = -1;
    int32_t m_lastRecordId = 0;
    int m_recordWidth = 0;
    bool m_linesChanged = false;
    bool m_bof = true;
    bool m_eof = true;
    bool m_modified = false;
    bool m_isAppend = false;
    int m_insertPosition = -1;
    std::string m_editBuffer;
    int32_t m_editId = 0;         // the record being edited
    int32_t m_insertBeforeId = 0; // the record a non-append insertion goes before (0: at the end)

    // The current record as the cursor fetched it.
    std::string m_activeRecord;
    int32_t m_activeId = 0;
    bool m_hasRecord = false;
    // The record offered to OnFilterRecord.
    std::string m_filterRecord;
    int m_filterLine = -1;
    mutable std::string m_scratch;

    // Every field object ever laid out; the first m_fieldCount are the open store's.
    std::vector<std::unique_ptr<TField>> m_fields;
    int m_fieldCount = 0;
    std::vector<TDataSetObserver*> m_observers;
    int m_disableCount = 0;
};
