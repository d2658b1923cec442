// The .ods reader on any bytes: a zip package goes through the whole reader,
// anything else is taken as its content.xml, so that mutations reach the
// sheet walk without first having to survive the zip reader.
#include "workbook/WorkbookData.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        if (workbook::DetectFormat(bytes) == workbook::Format::Unknown)
            workbook::ReadOdsContent(bytes);
        else
            workbook::ReadOdsData(bytes);
    } catch (const workbook::WorkbookError&) {
    }
    return 0;
}
