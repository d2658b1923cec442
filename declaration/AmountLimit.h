#pragma once

#include "declaration/DeclarationFile.h"

#include <string>

// The declaration file holds an amount as whole cents in a field of fixed
// width; these name an amount field to the person and tell the largest amount
// its field can carry, for the messages that refuse a larger one.
namespace amountlimit {

// The caption of an amount field ("Ακαθάριστες Αποδοχές" ...), UTF-8.
const char* Caption(declaration::DetailField field);

// The largest amount `width` digits of cents can hold, in working form:
// 10 gives "99999999,99". A total is held only in that form.
std::string Largest(int width);
// The largest amount a row's field of `width` can hold: its file form keeps
// width - 2 digits of whole units and its working form, just as wide, has
// room beside them for the comma and one decimal: 10 gives "99999999,9".
std::string RowLargest(int width);

// "Το ποσό <caption> υπερβαίνει το όριο του πεδίου (έως <largest>)."
std::string RowMessage(declaration::DetailField field, int width);
// A stored row (numbered from 1) whose amount cannot be written into its
// file field: too large, or no number at all (`text` is shown, cp1253).
std::string StoredRowMessage(declaration::DetailField field, int width, size_t rowNumber,
                             const std::string& text);
// "Το σύνολο <caption> υπερβαίνει το όριο του πεδίου (έως <largest>)."
std::string TotalMessage(declaration::DetailField field, int width);

} // namespace amountlimit
