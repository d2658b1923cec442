// Any bytes as a declaration file to open: a verdict, never a crash; a file
// taken as a declaration gives back working lines of one record's width at
// most and an employer line the header can be loaded from.
#include "declaration/DeclarationFile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    const declaration::ReadResult read = declaration::ReadDeclaration(in);
    if (read.status != declaration::ReadStatus::Ok)
        return 0;
    for (const auto& line : read.detailLines)
        if (line.find_first_of(std::string_view("\r\n", 2)) != std::string::npos)
            std::abort();
    if (!read.employerLines.empty())
        declaration::LoadEmployerLine(read.employerLines.front());
    return 0;
}
