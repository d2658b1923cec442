#pragma once

#include "printing/ListPages.h"

#include <QPageLayout>
#include <QSizeF>
#include <QString>
#include <functional>
#include <memory>

class QFont;
class QPagedPaintDevice;
class QPdfWriter;
class QTextDocument;

// A report file as a printable document. The file is cp1253 HTML; pictures
// it names are found beside it. Printing lays the document out page by page
// on the device, where the tables' title rows repeat at the top of every page.
class ReportDocument
{
public:
    // Reads `path` into `document`. Throws std::runtime_error when it cannot be read.
    static void Load(QTextDocument& document, const QString& path);
    // The face every report is printed in, as ReportStyle gives it.
    static QFont Face();
    // ReportStyle's face, size and wrapping; pictures are found in `folder`.
    static void Prepare(QTextDocument& document, const QString& folder);

    // Lays `document` out in pages of the device's printable area, less a
    // foot line for the page number, and paints every page: a table's title
    // rows come back at the top of each page it runs onto. False when the
    // device cannot be painted on (no printer, a file that cannot be written).
    static bool Print(QTextDocument& document, QPagedPaintDevice& device);
    // The same for the detailed list, laid out by hand on the device's pages.
    static bool Print(ListPages& list, QPagedPaintDevice& device);
    // The report file `path` (the totals or the form page) printed. Throws
    // std::runtime_error when the file cannot be read.
    static bool PrintFile(const QString& path, QPagedPaintDevice& device);
    // The printable area of `device` in the screen's text units, less the
    // foot line (its height in `foot`) that numbers the page.
    static QSizeF PageArea(const QPageLayout& layout, const QFont& font, qreal* foot);
    // The paper of every report: A4, turned or not, 10 mm margins.
    static QPageLayout Paper(bool landscape);

    // Prepares `device` for a report: A4, the orientation, 10 mm margins.
    static void SetUpPage(QPagedPaintDevice& device, bool landscape);

    // The report file `reportPath` as a PDF at `pdfPath`. False, with the
    // reason in `error`, when the report cannot be read or the PDF written.
    // Both throw EFolderSyncError when the PDF is in place but its folder
    // could not be synced.
    static bool WritePdf(const QString& reportPath, const QString& pdfPath, bool landscape, QString* error);
    // The page `page` (cp1253 HTML, as the report writer built it, its
    // pictures in `folder`) as a PDF at `pdfPath`, on upright paper.
    static bool WritePagePdf(const std::string& page, const QString& folder, const QString& pdfPath,
                             QString* error);
    // The detailed list as a PDF at `pdfPath`, on turned paper.
    static bool WritePdf(const std::shared_ptr<const DetailedList>& list, const QString& pdfPath,
                         QString* error);

private:
    static bool WriteHtmlPdf(const QString& html, const QString& folder, const QString& pdfPath,
                             bool landscape, QString* error);
    static bool WritePdf(const QString& pdfPath, bool landscape, QString* error,
                         const std::function<bool(QPdfWriter&)>& print);
};
