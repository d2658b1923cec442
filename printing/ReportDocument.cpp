#include "printing/ReportDocument.h"

#include "text/Cp1253.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QScreen>
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
    // One at a time: a printer that refuses the margins still takes the paper and its turn.
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

bool ReportDocument::Print(QTextDocument& document, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    // The layout works in the units of the screen's text; the painter scales
    // them onto the device's resolution.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const QPageLayout layout = device.pageLayout();
    const QSizeF area = layout.paintRectPoints().size() * dpi / 72.0;
    const QFontMetricsF metrics(document.defaultFont());
    const qreal foot = metrics.height() * 2;
    const qreal pageHeight = area.height() - foot;
    document.setPageSize(QSizeF(area.width(), pageHeight));

    const qreal scale = layout.paintRectPixels(device.logicalDpiX()).width() / area.width();
    painter.scale(scale, scale);
    painter.setFont(document.defaultFont());
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        const QRectF view(0, page * pageHeight, area.width(), pageHeight);
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        document.documentLayout()->draw(&painter, context);
        painter.restore();
        // The number is drawn in the device's own units, where its font has its printed size.
        painter.save();
        painter.resetTransform();
        painter.drawText(QRectF(0, pageHeight * scale, area.width() * scale, foot * scale),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
        painter.restore();
    }
    return painter.end();
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
        if (!Print(document, writer)) {
            if (error)
                *error = out.errorString();
            out.cancelWriting();
            return false;
        }
    }
    if (!out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}
