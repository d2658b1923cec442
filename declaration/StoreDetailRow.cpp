#include "declaration/StoreDetailRow.h"

std::string StoreDetailRow::Get(declaration::DetailField field) const
{
    return m_dataSet.FieldByName(declaration::DetailLayout()[field].name).AsString();
}

void StoreDetailRow::Set(declaration::DetailField field, std::string_view value)
{
    m_dataSet.FieldByName(declaration::DetailLayout()[field].name).SetAsString(value);
}
