#include "workspace/GridColumns.h"

#include "text/Cp1253.h"

#include "workspace/UserInterface.h"

namespace gridcolumns {

namespace {

using declaration::DetailField;

const std::array<Column, 20> kColumns{{
    {DetailField::AFM, "ΑΦΜ (*)", 0, KeyRule::Digits},
    {DetailField::SurName, "ΕΠΩΝΥΜΟ", 0, KeyRule::Any},
    {DetailField::Name, "ΟΝΟΜΑ", 75, KeyRule::Any},
    {DetailField::FatherName, "ΟΝΟΜΑ ΠΑΤΕΡΑ Ή ΣΥΖΥΓΟΥ", 77, KeyRule::Any},
    {DetailField::City, "ΠΟΛΗ", 75, KeyRule::Any},
    {DetailField::Street, "ΟΔΟΣ", 0, KeyRule::Any},
    {DetailField::StreetNo, "ΑΡΙΘΜΟΣ", 0, KeyRule::Any},
    {DetailField::TK, nullptr, 0, KeyRule::Digits},
    {DetailField::TypeInc, "ΕΙΔΟΣ ΑΠΟΔΟΧΩΝ (*)", 65, KeyRule::IncomeKind},
    {DetailField::AkaInc, "ΑΚΑΘΑΡΙΣΤΕΣ ΑΠΟΔΟΧΕΣ (*)", 72, KeyRule::Amount},
    {DetailField::Xartosimo, "ΧΑΡΤΟΣΗΜΟ", 0, KeyRule::Amount},
    {DetailField::OGAXart, "ΟΓΑ ΧΑΡΤΟΣΗΜΟΥ", 72, KeyRule::Amount},
    {DetailField::Kratiseis, "ΚΡΑΤΗΣΕΙΣ  (ΕΚΤΟΣ ΦΟΡΟΥ) (*)", 65, KeyRule::Amount},
    {DetailField::Kathares, "ΚΑΘΑΡΕΣ ΑΠΟΔΟΧΕΣ   (*)", 65, KeyRule::Amount},
    {DetailField::ForosParakr, "ΦΟΡΟΣ ΠΟΥ ΠΑΡΑΚΡΑΤΗ- ΘΗΚΕ", 72, KeyRule::Amount},
    {DetailField::ForosAnal, "ΦΟΡΟΣ ΠΟΥ ΑΝΑΛΟΓΕΙ", 72, KeyRule::Amount},
    {DetailField::Ypokatastima, "ΥΠΟΚ/ΜΑ ΜΙΣΘΩΤΟΥ", 65, KeyRule::Any},
    {DetailField::Hmeres, "ΣΥΝΟΛΟ ΗΜΕΡΩΝ ΑΠ/ΣΗΣ", 65, KeyRule::Digits},
    {DetailField::OGAForouParakr, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΠΑΡ/ΘΗΚΕ", 72, KeyRule::Amount},
    {DetailField::OGAForouAnal, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΑΝΑΛΟΓΕΙ", 72, KeyRule::Amount},
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
