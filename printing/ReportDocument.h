#pragma once

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// A report file as a printable document. The file is cp1253 HTML; pictures
// it names are found beside it. Printing lays the document out page by page
// on the device, where the tables' title rows repeat at the top of every page.
class ReportDocument
{
public:
    // Reads `path` into `document`. Throws std::runtime_error when it cannot be read.
    static void Load(QTextDocument& document, const QString& path);

    // Lays `document` out in pages of the device's printable area, less a
    // foot line for the page number, and paints every page: a table's title
    // rows come back at the top of each page it runs onto. False when the
    // device cannot be painted on (no printer, a file that cannot be written).
    static bool Print(QTextDocument& document, QPagedPaintDevice& device);

    // Prepares `device` for a report: A4, the orientation, 10 mm margins.
    static void SetUpPage(QPagedPaintDevice& device, bool landscape);

    // The report file `reportPath` as a PDF at `pdfPath`. False, with the
    // reason in `error`, when the report cannot be read or the PDF written.
    static bool WritePdf(const QString& reportPath, const QString& pdfPath, bool landscape, QString* error);
};
