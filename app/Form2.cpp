#include "app/Form2.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace {
constexpr int ClientWidth = 262;
constexpr int ClientHeight = 49;
} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf8(WaitText));
    setFixedSize(ClientWidth, ClientHeight);
    setModal(false);

    auto* label = new QLabel(QString::fromUtf8(WaitText), this);
    label->setObjectName(QStringLiteral("Label1"));
    QFont big = label->font();
    big.setPixelSize(24);
    // At 24 pixels the text is wider than the window in a wide sans-serif.
    big.setStretch(QFont::Condensed);
    label->setFont(big);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(0, 0, ClientWidth, ClientHeight);
    label->setAccessibleName(QString::fromUtf8(WaitText));
    label->setAccessibleDescription(QStringLiteral("Label1"));
    setAccessibleName(QString::fromUtf8(WaitText));
    setAccessibleDescription(QStringLiteral("Form2"));
}

void TForm2::ShowNow()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        // Centre the client area itself; the frame is not known before showing.
        QRect client(QPoint(), size());
        client.moveCenter(screen->availableGeometry().center());
        setGeometry(client);
    }
    show();
    raise();
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm2::closeEvent(QCloseEvent* event)
{
    // The person cannot close it (only the work that showed it hides it
    // again); the program's own closing at exit goes through.
    if (event->spontaneous()) {
        event->ignore();
    } else {
        QDialog::closeEvent(event);
    }
}

void TForm2::keyPressEvent(QKeyEvent* event)
{
    // Escape would otherwise reject the dialog and hide it in mid-work.
    event->accept();
}
