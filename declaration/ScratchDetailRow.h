#pragma once

#include "declaration/DetailRow.h"

// A private copy of a stored detail line, read and written by the same rules
// as the detail store's edit record, so that a check can run on it without
// touching the store.
class ScratchDetailRow : public DetailRow
{
public:
    explicit ScratchDetailRow(std::string_view line);
    std::string Get(declaration::DetailField field) const override;
    void Set(declaration::DetailField field, std::string_view value) override;
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};
