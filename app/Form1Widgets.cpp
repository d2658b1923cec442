#include "app/Form1.h"
#include "app/Form1Layout.h"

#include "app/ControlNames.h"
#include "grid/DBNavigator.h"
#include "grid/LengthLimit.h"
#include "grid/MultiLineGrid.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QTimer>
#include <QToolButton>

using declaration::EmployerHeader;
using namespace form1;

namespace form1 {

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// Every control is named three times alike: objectName for the code,
// accessible description for tools that drive the window, and an accessible
// name that a screen reader reads aloud.
// The visible text of a label without its line breaks, as it is read aloud.
QString spoken(const char* caption)
{
    return utf8(caption).simplified();
}

QLabel* titleBar(QWidget* parent, const char* objectName, const char* caption, int top, int height)
{
    auto* bar = new QLabel(utf8(caption), parent);
    NameControl(bar, objectName, spoken(caption));
    bar->setAutoFillBackground(true);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Window, TitleBarColour);
    palette.setColor(QPalette::WindowText, Qt::white);
    bar->setPalette(palette);
    QFont bold = bar->font();
    bold.setBold(true);
    bar->setFont(bold);
    bar->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The caption keeps a blank's width of air from the edge, while its text
    // stays the caption itself, as read aloud or copied.
    bar->setIndent(bar->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    bar->setGeometry(0, top, TForm1::ClientWidth + FrameWidth, height);
    return bar;
}

QLabel* label(QWidget* parent, const char* objectName, const char* caption, const QRect& where, bool bold)
{
    auto* text = new QLabel(utf8(caption), parent);
    NameControl(text, objectName, spoken(caption));
    text->setGeometry(where);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    if (bold) {
        QFont font = text->font();
        font.setBold(true);
        text->setFont(font);
    }
    return text;
}

const HeaderSlot HeaderSlots[] = {
    {HeaderField::YearOfData, "Έτος που αφορούν\nτα στοιχεία: (*)", 4, &EmployerHeader::YearOfData,
     QRect(8, 21, 128, 30), QRect(140, 25, 44, 21), true},
    {HeaderField::AFM, "ΑΦΜ Φορέα ή \nΕποπτεύοντος Υπουργείου: (*) ", 9, &EmployerHeader::AFM,
     QRect(202, 21, 186, 30), QRect(390, 25, 80, 21), true},
    {HeaderField::AntikeimenoErgasion, "Όνομα Υπηρεσίας: (*)", 16, &EmployerHeader::AntikeimenoErgasion,
     QRect(8, 56, 128, 21), QRect(140, 56, 140, 21)},
    {HeaderField::CompanyName, "Ονομασία Φορέα ή\nΕποπτεύοντος Υπουργείου: (*)", 30,
     &EmployerHeader::CompanyName, QRect(488, 21, 182, 30), QRect(672, 25, 240, 21)},
    {HeaderField::Town, "Πόλη:", 10, &EmployerHeader::Town, QRect(112, 89, 34, 21), QRect(148, 89, 96, 21)},
    {HeaderField::Street, "Οδός:", 16, &EmployerHeader::Street, QRect(256, 89, 34, 21),
     QRect(292, 89, 140, 21)},
    {HeaderField::Number, "Αριθμός:", 5, &EmployerHeader::Number, QRect(444, 89, 52, 21),
     QRect(498, 89, 50, 21)},
    {HeaderField::TK, "Τ.Κ.:", 5, &EmployerHeader::TK, QRect(560, 89, 30, 21), QRect(592, 89, 50, 21), true},
    {HeaderField::Name, "Όνομα:", 9, &EmployerHeader::Name, QRect(300, 56, 44, 21), QRect(346, 56, 80, 21),
     false, false},
    {HeaderField::FatherName, "Πατρώνυμο:", 3, &EmployerHeader::FatherName, QRect(440, 56, 70, 21),
     QRect(512, 56, 40, 21), false, false},
};

std::string LabelName(HeaderField field)
{
    return "Label" + std::string(HeaderFieldName(field));
}

} // namespace form1

void TForm1::BuildHeader(QWidget* client)
{
    m_headerBar = titleBar(client, "Panel1", "Στοιχεία Φορέα", 0, HeaderBarHeight);

    for (const HeaderSlot& slot : HeaderSlots) {
        const std::string objectName(HeaderFieldName(slot.field));
        QLabel* caption = label(client, LabelName(slot.field).c_str(), slot.caption, slot.labelRect);
        auto* edit = new QLineEdit(client);
        caption->setVisible(slot.shown);
        edit->setVisible(slot.shown);
        NameControl(edit, objectName.c_str(), spoken(slot.caption));
        m_headerEdits[static_cast<size_t>(slot.field)] = edit;
        // Past its width a field beeps, as a grid cell does, typed or pasted.
        edit->setValidator(new TLengthLimit(
            slot.maxLength, [this] { Beep(); }, edit));
        edit->installEventFilter(this);
        edit->setGeometry(slot.fieldRect);
        // Every change of the text counts, also one an accessibility tool
        // makes without typing; only the program showing its own values
        // is no edit.
        connect(edit, &QLineEdit::textChanged, this, [this, edit, &slot](const QString& text) {
            if (m_showingValues) {
                return;
            }
            RunCommand([&] { HeaderEdited(edit, slot, text); });
        });
    }
    // Leaving the year or the tax number checks it, however the focus goes.
    connect(qApp, &QApplication::focusChanged, this, &TForm1::HeaderFocusChanged);

    QLabel* address = label(client, "LabelAddress", "Διεύθυνση\nΥπηρεσίας:", AddressLabelRect, true);
    address->setAutoFillBackground(true);
    QPalette silver = address->palette();
    silver.setColor(QPalette::Window, AddressLabelColour);
    address->setPalette(silver);
    address->setAlignment(Qt::AlignCenter);

    QLabel* mandatory = label(client, "LabelMandatory", "(*) Υποχρεωτικά Στοιχεία", MandatoryNoteRect, true);
    mandatory->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    BuildHeaderKind(client);
}

// The kind of the obliged party. The panel never shows: the header describes
// a legal entity, and New and Open set it so; the selector is kept for the
// natural person's layout that a stored declaration may still carry.
void TForm1::BuildHeaderKind(QWidget* client)
{
    auto* panel = new QWidget(client);
    NameControl(panel, "Panel6", utf8("Είδος υπόχρεου"));
    panel->setGeometry(HeaderKindRect);
    m_RadioButton1 = new QRadioButton(utf8("Επωνυμία"), panel);
    NameControl(m_RadioButton1, "RadioButton1", utf8("Επωνυμία"));
    m_RadioButton1->setGeometry(LegalEntityButtonRect);
    m_RadioButton1->setChecked(true);
    m_RadioButton2 = new QRadioButton(utf8("Ονοματεπώνυμο"), panel);
    NameControl(m_RadioButton2, "RadioButton2", utf8("Ονοματεπώνυμο"));
    m_RadioButton2->setGeometry(NaturalPersonButtonRect);
    panel->hide();
    // A choice counts when it changes, whoever checks the button; the
    // program's own setting of the kind (Refresh) is no choice of the person.
    connect(m_RadioButton1, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_showingValues) {
            HeaderKindClick(false);
        }
    });
    connect(m_RadioButton2, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked && !m_showingValues) {
            HeaderKindClick(true);
        }
    });
}

void TForm1::ShowHeaderKind(bool naturalPerson)
{
    auto* caption = findChild<QLabel*>(QString::fromStdString(LabelName(HeaderField::CompanyName)));
    caption->setText(utf8(naturalPerson ? "Επωνυμο: (*)" : "Επωνυμία Επιχείρησης: (*)"));
    caption->setAccessibleName(caption->text());
    FieldNamed(HeaderField::CompanyName)->setAccessibleName(caption->text());
    for (HeaderField field : {HeaderField::Name, HeaderField::FatherName}) {
        findChild<QLabel*>(QString::fromStdString(LabelName(field)))->setVisible(naturalPerson);
        FieldNamed(field)->setVisible(naturalPerson);
    }
}

void TForm1::BuildRecordTools(QWidget* client)
{
    m_detailBar = titleBar(client, "Panel2", "Αναλυτικές αμοιβές Μισθωτού ή Συνταξιούχου", DetailBarTop,
                           DetailBarHeight);

    m_Label32 = label(client, "Label32", " Εγγραφές (Πελάτες)", Label32Rect, true);
    // Up to six-figure counts the row counter shows whole: past its line it
    // goes on, at a blank, on the line above the navigator's captions.
    m_Label32->setWordWrap(true);
    m_Label32->setAlignment(Qt::AlignLeft | Qt::AlignBottom);

    m_navigator = new QWidget(client);
    NameControl(m_navigator, "DBNavigator1", utf8("Πλοήγηση στις εγγραφές"));
    struct NavButton
    {
        const char* kind;
        const char* caption;
        const char* icon;
    };
    static const NavButton buttons[] = {
        {"nbFirst", "Πρώτη Εγγραφή", "navfirst"},       {"nbLast", "Τελευταία Εγγραφή", "navlast"},
        {"nbInsert", "Εισαγωγή Εγγραφής", "navinsert"}, {"nbDelete", "Διαγραφή Εγγραφής", "navdelete"},
        {"nbPost", "Αποθήκευση Αλλαγών", "navpost"},    {"nbCancel", "Ακύρωση Αλλαγών", "navcancel"},
    };
    int left = 0;
    std::array<QAbstractButton*, TDBNavigator::ButtonCount> navButtons{};
    for (const NavButton& b : buttons) {
        QLabel* caption = label(m_navigator, (std::string("Label") + b.kind).c_str(), b.caption,
                                QRect(left, 0, NavSlotWidth - NavCaptionGap, NavCaptionHeight));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        caption->setWordWrap(true);
        auto* button = new QToolButton(m_navigator);
        NameControl(button, b.kind, utf8(b.caption));
        button->setToolTip(utf8(b.caption));
        button->setIcon(
            QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(b.icon) + QStringLiteral(".png")));
        button->setGeometry(left + NavButtonInset, NavButtonTop, NavButtonWidth, NavButtonHeight);
        // The mouse's, like a toolbar's: Tab goes from the header to the
        // grid's rows, and a click leaves the keyboard in the grid.
        button->setFocusPolicy(Qt::NoFocus);
        navButtons[static_cast<size_t>(&b - buttons)] = button;
        left += NavSlotWidth;
    }
    m_navigator->setGeometry(QRect(NavigatorPosition, QSize(left, NavigatorHeight)));

    auto sortButton = [client](const char* objectName, const char* caption, const QRect& where) {
        auto* button = new QPushButton(utf8(caption), client);
        NameControl(button, objectName, spoken(caption));
        button->setGeometry(where);
        return button;
    };
    m_navButtons = navButtons;

    m_Button2 = sortButton("Button2", "Αλφαβητική\nΤαξινόμηση", AlphabeticSortRect);
    m_Button2->setToolTip(utf8("Πατήστε για να ταξινομηθούν αλφαβητικά οι εγγραφές "));
    m_Button1 = sortButton("Button1", "Ταξινόμηση\nανά ΑΦΜ", AfmSortRect);
    connect(m_Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(m_Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::BuildTotals(QWidget* client)
{
    m_totalsPanel = new QWidget(client);
    NameControl(m_totalsPanel, "Panel3", utf8("Σύνολα αποδοχών και λοιπών στοιχείων"));
    m_totalsBar =
        titleBar(m_totalsPanel, "Panel4", "Σύνολα αποδοχών και λοιπών στοιχείων", 0, HeaderBarHeight);

    // The captions of Edit1..Edit9; the boxes stand, and are reached by Tab,
    // in the totals' shown order.
    static const std::array<const char*, Totals::BoxCount> captions = {
        "Ακαθάριστες\nΑποδοχές",
        "Κρατήσεις",
        "Καθαρές\nΑποδοχές",
        "Σύνολο Φόρου που\nΠαρακρατήθηκε",
        "Χαρτόσημο",
        "ΟΓΑ\nΧαρτοσήμου",
        "Σύνολο Φόρου\nπου Αναλογεί",
        "Σύνολο ΟΓΑ Φόρου\nπου Παρακρατήθηκε",
        "Σύνολο ΟΓΑ Φόρου\nπου Αναλογεί",
    };
    int left = TotalBoxGap;
    for (const size_t index : Totals::ShownOrder) {
        const std::string editName = "Edit" + std::to_string(index + 1);
        QLabel* caption = label(
            m_totalsPanel, ("Label" + editName).c_str(), captions[index],
            QRect(left - TotalBoxGap, TotalCaptionTop, TotalBoxWidth + 2 * TotalBoxGap, TotalCaptionHeight));
        caption->setAlignment(Qt::AlignCenter);
        auto* edit = new QLineEdit(m_totalsPanel);
        NameControl(edit, editName.c_str(), spoken(captions[index]));
        edit->setGeometry(left, TotalBoxTop, TotalBoxWidth, TotalBoxHeight);
        // The totals are the program's to write: the boxes can be read and
        // copied but not changed, and every typed character beeps.
        edit->setReadOnly(true);
        edit->installEventFilter(this);
        // Text put in from outside, without typing, goes the same way.
        connect(edit, &QLineEdit::textChanged, this, [this, edit, index] {
            if (m_showingValues) {
                return;
            }
            Beep();
            const QScopedValueRollback<bool> showing(m_showingValues, true);
            edit->setText(QString::fromStdString(m_workspace->CurrentTotals().Edits()[index]));
        });
        m_edits[index] = edit;
        left += TotalBoxWidth + TotalBoxGap;
    }
    m_totalsPanel->setGeometry(0, OuterSize().height() - TotalsFromBottom, ClientWidth + FrameWidth,
                               TotalsHeight);
}

void TForm1::BuildStartPanel(QWidget* client)
{
    m_startPanel = new QWidget(client);
    NameControl(m_startPanel, "Panel5", utf8("Αρχική οθόνη"));
    m_startPanel->setAutoFillBackground(true);

    m_startPicture = new QLabel(m_startPanel);
    NameControl(m_startPicture, "Image1", utf8(ApplicationTitle));
    const QPixmap picture(QStringLiteral(":/pictures/start.jpg"));
    m_startPicture->setPixmap(picture);
    m_startPicture->resize(picture.isNull() ? StartPictureSize : picture.size());

    m_startLine = new QLabel(
        utf8("Παρακαλώ επιλέξτε 'Αρχείο' - 'Νέο' ή 'Αρχείο' - Άνοιγμα' για να ξεκινήσετε"), m_startPanel);
    NameControl(m_startLine, "Label31", m_startLine->text());
    QFont bold = m_startLine->font();
    bold.setBold(true);
    m_startLine->setFont(bold);
    m_startLine->adjustSize();
    m_startPanel->raise();
}

void TForm1::SetTabOrder()
{
    QWidget* chain[] = {
        m_grid,
        FieldNamed("YearOfData"),
        FieldNamed("AFM"),
        FieldNamed("AntikeimenoErgasion"),
        FieldNamed("CompanyName"),
        FieldNamed("Town"),
        FieldNamed("Street"),
        FieldNamed("Number"),
        FieldNamed("TK"),
        m_Button2,
        m_Button1,
    };
    QWidget* previous = nullptr;
    for (QWidget* widget : chain) {
        if (previous != nullptr) {
            setTabOrder(previous, widget);
        }
        previous = widget;
    }
    // The totals in the order they stand on the screen, left to right.
    for (const size_t index : Totals::ShownOrder) {
        setTabOrder(previous, m_edits[index]);
        previous = m_edits[index];
    }
    setTabOrder(previous, m_DBLookupComboBox1);
}

QLineEdit* TForm1::FieldNamed(const char* objectName) const
{
    return findChild<QLineEdit*>(QString::fromLatin1(objectName));
}

QLineEdit* TForm1::FieldNamed(HeaderField field) const
{
    return m_headerEdits[static_cast<size_t>(field)];
}

QSize TForm1::OuterSize() const
{
    const QSize client = m_client != nullptr ? m_client->size() : QSize(ClientWidth, ClientHeight);
    return client + QSize(FrameWidth, FrameHeight);
}

void TForm1::LayoutStartPanel(const QSize& outer)
{
    const int width = outer.width();
    m_startPicture->move(width / 2 - m_startPicture->width() / 2, StartPictureTop);
    m_startLine->move(width / 2 - m_startLine->width() / 2, m_startPicture->height() + StartLineBelowPicture);
}

void TForm1::FormResize()
{
    if (m_client == nullptr) {
        return;
    }
    const QSize outer = OuterSize();
    if (m_startPanel->isVisibleTo(this)) {
        m_startPanel->setGeometry(QRect(QPoint(), outer));
        LayoutStartPanel(outer);
    }
    m_headerBar->resize(outer.width(), m_headerBar->height());
    m_detailBar->resize(outer.width(), m_detailBar->height());
    m_totalsPanel->resize(outer.width(), m_totalsPanel->height());
    m_totalsBar->resize(outer.width(), m_totalsBar->height());
    m_totalsPanel->move(m_totalsPanel->x(), outer.height() - TotalsFromBottom);
    m_grid->resize(outer.width() - GridWidthMargin, m_grid->height());
    PlaceProblemPanel();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
    KeepFixedSize();
}

void TForm1::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        KeepFixedSize();
    }
}

// The frame cannot be dragged to another size, yet the window can still be
// maximised: fixed size hints would make window managers refuse the maximise
// as well, so a normal window that was dragged is put back to its size.
void TForm1::KeepFixedSize()
{
    const auto resizable = Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;
    if ((windowState() & resizable) != 0 || size() == m_normalSize || m_normalSize.isEmpty()) {
        m_sizeRestores = 0;
        return;
    }
    // A screen too small for the window makes the window manager refuse the
    // size again and again; after a second refusal the window keeps what it got.
    if (m_sizeRestores >= 2) {
        return;
    }
    ++m_sizeRestores;
    QTimer::singleShot(0, this, [this, resizable] {
        if ((windowState() & resizable) == 0 && size() != m_normalSize) {
            resize(m_normalSize);
        }
    });
}
