#include "workspace/AmountLimit.h"

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

static std::string Message(const char* lead, declaration::DetailField field, int width)
{
    return std::string(lead) + Caption(field) + " υπερβαίνει το όριο του πεδίου (έως " + Largest(width) +
           ").";
}

std::string RowMessage(declaration::DetailField field, int width)
{
    // A row's amount must also fit its working field of the same width, where
    // the decimal comma takes one character more than the cents do.
    return Message("Το ποσό ", field, width - 1);
}

std::string TotalMessage(declaration::DetailField field, int width)
{
    return Message("Το σύνολο ", field, width);
}

} // namespace amountlimit
