// Any bytes as a .csv file imported into a declaration that already holds a
// row: the import ends with one of its outcomes, never with an escaping error,
// and the rows stored before it are still there.
#include "workbook/CsvReader.h"
#include "workspace/Workspace.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

// Answers questions "Ναι" and "Όχι" in turn.
class FuzzUi : public UserInterface
{
public:
    int asked = 0;
    Answer AskWithCaptions(const std::string&, int, const std::vector<std::string>&) override
    {
        return ++asked % 2 ? Answer::Yes : Answer::No;
    }
    void ShowMessage(const std::string&) override {}
    void ShowWarning(const std::string&) override {}
    void ShowError(const std::string&) override {}
    void Beep() override {}
    bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override { return false; }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&, std::string&) override
    {
        return false;
    }
};

struct Office
{
    QTemporaryDir dir;
    FuzzUi ui;
    Workspace ws{ui, dir.path().toStdString()};

    Office()
    {
        QDir(dir.path()).mkdir(QStringLiteral("Addon"));
        ws.Start();
        ws.Header.AFM = "090000045";
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Office office;
    Workspace& ws = office.ws;
    ws.StartNewDeclaration();
    auto& rows = ws.FixedFormatDataSet1;
    rows.Append();
    for (const auto& [name, value] : {std::pair{"AFM", "094014201"},
                                      {"TypeInc", "10"},
                                      {"AkaInc", "10"},
                                      {"Kratiseis", "0"},
                                      {"Kathares", "10"}})
        rows.FieldByName(name).SetAsString(value);
    ws.SetImporting(true);
    rows.Post();
    ws.SetImporting(false);

    workbook::Sheet sheet;
    try {
        sheet = workbook::ReadCsvBytes(
            QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    } catch (const workbook::WorkbookError&) {
        return 0;
    }
    ws.ImportRows(sheet); // an escaping error ends the run as a crash
    if (ws.Importing() || rows.Lines().empty() || rows.Lines().back().Text.substr(1, 9) != "094014201")
        std::abort();
    if (rows.State() == TDataSetState::dsInsert)
        rows.Cancel();
    return 0;
}
