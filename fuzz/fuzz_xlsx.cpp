// The .xlsx reader on any bytes.
#include "workbook/WorkbookData.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        workbook::ReadXlsxData(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const workbook::WorkbookError&) {
    }
    return 0;
}
