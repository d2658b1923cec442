#include "WorkspaceFixture.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/ScratchDetailRow.h"

using namespace declaration;

namespace {

using Kind = DeclarationCheck::Problem::Kind;
using Answer = DeclarationCheck::Answer;
using Lines = std::vector<TFixedFormatDataSet::TLine>;

const std::string kNet = "Οι Καθαρές αποδοχές δε συμφωνούν με τα υπόλοιπα ποσά που έχετε δηλώσει.Ελέγξτε "
                         "τα ποσά των διάφορων κρατήσεων καθώς και τις Ακαθάριστες αποδοχές";
const std::string kWithheldDue = "Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος από τον Αναλογούντα Φόρο. "
                                 "Είστε βέβαιος ότι θέλετε να συνεχίσετε με την αποθήκευση;";
const std::string kWithheldNet = "Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. "
                                 "Είστε βέβαιος ότι θέλετε να συνεχίσετε με την αποθήκευση;";
const std::string kEmployer =
    "Ο ΑΦΜ: που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε σίγουρος ότι αυτό είναι σωστό;";
const std::string kDays =
    "Οι ημέρες απασχόλησης πρέπει να είναι <= 365. Διορθώστε το για να προχωρήσει η αποθήκευση.";
const std::string kRepeated =
    "Ο ΑΦΜ: 090000045 έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών";

// What the tests compare: where, how grave, and the words.
using Found = std::tuple<size_t, Kind, std::string>;

std::vector<Found> Compared(const std::vector<DeclarationCheck::Problem>& problems)
{
    std::vector<Found> found;
    for (const auto& problem : problems)
        found.emplace_back(problem.row, problem.kind, problem.message);
    return found;
}

class DeclarationCheckTest : public WorkspaceTest
{
protected:
    void SetUp() override
    {
        WorkspaceTest::SetUp();
        StartDeclaration();
    }

    // A stored line as the grid stores a good row, then changed behind the
    // checks' back, as a file read back or a workbook import can leave it.
    TFixedFormatDataSet::TLine Stored(const RowValues& good, const RowValues& changes = {})
    {
        EXPECT_TRUE(Store(good));
        ScratchDetailRow row(Rows().Lines().back().Text);
        for (const auto& [field, value] : changes)
            row.Set(field, value);
        return {row.Text(), 0};
    }
};

} // namespace

TEST_F(DeclarationCheckTest, ListsEveryRowsRefusalAndQuestionsInRowOrderWithoutChangingARow)
{
    const Lines lines = {
        Stored(GoodRow()),
        Stored(GoodRow("123456783", "10", Cp("ΑΛΦΑ")), {{Kathares, "799"}}),
        // Taxes above due and above 40% of the net: asked twice, then accepted.
        Stored(GoodRow("044455563"), {{ForosParakr, "330"}, {ForosAnal, "100"}}),
        Stored(GoodRow("044455563", "11")),
        // The number and kind of the first row: the later row is the repetition.
        Stored(GoodRow("123456783", "11", Cp("ΒΗΤΑ")), {{AFM, "090000045"}, {TypeInc, "10"}}),
        // The employer's own number is asked about, and the row goes on to its refusal.
        Stored(GoodRow("999888771", "11"), {{AFM, "094014201"}, {Hmeres, "366"}}),
        Stored(GoodRow("999888771"), {{AkaInc, "12AB"}}),
    };
    const Lines before = lines;
    ui.Forget();

    const auto problems = DeclarationCheck::Run(lines, ws->Header.AFM);
    const std::vector<Found> expected = {
        {1, Kind::Refusal, kNet},
        {2, Kind::Warning, kWithheldDue},
        {2, Kind::Warning, kWithheldNet},
        {4, Kind::Refusal, kRepeated},
        {5, Kind::Warning, kEmployer},
        {5, Kind::Refusal, kDays},
        {6, Kind::Refusal, "'12AB' is not a valid floating point value"},
    };
    EXPECT_EQ(Compared(problems), expected);
    // Each problem names its row as the list shows it.
    EXPECT_EQ(problems[0].afm, "123456783");
    EXPECT_EQ(problems[0].surname, Cp("ΑΛΦΑ"));
    EXPECT_EQ(problems[3].surname, Cp("ΒΗΤΑ"));
    EXPECT_TRUE(DeclarationCheck::AnyRowRefused(problems, Answer::Yes));

    // Nothing was asked or shown, and no row changed, here or in the store.
    EXPECT_TRUE(ui.log.empty());
    ASSERT_EQ(lines.size(), before.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].Text, before[i].Text) << "row " << i;
}

TEST_F(DeclarationCheckTest, AnsweringNoEndsARowAtItsFirstQuestion)
{
    const Lines lines = {
        Stored(GoodRow("044455563"), {{ForosParakr, "330"}, {ForosAnal, "100"}}),
        Stored(GoodRow("123456783", "11"), {{AFM, "094014201"}, {Hmeres, "366"}}),
    };
    const auto problems = DeclarationCheck::Run(lines, ws->Header.AFM, Answer::No);
    const std::vector<Found> expected = {{0, Kind::Warning, kWithheldDue}, {1, Kind::Warning, kEmployer}};
    EXPECT_EQ(Compared(problems), expected);
    // A question answered "Όχι" keeps its row out; answered "Ναι" it does not.
    EXPECT_TRUE(DeclarationCheck::AnyRowRefused(problems, Answer::No));
    EXPECT_FALSE(DeclarationCheck::AnyRowRefused({problems[0]}, Answer::Yes));
}

TEST_F(DeclarationCheckTest, StoredRowsThatPassFindNothing)
{
    // The same number with two kinds, and a number compared trimmed.
    ASSERT_TRUE(Store(GoodRow("090000045", "10")));
    ASSERT_TRUE(Store(GoodRow("090000045", "11")));
    ASSERT_TRUE(Store(GoodRow("123456783", "10")));
    const Lines stored = Rows().Lines();
    ui.Forget();
    EXPECT_TRUE(DeclarationCheck::Run(stored, ws->Header.AFM, Answer::No).empty());
    EXPECT_TRUE(DeclarationCheck::Run({}, ws->Header.AFM).empty());
    EXPECT_TRUE(ui.log.empty());
    EXPECT_EQ(Rows().Lines().size(), 3u);
}

TEST_F(DeclarationCheckTest, ALargeDeclarationListsItsProblemsInRowOrderAcrossItsParts)
{
    // Large enough to be checked in parts side by side: every copy of the
    // first row repeats it, wherever the part boundaries fall, and the rows
    // refused on their own stand where they are, at and around the boundaries.
    const TFixedFormatDataSet::TLine first = Stored(GoodRow());
    Lines lines(4 * 8192 + 5, first);
    std::vector<Found> expected;
    const std::string kinds[] = {"10", "11", "12", "13", "14", "20"};
    const size_t refused[] = {8191, 8192, 16383, 16384, 24576, lines.size() - 1};
    for (size_t k = 0; k < std::size(refused); ++k)
        lines[refused[k]] = Stored(GoodRow("123456783", kinds[k]), {{Kathares, "799"}});
    lines[20000] = Stored(GoodRow("999888771", "11"), {{AFM, "094014201"}, {Hmeres, "366"}});
    for (size_t row = 1; row < lines.size(); ++row) {
        if (row == 20000) {
            expected.emplace_back(row, Kind::Warning, kEmployer);
            expected.emplace_back(row, Kind::Refusal, kDays);
        } else {
            const bool own = std::find(std::begin(refused), std::end(refused), row) != std::end(refused);
            expected.emplace_back(row, Kind::Refusal, own ? kNet : kRepeated);
        }
    }
    ui.Forget();
    EXPECT_EQ(Compared(DeclarationCheck::Run(lines, ws->Header.AFM)), expected);
    EXPECT_TRUE(ui.log.empty());
}
