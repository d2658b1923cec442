#include "printing/ReportDocument.h"

#include "fileio/AtomicDevice.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/ReadWhole.h"
#include "printing/ListPages.h"
#include "printing/ReportStyle.h"
#include "text/Cp1253.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QTextDocument>
#include <QUrl>
#include <cerrno>
#include <stdexcept>

namespace {

QString ReadReport(const QString& path)
{
    QFile in(path);
    errno = 0;
    if (!in.open(QIODevice::ReadOnly))
        throw std::runtime_error(FileErrorMessage(path.toStdString(), errno, FileAction::Read));
    const QByteArray bytes = in.readAll();
    return cp1253::toUnicode(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

QString FolderOf(const QString& path)
{
    return QFileInfo(path).absolutePath();
}

// A report page that reads its pictures itself and remembers the first that
// could not be read: the plain text document would leave a blank where such
// a picture stood, and the print would pass for whole.
class CheckedPage : public QTextDocument
{
public:
    // Why a picture could not be read; empty while every one could.
    const std::string& Failure() const { return m_failure; }

protected:
    QVariant loadResource(int type, const QUrl& name) override
    {
        if (type != QTextDocument::ImageResource)
            return QTextDocument::loadResource(type, name);
        const std::string path = baseUrl().resolved(name).toLocalFile().toStdString();
        try {
            const std::string bytes = fileio::ReadWhole(path);
            const QImage picture =
                QImage::fromData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size())));
            if (!picture.isNull())
                return picture;
            Fail("Το αρχείο «" + path + "» δεν μπορεί να ανοίξει. Δεν είναι εικόνα που διαβάζεται.");
        } catch (const EFileError& e) {
            Fail(e.what());
        }
        return {};
    }

private:
    void Fail(const std::string& why)
    {
        if (m_failure.empty())
            m_failure = why;
    }

    std::string m_failure;
};

} // namespace

QFont ReportDocument::Face()
{
    return ReportStyle::Face();
}

void ReportDocument::Prepare(QTextDocument& document, const QString& folder)
{
    ReportStyle::Prepare(document, folder);
}

void ReportDocument::Load(QTextDocument& document, const QString& path)
{
    const QString html = ReadReport(path);
    Prepare(document, FolderOf(path));
    document.setHtml(html);
}

QPageLayout ReportDocument::Paper(bool landscape)
{
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

void ReportDocument::SetUpPage(QPagedPaintDevice& device, bool landscape)
{
    // One at a time: a printer that refuses the margins still takes the paper and its turn.
    device.setPageSize(QPageSize(QPageSize::A4));
    device.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    device.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
}

namespace {

// Paints `pages` pages of `area` (in the screen's text units) onto the
// device, each with its number at the foot.
template <typename PaintPage>
bool PaintPages(QPagedPaintDevice& device, QPainter& painter, QSizeF area, qreal foot, int pages,
                PaintPage paintPage)
{
    const qreal scale = device.pageLayout().paintRectPixels(device.logicalDpiX()).width() / area.width();
    painter.scale(scale, scale);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage())
            return false;
        painter.save();
        paintPage(page);
        painter.restore();
        // The number is drawn in the device's own units, where its font has its printed size.
        painter.save();
        painter.resetTransform();
        painter.drawText(QRectF(0, area.height() * scale, area.width() * scale, foot * scale),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("%1 / %2").arg(page + 1).arg(pages));
        painter.restore();
    }
    return painter.end();
}

} // namespace

QSizeF ReportDocument::PageArea(const QPageLayout& layout, const QFont& font, qreal* foot)
{
    // The layout works in the units of the screen's text; the painter scales
    // them onto the device's resolution.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    const QSizeF area = layout.paintRectPoints().size() * dpi / 72.0;
    *foot = QFontMetricsF(font).height() * 2;
    return QSizeF(area.width(), area.height() - *foot);
}

bool ReportDocument::Print(QTextDocument& document, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    qreal foot = 0;
    const QSizeF area = PageArea(device.pageLayout(), document.defaultFont(), &foot);
    document.setPageSize(area);
    painter.setFont(document.defaultFont());
    return PaintPages(device, painter, area, foot, document.pageCount(), [&](int page) {
        const QRectF view(0, page * area.height(), area.width(), area.height());
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        document.documentLayout()->draw(&painter, context);
    });
}

bool ReportDocument::Print(ListPages& list, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const QFont font = Face();
    qreal foot = 0;
    const QSizeF area = PageArea(device.pageLayout(), font, &foot);
    list.LayOut(area);
    painter.setFont(font);
    return PaintPages(device, painter, area, foot, list.PageCount(), [&](int page) {
        painter.setClipRect(QRectF(QPointF(), area));
        list.PaintPage(painter, page);
    });
}

bool ReportDocument::PrintFile(const QString& path, QPagedPaintDevice& device)
{
    CheckedPage document;
    Load(document, path);
    return Print(document, device) && document.Failure().empty();
}

bool ReportDocument::WritePdf(const QString& pdfPath, bool landscape, QString* error,
                              const std::function<bool(QPdfWriter&)>& print)
{
    // Written aside and put in place whole, so that a failure leaves no half PDF.
    auto fail = [error](const QString& reason) {
        if (error)
            *error = reason;
        return false;
    };
    AtomicDevice out(pdfPath);
    if (!out.open(QIODevice::WriteOnly))
        return fail(QString::fromStdString(out.Failure()));
    {
        QPdfWriter writer(&out);
        writer.setCreator(QStringLiteral("Rozaro"));
        SetUpPage(writer, landscape);
        if (!print(writer)) {
            const QString reason = out.Failure().empty()
                                       ? QString::fromUtf8("Οι σελίδες του PDF δεν μπορούν να σχηματιστούν.")
                                       : QString::fromStdString(out.Failure());
            out.Cancel();
            return fail(reason);
        }
    }
    try {
        out.Commit();
    } catch (const EFolderSyncError&) {
        throw; // the PDF is in place: no failure to write it
    } catch (const EFileError& e) {
        return fail(QString::fromStdString(e.what()));
    }
    return true;
}

bool ReportDocument::WritePdf(const QString& reportPath, const QString& pdfPath, bool landscape,
                              QString* error)
{
    QString html;
    try {
        html = ReadReport(reportPath);
    } catch (const std::exception& e) {
        if (error)
            *error = QString::fromStdString(e.what());
        return false;
    }
    return WriteHtmlPdf(html, FolderOf(reportPath), pdfPath, landscape, error);
}

bool ReportDocument::WritePagePdf(const std::string& page, const QString& folder, const QString& pdfPath,
                                  QString* error)
{
    return WriteHtmlPdf(cp1253::toUnicode(page), folder, pdfPath, false, error);
}

bool ReportDocument::WriteHtmlPdf(const QString& html, const QString& folder, const QString& pdfPath,
                                  bool landscape, QString* error)
{
    CheckedPage document;
    bool printed = WritePdf(pdfPath, landscape, error, [&](QPdfWriter& writer) {
        Prepare(document, folder);
        document.setHtml(html);
        writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
        return Print(document, writer) && document.Failure().empty();
    });
    if (!printed && error && !document.Failure().empty())
        *error = QString::fromStdString(document.Failure());
    return printed;
}

bool ReportDocument::WritePdf(const std::shared_ptr<const DetailedList>& list, const QString& pdfPath,
                              QString* error)
{
    return WritePdf(pdfPath, true, error, [&](QPdfWriter& writer) {
        ListPages pages(list);
        writer.setTitle(pages.Title());
        return Print(pages, writer);
    });
}
