#include "app/UserManual.h"

#include "app/CapsLockScope.h"
#include "app/ControlNames.h"
#include "app/Form1.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>

namespace {

struct TopicLink
{
    const char* objectName;
    const char* caption;
    const char* page;
};

const TopicLink Links[] = {
    {"Label2", "Οδηγίες εγκατάστασης", "setup.htm"},
    {"Label3", "Οδηγίες χρήσης εφαρμογής", "usermanual.htm"},
    {"Label4", "Όροι χρήσης εφαρμογής", "oroi.htm"},
};

constexpr int ViewerWidth = 761;
constexpr int ViewerHeight = 633;

} // namespace

TUserManual::TUserManual(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint),
      m_helpFolder(QDir(programFolder).filePath(QStringLiteral("Help")))
{
    NameControl(this, "UserManual", QString::fromUtf8("Οδηγίες εφαρμογής"));
    setWindowTitle(QString::fromUtf8("Οδηγίες εφαρμογής"));
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    m_Label1 = new QLabel(QString::fromUtf8("Επιλέξτε θέμα:"), this);
    NameControl(m_Label1, "Label1", m_Label1->text());
    m_Label1->setGeometry(10, 16, 160, 20);

    // The topics act as links: a click or, once focused, Enter or Space opens them.
    int top = 48;
    for (size_t i = 0; i < std::size(Links); ++i) {
        auto* link = new QLabel(QString::fromUtf8(Links[i].caption), this);
        NameControl(link, Links[i].objectName, link->text());
        QFont bold = link->font();
        bold.setBold(true);
        link->setFont(bold);
        QPalette palette = link->palette();
        palette.setColor(QPalette::WindowText, QColor(0, 0, 160));
        link->setPalette(palette);
        link->setCursor(Qt::PointingHandCursor);
        link->setFocusPolicy(Qt::StrongFocus);
        // A topic too long for the column goes on over two lines.
        link->setWordWrap(true);
        constexpr int linkWidth = ClientWidth - ViewerWidth - 15;
        link->setGeometry(10, top, linkWidth, link->heightForWidth(linkWidth));
        top += link->height() + 8;
        link->installEventFilter(this);
        m_links[i] = link;
    }

    m_Button1 = new QPushButton(QString::fromUtf8("Εκτύπωση"), this);
    NameControl(m_Button1, "Button1", m_Button1->text());
    m_Button1->setGeometry(10, top + 12, 100, 25);
    connect(m_Button1, &QPushButton::clicked, this, &TUserManual::Button1Click);

    m_WebBrowser1 = new QTextBrowser(this);
    NameControl(m_WebBrowser1, "WebBrowser1", QString::fromUtf8("Σελίδα οδηγιών"));
    m_WebBrowser1->setGeometry(ClientWidth - ViewerWidth - 2, 2, ViewerWidth, ViewerHeight);
    m_WebBrowser1->setOpenExternalLinks(true);
    m_WebBrowser1->setSearchPaths({m_helpFolder});

    ShowTopic(Setup);
}

void TUserManual::ShowTopic(Topic topic)
{
    const QString page = QDir(m_helpFolder).filePath(QString::fromLatin1(Links[topic].page));
    m_WebBrowser1->setSource(QUrl::fromLocalFile(page));
}

void TUserManual::Present(Topic topic)
{
    ShowTopic(topic);
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

QUrl TUserManual::Page() const
{
    return m_WebBrowser1->source();
}

void TUserManual::Button1Click()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    bool chosen = false;
    {
        const CapsLockScope::StandardDialog open;
        chosen = dialog.exec() == QDialog::Accepted;
    }
    if (!chosen)
        return;
    m_WebBrowser1->print(&printer);
    unsetCursor();
    if (!printer.isValid() || printer.printerState() == QPrinter::Error) {
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(TForm1::ApplicationTitle),
                        QString::fromUtf8(PrintFailure), QMessageBox::Ok, this);
        box.button(QMessageBox::Ok)->setIcon(QIcon());
        box.exec();
    }
}

bool TUserManual::eventFilter(QObject* watched, QEvent* event)
{
    for (size_t i = 0; i < m_links.size(); ++i) {
        if (watched != m_links[i])
            continue;
        const bool clicked = event->type() == QEvent::MouseButtonRelease;
        const bool typed =
            event->type() == QEvent::KeyPress && (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                                                  static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter ||
                                                  static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space);
        if (clicked || typed) {
            ShowTopic(static_cast<Topic>(i));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
