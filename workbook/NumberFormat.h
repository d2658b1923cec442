#pragma once

#include <string_view>

namespace workbook {

// Whether a cell of the number format `id` (the built-in ones) or with the
// format code `code` (`id` of a workbook's own format) shows a date or a time.
bool IsDateFormat(int id, std::string_view code);

} // namespace workbook
