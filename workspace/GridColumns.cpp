#include "workspace/GridColumns.h"

#include "text/Cp1253.h"

#include "workspace/UserInterface.h"

namespace gridcolumns {

namespace {

using declaration::DetailField;

const std::array<Column, 20> kColumns{{
    {DetailField::AFM, KeyRule::Digits},
    {DetailField::SurName, KeyRule::Any},
    {DetailField::Name, KeyRule::Any},
    {DetailField::FatherName, KeyRule::Any},
    {DetailField::City, KeyRule::Any},
    {DetailField::Street, KeyRule::Any},
    {DetailField::StreetNo, KeyRule::Any},
    {DetailField::TK, KeyRule::Digits},
    {DetailField::TypeInc, KeyRule::IncomeKind},
    {DetailField::AkaInc, KeyRule::Amount},
    {DetailField::Xartosimo, KeyRule::Amount},
    {DetailField::OGAXart, KeyRule::Amount},
    {DetailField::Kratiseis, KeyRule::Amount},
    {DetailField::Kathares, KeyRule::Amount},
    {DetailField::ForosParakr, KeyRule::Amount},
    {DetailField::ForosAnal, KeyRule::Amount},
    {DetailField::Ypokatastima, KeyRule::Any},
    {DetailField::Hmeres, KeyRule::Digits},
    {DetailField::OGAForouParakr, KeyRule::Amount},
    {DetailField::OGAForouAnal, KeyRule::Amount},
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
