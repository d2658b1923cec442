#pragma once

#include "workspace/DeclarationFile.h"

#include <string>

// The declaration file holds an amount as whole cents in a field of fixed
// width; these name an amount field to the person and tell the largest amount
// its field can carry, for the messages that refuse a larger one.
namespace amountlimit {

// The caption of an amount field ("Ακαθάριστες Αποδοχές" ...), UTF-8.
const char* Caption(declaration::DetailField field);

// The largest amount `width` digits of cents can hold, in working form:
// 10 gives "99999999,99".
std::string Largest(int width);

// "Το ποσό <caption> υπερβαίνει το όριο του πεδίου (έως <largest>)."
std::string RowMessage(declaration::DetailField field, int width);
// "Το σύνολο <caption> υπερβαίνει το όριο του πεδίου (έως <largest>)."
std::string TotalMessage(declaration::DetailField field, int width);

} // namespace amountlimit
