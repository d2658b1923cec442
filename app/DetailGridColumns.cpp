#include "app/DetailGridColumns.h"

#include "declaration/GridColumns.h"

#include <array>

namespace {

using declaration::DetailField;

struct Width
{
    DetailField field;
    int pixels; // 0: as wide as the field needs
};

const std::array<Width, 20> kWidths{{
    {DetailField::AFM, 0},
    {DetailField::SurName, 0},
    {DetailField::Name, 75},
    {DetailField::FatherName, 77},
    {DetailField::City, 75},
    {DetailField::Street, 0},
    {DetailField::StreetNo, 0},
    {DetailField::TK, 0},
    {DetailField::TypeInc, 65},
    {DetailField::AkaInc, 72},
    {DetailField::Xartosimo, 0},
    {DetailField::OGAXart, 72},
    {DetailField::Kratiseis, 65},
    {DetailField::Kathares, 65},
    {DetailField::ForosParakr, 72},
    {DetailField::ForosAnal, 72},
    {DetailField::Ypokatastima, 65},
    {DetailField::Hmeres, 65},
    {DetailField::OGAForouParakr, 72},
    {DetailField::OGAForouAnal, 72},
}};

} // namespace

std::vector<TGridColumn> DetailGridColumns()
{
    std::vector<TGridColumn> columns;
    for (const gridcolumns::Column& column : gridcolumns::Columns()) {
        TGridColumn shown{declaration::DetailLayout()[column.field].name,
                          column.title != nullptr ? QString::fromUtf8(column.title) : QString(), 0};
        for (const Width& width : kWidths)
            if (width.field == column.field)
                shown.width = width.pixels;
        columns.push_back(std::move(shown));
    }
    return columns;
}
