#include "app/Find.h"

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

constexpr int AfmLength = 9;
constexpr int SurnameLength = 27;

template <typename Control> Control* named(Control* control, const char* objectName, const QString& spoken)
{
    control->setObjectName(QString::fromLatin1(objectName));
    control->setAccessibleDescription(QString::fromLatin1(objectName));
    control->setAccessibleName(spoken);
    return control;
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool IsDigits(const QString& text)
{
    return std::all_of(text.begin(), text.end(), IsDigit);
}

qsizetype NonDigits(const QString& text)
{
    return std::count_if(text.begin(), text.end(), [](QChar c) { return !IsDigit(c); });
}

// A character the tax-number search lets through: a digit, Backspace or Tab.
bool PassesDigitsOnly(const QString& typed)
{
    return typed == QStringLiteral("\b") || typed == QStringLiteral("\t") || IsDigits(typed);
}

} // namespace

TFind::TFind(QWidget* parent) : QDialog(parent), Beep(&QApplication::beep)
{
    named(this, "Find", QString::fromUtf8("Εύρεση"));
    setWindowTitle(QString::fromUtf8("Εύρεση"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    setFont(font);
    setFixedSize(ClientWidth, ClientHeight);

    auto* searchBy = new QLabel(QString::fromUtf8("Αναζήτηση με:"), this);
    named(searchBy, "Label1", searchBy->text())->setGeometry(16, 12, 200, 16);
    m_RadioButton1 =
        named(new QRadioButton(QString::fromUtf8("ΑΦΜ"), this), "RadioButton1", QString::fromUtf8("ΑΦΜ"));
    m_RadioButton1->setGeometry(32, 32, 200, 18);
    m_RadioButton1->setChecked(true);
    m_RadioButton2 = named(new QRadioButton(QString::fromUtf8("Επωνυμία"), this), "RadioButton2",
                           QString::fromUtf8("Επωνυμία"));
    m_RadioButton2->setGeometry(32, 54, 200, 18);

    auto* findWhat = new QLabel(QString::fromUtf8("Εύρεση του:"), this);
    named(findWhat, "Label2", findWhat->text())->setGeometry(16, 82, 200, 16);
    m_Edit1 = named(new QLineEdit(this), "Edit1", findWhat->text());
    m_Edit1->setGeometry(16, 100, 255, 21);
    m_Edit1->setMaxLength(AfmLength);
    m_Edit1->installEventFilter(this);
    // An edit is told before the change is, so m_current still holds the
    // text an edit started from when the edit is judged.
    connect(m_Edit1, &QLineEdit::textChanged, this, [this] { m_current = m_Edit1->text(); });
    connect(m_Edit1, &QLineEdit::textEdited, this, &TFind::Edit1TextEdited);

    m_CheckBox2 = named(new QCheckBox(QString::fromUtf8("Μόνο ολόκληρες λέξεις"), this), "CheckBox2",
                        QString::fromUtf8("Μόνο ολόκληρες λέξεις"));
    m_CheckBox2->setGeometry(16, 130, 255, 18);
    m_CheckBox2->setChecked(true);

    m_Button1 = named(new QPushButton(QString::fromUtf8("ΟΚ"), this), "Button1", QString::fromUtf8("ΟΚ"));
    m_Button1->setGeometry(108, 162, 75, 25);
    m_Button1->setDefault(true);
    m_Button2 =
        named(new QPushButton(QString::fromUtf8("Ακύρωση"), this), "Button2", QString::fromUtf8("Ακύρωση"));
    m_Button2->setGeometry(196, 162, 75, 25);
    connect(m_Button1, &QPushButton::clicked, this, &TFind::Button1Click);
    connect(m_Button2, &QPushButton::clicked, this, &TFind::reject);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect where(QPoint(), size());
        where.moveCenter(screen->availableGeometry().center());
        move(where.topLeft());
    }
}

bool TFind::ByAfm() const
{
    return m_RadioButton1->isChecked();
}

void TFind::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The person comes to type what to find: the text is ready to be typed
    // over, or kept with an arrow key.
    m_Edit1->setFocus(Qt::ActiveWindowFocusReason);
    m_Edit1->selectAll();
}

void TFind::Button1Click()
{
    m_result.Cancelled = false;
    m_result.PartialKey = !m_CheckBox2->isChecked();
    m_result.ByAfm = ByAfm();
    m_result.Text = m_Edit1->text();
    accept();
}

void TFind::reject()
{
    m_result.Cancelled = true;
    QDialog::reject();
}

bool TFind::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_Edit1 || event->type() != QEvent::KeyPress) {
        return QDialog::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString typed = key->text();
    // Enter and Escape belong to the dialog's buttons, Delete to the edit box.
    const bool character = !typed.isEmpty() && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter &&
                           key->key() != Qt::Key_Escape && key->key() != Qt::Key_Delete;
    if (character && ByAfm() && !PassesDigitsOnly(typed)) {
        Beep();
        return true;
    }
    if (character) {
        // The length follows the field searched, from the next character on;
        // a longer text already there stays whole.
        const int limit = ByAfm() ? AfmLength : SurnameLength;
        m_Edit1->setMaxLength(std::max(limit, static_cast<int>(m_Edit1->text().size())));
    }
    return QDialog::eventFilter(watched, event);
}

// Text put in without typing (pasted from the context menu, dropped) passes
// the same filter as typed text: it may bring no character but digits.
void TFind::Edit1TextEdited(const QString& text)
{
    if (!ByAfm() || NonDigits(text) <= NonDigits(m_current)) {
        return;
    }
    Beep();
    const QString before = m_current;
    const int cursor = m_Edit1->cursorPosition();
    m_Edit1->setText(before);
    m_Edit1->setCursorPosition(std::min(cursor, static_cast<int>(before.size())));
}
