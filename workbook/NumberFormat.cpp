#include "workbook/NumberFormat.h"

namespace workbook {

bool IsDateFormat(int id, std::string_view code)
{
    // The built-in dates and times: 14-22, the minutes-and-seconds 45-47 and
    // the East Asian dates and times 27-36 and 50-58, whose codes a workbook
    // need not write out.
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) || (id >= 50 && id <= 58))
        return true;
    // A code speaks of a date or time through d, m, y, h or s; quoted text,
    // escaped or padding characters and bracketed colours or locales do not count.
    for (size_t i = 0; i < code.size(); ++i) {
        switch (code[i]) {
        case '"': {
            const size_t close = code.find('"', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
            break;
        }
        case '[': {
            const size_t close = code.find(']', i + 1);
            if (close == std::string_view::npos)
                return false;
            i = close;
            break;
        }
        case '\\':
        case '_':
        case '*':
            ++i;
            break;
        case 'd':
        case 'D':
        case 'm':
        case 'M':
        case 'y':
        case 'Y':
        case 'h':
        case 'H':
        case 's':
        case 'S':
            return true;
        default:
            break;
        }
    }
    return false;
}

} // namespace workbook
