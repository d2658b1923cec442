// The main window's grid over a payroll office's declaration of 100,000 rows.
//   bench_grid --benchmark_counters_tabular=true
#include "app/Form1.h"
#include "bench/TaxNumber.h"
#include "grid/MultiLineGrid.h"
#include "declaration/Helpers.h"
#include "workspace/Workspace.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kRows = 100'000;

// The window with every question answered "Ναι" and the open dialog naming
// the prepared declaration.
class BenchForm : public TForm1
{
public:
    using TForm1::TForm1;
    std::string openPath;
    int messages = 0;
    Answer AskWithCaptions(const std::string&, int, const std::vector<std::string>&) override
    {
        return Answer::Yes;
    }
    void ShowMessage(const std::string&) override { ++messages; }
    void ShowWarning(const std::string&) override { ++messages; }
    void ShowError(const std::string&) override { ++messages; }
    bool ChooseOpenFile(const std::string&, const std::string&, std::string& path) override
    {
        path = openPath;
        return true;
    }
};

// A declaration file of 100,000 rows that pass every check, written once.
std::string Declaration(const QTemporaryDir& dir)
{
    std::string text = "0JL10    202612072025" + std::string(149, ' ') + "\r\n";
    std::string employer = "12025YPOURGEIO";
    employer.resize(35, ' ');
    employer += "0" + TaxNumber(9'000'004);
    employer.resize(170, ' ');
    text += employer + "\r\n";
    std::string totals = "2" + std::string(124, '0') + std::string(45, ' ');
    text += totals + "\r\n";
    for (int i = 0; i < kRows; ++i) {
        std::string r = "3" + TaxNumber(10'000'000 + 7LL * i) + " ";
        std::string surname = "PAPADOPOULOS" + std::to_string(i % 1000);
        surname.resize(18, ' ');
        r += surname + std::string(9 + 3 + 10 + 16 + 5 + 5, ' ') + "10";
        r += "0000100000"
             "00000000"
             "0000000"
             "000020000"
             "0000080000"
             "000000000"
             "000000000";
        r += "0     025"
             "00000000"
             "00000000"
             "    ";
        text += r + "\r\n";
    }
    const std::string path = dir.filePath(QStringLiteral("declaration.txt")).toStdString();
    QFile file(QString::fromStdString(path));
    file.open(QIODevice::WriteOnly);
    file.write(text.data(), static_cast<qint64>(text.size()));
    return path;
}

struct Window
{
    QTemporaryDir dir;
    std::unique_ptr<BenchForm> form;
    TMultiLineGrid* grid = nullptr;

    Window()
    {
        QDir(dir.path()).mkdir(QStringLiteral("Addon"));
        QFile list(dir.filePath(QStringLiteral("Addon/typeofinc.txt")));
        list.open(QIODevice::WriteOnly);
        list.write("10 wages\r\n11 pensions\r\n");
        list.close();
        form = std::make_unique<BenchForm>(dir.path());
        form->openPath = Declaration(dir);
        form->show();
        grid = form->findChild<TMultiLineGrid*>(QStringLiteral("dbGrid1"));
    }
    void Open()
    {
        form->findChild<QAction*>(QStringLiteral("Open1"))->trigger();
        grid->setFocus();
        QApplication::processEvents();
    }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {})
    {
        QWidget* target = QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : grid;
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(target, &press);
        QApplication::processEvents();
    }
};

Window& TheWindow()
{
    static Window window;
    return window;
}

void Report(benchmark::State& state, Window& w)
{
    state.counters["rows"] = w.grid->model()->rowCount();
    state.counters["messages"] = w.form->messages;
}

// Opening the declaration in the window, the grid shown on its first rows.
void BM_OpenInWindow(benchmark::State& state)
{
    Window& w = TheWindow();
    for (auto _ : state) {
        w.Open();
        // The copy of every row and the check of the rows go on after the
        // window shows them: not part of the wait, but never overlapping the
        // next Open.
        state.PauseTiming();
        w.form->workspace().FinishKeeping();
        w.form->FinishOpenCheck();
        state.ResumeTiming();
    }
    Report(state, w);
}
BENCHMARK(BM_OpenInWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

// Ctrl+End in the grid: the store and the grid on the last row.
void BM_MoveToLastRow(benchmark::State& state)
{
    Window& w = TheWindow();
    for (auto _ : state) {
        w.Key(Qt::Key_End, Qt::ControlModifier);
        state.PauseTiming();
        w.Key(Qt::Key_Home, Qt::ControlModifier);
        state.ResumeTiming();
    }
    Report(state, w);
}
BENCHMARK(BM_MoveToLastRow)->Unit(benchmark::kMillisecond)->Iterations(20);

// A surname retyped in the last row, stored by moving up: the row checks,
// the totals and both working files.
void BM_StoreEditedRow(benchmark::State& state)
{
    Window& w = TheWindow();
    int turn = 0;
    for (auto _ : state) {
        state.PauseTiming();
        w.Key(Qt::Key_End, Qt::ControlModifier);
        w.grid->setCurrentIndex(w.grid->model()->index(w.grid->model()->rowCount() - 1, 1));
        const QString letter(QChar(u'A' + turn++ % 26));
        w.Key(Qt::Key_unknown, Qt::NoModifier, letter);
        state.ResumeTiming();
        w.Key(Qt::Key_Up);
    }
    auto& rows = w.form->workspace().FixedFormatDataSet1;
    if (rows.State() != TDataSetState::dsBrowse ||
        rows.FieldText(rows.RecordCount() - 1, rows.FindField("SurName")->Index()) !=
            std::string(1, static_cast<char>('A' + (turn - 1) % 26)))
        state.SkipWithError("row not stored");
    Report(state, w);
}
BENCHMARK(BM_StoreEditedRow)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
