#include "app/AboutBox.h"

#include "app/ControlNames.h"
#include "app/Form1.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent)
{
    NameControl(this, "AboutBox", QString::fromUtf8("Σχετικά"));
    setWindowTitle(QString::fromUtf8("Σχετικά"));
    setFixedSize(ClientWidth, ClientHeight);
    // Centred on the screen, wherever the main window has been moved to.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }

    BuildPanel();

    m_OKButton = new QPushButton(QStringLiteral("OK"), this);
    NameControl(m_OKButton, "OKButton", QStringLiteral("OK"));
    m_OKButton->setGeometry(111, 180, 75, 25);
    m_OKButton->setDefault(true);
    connect(m_OKButton, &QPushButton::clicked, this, &QDialog::accept);

    // The contact box opens once the key that asked for it has been
    // handled: a box run from inside the key's delivery leaves the about box
    // without the keyboard when it closes.
    ShowContact = [this](const QString& text) {
        QTimer::singleShot(0, this, [this, text] {
            QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(TForm1::ApplicationTitle), text,
                            QMessageBox::Ok, this);
            box.button(QMessageBox::Ok)->setIcon(QIcon());
            box.exec();
            activateWindow();
        });
    };

    // The box sees every key before the control that has the focus.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

// The raised panel with the program's icon, name and purpose.
void TAboutBox::BuildPanel()
{
    auto* panel = new QFrame(this);
    NameControl(panel, "Panel1", QString::fromUtf8("Σχετικά με την εφαρμογή"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    panel->setGeometry(8, 8, 282, 161);

    auto* icon = new QLabel(panel);
    NameControl(icon, "ProgramIcon", QStringLiteral("Rozaro"));
    icon->setPixmap(QPixmap(QStringLiteral(":/icons/rozaro.png"))
                        .scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    icon->setGeometry(8, 8, 32, 32);

    const QString product = QString::fromUtf8("Rozaro\n Έκδοση για Εκκαθαριστές\nΔημοσίου");
    auto* productName = new QLabel(product, panel);
    NameControl(productName, "ProductName", product.simplified());
    productName->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont bold = productName->font();
    bold.setBold(true);
    productName->setFont(bold);
    productName->setGeometry(44, 12, 194, 60);

    const QString line = QString::fromUtf8("Ηλεκτρονική Υποβολή Οριστικών Δηλώσεων Φόρου Μισθωτών Υπηρεσιών");
    auto* comments = new QLabel(line, panel);
    NameControl(comments, "Comments", line);
    comments->setAlignment(Qt::AlignCenter);
    comments->setWordWrap(true);
    comments->setGeometry(8, 84, 266, 56);
}

void TAboutBox::SequenceKey(int key)
{
    if (key == SequenceLetters[0]) {
        m_counter = m_counter == 0 ? 1 : 0;
        return;
    }
    for (int place = 1; place < 5; ++place) {
        if (key == SequenceLetters[place]) {
            m_counter = m_counter == place ? place + 1 : 0;
            return;
        }
    }
    if (key == ConfirmKey) {
        if (m_counter == 5)
            ShowContact(QString::fromUtf8(ContactText));
        else
            m_counter = 0;
    }
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // A key the focused control leaves goes on to its parents; it counts
        // once, where it was typed.
        QWidget* typedIn = QApplication::focusWidget();
        if (typedIn == nullptr || (typedIn != this && !isAncestorOf(typedIn)))
            typedIn = this;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (watched == typedIn && !key->isAutoRepeat())
            SequenceKey(key->key());
    }
    return QDialog::eventFilter(watched, event);
}
