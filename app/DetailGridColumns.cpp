#include "app/DetailGridColumns.h"

#include "workspace/GridColumns.h"

#include <array>

namespace {

using declaration::DetailField;

struct Look
{
    DetailField field;
    const char* title; // null: the field's own name
    int width;
};

const std::array<Look, 20> kLooks{{
    {DetailField::AFM, "ΑΦΜ (*)", 0},
    {DetailField::SurName, "ΕΠΩΝΥΜΟ", 0},
    {DetailField::Name, "ΟΝΟΜΑ", 75},
    {DetailField::FatherName, "ΟΝΟΜΑ ΠΑΤΕΡΑ Ή ΣΥΖΥΓΟΥ", 77},
    {DetailField::City, "ΠΟΛΗ", 75},
    {DetailField::Street, "ΟΔΟΣ", 0},
    {DetailField::StreetNo, "ΑΡΙΘΜΟΣ", 0},
    {DetailField::TK, nullptr, 0},
    {DetailField::TypeInc, "ΕΙΔΟΣ ΑΠΟΔΟΧΩΝ (*)", 65},
    {DetailField::AkaInc, "ΑΚΑΘΑΡΙΣΤΕΣ ΑΠΟΔΟΧΕΣ (*)", 72},
    {DetailField::Xartosimo, "ΧΑΡΤΟΣΗΜΟ", 0},
    {DetailField::OGAXart, "ΟΓΑ ΧΑΡΤΟΣΗΜΟΥ", 72},
    {DetailField::Kratiseis, "ΚΡΑΤΗΣΕΙΣ  (ΕΚΤΟΣ ΦΟΡΟΥ) (*)", 65},
    {DetailField::Kathares, "ΚΑΘΑΡΕΣ ΑΠΟΔΟΧΕΣ   (*)", 65},
    {DetailField::ForosParakr, "ΦΟΡΟΣ ΠΟΥ ΠΑΡΑΚΡΑΤΗ- ΘΗΚΕ", 72},
    {DetailField::ForosAnal, "ΦΟΡΟΣ ΠΟΥ ΑΝΑΛΟΓΕΙ", 72},
    {DetailField::Ypokatastima, "ΥΠΟΚ/ΜΑ ΜΙΣΘΩΤΟΥ", 65},
    {DetailField::Hmeres, "ΣΥΝΟΛΟ ΗΜΕΡΩΝ ΑΠ/ΣΗΣ", 65},
    {DetailField::OGAForouParakr, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΠΑΡ/ΘΗΚΕ", 72},
    {DetailField::OGAForouAnal, "ΟΓΑ ΦΟΡΟΥ ΠΟΥ ΑΝΑΛΟΓΕΙ", 72},
}};

} // namespace

std::vector<TGridColumn> DetailGridColumns()
{
    std::vector<TGridColumn> columns;
    for (const gridcolumns::Column& column : gridcolumns::Columns()) {
        // A field without a look of its own shows under its name, as wide as it needs.
        TGridColumn shown{declaration::DetailLayout()[column.field].name, QString(), 0};
        for (const Look& look : kLooks) {
            if (look.field == column.field) {
                shown.title = look.title != nullptr ? QString::fromUtf8(look.title) : QString();
                shown.width = look.width;
            }
        }
        columns.push_back(std::move(shown));
    }
    return columns;
}
