#include "workspace/Workspace.h"

#include "workspace/BusyWindow.h"
#include "workspace/ScopeExit.h"
#include "workspace/SheetImport.h"

namespace {

QString Path(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

Workspace::ImportOutcome Workspace::ImportFromWorkbook()
{
    if (StorePendingRow() == StoreOutcome::Refused)
        return ImportOutcome::NotStarted;
    std::string path;
    if (!m_ui.ChooseOpenFile(m_dialogFolder, SheetImport::FileFilter, path))
        return ImportOutcome::NotStarted;
    RememberDialogFolder(path);
    return ImportWorkbookFile(path);
}

Workspace::ImportOutcome Workspace::ImportWorkbookFile(const std::string& path)
{
    m_importing = true;
    ScopeExit done([this] { m_importing = false; });
    // Reading and checking tens of thousands of rows takes a while: the wait
    // window stands until the last message about them has been read.
    const BusyWindow busy(m_ui);
    workbook::Sheet sheet;
    try {
        sheet = workbook::ReadFirstSheet(Path(path));
    } catch (const std::exception& e) {
        // Not a workbook, or one its reader cannot take (truncated, corrupted,
        // encrypted), or one whose first sheet holds what no row can (a date,
        // a formula never calculated): the reader's reason comes first, so
        // the person knows what to mend, and the general message after it.
        m_ui.ShowMessage(SheetImport::RefusalMessage(e));
        return dynamic_cast<const workbook::WorkbookRefusal*>(&e) ? ImportOutcome::Stopped
                                                                  : ImportOutcome::Unreadable;
    }
    // The rows stored, all or some, are kept safe in one step.
    ScopeExit keep([this] { KeepWork(Keep::Everything); });
    return SheetImport(static_cast<ImportTarget&>(*this), std::move(sheet)).Run();
}

Workspace::ImportOutcome Workspace::ImportRows(const workbook::Sheet& sheet)
{
    m_importing = true;
    ScopeExit done([this] { m_importing = false; });
    ScopeExit keep([this] { KeepWork(Keep::Everything); });
    return SheetImport(static_cast<ImportTarget&>(*this), sheet).Run();
}