#include "declaration/AmountLimit.h"

#include "text/AmountText.h"
#include "text/Cp1253.h"

namespace amountlimit {

const char* Caption(declaration::DetailField field)
{
    using namespace declaration;
    switch (field) {
    case AkaInc:
        return "Ακαθάριστες Αποδοχές";
    case Xartosimo:
        return "Χαρτόσημο";
    case OGAXart:
        return "ΟΓΑ Χαρτοσήμου";
    case Kratiseis:
        return "Κρατήσεις";
    case Kathares:
        return "Καθαρές Αποδοχές";
    case ForosParakr:
        return "Φόρος που Παρακρατήθηκε";
    case ForosAnal:
        return "Φόρος που Αναλογεί";
    case OGAForouParakr:
        return "ΟΓΑ Φόρου που Παρακρατήθηκε";
    case OGAForouAnal:
        return "ΟΓΑ Φόρου που Αναλογεί";
    default:
        return DetailLayout()[field].name;
    }
}

std::string Largest(int width)
{
    if (width <= 2)
        return "0," + std::string(static_cast<size_t>(width), '9');
    return std::string(static_cast<size_t>(width - 2), '9') + ",99";
}

std::string RowLargest(int width)
{
    if (width <= 2)
        return "0";
    return std::string(static_cast<size_t>(width - 2), '9') + ",9";
}

static std::string OverLimit(const std::string& largest)
{
    return " υπερβαίνει το όριο του πεδίου (έως " + largest + ").";
}

std::string RowMessage(declaration::DetailField field, int width)
{
    return std::string("Το ποσό ") + Caption(field) + OverLimit(RowLargest(width));
}

std::string TotalMessage(declaration::DetailField field, int width)
{
    return std::string("Το σύνολο ") + Caption(field) + OverLimit(Largest(width));
}

std::string StoredRowMessage(declaration::DetailField field, int width, size_t rowNumber,
                             const std::string& text)
{
    const std::string which = std::string("Το ποσό ") + Caption(field) + " της γραμμής " +
                              std::to_string(rowNumber) + " των αναλυτικών αμοιβών";
    long double value = 0;
    if (!text.empty() && !amount::TryStrToFloat(text, value))
        return which + " δεν είναι αριθμός: " + cp1253::toUnicode(text).toStdString();
    return which + OverLimit(RowLargest(width));
}

} // namespace amountlimit
