#include "WorkspaceFixture.h"

#include "declaration/GridColumns.h"

using declaration::DetailField;
using Key = Workspace::GridKey;

namespace {

// What a run of typed characters leaves in a column, and the beeps it gave.
std::pair<QString, size_t> TypeInto(Workspace& ws, ScriptedUi& ui, int column, const QString& keys)
{
    QString text;
    const size_t before = ui.log.size();
    for (const QChar ch : keys) {
        char16_t key = ch.unicode();
        if (ws.FilterGridKey(column, text, key) == Key::Keep)
            text += QChar(key);
    }
    return {text, ui.log.size() - before};
}

} // namespace

using GridKeysTest = WorkspaceTest;

TEST_F(GridKeysTest, EachColumnTakesItsOwnCharacters)
{
    // Tax number, postcode and days: digits only.
    for (int column : {0, 7, 17})
        EXPECT_EQ(TypeInto(*ws, ui, column, QStringLiteral("1a2-3")),
                  std::make_pair(QStringLiteral("123"), size_t(2)));
    // Amounts: digits and one comma; no point, minus or blank.
    for (int column : {9, 10, 11, 12, 13, 14, 15, 18, 19})
        EXPECT_EQ(TypeInto(*ws, ui, column, QStringLiteral("12,5,.- 7")),
                  std::make_pair(QStringLiteral("12,57"), size_t(4)));
    // Names, addresses, street number and branch take anything.
    for (int column : {1, 2, 3, 4, 5, 6, 16})
        EXPECT_EQ(TypeInto(*ws, ui, column, QString::fromUtf8("Ά-1. ,")),
                  std::make_pair(QString::fromUtf8("Ά-1. ,"), size_t(0)));
    // A character the declaration file cannot hold is refused everywhere.
    EXPECT_EQ(TypeInto(*ws, ui, 1, QString::fromUtf8("Ał")), std::make_pair(QStringLiteral("A"), size_t(1)));
    EXPECT_EQ(gridcolumns::AdmittedText(1, QString::fromUtf8("€ł")), QString::fromUtf8("€"));
    // The income kind goes to its box, except Tab.
    char16_t key = u'1';
    EXPECT_EQ(ws->FilterGridKey(8, {}, key), Key::ToIncomeKindBox);
    key = u'\t';
    EXPECT_EQ(ws->FilterGridKey(8, {}, key), Key::Keep);
    // Tab, Enter and Esc act on the grid: their characters pass everywhere.
    for (int column : {0, 8, 9})
        EXPECT_EQ(TypeInto(*ws, ui, column, QStringLiteral("\t\r\x1b")).second, size_t(0));
    // Ctrl+V is refused where only digits or amounts go, and kept elsewhere.
    EXPECT_EQ(TypeInto(*ws, ui, 0, QStringLiteral("\x16")), std::make_pair(QString(), size_t(1)));
    EXPECT_EQ(TypeInto(*ws, ui, 9, QStringLiteral("\x16")), std::make_pair(QString(), size_t(1)));
    EXPECT_EQ(TypeInto(*ws, ui, 1, QStringLiteral("\x16")).second, size_t(0));
    for (const std::string& line : ui.log)
        EXPECT_EQ(line, "beep");
}

TEST_F(GridKeysTest, EveryTypedCharacterCountsAsAChangeAdmittedOrNot)
{
    ws->SetModified(false);
    char16_t key = u'x';
    EXPECT_EQ(ws->FilterGridKey(0, {}, key), Key::Drop);
    EXPECT_TRUE(ws->Modified());
    ws->SetModified(false);
    EXPECT_EQ(ws->FilterPastedGridText(9, QStringLiteral("1.000,50 €")), QStringLiteral("1000,50"));
    EXPECT_TRUE(ws->Modified());
    // An amount cell already holding a comma takes none pasted after it.
    EXPECT_EQ(gridcolumns::AdmittedText(9, QStringLiteral("7,5,1")), QStringLiteral("7,51"));
}

TEST_F(GridKeysTest, NetPayIsGrossLessDeductionsOrZeroWithAMessage)
{
    StartDeclaration();
    const auto net = [this](const char* gross, const char* deductions) {
        Rows().Append();
        Rows().FieldByName("AkaInc").SetAsString(gross);
        Rows().FieldByName("Kratiseis").SetAsString(deductions);
        ws->FillNetPay();
        const std::string result = Field(DetailField::Kathares);
        Rows().Cancel();
        return result;
    };
    EXPECT_EQ(net("1000", "200"), "800");
    EXPECT_EQ(net("1000,5", ""), "1000,5");
    EXPECT_EQ(net("12,34", "abc"), "12,34"); // an unreadable amount counts as 0
    EXPECT_EQ(net("0,3", "0,1"), "0,2");     // fifteen digits hide the binary remainder
    EXPECT_TRUE(ui.log.empty());
    EXPECT_EQ(net("100", "200"), "0");
    EXPECT_EQ(ui.log,
              std::vector<std::string>{"message: Οι Καθαρές Αποδοχές βγαίνουν αρνητικές. Ελέγξτε τα "
                                       "ποσά των διάφορων κρατήσεων καθώς και τις Ακαθάριστες αποδοχές"});
}

TEST_F(GridKeysTest, NetPayPutsAStoredRowInEditAndNeverFailsWithoutOne)
{
    ui.Yes();
    ws->New();
    ws->FillNetPay(); // an empty declaration: a new row to fill
    EXPECT_EQ(Rows().State(), TDataSetState::dsInsert);
    Rows().Cancel();
    ASSERT_TRUE(Store(GoodRow()));
    ws->SetNewRecordPending(true);
    ws->FillNetPay();
    EXPECT_EQ(Rows().State(), TDataSetState::dsEdit);
    EXPECT_FALSE(ws->NewRecordPending());
    EXPECT_EQ(Field(DetailField::Kathares), "800");
    Rows().Cancel();
    Rows().Close();
    EXPECT_NO_THROW(ws->FillNetPay());
}

TEST_F(GridKeysTest, ChosenIncomeKindIsWrittenIntoTheRow)
{
    StartDeclaration();
    ASSERT_TRUE(Store(GoodRow()));
    ws->SetModified(false);
    ws->ChooseIncomeKind("21");
    EXPECT_EQ(Rows().State(), TDataSetState::dsEdit);
    EXPECT_EQ(Field(DetailField::TypeInc), "21");
    EXPECT_TRUE(ws->Modified());
}
