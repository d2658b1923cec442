#pragma once

#include "ScriptedUi.h"
#include "dataset/DataSetErrors.h"
#include "text/Cp1253.h"
#include "workspace/Workspace.h"

#include "fileio/AtomicDevice.h"
#include "fileio/AtomicWriter.h"
#include "fileio/FileReason.h"
#include "workspace/WorkKeeper.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdio>
#include <gtest/gtest.h>
#include <string_view>

#include <map>
#include <memory>
#include <string>

// A device that accepts `budget` bytes and fails every write after them.
class FailingSaveFile : public AtomicDevice
{
public:
    FailingSaveFile(const QString& name, qint64 budget) : AtomicDevice(name), m_budget(budget) {}

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        if (len > m_budget) {
            SetFailure(FileErrorMessage(Path().toStdString(), ENOSPC, FileAction::Write));
            return -1;
        }
        m_budget -= len;
        return AtomicDevice::writeData(data, len);
    }

private:
    qint64 m_budget;
};

// Saves through FailingSaveFile, with no budget at all, every file whose name ends in `suffix`.
inline AtomicFile::Factory FailWritingFilesEndingIn(const char* suffix)
{
    return [suffix](const QString& path) -> std::unique_ptr<AtomicDevice> {
        if (path.endsWith(QString::fromUtf8(suffix)))
            return std::make_unique<FailingSaveFile>(path, 0);
        return std::make_unique<AtomicDevice>(path);
    };
}

// While it lives, the keeper can neither put a new base in place nor append
// to its journal: the crash-safe copy fails as a full disk makes it fail.
struct FailingKeeperBase
{
    FailingKeeperBase()
    {
        AtomicWriter::Calls().Rename = [](const char* from, const char* to) {
            if (std::string_view(to).ends_with("/work.base")) {
                errno = ENOSPC;
                return -1;
            }
            return ::rename(from, to);
        };
        WorkKeeper::Calls().WriteAt = [](int, const void*, size_t, off_t) -> ssize_t {
            errno = ENOSPC;
            return -1;
        };
    }
    ~FailingKeeperBase()
    {
        AtomicWriter::Calls() = AtomicWriter::RealCalls();
        WorkKeeper::Calls() = WorkKeeper::RealCalls();
    }
    FailingKeeperBase(const FailingKeeperBase&) = delete;
    FailingKeeperBase& operator=(const FailingKeeperBase&) = delete;
};

// UTF-8 source text to the cp1253 bytes that records hold.
inline std::string Cp(const char* utf8)
{
    return cp1253::fromUnicode(QString::fromUtf8(utf8));
}

using RowValues = std::map<declaration::DetailField, std::string>;

// A detail row that passes every check: gross 1000, deductions 200, net 800.
inline RowValues GoodRow(const std::string& afm = "090000045", const std::string& kind = "10",
                         const std::string& surname = "PAPAS")
{
    using namespace declaration;
    return {{AFM, afm},       {SurName, surname}, {TypeInc, kind},
            {AkaInc, "1000"}, {Kratiseis, "200"}, {Kathares, "800"}};
}

inline RowValues With(RowValues row, const RowValues& changes)
{
    for (const auto& [field, value] : changes)
        row[field] = value;
    return row;
}

// A fresh program folder per test, with the income-type list in Addon/ and a
// workspace started in it; the clock stands on 15 June 2026.
class WorkspaceTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    ScriptedUi ui;
    std::unique_ptr<Workspace> ws;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkdir(QStringLiteral("Addon"));
        WriteFile("Addon/typeofinc.txt",
                  "10" + std::string(52, 'x') + "\r\n11" + std::string(52, 'y') + "\r\n");
        ws = std::make_unique<Workspace>(ui, dir.path().toStdString());
        ws->Today = [] { return QDate(2026, 6, 15); };
        ws->Start();
    }

    std::string ProgramPath(const std::string& relative) const
    {
        return dir.path().toStdString() + "/" + relative;
    }

    void WriteFile(const std::string& relative, const std::string& bytes) const
    {
        QFile f(QString::fromStdString(ProgramPath(relative)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }

    std::string ReadFile(const std::string& relative) const
    {
        QFile f(QString::fromStdString(ProgramPath(relative)));
        if (!f.open(QIODevice::ReadOnly))
            return "<missing>";
        return f.readAll().toStdString();
    }

    // "Νέο" answered "Ναι", with a header that passes the save checks.
    void StartDeclaration()
    {
        ui.Yes();
        ws->New();
        ws->Header.YearOfData = "2025";
        ws->Header.AFM = "094014201";
        ws->Header.CompanyName = "MINISTRY";
        ui.Forget();
    }

    TFixedFormatDataSet& Rows() { return ws->FixedFormatDataSet1; }

    // Appends a row as the grid would and tries to store it; false when the
    // row checks refused it (the row then stays in insert).
    bool Store(const RowValues& values)
    {
        Rows().Append();
        return Post(values);
    }
    // Puts the current row into edit, changes it and tries to store it.
    bool Change(const RowValues& values)
    {
        Rows().Edit();
        return Post(values);
    }
    bool Post(const RowValues& values)
    {
        for (const auto& [field, value] : values)
            Rows().FieldByName(declaration::DetailLayout()[field].name).SetAsString(value);
        try {
            Rows().Post();
            return true;
        } catch (const EAbort&) {
            return false;
        }
    }

    std::string Field(declaration::DetailField field)
    {
        return Rows().FieldByName(declaration::DetailLayout()[field].name).AsString();
    }
    std::string StoredField(size_t row, declaration::DetailField field)
    {
        return std::string(declaration::DetailFieldText(Rows().Lines().at(row).Text, field));
    }
};
