#include "printing/ReportDocument.h"

#include "text/Cp1253.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>
#include <QTextOption>
#include <QUrl>
#include <stdexcept>

void ReportDocument::Load(QTextDocument& document, const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error(in.errorString().toStdString());
    const QByteArray bytes = in.readAll();
    // Relative picture names are resolved against the report's own folder.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath() + QLatin1Char('/')));
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 7));
    // A narrow column grows to its longest word instead of cutting the word
    // (an amount, a tax number) in the middle.
    QTextOption wrapping = document.defaultTextOption();
    wrapping.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(wrapping);
    document.setHtml(
        cp1253::toUnicode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
}

void ReportDocument::SetUpPage(QPagedPaintDevice& device, bool landscape)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

bool ReportDocument::WritePdf(const QString& reportPath, const QString& pdfPath, bool landscape,
                              QString* error)
{
    QTextDocument document;
    try {
        Load(document, reportPath);
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
    // Written aside and put in place whole, so that a failure leaves no half PDF.
    QSaveFile out(pdfPath);
    if (!out.open(QIODevice::WriteOnly)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    {
        QPdfWriter writer(&out);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        writer.setCreator(QStringLiteral("Rozaro"));
        SetUpPage(writer, landscape);
        document.print(&writer);
    }
    if (!out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
