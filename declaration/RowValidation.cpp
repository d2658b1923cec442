#include "declaration/RowValidation.h"

#include "dataset/DataSetErrors.h"
#include "text/AmountText.h"
#include "text/Cp1253.h"
#include "declaration/AmountLimit.h"
#include "declaration/Helpers.h"

#include <array>

using namespace declaration;

namespace {

// The amounts, in the order they are normalised and checked against the file's widths.
constexpr std::array<DetailField, 9> kAmounts = {
    AkaInc, Xartosimo, OGAXart, Kratiseis, Kathares, ForosParakr, ForosAnal, OGAForouParakr, OGAForouAnal};

// Fields that an empty text stands for zero in, in record order.
constexpr std::array<DetailField, 11> kZeroFilled = {AkaInc,   Xartosimo,      OGAXart,     Kratiseis,
                                                     Kathares, ForosParakr,    ForosAnal,   Ypokatastima,
                                                     Hmeres,   OGAForouParakr, OGAForouAnal};

constexpr std::array<const char*, 14> kIncomeKinds = {"10", "11", "12", "13", "14", "15", "16",
                                                      "20", "21", "22", "23", "24", "25", "30"};

enum class Verdict { Refuse, Ask };

// An amount that exceeds its limit is refused, or asked about, with the message.
struct LimitRule
{
    RowValidation::Limit name; // the entry's own position, checked below
    RowValidation::Amount amount;
    RowValidation::Amount limit;
    Verdict verdict;
    const char* message;
};

using enum RowValidation::Amount;
using L = RowValidation::Limit;

constexpr std::array<LimitRule, static_cast<size_t>(L::Count)> kLimitRules{{
    {L::DeductionsAboveGross, Deductions, Gross, Verdict::Refuse,
     "Οι συνολικές κρατήσεις που έχετε δηλώσει είναι μεγαλύτερες από τις Ακαθάριστες αποδοχές. Ελέγξτε "
     "τα ποσά των διάφορων κρατήσεων καθώς και τις Ακαθάριστες αποδοχές"},
    {L::StampAboveGross, Stamp, Gross, Verdict::Refuse,
     "Το ποσό Χαρτοσήμου που έχετε δηλώσει είναι μεγαλύτερο από τις Ακαθάριστες αποδοχές. Ελέγξτε το "
     "ποσό Χαρτοσήμου καθώς και τις Ακαθάριστες αποδοχές"},
    {L::StampLevyAboveGross, StampLevy, Gross, Verdict::Refuse,
     "Το ποσό ΟΓΑ Χαρτοσήμου που έχετε δηλώσει είναι μεγαλύτερο από τις Ακαθάριστες αποδοχές. Ελέγξτε "
     "το ποσό ΟΓΑ Χαρτοσήμου καθώς και τις Ακαθάριστες αποδοχές"},
    {L::WithheldAboveGross, Withheld, Gross, Verdict::Refuse,
     "Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος από τις Ακαθάριστες αποδοχές. Ελέγξτε το ποσό Φόρου "
     "καθώς και τις Ακαθάριστες αποδοχές"},
    {L::DueAboveGross, Due, Gross, Verdict::Refuse,
     "Ο Αναλογούντας Φόρος που έχετε δηλώσει είναι μεγαλύτερος από τις Ακαθάριστες αποδοχές. Ελέγξτε "
     "το ποσό Φόρου καθώς και τις Ακαθάριστες αποδοχές"},
    {L::WithheldAboveDue, Withheld, Due, Verdict::Ask,
     "Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος από τον Αναλογούντα Φόρο. Είστε βέβαιος ότι θέλετε να "
     "συνεχίσετε με την αποθήκευση;"},
    {L::WithheldAboveShareOfNet, Withheld, ShareOfNet, Verdict::Ask,
     "Ο Φόρος που Παρακρατήθηκε είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. Είστε βέβαιος ότι "
     "θέλετε να συνεχίσετε με την αποθήκευση;"},
    {L::DueAboveShareOfNet, Due, ShareOfNet, Verdict::Ask,
     "Ο Φόρος που Αναλογεί είναι μεγαλύτερος του 40% των Καθαρών Αποδοχών. Είστε βέβαιος ότι θέλετε να "
     "συνεχίσετε με την αποθήκευση;"},
    {L::WithheldLevyAboveGross, WithheldLevy, Gross, Verdict::Refuse,
     "Το ποσό \"ΟΓΑ Φόρου που παρ/κε\" που έχετε δηλώσει είναι μεγαλύτερο από τις Ακαθάριστες αποδοχές. "
     "Ελέγξτε το ποσό Φόρου καθώς και τις Ακαθάριστες αποδοχές"},
    {L::DueLevyAboveGross, DueLevy, Gross, Verdict::Refuse,
     "Το ποσό \"ΟΓΑ Φόρου που αναλογεί\" που έχετε δηλώσει είναι μεγαλύτερο από τις Ακαθάριστες αποδοχές. "
     "Ελέγξτε το ποσό Φόρου καθώς και τις Ακαθάριστες αποδοχές"},
}};

constexpr bool InOrder()
{
    for (size_t i = 0; i < kLimitRules.size(); ++i)
        if (static_cast<size_t>(kLimitRules[i].name) != i)
            return false;
    return true;
}
static_assert(InOrder(), "each limit rule stands at its own name's position");

} // namespace

RowValidation::RowValidation(UserInterface& ui, DetailRow& row, bool& rowAccepted, Settings settings)
    : m_ui(ui), m_row(row), m_rowAccepted(rowAccepted), m_settings(std::move(settings))
{
}

void RowValidation::Run()
{
    StampConstantFields();
    AskIfEmployerNumber();
    RequireMandatoryFields();
    AskIfNumberFailsCheck();
    RequireKnownIncomeKind();
    RefuseRepeatedPair();
    FillEmptyAmountsWithZero();
    LimitDays();
    NormaliseAmounts();
    RequireAmountsFitFile();
    ReadGrossAndDeductions();
    RequireNetAgrees();
    Check(Limit::DeductionsAboveGross);
    Check(Limit::StampAboveGross);
    Check(Limit::StampLevyAboveGross);
    ReadTaxes();
    Check(Limit::WithheldAboveGross);
    Check(Limit::DueAboveGross);
    Check(Limit::WithheldAboveDue);
    Check(Limit::WithheldAboveShareOfNet);
    Check(Limit::DueAboveShareOfNet);
    ReadTaxLevies();
    Check(Limit::WithheldLevyAboveGross);
    Check(Limit::DueLevyAboveGross);
    Accept();
}

void RowValidation::Refuse(const std::string& message)
{
    if (m_settings.beforeSpeaking)
        m_settings.beforeSpeaking();
    m_ui.Beep();
    m_ui.ShowMessage(message);
    m_rowAccepted = false;
    throw EAbort();
}

void RowValidation::Ask(const char* question)
{
    if (m_settings.beforeSpeaking)
        m_settings.beforeSpeaking();
    m_ui.Beep();
    // Only an explicit "Όχι" refuses; closing the question counts as yes.
    if (m_ui.AskWithCaptions(question, UserInterface::YesButton | UserInterface::NoButton, {"Ναι", "Όχι"}) ==
        UserInterface::Answer::No) {
        m_rowAccepted = false;
        throw EAbort();
    }
}

long double RowValidation::ReadOrZero(DetailField field) const
{
    return amount::StrToFloatDef(m_row.Get(field), 0.0L);
}

// These stay in the row even when a later step refuses it.
void RowValidation::StampConstantFields()
{
    m_row.Set(FILLER, " ");
    m_row.Set(FILLER2, "    ");
    m_row.Set(RecordType, "3");
}

void RowValidation::AskIfEmployerNumber()
{
    if (m_row.Get(AFM) == m_settings.employerAfm && !m_settings.importing)
        Ask("Ο ΑΦΜ: που εισάγατε είναι ίδιος με τον ΑΦΜ υπόχρεου. Είστε σίγουρος ότι αυτό είναι σωστό;");
}

void RowValidation::RequireMandatoryFields()
{
    for (DetailField field : {AFM, AkaInc, Kratiseis, Kathares})
        if (m_row.Get(field).empty())
            Refuse("Πρέπει να συμπληρώσετε υποχρεωτικά τα πεδία ΑΦΜ,Ακαθάριστες και Καθαρές Αποδοχές, "
                   "Κρατήσεις, Είδος Αποδοχών");
}

void RowValidation::AskIfNumberFailsCheck()
{
    // CheckAFM throws a conversion error for nine characters that are not
    // digits; that error leaves the gate as it is, during an import too, where
    // no key filter kept the letters out: such a number is never stored.
    const bool passes = CheckAFM(m_row.Get(AFM));
    if (!passes && !m_settings.importing)
        Ask("Έχετε συμπληρώσει μη αποδεκτό ΑΦΜ στην εγγραφή αναλυτικών αμοιβών. Είστε σίγουρος ότι αυτό "
            "είναι "
            "σωστό;");
}

void RowValidation::RequireKnownIncomeKind()
{
    const std::string kind = m_row.Get(TypeInc);
    for (const char* known : kIncomeKinds)
        if (kind == known)
            return;
    Refuse("Έχετε συμπληρώσει μη αποδεκτή τιμή Είδους Αποδοχών στην εγγραφή αναλυτικών αμοιβών");
}

void RowValidation::RefuseRepeatedPair()
{
    if (!m_settings.newRow || !m_settings.isStoredPair)
        return;
    const std::string afm = m_row.Get(AFM);
    if (m_settings.isStoredPair(afm, m_row.Get(TypeInc)))
        Refuse("Ο ΑΦΜ: " + cp1253::toUnicode(afm).toStdString() +
               " έχει εισαχθεί 2 φορές στις αναλυτικές αμοιβές με τον ίδιο κωδικό Είδους Αποδοχών");
}

void RowValidation::FillEmptyAmountsWithZero()
{
    for (DetailField field : kZeroFilled)
        if (m_row.Get(field).empty())
            m_row.Set(field, "0");
}

void RowValidation::LimitDays()
{
    if (amount::StrToInt(m_row.Get(Hmeres)) > 365)
        Refuse("Οι ημέρες απασχόλησης πρέπει να είναι <= 365. Διορθώστε το για να προχωρήσει η αποθήκευση.");
}

void RowValidation::NormaliseAmounts()
{
    for (DetailField field : kAmounts) {
        m_normalised[field] = amount::FormatAmount(amount::StrToFloat(m_row.Get(field)));
        m_row.Set(field, m_normalised[field]);
    }
}

// The declaration file carries each amount as whole cents in a field of the
// same width; a larger amount would make the record overrun its 170
// characters, so it is refused here, while the person can still correct it.
void RowValidation::RequireAmountsFitFile()
{
    for (DetailField field : kAmounts) {
        const int width = DetailLayout()[field].width;
        const std::string& text = m_normalised[field];
        if (text.size() > static_cast<size_t>(width) || !amount::FitsFileForm(text, width))
            Refuse(amountlimit::RowMessage(field, width));
    }
}

void RowValidation::ReadGrossAndDeductions()
{
    m_amounts[Gross] = ReadOrZero(AkaInc);
    m_amounts[Stamp] = ReadOrZero(Xartosimo);
    m_amounts[StampLevy] = ReadOrZero(OGAXart);
    m_amounts[Deductions] = ReadOrZero(Kratiseis);
    m_amounts[Net] = ReadOrZero(Kathares);
    m_amounts[ShareOfNet] = m_amounts[Net] * 40 / 100;
}

// Compared as 15-digit texts, so binary noise in the subtraction does not count.
// Gross, deductions and net are whole cents by now, and when gross and
// deductions are large and nearly equal the noise of their difference reaches
// the fifteenth digit (263411,02 - 263404,91 renders as 6,11000000000001); such
// a net is still exact to the cent and is not refused.
void RowValidation::RequireNetAgrees()
{
    const long double remainder = m_amounts[Gross] - m_amounts[Deductions];
    if (amount::FormatGeneral15(remainder) != amount::FormatGeneral15(m_amounts[Net]) &&
        amount::FormatAmount(remainder) != amount::FormatAmount(m_amounts[Net]))
        Refuse("Οι Καθαρές αποδοχές δε συμφωνούν με τα υπόλοιπα ποσά που έχετε δηλώσει.Ελέγξτε τα ποσά των "
               "διάφορων κρατήσεων καθώς και τις Ακαθάριστες αποδοχές");
}

void RowValidation::ReadTaxes()
{
    m_amounts[Withheld] = ReadOrZero(ForosParakr);
    m_amounts[Due] = ReadOrZero(ForosAnal);
}

void RowValidation::ReadTaxLevies()
{
    m_amounts[WithheldLevy] = ReadOrZero(OGAForouParakr);
    m_amounts[DueLevy] = ReadOrZero(OGAForouAnal);
}

void RowValidation::Check(Limit limit)
{
    const LimitRule& rule = kLimitRules[static_cast<size_t>(limit)];
    if (!(m_amounts[rule.amount] > m_amounts[rule.limit]))
        return;
    if (rule.verdict == Verdict::Refuse)
        Refuse(rule.message);
    Ask(rule.message);
}

void RowValidation::Accept()
{
    m_rowAccepted = true;
}
