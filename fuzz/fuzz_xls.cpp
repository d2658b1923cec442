// The .xls reader on any bytes: a compound file goes through the whole reader,
// anything else is taken as the workbook stream itself, so that mutations
// reach the record walk without first having to survive the compound file.
#include "workbook/WorkbookData.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        if (workbook::DetectFormat(bytes) == workbook::Format::Xls)
            workbook::ReadXlsData(bytes);
        else
            workbook::ReadXlsStream(bytes);
    } catch (const workbook::WorkbookError&) {
    }
    return 0;
}
