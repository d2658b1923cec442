#include "app/PrintForm.h"

#include "app/CapsLockScope.h"
#include "app/ControlNames.h"
#include "app/Form1.h"
#include "app/ListView.h"
#include "fileio/FileError.h"
#include "printing/ReportDocument.h"

#include <QAbstractButton>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int Margin = 8;
constexpr int BrowserTop = 28;
constexpr int BrowserWidth = 985;
constexpr int BrowserHeight = 568;
constexpr int ButtonWidth = 145;
constexpr int ButtonHeight = 65;

} // namespace

TPrintForm::TPrintForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("PrintForm"));
    setAccessibleDescription(QStringLiteral("PrintForm"));
    setWindowTitle(QString::fromUtf8("Εκτύπωση"));
    setAccessibleName(windowTitle());
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect where(QPoint(), size());
        where.moveCenter(screen->availableGeometry().center());
        move(where.topLeft());
    }

    m_Label1 = new QLabel(QString::fromUtf8(LandscapeHint), this);
    NameControl(m_Label1, "Label1", m_Label1->text().trimmed());
    m_Label1->setGeometry(Margin, 6, BrowserWidth, 18);

    m_WebBrowser1 = new QTextBrowser(this);
    NameControl(m_WebBrowser1, "WebBrowser1", QString::fromUtf8("Η εκτύπωση"));
    m_WebBrowser1->setGeometry((ClientWidth - BrowserWidth) / 2, BrowserTop, BrowserWidth, BrowserHeight);
    m_WebBrowser1->setOpenLinks(false);
    // The detailed list stands in the viewer's place, as the pages it prints.
    m_list = new ListView(this);
    m_list->setObjectName(QStringLiteral("ListPages"));
    m_list->setAccessibleName(m_WebBrowser1->accessibleName());
    m_list->setAccessibleDescription(QStringLiteral("WebBrowser1"));
    m_list->setGeometry(m_WebBrowser1->geometry());
    m_list->hide();

    const int buttonTop =
        BrowserTop + BrowserHeight + (ClientHeight - BrowserTop - BrowserHeight - ButtonHeight) / 2;
    m_Button1 = new QPushButton(QString::fromUtf8("Εκτύπωση"), this);
    NameControl(m_Button1, "Button1", m_Button1->text());
    m_Button1->setGeometry((ClientWidth - ButtonWidth) / 2, buttonTop, ButtonWidth, ButtonHeight);
    connect(m_Button1, &QPushButton::clicked, this, &TPrintForm::Button1Click);

    m_SavePdf = new QPushButton(QString::fromUtf8("Αποθήκευση ως PDF"), this);
    NameControl(m_SavePdf, "Button2", m_SavePdf->text());
    m_SavePdf->setGeometry(m_Button1->geometry().right() + 1 + 2 * Margin, buttonTop, ButtonWidth,
                           ButtonHeight);
    connect(m_SavePdf, &QPushButton::clicked, this, &TPrintForm::SavePdfClick);

    ChoosePrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, this);
        return dialog.exec() == QDialog::Accepted;
    };
    ChoosePdfFile = [this](const QString& proposed) {
        QFileDialog dialog(this, QString::fromUtf8("Αποθήκευση ως PDF"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        // The suffix is added before the dialog asks about replacing a file.
        dialog.setDefaultSuffix(QStringLiteral("pdf"));
        dialog.setNameFilter(QStringLiteral("PDF (*.pdf)"));
        dialog.selectFile(proposed);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
}

void TPrintForm::LoadReport(const QString& path, const QString& caption, bool landscapeHint,
                            std::shared_ptr<const DetailedList> list)
{
    QTextDocument* document = m_WebBrowser1->document();
    {
        // A payroll of thousands of rows takes a while to read and lay out.
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QApplication::restoreOverrideCursor(); });
        const bool isList = list && list->DetailCount() + 2 > m_browserListRows;
        m_list->SetList(isList ? std::optional<ListPages>(std::in_place, list) : std::nullopt);
        if (isList) {
            document->clear();
        } else {
            ReportDocument::Load(*document, path);
            document->documentLayout()->documentSize();
        }
        m_WebBrowser1->setVisible(!isList);
        m_list->setVisible(isList);
    }
    // Every report opens at its head, whatever the last one was scrolled to.
    m_WebBrowser1->moveCursor(QTextCursor::Start);
    m_WebBrowser1->horizontalScrollBar()->setValue(0);
    m_WebBrowser1->verticalScrollBar()->setValue(0);
    m_path = path;
    m_detailed = std::move(list);
    setWindowTitle(caption);
    setAccessibleName(caption);
    m_landscape = landscapeHint;
    m_Label1->setVisible(landscapeHint);
}

void TPrintForm::ShowReport(const QString& path, const QString& caption, bool landscapeHint,
                            std::shared_ptr<const DetailedList> list)
{
    LoadReport(path, caption, landscapeHint, std::move(list));
    exec();
}

void TPrintForm::ShowProblem(const QString& message)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(TForm1::ApplicationTitle), message,
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

void TPrintForm::Button1Click()
{
    QPrinter printer(QPrinter::HighResolution);
    ReportDocument::SetUpPage(printer, m_landscape);
    printer.setDocName(windowTitle());
    bool chosen = false;
    {
        const CapsLockScope::StandardDialog open;
        chosen = ChoosePrinter(printer);
    }
    if (!chosen) {
        return;
    }
    bool printed = false;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        bool painted = false;
        if (m_detailed) {
            ListPages pages(m_detailed);
            painted = ReportDocument::Print(pages, printer);
        } else {
            painted = ReportDocument::PrintFile(m_path, printer);
        }
        printed = painted && printer.printerState() != QPrinter::Error &&
                  printer.printerState() != QPrinter::Aborted;
    } catch (const std::exception&) {
        printed = false;
    }
    QApplication::restoreOverrideCursor();
    if (!printed) {
        ShowProblem(QString::fromUtf8(PrintFailure));
    }
}

void TPrintForm::SavePdfClick()
{
    const QString proposed =
        QDir::home().filePath(QFileInfo(m_path).completeBaseName() + QStringLiteral(".pdf"));
    QString target;
    {
        // A path typed here must come out as typed, not in capitals.
        const CapsLockScope::StandardDialog open;
        target = ChoosePdfFile(proposed);
    }
    if (target.isEmpty()) {
        return;
    }
    if (!target.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        target += QStringLiteral(".pdf");
    }
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool written = true;
    try {
        written = m_detailed ? ReportDocument::WritePdf(m_detailed, target, &error)
                             : ReportDocument::WritePdf(m_path, target, m_landscape, &error);
    } catch (const EFolderSyncError& e) {
        // Written, and the message says exactly what is still at risk.
        error = QString::fromStdString(e.what());
    }
    QApplication::restoreOverrideCursor();
    if (!error.isEmpty() && written) {
        ShowProblem(error);
    }
    if (!written) {
        ShowProblem(QString::fromUtf8("Το αρχείο PDF δεν μπορεί να γραφτεί.\n") + error);
    }
}
