#pragma once

#include "declaration/DeclarationFile.h"

#include <string>
#include <string_view>

// One detail row as the row validation sees it: fields read as the detail
// store reads them (trailing spaces removed, empty when the row ends before
// the field) and written as the store writes them (cut to the field's width,
// padded with spaces). The same checks then run on the store's edit record and
// on a scratch copy of a stored line.
class DetailRow
{
public:
    virtual ~DetailRow() = default;
    virtual std::string Get(declaration::DetailField field) const = 0;
    virtual void Set(declaration::DetailField field, std::string_view value) = 0;
};
