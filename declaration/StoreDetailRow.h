#pragma once

#include "dataset/FixedFormatDataSet.h"
#include "declaration/DetailRow.h"

// The record a detail store is editing or inserting, through its fields.
class StoreDetailRow : public DetailRow
{
public:
    explicit StoreDetailRow(TFixedFormatDataSet& dataSet) : m_dataSet(dataSet) {}
    std::string Get(declaration::DetailField field) const override;
    void Set(declaration::DetailField field, std::string_view value) override;

private:
    TFixedFormatDataSet& m_dataSet;
};
