#include "workspace/Workspace.h"

#include "text/AmountText.h"
#include "declaration/GridColumns.h"
#include "declaration/Helpers.h"

// ---------------------------------------------------------------------------
// Keying rows in the grid

Workspace::GridKey Workspace::FilterGridKey(int column, const QString& editorText, char16_t& key)
{
    // Every typed character counts as a change, admitted or not.
    SetModified(true);
    // Tab, Enter and Esc have done their work in the grid (moving on,
    // closing the editor, cancelling) before their characters arrive: the
    // characters only count as typing.
    if (key == u'\t' || key == u'\r' || key == 0x1B)
        return GridKey::Keep;
    switch (gridcolumns::RuleOfColumn(column)) {
    case gridcolumns::KeyRule::Digits:
        DigitsOnlyKey(key, m_ui);
        break;
    case gridcolumns::KeyRule::Amount:
        AmountKeyFilter(editorText, key, m_ui);
        break;
    case gridcolumns::KeyRule::IncomeKind:
        if (key != u'\t')
            return GridKey::ToIncomeKindBox;
        break;
    case gridcolumns::KeyRule::Any:
        if (!gridcolumns::Admits(column, editorText, key)) {
            key = 0;
            m_ui.Beep();
        }
        break;
    }
    return key == 0 ? GridKey::Drop : GridKey::Keep;
}

QString Workspace::FilterPastedGridText(int column, const QString& text)
{
    SetModified(true);
    return gridcolumns::AdmittedText(column, text);
}

void Workspace::FillNetPay()
{
    auto& rows = FixedFormatDataSet1;
    try {
        rows.Edit();
    } catch (const std::exception&) {
        // No row to fill (a closed or refused store): the column is just entered.
    }
    if (rows.State() != TDataSetState::dsEdit && rows.State() != TDataSetState::dsInsert)
        return;
    const auto amountOf = [&rows](declaration::DetailField field) {
        return amount::StrToFloatDef(rows.FieldByName(declaration::DetailLayout()[field].name).AsString());
    };
    const long double net = amountOf(declaration::AkaInc) - amountOf(declaration::Kratiseis);
    TField& kathares = rows.FieldByName("Kathares");
    if (net >= 0) {
        kathares.SetAsString(amount::FormatGeneral15(static_cast<double>(net)));
        return;
    }
    m_ui.ShowMessage("Οι Καθαρές Αποδοχές βγαίνουν αρνητικές. Ελέγξτε τα ποσά των διάφορων κρατήσεων καθώς "
                     "και τις Ακαθάριστες αποδοχές");
    kathares.SetAsString("0");
}

void Workspace::ChooseIncomeKind(const std::string& code)
{
    auto& rows = FixedFormatDataSet1;
    if (rows.State() != TDataSetState::dsEdit && rows.State() != TDataSetState::dsInsert)
        rows.Edit();
    rows.FieldByName("TypeInc").SetAsString(code);
    SetModified(true);
}
