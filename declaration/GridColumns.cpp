#include "declaration/GridColumns.h"

#include "text/Cp1253.h"

#include "declaration/UserInterface.h"

namespace gridcolumns {

namespace {

using declaration::DetailField;

const std::array<Column, 20> kColumns{{
    {DetailField::AFM, KeyRule::Digits, "ΑΦΜ (*)"},
    {DetailField::SurName, KeyRule::Any, "ΕΠΩΝΥΜΟ"},
    {DetailField::Name, KeyRule::Any, "ΟΝΟΜΑ"},
    {DetailField::FatherName, KeyRule::Any, "ΟΝΟΜΑ ΠΑΤΕΡΑ Ή ΣΥΖΥΓΟΥ"},
    {DetailField::City, KeyRule::Any, "ΠΟΛΗ"},
    {DetailField::Street, KeyRule::Any, "ΟΔΟΣ"},
    {DetailField::StreetNo, KeyRule::Any, "ΑΡΙΘΜΟΣ"},
    {DetailField::TK, KeyRule::Digits, nullptr},
    {DetailField::TypeInc, KeyRule::IncomeKind, "ΕΙΔΟΣ ΑΠΟΔΟΧΩΝ (*)"},
    {DetailField::AkaInc, KeyRule::Amount, "ΑΚΑΘΑΡΙΣΤΕΣ ΑΠΟΔΟΧΕΣ (*)"},
    {DetailField::Xartosimo, KeyRule::Amount, "ΧΑΡΤΟΣΗΜΟ"},
    {DetailField::OGAXart, KeyRule::Amount, "ΟΓΑ ΧΑΡΤΟΣΗΜΟΥ"},
    {DetailField::Kratiseis, KeyRule::Amount, "ΚΡΑΤΗΣΕΙΣ  (ΕΚΤΟΣ ΦΟΡΟΥ) (*)"},
    {DetailField::Kathares, KeyRule::Amount, "ΚΑΘΑΡΕΣ ΑΠΟΔΟΧΕΣ   (*)"},
    {DetailField::ForosParakr, KeyRule::Amount, "ΦΟΡΟΣ ΠΟΥ ΠΑΡΑΚΡΑΤΗ- ΘΗΚΕ"},
    {DetailField::ForosAnal, KeyRule::Amount, "ΦΟΡΟΣ ΠΟΥ ΑΝΑΛΟΓΕΙ"},
    {DetailField::Ypokatastima, KeyRule::Any, "ΥΠΟΚ/ΜΑ ΜΙΣΘΩΤΟΥ"},
    {DetailField::Hmeres, KeyRule::Digits, "ΣΥΝΟΛΟ ΗΜΕΡΩΝ ΑΠ/ΣΗΣ"},
    {DetailField::OGAForouParakr, KeyRule::Amount, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΠΑΡ/ΘΗΚΕ"},
    {DetailField::OGAForouAnal, KeyRule::Amount, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΑΝΑΛΟΓΕΙ"},
}};

} // namespace

const std::array<Column, 20>& Columns()
{
    return kColumns;
}

KeyRule RuleOfColumn(int column)
{
    if (column < 0 || column >= static_cast<int>(kColumns.size()))
        return KeyRule::Any;
    return kColumns[static_cast<size_t>(column)].keys;
}

bool Admits(int column, const QString& text, char16_t key)
{
    // A character the declaration file cannot hold would never reach the
    // row: it is refused as it is typed.
    std::string encoded;
    if (key >= 0x20 && !cp1253::fromUnicodeChecked(QString(QChar(key)), encoded))
        return false;
    const bool digit = key >= u'0' && key <= u'9';
    switch (RuleOfColumn(column)) {
    case KeyRule::Digits:
        return digit || key == 8 || key == 9;
    case KeyRule::Amount:
        return digit || key == 8 || (key == u',' && !text.contains(QLatin1Char(',')));
    case KeyRule::Any:
    case KeyRule::IncomeKind:
        break;
    }
    return true;
}

QString AdmittedText(int column, const QString& text)
{
    QString admitted;
    for (const QChar ch : text) {
        // Tab and Backspace pass a key filter as keys, not as text.
        if (ch.unicode() >= 0x20 && Admits(column, admitted, ch.unicode()))
            admitted += ch;
    }
    return admitted;
}

} // namespace gridcolumns

void AmountKeyFilter(const QString& text, char16_t& key, UserInterface& ui)
{
    if (!gridcolumns::Admits(gridcolumns::AkaIncColumn, text, key)) {
        key = 0;
        ui.Beep();
    }
}
