#include "ScriptedUi.h"
#include "workspace/ZipExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ZipExportTest : public ::testing::Test
{
protected:
    QTemporaryDir folder;
    ScriptedUi ui;

    std::string At(const char* name) const { return folder.filePath(QString::fromUtf8(name)).toStdString(); }
    void Write(const char* name, const QByteArray& bytes) const
    {
        QFile file(QString::fromStdString(At(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const char* name) const
    {
        QFile file(QString::fromStdString(At(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    std::vector<std::string> Files() const
    {
        std::vector<std::string> names;
        for (const QString& name : QDir(folder.path()).entryList(QDir::Files, QDir::Name))
            names.push_back(name.toStdString());
        return names;
    }
};

} // namespace

TEST_F(ZipExportTest, CommandAsksForSourceAndNameThenSaysWhereTheArchiveWent)
{
    Write("ΔΗΛΩΣΗ.txt", "0JL10");
    ui.openChoices.push_back(At("ΔΗΛΩΣΗ.txt"));
    ui.saveChoices.push_back(At("ΔΗΛΩΣΗ.txt"));
    ZipExport::Run(ui, "/program");
    // The wait window is gone before the message names the archive, ".zip" added.
    const std::vector<std::string> expected = {"open-dialog: /program *.*",
                                               "save-dialog: /program ΔΗΛΩΣΗ.txt *.zip",
                                               "busy: on",
                                               "grid: off",
                                               "wait: on",
                                               "grid: on",
                                               "wait: off",
                                               "busy: off",
                                               "message: Το συμπιεσμένο αρχείο γράφτηκε στο " +
                                                   At("ΔΗΛΩΣΗ.txt.zip")};
    EXPECT_EQ(ui.log, expected);
    EXPECT_EQ(Files(), (std::vector<std::string>{"ΔΗΛΩΣΗ.txt", "ΔΗΛΩΣΗ.txt.zip"}));
    // The member's name is the source's, in the archive's code page.
    EXPECT_TRUE(Read("ΔΗΛΩΣΗ.txt.zip").contains("\xC4\xC7\xCB\xD9\xD3\xC7.txt"));

    // Answering "Όχι" to replacing it writes nothing and says nothing more.
    ui.Forget();
    ui.openChoices.push_back(At("ΔΗΛΩΣΗ.txt"));
    ui.saveChoices.push_back(At("ΔΗΛΩΣΗ.txt"));
    ui.No();
    ZipExport::Run(ui, "/program");
    EXPECT_EQ(ui.log.back(),
              "ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο ΔΗΛΩΣΗ.txt; [Ναι|Όχι]");
}

TEST_F(ZipExportTest, EitherDialogCancelledWritesNothing)
{
    Write("a.txt", "x");
    ui.openChoices.push_back(std::nullopt);
    ZipExport::Run(ui, folder.path().toStdString());
    ui.openChoices.push_back(At("a.txt"));
    ui.saveChoices.push_back(std::nullopt);
    ZipExport::Run(ui, folder.path().toStdString());
    EXPECT_EQ(Files(), std::vector<std::string>{"a.txt"});
    EXPECT_TRUE(ui.Said().empty());
}

TEST_F(ZipExportTest, ArchiveNameEndsInZipOnce)
{
    EXPECT_EQ(ZipExport::ArchivePath("/d/x.txt"), "/d/x.txt.zip");
    EXPECT_EQ(ZipExport::ArchivePath("/d/x"), "/d/x.zip");
    EXPECT_EQ(ZipExport::ArchivePath("/d/x.zip"), "/d/x.zip");
    EXPECT_EQ(ZipExport::ArchivePath("/d/Χ.ZiP"), "/d/Χ.ZiP");
    EXPECT_EQ(ZipExport::ArchivePath("/d/x.zip.txt"), "/d/x.zip.txt.zip");
}

TEST_F(ZipExportTest, ReplacingAsksAndNoKeepsTheFile)
{
    Write("a.txt", "new");
    Write("a.txt.zip", "old");
    Write("b.zip", "old b");
    ui.No();
    EXPECT_FALSE(ZipExport::Pack(ui, At("a.txt"), At("a.txt")));
    ui.No();
    EXPECT_FALSE(ZipExport::Pack(ui, At("a.txt"), At("b.zip")));
    const std::vector<std::string> asked = {
        "ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο a.txt; [Ναι|Όχι]",
        "ask: Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο b.zip; [Ναι|Όχι]"};
    EXPECT_EQ(ui.Said(), asked);
    EXPECT_EQ(ui.lastButtons, UserInterface::YesButton | UserInterface::NoButton);
    EXPECT_EQ(Read("a.txt.zip"), "old");
    EXPECT_EQ(Read("b.zip"), "old b");

    // Closing the question is no "Όχι".
    ui.Cancel();
    EXPECT_TRUE(ZipExport::Pack(ui, At("a.txt"), At("b.zip")));
    EXPECT_TRUE(Read("b.zip").startsWith("PK\x03\x04"));
    EXPECT_EQ(Files(), (std::vector<std::string>{"a.txt", "a.txt.zip", "b.zip"}));
}

TEST_F(ZipExportTest, RefusesWhatWouldLoseOrMisnameData)
{
    Write("own.zip", "precious");
    ui.Yes();
    EXPECT_THROW(ZipExport::Pack(ui, At("own.zip"), At("own.zip")), std::runtime_error);
    EXPECT_EQ(Read("own.zip"), "precious");
    ui.answers.clear();

    // A name the archive's code page cannot hold would come out changed.
    Write("報告.txt", "x");
    try {
        ZipExport::Pack(ui, At("報告.txt"), At("out"));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("«報»"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ZipExport::Pack(ui, At("missing.txt"), At("out")), std::runtime_error);

    // A source beyond the format's 32-bit sizes is refused before it is read
    // (the file is sparse: it takes no room on the disk).
    QFile huge(QString::fromStdString(At("huge.bin")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize((qint64(1) << 32) + 1));
    huge.close();
    try {
        ZipExport::Pack(ui, At("huge.bin"), At("out"));
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("4 GB"), std::string::npos) << e.what();
    }
    huge.remove();
    EXPECT_EQ(Files(), (std::vector<std::string>{"own.zip", "報告.txt"}));
}
