#pragma once

#include "grid/DataSetTableModel.h"

#include <vector>

// The detail grid's columns as the window shows them: in the order the
// declaration's columns keep, each under its title and at its width in
// pixels (0: as wide as the field needs).
std::vector<TGridColumn> DetailGridColumns();
