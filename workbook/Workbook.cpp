#include "workbook/Workbook.h"

#include "text/AmountText.h"
#include "workbook/Messages.h"
#include "workbook/WorkbookData.h"
#include "workbook/ZipPackage.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstdint>

namespace workbook {

namespace {

// Larger files are not payroll sheets; reading one would only exhaust memory.
constexpr qint64 MaxFileSize = 512LL * 1024 * 1024;

constexpr std::string_view OdsType = "application/vnd.oasis.opendocument.spreadsheet";

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<size_t>(bytes.size())};
}

} // namespace

QString NumberText(double value)
{
    if (value == 0.0)
        return QStringLiteral("0"); // also for -0
    // Nearly every number of a payroll sheet is the double nearest to a whole
    // number of cents. Its fifteen significant digits are then those cents,
    // far from any rounding tie, so the text is written from the integer
    // without the decimal expansion of the general form.
    if (std::fabs(value) < 1e13) {
        const double cents = std::nearbyint(value * 100.0);
        if (cents / 100.0 == value)
            return QString::fromLatin1(amount::CentsText(static_cast<int64_t>(cents)));
    }
    return QString::fromLatin1(amount::FormatGeneral15(static_cast<long double>(value)));
}

Format DetectFormat(std::string_view data)
{
    static constexpr std::string_view compoundFile("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    static constexpr std::string_view zipEntry("PK\x03\x04", 4);
    if (data.starts_with(compoundFile))
        return Format::Xls;
    if (data.starts_with(zipEntry)) {
        // An OpenDocument package names its media type in its member
        // "mimetype", which should come first but need not.
        try {
            const ZipPackage package(data, message::NotXlsx);
            std::vector<unsigned char> type;
            if (package.Read("mimetype", type) &&
                std::string_view(reinterpret_cast<const char*>(type.data()), type.size())
                    .starts_with(OdsType))
                return Format::Ods;
            std::vector<unsigned char> manifest;
            if (package.Read("META-INF/manifest.xml", manifest) &&
                std::string_view(reinterpret_cast<const char*>(manifest.data()), manifest.size())
                        .find(OdsType) != std::string_view::npos)
                return Format::Ods;
        } catch (const WorkbookError&) {
            // Left to the .xlsx reader to refuse.
        }
        return Format::Xlsx;
    }
    return Format::Unknown;
}

std::optional<Sheet> ReadByContent(std::string_view data)
try {
    switch (DetectFormat(data)) {
    case Format::Xls:
        return ReadXlsData(data);
    case Format::Xlsx:
        return ReadXlsxData(data);
    case Format::Ods:
        return ReadOdsData(data);
    case Format::Unknown:
        break;
    }
    return std::nullopt;
} catch (const std::bad_alloc&) {
    throw WorkbookError(message::OutOfMemory);
}

QByteArray ReadWholeFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw WorkbookError(
            QString::fromUtf8(message::CannotOpen).arg(QFileInfo(path).fileName()).toStdString());
    if (file.size() > MaxFileSize)
        throw WorkbookError(
            QString::fromUtf8(message::FileTooLarge).arg(QFileInfo(path).fileName()).toStdString());
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw WorkbookError(
            QString::fromUtf8(message::CannotOpen).arg(QFileInfo(path).fileName()).toStdString());
    return bytes;
}

Sheet ReadXls(const QString& path)
{
    return ReadXlsData(View(ReadWholeFile(path)));
}

Sheet ReadXlsx(const QString& path)
{
    return ReadXlsxData(View(ReadWholeFile(path)));
}

Sheet ReadOds(const QString& path)
{
    return ReadOdsData(View(ReadWholeFile(path)));
}

} // namespace workbook
