#include "app/Form1.h"

#include "app/AboutBox.h"
#include "app/ControlNames.h"
#include "app/Find.h"
#include "app/Form2.h"
#include "app/MenuEntryAccessible.h"
#include "app/PrintForm.h"
#include "app/QuestionBox.h"
#include "app/UserManual.h"
#include "app/WheelKeyFilter.h"
#include "dataset/DataSetErrors.h"
#include "grid/DBNavigator.h"
#include "grid/DataSetTableModel.h"
#include "grid/MultiLineGrid.h"
#include "text/Cp1253.h"
#include "workspace/DeclarationFile.h"
#include "workspace/DesktopShortcut.h"
#include "workspace/GridColumns.h"
#include "workspace/Helpers.h"
#include "workspace/Reports.h"
#include "workspace/Workspace.h"
#include "workspace/ZipExport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QStandardItemModel>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <map>

using declaration::EmployerHeader;

// The employer header: one line edit per field of the employer record, in
// keyboard order, each as long as its place in the record.
struct HeaderSlot
{
    HeaderField field;
    const char* caption;
    int maxLength;
    std::string EmployerHeader::*value;
    QRect labelRect;
    QRect fieldRect;
    // Whole numbers: the year, the tax number and the postcode take digits only.
    bool digitsOnly = false;
    // A natural person's first and father's names: hidden while the header
    // describes a legal entity, yet holding what a read file's name carries.
    bool shown = true;
};

namespace {

const QColor TitleBarColour(48, 159, 192);

// The classic frame around the client area: borders of 4 pixels each side,
// a caption of 26 and the menu bar of 20. The layout rules measure from the
// outer size of such a frame; taking it as a constant keeps the layout the
// same under every window manager (and under none), where the real frame is
// known only after the window is mapped, if at all.
constexpr int FrameWidth = 8;
constexpr int FrameHeight = 54;

constexpr int HeaderBarHeight = 15;
constexpr int DetailBarTop = 124;
constexpr int DetailBarHeight = 19;
constexpr int GridLeft = 1;
constexpr int GridTop = 217;
constexpr int GridHeight = 352;
constexpr int GridTitleHeight = 45;
constexpr int GridRowHeight = 17;
constexpr int IncomeKindListWidth = 350;

// The desktop's colours for the roles the grid paints with: the border of an
// active window behind the current row, an inactive title bar behind the
// cell that has the keyboard.
const QColor ActiveBorderColour(212, 208, 200);
const QColor InactiveCaptionColour(128, 128, 128);
constexpr int TotalsHeight = 81;
constexpr int TotalsFromBottom = 138;
constexpr int GridWidthMargin = 10;
constexpr int StartPictureTop = 50;
constexpr int StartLineBelowPicture = 100;

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
    auto* bar = new QLabel(QStringLiteral(" ") + utf8(caption), parent);
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
    bar->setGeometry(0, top, TForm1::ClientWidth + FrameWidth, height);
    return bar;
}

QLabel* label(QWidget* parent, const char* objectName, const char* caption, const QRect& where,
              bool bold = false)
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

} // namespace

// The pictures are compiled into the window's library; a static library's
// resources are registered only when asked for by name.
static void initResources()
{
    Q_INIT_RESOURCE(rozaro);
}

TForm1::TForm1(const QString& programFolder, QWidget* parent) : QMainWindow(parent)
{
    initResources();
    MenuEntryAccessible::Install();
    const ProgramFolders folders =
        programFolder.isEmpty() ? ProgramFolders::ForRunningProgram() : ProgramFolders::Single(programFolder);
    m_workspace = std::make_unique<Workspace>(*this, folders);

    setObjectName(QStringLiteral("Form1"));
    setAccessibleName(utf8(WindowCaption));
    setAccessibleDescription(QStringLiteral("Form1"));
    setWindowTitle(utf8(WindowCaption));
    QFont font(QStringLiteral("DejaVu Sans"), 8);
    setFont(font);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(m_client);

    BuildMenus();
    BuildHeader(m_client);
    BuildRecordTools(m_client);
    BuildGrid(m_client);
    BuildTotals(m_client);
    BuildStartPanel(m_client);
    SetTabOrder();

    // Made once, so it keeps what the person chose last time.
    m_find = new TFind(this);
    m_find->Beep = [this] { Beep(); };

    // The window sees F1 before whichever control has the focus.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, &TForm1::HelpKey);

    m_normalSize = QSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    QRect window(QPoint(), m_normalSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        window.moveCenter(screen->availableGeometry().center());
    }
    setGeometry(window);

    m_userManual = std::make_unique<TUserManual>(folders.resources);

    FormCreate();
}

TForm1::~TForm1()
{
    // The fields go before the window's own QObject does; their focus
    // leaving as they go must not reach a half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    // The grid, its model and the navigator watch the detail store: they go
    // before the workspace that holds it, and an open cell editor with them.
    delete m_DBNavigator1;
    delete m_grid;
    m_grid = nullptr;
}

void TForm1::FormCreate()
{
    m_keyLed->SetCapsLock(true);

    m_startPanel->setGeometry(QRect(QPoint(), OuterSize()));
    LayoutStartPanel(OuterSize());
    CoverWorkArea(true);

    m_workspace->LastSaveOk = true;
    m_workspace->Modified = false;
    m_workspace->RowAccepted = true;
    m_workspace->NewRecordPending = false;
    m_workspace->Importing = false;

    m_wheelFilter = new WheelKeyFilter(this);
    qApp->installEventFilter(m_wheelFilter);

    for (QAction* action : m_commands) {
        action->setEnabled(true);
    }
    SetCommandEnabled(m_SaveAs1, false);
    m_N14->menuAction()->setEnabled(false);
    SetCommandEnabled(m_N18, false);
    SetCommandEnabled(m_Excel1, false);

    RunCommand([this] { m_workspace->Start(); });
    m_grid->FitColumns();
    FillIncomeKindBox();
    FormResize();
}

QAction* TForm1::AddEntry(QMenu* menu, const char* objectName, const char* caption, const char* icon)
{
    auto* action = menu->addAction(utf8(caption));
    action->setObjectName(QString::fromLatin1(objectName));
    action->setProperty(MenuEntryAccessible::DescriptionProperty, QString::fromLatin1(objectName));
    if (icon != nullptr) {
        action->setIcon(
            QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(icon) + QStringLiteral(".png")));
    }
    // Until its command is wired, an entry stays disabled rather than
    // pretending to work.
    action->setEnabled(false);
    return action;
}

void TForm1::Wire(QAction* action, std::function<void()> command)
{
    m_commands.insert(action);
    connect(action, &QAction::triggered, this, [this, command = std::move(command)] { RunCommand(command); });
}

void TForm1::SetCommandEnabled(QAction* action, bool enabled)
{
    action->setEnabled(enabled && m_commands.contains(action));
}

void TForm1::BuildMenus()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    bar->setAccessibleDescription(QStringLiteral("MainMenu1"));
    bar->setAccessibleName(utf8("Κύριο μενού"));

    auto menu = [bar](const char* objectName, const char* caption) {
        QMenu* m = bar->addMenu(utf8(caption));
        m->setObjectName(QString::fromLatin1(objectName));
        m->menuAction()->setObjectName(QString::fromLatin1(objectName));
        m->menuAction()->setProperty(MenuEntryAccessible::DescriptionProperty,
                                     QString::fromLatin1(objectName));
        m->setAccessibleName(utf8(caption));
        m->setAccessibleDescription(QString::fromLatin1(objectName));
        return m;
    };

    m_File1 = menu("File1", "Αρχείο");
    m_New1 = AddEntry(m_File1, "New1", "Νέο", "new");
    m_Open1 = AddEntry(m_File1, "Open1", "Άνοιγμα", "open");
    m_Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_SaveAs1 = AddEntry(m_File1, "SaveAs1", "Αποθήκευση ως...", "saveas");
    m_SaveAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_File1->addSeparator();
    m_Exit1 = AddEntry(m_File1, "Exit1", "Έξοδος");

    m_N14 = menu("N14", "Εκτύπωση");
    QAction* firstPage = AddEntry(m_N14, "N110", "Εκτύπωση 1ης Σελίδας", "firstpage");
    firstPage->setVisible(false);
    QAction* detailed = AddEntry(m_N14, "N15", "Αναλυτικές Αμοιβές", "detailreport");
    m_N14->addSeparator();
    QAction* totals = AddEntry(m_N14, "N20", "Εκτύπωση Συνόλων", "totalsreport");

    m_Tools1 = menu("Tools1", "Εργαλεία");
    m_N18 = AddEntry(m_Tools1, "N18", "Εύρεση...", "find");
    m_N18->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_Tools1->addSeparator();
    m_Excel1 = AddEntry(m_Tools1, "Excel1", "Εισαγωγή στοιχείων από Excel", "import");
    m_Tools1->addSeparator();
    Wire(AddEntry(m_Tools1, "N9", "Δημιουργία συντόμευσης στην Επιφ. Εργασίας", "shortcut"),
         [this] { N9Click(); });
    Wire(AddEntry(m_Tools1, "zip1", "Δημιουργία συμπιεσμένου αρχείου (zip)", "zip"), [this] { zip1Click(); });
    m_Tools1->addSeparator();
    Wire(AddEntry(m_Tools1, "e1", "Σύνδεση με εξυπηρετητή Razeve", "portal"), [this] { e1Click(); });

    m_Help1 = menu("Help1", "Βοήθεια");
    Wire(AddEntry(m_Help1, "N13", "Οδηγίες εφαρμογής", "manual"), [this] { N13Click(); });
    m_Help1->addSeparator();
    Wire(AddEntry(m_Help1, "N12", "Σχετικά...", "about"), [this] { N12Click(); });

    Wire(m_New1, [this] { m_workspace->New(); });
    Wire(m_Open1, [this] { m_workspace->Open(); });
    Wire(m_SaveAs1, [this] { m_workspace->SaveAs(); });
    Wire(m_N18, [this] { N18Click(); });
    Wire(m_Excel1, [this] { m_workspace->ImportFromWorkbook(); });
    Wire(m_Exit1, [this] { close(); });
    Wire(firstPage, [this] { Reports(*m_workspace).PrintFirstPage(); });
    Wire(detailed, [this] { Reports(*m_workspace).PrintDetailed(); });
    Wire(totals, [this] { Reports(*m_workspace).PrintTotals(); });
}

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
        edit->setMaxLength(slot.maxLength);
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

    QLabel* address = label(client, "LabelAddress", "Διεύθυνση\nΥπηρεσίας:", QRect(8, 84, 96, 32), true);
    address->setAutoFillBackground(true);
    QPalette silver = address->palette();
    silver.setColor(QPalette::Window, QColor(192, 192, 192));
    address->setPalette(silver);
    address->setAlignment(Qt::AlignCenter);

    QLabel* mandatory =
        label(client, "LabelMandatory", "(*) Υποχρεωτικά Στοιχεία", QRect(712, 56, 200, 21), true);
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
    panel->setGeometry(712, 4, 200, 20);
    m_RadioButton1 = new QRadioButton(utf8("Επωνυμία"), panel);
    NameControl(m_RadioButton1, "RadioButton1", utf8("Επωνυμία"));
    m_RadioButton1->setGeometry(0, 0, 90, 20);
    m_RadioButton1->setChecked(true);
    m_RadioButton2 = new QRadioButton(utf8("Ονοματεπώνυμο"), panel);
    NameControl(m_RadioButton2, "RadioButton2", utf8("Ονοματεπώνυμο"));
    m_RadioButton2->setGeometry(90, 0, 110, 20);
    panel->hide();
    connect(m_RadioButton1, &QRadioButton::clicked, this, [this] { HeaderKindClick(false); });
    connect(m_RadioButton2, &QRadioButton::clicked, this, [this] { HeaderKindClick(true); });
}

void TForm1::HeaderKindClick(bool naturalPerson)
{
    m_workspace->Header.NaturalPerson = naturalPerson;
    ShowHeaderKind(naturalPerson);
    m_workspace->Modified = true;
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

// Typing into the header: every character marks the declaration changed,
// also one the field's filter then drops, so closing never loses a keystroke
// without asking. True when the key is dropped.
bool TForm1::HeaderKeyPress(const HeaderSlot& slot, const QKeyEvent& key)
{
    const QString typed = key.text();
    // Tab moves between fields, Delete edits without a character: neither is typed.
    if (typed.isEmpty() || key.key() == Qt::Key_Tab || key.key() == Qt::Key_Backtab ||
        key.key() == Qt::Key_Delete) {
        return false;
    }
    m_workspace->Modified = true;
    if (!slot.digitsOnly) {
        return false;
    }
    for (QChar c : typed) {
        char16_t character = c.unicode();
        DigitsOnlyKey(character, *this);
        if (character == 0) {
            return true;
        }
    }
    return false;
}

void TForm1::HeaderFocusChanged(QWidget* old, QWidget* now)
{
    // Only the person leaving a field for another control of this window is
    // checked: not a box or menu opening over it, nor the program placing
    // the focus.
    if (m_focusByProgram || old == nullptr || now == nullptr || now->window() != this) {
        return;
    }
    if (old == FieldNamed(HeaderField::YearOfData)) {
        RunCommand([this] { m_workspace->YearOfDataExit(); });
    } else if (old == FieldNamed(HeaderField::AFM)) {
        RunCommand([this] { m_workspace->AFMExit(); });
    }
}

namespace {
// Whether `after` holds a character other than a digit that `before` did not
// already hold (as many times).
bool BringsInNonDigits(const QString& before, const QString& after)
{
    std::map<char16_t, int> held;
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    for (QChar c : before) {
        if (!isDigit(c)) {
            ++held[c.unicode()];
        }
    }
    return std::any_of(after.begin(), after.end(),
                       [&](QChar c) { return !isDigit(c) && --held[c.unicode()] < 0; });
}
} // namespace

void TForm1::HeaderEdited(QLineEdit* edit, const HeaderSlot& slot, const QString& text)
{
    const auto value = slot.value;
    std::string bytes;
    // A character the declaration file cannot hold would be written as "?"
    // while the field still showed it; a pasted letter in a number field
    // would pass where a typed one cannot: refuse both as typed. A number
    // field read from a file with other characters in it can still be
    // corrected piece by piece: only a change that brings one in is refused.
    if (!cp1253::fromUnicodeChecked(text, bytes) ||
        (slot.digitsOnly && BringsInNonDigits(cp1253::toUnicode(m_workspace->Header.*value), text))) {
        Beep();
        const int cursor = edit->cursorPosition();
        const QScopedValueRollback<bool> showing(m_showingValues, true);
        edit->setText(cp1253::toUnicode(m_workspace->Header.*value));
        edit->setCursorPosition(std::max(0, cursor - static_cast<int>(text.size() - edit->text().size())));
        return;
    }
    m_workspace->Header.*value = std::move(bytes);
    // Any change the person makes counts as unsaved, also one made without
    // typing a character (Delete, cut, paste), so closing never drops it
    // without asking.
    m_workspace->Modified = true;
}

void TForm1::BuildRecordTools(QWidget* client)
{
    m_detailBar = titleBar(client, "Panel2", "Αναλυτικές αμοιβές Μισθωτού ή Συνταξιούχου", DetailBarTop,
                           DetailBarHeight);

    m_Label32 = label(client, "Label32", " Εγγραφές (Πελάτες)", QRect(8, 178, 226, 21), true);

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
    constexpr int slot = 84;
    int left = 0;
    std::array<QAbstractButton*, TDBNavigator::ButtonCount> navButtons{};
    for (const NavButton& b : buttons) {
        QLabel* caption = label(m_navigator, (std::string("Label") + b.kind).c_str(), b.caption,
                                QRect(left, 0, slot - 4, 30));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        caption->setWordWrap(true);
        auto* button = new QToolButton(m_navigator);
        NameControl(button, b.kind, utf8(b.caption));
        button->setToolTip(utf8(b.caption));
        button->setIcon(
            QIcon(QStringLiteral(":/icons/") + QString::fromLatin1(b.icon) + QStringLiteral(".png")));
        button->setGeometry(left + 8, 33, slot - 20, 25);
        navButtons[static_cast<size_t>(&b - buttons)] = button;
        left += slot;
    }
    m_navigator->setGeometry(244, 148, left, 60);

    auto sortButton = [client](const char* objectName, const char* caption, const QRect& where) {
        auto* button = new QPushButton(utf8(caption), client);
        NameControl(button, objectName, spoken(caption));
        button->setGeometry(where);
        return button;
    };
    m_navButtons = navButtons;

    m_Button2 = sortButton("Button2", "Αλφαβητική\nΤαξινόμηση", QRect(764, 156, 110, 44));
    m_Button2->setToolTip(utf8("Πατήστε για να ταξινομηθούν αλφαβητικά οι εγγραφές "));
    m_Button1 = sortButton("Button1", "Ταξινόμηση\nανά ΑΦΜ", QRect(884, 156, 110, 44));
    connect(m_Button2, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(m_Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::Button1Click()
{
    RunCommand([this] { m_workspace->SortByAfm(); });
}

void TForm1::Button2Click()
{
    RunCommand([this] { m_workspace->SortAlphabetically(); });
}

// Find: the pending row is stored first, and a row the checks refuse keeps
// the dialog shut (their message is all the person sees).
void TForm1::N18Click()
{
    if (m_workspace->StorePendingRow() == Workspace::StoreOutcome::Refused) {
        return;
    }
    m_find->exec();
    TakeBackActivation();
    const TFind::Outcome& found = m_find->Result();
    if (found.Cancelled) {
        return;
    }
    m_workspace->FindRow(found.ByAfm, cp1253::fromUnicode(found.Text), found.PartialKey);
}

void TForm1::BuildGrid(QWidget* client)
{
    std::vector<TGridColumn> columns;
    for (const gridcolumns::Column& column : gridcolumns::Columns()) {
        columns.push_back({declaration::DetailLayout()[column.field].name,
                           column.title != nullptr ? utf8(column.title) : QString(), column.width});
    }
    m_grid = new TMultiLineGrid(client);
    NameControl(m_grid, "dbGrid1", utf8("Αναλυτικές αμοιβές"));
    m_rowsModel = new TDataSetTableModel(m_workspace->FixedFormatDataSet1, std::move(columns), m_grid);
    m_rowsModel->Run = [this](const std::function<void()>& operation) {
        return RunStoreOperation(operation);
    };
    m_grid->SetModel(m_rowsModel);
    m_grid->SetTitleHeight(GridTitleHeight);
    m_grid->SetRowHeight(GridRowHeight);
    // The titles are set for columns as narrow as their amounts: in the
    // window's font the longer words would be cut at the column's edges.
    QFont titles = m_grid->horizontalHeader()->font();
    titles.setStretch(QFont::Condensed);
    m_grid->horizontalHeader()->setFont(titles);
    m_grid->setGeometry(GridLeft, GridTop, ClientWidth + FrameWidth - GridWidthMargin, GridHeight);

    m_grid->KeyPress = [this](QChar& key) { DBGrid1KeyPress(key); };
    m_grid->FilterText = [this](int column, const QString& text) {
        return m_workspace->FilterPastedGridText(column, text);
    };
    m_grid->ColEnter = [this](int column) { dbGrid1ColEnter(column); };
    m_grid->ColExit = [this](int column) { dbGrid1ColExit(column); };
    m_grid->KeyUp = [this](QKeyEvent* key) { dbGrid1KeyUp(key); };
    m_grid->ConfirmDelete = [this] { return GridConfirmDelete(); };
    m_grid->OnBeep = [this] { Beep(); };
    m_grid->DrawColumnCell = [this](QPainter& painter, const QRect& cell, int column, const QString& text,
                                    bool currentRow, bool focused) {
        DBGrid1DrawColumnCell(painter, cell, column, text, currentRow, focused);
    };

    m_DBNavigator1 = new TDBNavigator(*m_rowsModel, m_navButtons, this);
    m_DBNavigator1->BeforeAction = [this](TDBNavigator::TNavigateBtn button) {
        return DBNavigator1BeforeAction(button);
    };

    BuildIncomeKindBox(client);
}

void TForm1::BuildIncomeKindBox(QWidget* client)
{
    m_DBLookupComboBox1 = new QComboBox(client);
    NameControl(m_DBLookupComboBox1, "DBLookupComboBox1", utf8("Είδος αποδοχών"));
    auto* list = new QTreeView(m_DBLookupComboBox1);
    list->setRootIsDecorated(false);
    list->setHeaderHidden(true);
    list->setAllColumnsShowFocus(true);
    m_DBLookupComboBox1->setView(list);
    list->setMinimumWidth(IncomeKindListWidth);
    m_DBLookupComboBox1->setModel(new QStandardItemModel(0, 2, m_DBLookupComboBox1));
    m_DBLookupComboBox1->hide();
    m_DBLookupComboBox1->installEventFilter(this);
    connect(m_DBLookupComboBox1, &QComboBox::activated, this, [this](int index) {
        const QString code = m_DBLookupComboBox1->itemText(index);
        RunCommand([this, &code] { m_workspace->ChooseIncomeKind(cp1253::fromUnicode(code)); });
    });
    // The box stands over the income-kind cell while that cell, or the box,
    // has the keyboard; it follows the cell as the grid scrolls.
    connect(qApp, &QApplication::focusChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_rowsModel, &TDataSetTableModel::CurrentRecordChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { PlaceIncomeKindBox(); });
    connect(m_grid->horizontalHeader(), &QHeaderView::sectionResized, this, [this] { PlaceIncomeKindBox(); });
}

void TForm1::FillIncomeKindBox()
{
    auto* list = static_cast<QStandardItemModel*>(m_DBLookupComboBox1->model());
    list->removeRows(0, list->rowCount());
    const TFixedFormatDataSet& kinds = m_workspace->FixedFormatDataSet2;
    if (!kinds.Active()) {
        return;
    }
    for (int line = 0; line < kinds.RecordCount(); ++line) {
        list->appendRow({new QStandardItem(cp1253::toUnicode(kinds.FieldText(line, 0))),
                         new QStandardItem(cp1253::toUnicode(kinds.FieldText(line, 1)))});
    }
    auto* view = static_cast<QTreeView*>(m_DBLookupComboBox1->view());
    view->resizeColumnToContents(0);
}

void TForm1::PlaceIncomeKindBox()
{
    QComboBox* box = m_DBLookupComboBox1;
    if (box == nullptr || m_grid == nullptr) {
        return;
    }
    QWidget* focus = QApplication::focusWidget();
    const QModelIndex cell = m_grid->currentIndex();
    const bool onCell =
        m_grid->isVisible() && cell.isValid() && cell.column() == gridcolumns::TypeIncColumn &&
        (focus == m_grid || m_grid->isAncestorOf(focus) || focus == box || box->view()->isVisible());
    if (!onCell) {
        box->hide();
        return;
    }
    const QRect rect = m_grid->visualRect(cell);
    const QPoint topLeft = m_grid->viewport()->mapTo(m_client, rect.topLeft());
    box->setGeometry(topLeft.x(), topLeft.y(), rect.width(),
                     std::max(rect.height(), box->sizeHint().height()));
    if (focus != box) {
        // The box shows the row's kind until the person picks another.
        const QString code = cell.data().toString();
        box->setCurrentIndex(box->findText(code, Qt::MatchExactly));
    }
    box->show();
    box->raise();
}

void TForm1::DBGrid1KeyPress(QChar& key)
{
    char16_t typed = key.unicode();
    const Workspace::GridKey verdict =
        m_workspace->FilterGridKey(m_grid->SelectedIndex(), m_grid->EditorText(), typed);
    if (verdict == Workspace::GridKey::ToIncomeKindBox) {
        // The box takes the character as typed: it searches its codes.
        PlaceIncomeKindBox();
        m_DBLookupComboBox1->show();
        m_DBLookupComboBox1->setFocus(Qt::OtherFocusReason);
        // A code typed anew is searched from its first character, whatever
        // was typed into the box just before.
        m_DBLookupComboBox1->view()->keyboardSearch(QString());
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(key));
        QCoreApplication::sendEvent(m_DBLookupComboBox1, &press);
        key = QChar();
        return;
    }
    key = verdict == Workspace::GridKey::Drop ? QChar() : QChar(typed);
}

void TForm1::dbGrid1ColEnter(int column)
{
    if (column == gridcolumns::KatharesColumn) {
        RunCommand([this] { m_workspace->FillNetPay(); });
    }
    PlaceIncomeKindBox();
}

void TForm1::dbGrid1ColExit(int column)
{
    if (column == gridcolumns::TypeIncColumn) {
        m_DBLookupComboBox1->hide();
    }
}

void TForm1::dbGrid1KeyUp(QKeyEvent* key)
{
    // Tab out of the income-kind box lands back in the grid on the same
    // cell; its release moves the grid on to the gross pay.
    if (key->key() == Qt::Key_Tab && m_workspace->LookupEntered) {
        m_workspace->LookupEntered = false;
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(m_grid, &tab);
    }
}

void TForm1::DBLookupComboBox1Enter()
{
    m_workspace->LookupEntered = true;
}

void TForm1::DBGrid1DrawColumnCell(QPainter& painter, const QRect& cell, int, const QString& text,
                                   bool currentRow, bool focused)
{
    QColor background = currentRow ? ActiveBorderColour : QColor(Qt::white);
    QColor ink = palette().color(QPalette::Text);
    if (focused) {
        background = InactiveCaptionColour;
        ink = Qt::white;
    }
    painter.save();
    painter.setClipRect(cell);
    painter.fillRect(cell, background);
    painter.setPen(ink);
    // The text starts at the cell's very corner, with no margin.
    painter.drawText(cell, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

bool TForm1::DBNavigator1BeforeAction(int button)
{
    if (button != TDBNavigator::nbDelete) {
        return true;
    }
    // Only "Ναι" deletes: closing the question is no consent.
    return AskWithCaptions("Είστε σίγουρος;", YesButton | NoButton, {"Ναι", "Όχι"}) == Answer::Yes;
}

bool TForm1::GridConfirmDelete()
{
    return AskWithCaptions("Delete record?", YesButton | NoButton, {"Ναι", "Όχι"}) == Answer::Yes;
}

bool TForm1::RunStoreOperation(const std::function<void()>& operation)
{
    bool done = false;
    RunCommand([&] {
        operation();
        done = true;
    });
    return done;
}

void TForm1::BuildTotals(QWidget* client)
{
    m_totalsPanel = new QWidget(client);
    NameControl(m_totalsPanel, "Panel3", utf8("Σύνολα αποδοχών και λοιπών στοιχείων"));
    m_totalsBar =
        titleBar(m_totalsPanel, "Panel4", "Σύνολα αποδοχών και λοιπών στοιχείων", 0, HeaderBarHeight);

    struct TotalBox
    {
        int edit; // 1..9
        const char* caption;
    };
    // Screen order differs from the keyboard order Edit1..Edit9.
    static const TotalBox boxes[] = {
        {1, "Ακαθάριστες\nΑποδοχές"},
        {5, "Χαρτόσημο"},
        {6, "ΟΓΑ\nΧαρτοσήμου"},
        {2, "Κρατήσεις"},
        {3, "Καθαρές\nΑποδοχές"},
        {4, "Σύνολο Φόρου που\nΠαρακρατήθηκε"},
        {7, "Σύνολο Φόρου\nπου Αναλογεί"},
        {8, "Σύνολο ΟΓΑ Φόρου\nπου Παρακρατήθηκε"},
        {9, "Σύνολο ΟΓΑ Φόρου\nπου Αναλογεί"},
    };
    constexpr int boxWidth = 97;
    constexpr int gap = 13;
    int left = gap;
    for (const TotalBox& box : boxes) {
        const std::string editName = "Edit" + std::to_string(box.edit);
        QLabel* caption = label(m_totalsPanel, ("Label" + editName).c_str(), box.caption,
                                QRect(left - gap, 17, boxWidth + 2 * gap, 28));
        caption->setAlignment(Qt::AlignCenter);
        auto* edit = new QLineEdit(m_totalsPanel);
        NameControl(edit, editName.c_str(), spoken(box.caption));
        edit->setGeometry(left, 47, boxWidth, 21);
        // The totals are the program's to write: the boxes can be read and
        // copied but not changed, and every typed character beeps.
        edit->setReadOnly(true);
        edit->installEventFilter(this);
        // Text put in from outside, without typing, goes the same way.
        const size_t index = static_cast<size_t>(box.edit - 1);
        connect(edit, &QLineEdit::textChanged, this, [this, edit, index] {
            if (m_showingValues) {
                return;
            }
            Beep();
            const QScopedValueRollback<bool> showing(m_showingValues, true);
            edit->setText(QString::fromStdString(m_workspace->Edits[index]));
        });
        m_edits[index] = edit;
        left += boxWidth + gap;
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
    m_startPicture->resize(picture.isNull() ? QSize(919, 517) : picture.size());

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
    for (QLineEdit* edit : m_edits) {
        setTabOrder(previous, edit);
        previous = edit;
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

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_DBLookupComboBox1 && m_grid != nullptr) {
        if (event->type() == QEvent::FocusIn) {
            DBLookupComboBox1Enter();
        } else if (event->type() == QEvent::KeyPress) {
            // The box is last in the keyboard order and the grid first:
            // Tab from the box goes round to the grid.
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
                m_grid->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
        return QMainWindow::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress) {
        // The one-line fields take the vertical arrows, and so the turns of
        // the mouse wheel, as a move of the caret back or on by one character.
        const auto* arrow = static_cast<QKeyEvent*>(event);
        if ((arrow->key() == Qt::Key_Up || arrow->key() == Qt::Key_Down) &&
            qobject_cast<QLineEdit*>(watched)) {
            QKeyEvent sideways(QEvent::KeyPress, arrow->key() == Qt::Key_Up ? Qt::Key_Left : Qt::Key_Right,
                               arrow->modifiers());
            QCoreApplication::sendEvent(watched, &sideways);
            return true;
        }
        for (const HeaderSlot& slot : HeaderSlots) {
            if (watched == FieldNamed(slot.field)) {
                bool dropped = false;
                RunCommand([&] { dropped = HeaderKeyPress(slot, *static_cast<QKeyEvent*>(event)); });
                return dropped || QMainWindow::eventFilter(watched, event);
            }
        }
        for (QLineEdit* edit : m_edits) {
            if (watched != edit) {
                continue;
            }
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->text().isEmpty()) {
                break;
            }
            Beep();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    bool mayClose = false;
    RunCommand([this, &mayClose] { mayClose = m_workspace->CloseQuery(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    RunCommand([this] { m_workspace->Shutdown(); });
    m_keyLed->SetCapsLock(false);
    // The manual is a window of its own; left open it would keep the program running.
    m_userManual->close();
    m_closed = true;
    event->accept();
}

void TForm1::RunCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const EAbort&) {
        // A refusal has already told the person why.
    } catch (const std::exception& error) {
        ShowError(error.what());
    } catch (...) {
        ShowError("Απρόβλεπτο σφάλμα");
    }
}

void TForm1::HelpKey()
{
    m_userManual->Present(TUserManual::Usage);
}

void TForm1::N9Click()
{
    DesktopShortcut::Create(*this, QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
                            QCoreApplication::applicationFilePath());
}

void TForm1::zip1Click()
{
    ZipExport::Run(*this, m_workspace->DialogFolder());
}

void TForm1::e1Click()
{
    OpenUrlInBrowser(QString::fromLatin1(PortalAddress));
}

bool TForm1::OpenUrlInBrowser(const QString& address)
{
    return QDesktopServices::openUrl(QUrl(address));
}

void TForm1::N13Click()
{
    m_userManual->Present(TUserManual::Setup);
}

void TForm1::N12Click()
{
    TAboutBox box(this);
    box.exec();
    TakeBackActivation();
}

UserInterface::Answer TForm1::AskWithCaptions(const std::string& message, int buttons,
                                              const std::vector<std::string>& captions)
{
    QuestionBox box(utf8(ApplicationTitle), message, buttons, captions, this);
    const Answer answer = box.Ask();
    TakeBackActivation();
    return answer;
}

namespace {
void showBox(QWidget* parent, QMessageBox::Icon icon, const std::string& message)
{
    QMessageBox box(icon, QString::fromUtf8(TForm1::ApplicationTitle), QString::fromStdString(message),
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}
} // namespace

void TForm1::ShowMessage(const std::string& message)
{
    showBox(this, QMessageBox::NoIcon, message);
    TakeBackActivation();
}

void TForm1::ShowWarning(const std::string& message)
{
    showBox(this, QMessageBox::Warning, message);
    TakeBackActivation();
}

void TForm1::ShowError(const std::string& message)
{
    showBox(this, QMessageBox::Critical, message);
    TakeBackActivation();
}

void TForm1::TakeBackActivation()
{
    // Without a window manager nobody hands the activation back to the main
    // window when a box closes, and its shortcuts stay dead until it is
    // clicked; with one, asking again changes nothing. A window behind
    // another modal one must not take the keyboard from it.
    if (isVisible() && QApplication::activeModalWidget() == nullptr) {
        activateWindow();
    }
}

void TForm1::Beep()
{
    QApplication::beep();
}

QString TForm1::DialogFilter(const std::string& filter)
{
    // "*.*" means every file to the declaration, but only names with a dot
    // to a file dialog here, and a saved declaration ("090000045-Rozaro") has
    // none: it would not be offered for opening.
    QStringList patterns = QString::fromStdString(filter).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
        if (pattern == QLatin1String("*.*")) {
            pattern = QStringLiteral("*");
        }
    }
    return patterns.join(QLatin1Char(' '));
}

namespace {

// File names here tell capitals from small letters, so a name typed into a
// file dialog must come out as typed, not in the capitals the program keeps
// Caps Lock on for: it is off while the dialog is open and back after.
class CapsLockOff
{
public:
    explicit CapsLockOff(TKeyLed& keyLed) : m_keyLed(keyLed), m_wasOn(keyLed.CapsLock())
    {
        if (m_wasOn) {
            m_keyLed.SetCapsLock(false);
        }
    }
    ~CapsLockOff()
    {
        if (m_wasOn) {
            m_keyLed.SetCapsLock(true);
        }
    }
    CapsLockOff(const CapsLockOff&) = delete;
    CapsLockOff& operator=(const CapsLockOff&) = delete;

private:
    TKeyLed& m_keyLed;
    bool m_wasOn;
};

} // namespace

QString TForm1::RunFileDialog(QFileDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString TForm1::ChooseFile(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QString chosen;
    {
        const CapsLockOff capsOff(*m_keyLed);
        chosen = RunFileDialog(dialog);
    }
    TakeBackActivation();
    return chosen;
}

bool TForm1::ChooseOpenFile(const std::string& initialFolder, const std::string& filter, std::string& path)
{
    QFileDialog dialog(this, QString(), QString::fromStdString(initialFolder), DialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A name typed that names no file is handed on like any other: opening it
    // then fails with the declaration's own report, instead of the dialog
    // refusing it in words of its own.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString chosen = ChooseFile(dialog);
    if (chosen.isEmpty()) {
        return false;
    }
    path = chosen.toStdString();
    return true;
}

bool TForm1::ChooseSaveFile(const std::string& initialFolder, const std::string& proposedName,
                            const std::string& filter, std::string& path)
{
    QFileDialog dialog(this, QString(), QString::fromStdString(initialFolder), DialogFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(QString::fromStdString(proposedName));
    // The declaration asks its own question before replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString chosen = ChooseFile(dialog);
    if (chosen.isEmpty()) {
        return false;
    }
    path = chosen.toStdString();
    return true;
}

void TForm1::ShowWaitWindow()
{
    if (m_waitWindow != nullptr) {
        m_waitWindow->ShowNow();
    }
}

void TForm1::HideWaitWindow()
{
    if (m_waitWindow != nullptr) {
        m_waitWindow->hide();
    }
}

void TForm1::SetBusyCursor(bool busy)
{
    if (busy == m_busy) {
        return;
    }
    m_busy = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void TForm1::SetGridVisible(bool visible)
{
    m_grid->setVisible(visible);
    m_navigator->setVisible(visible);
    PlaceIncomeKindBox();
}

void TForm1::FocusControl(HeaderField field)
{
    const QScopedValueRollback<bool> byProgram(m_focusByProgram, true);
    FieldNamed(field)->setFocus(Qt::OtherFocusReason);
}

void TForm1::EnterWorkingState()
{
    SetCommandEnabled(m_SaveAs1, true);
    m_N14->menuAction()->setEnabled(true);
    SetCommandEnabled(m_N18, true);
    SetCommandEnabled(m_Excel1, true);
    m_startPanel->hide();
    CoverWorkArea(false);
}

// What the start panel covers cannot be reached with Tab either: the person
// would be typing into fields out of sight, and leaving the unseen year field
// would greet them with its message.
void TForm1::CoverWorkArea(bool covered)
{
    if (!covered) {
        for (const auto& [widget, policy] : m_coveredFocus) {
            if (widget) {
                widget->setFocusPolicy(policy);
            }
        }
        m_coveredFocus.clear();
        return;
    }
    for (QWidget* widget : m_client->findChildren<QWidget*>()) {
        if (widget->focusPolicy() != Qt::NoFocus && widget != m_startPanel &&
            !m_startPanel->isAncestorOf(widget)) {
            m_coveredFocus.emplace_back(widget, widget->focusPolicy());
            widget->setFocusPolicy(Qt::NoFocus);
        }
    }
}

void TForm1::ShowPrintWindow(const std::string& path, const std::string& caption, bool landscapeHint)
{
    if (m_printWindow == nullptr) {
        m_printWindow = new TPrintForm(this);
    }
    m_printWindow->ShowReport(QString::fromStdString(path), QString::fromStdString(caption), landscapeHint);
    TakeBackActivation();
}

void TForm1::Refresh()
{
    const QScopedValueRollback<bool> showing(m_showingValues, true);
    for (const HeaderSlot& slot : HeaderSlots) {
        FieldNamed(slot.field)->setText(cp1253::toUnicode(m_workspace->Header.*slot.value));
    }
    if (m_RadioButton2->isChecked() != m_workspace->Header.NaturalPerson) {
        (m_workspace->Header.NaturalPerson ? m_RadioButton2 : m_RadioButton1)->setChecked(true);
        ShowHeaderKind(m_workspace->Header.NaturalPerson);
    }
    for (size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i]->setText(QString::fromStdString(m_workspace->Edits[i]));
    }
    m_Label32->setText(QString::fromStdString(m_workspace->Label32));
    // A screen reader reads the count shown, not the caption the label had.
    m_Label32->setAccessibleName(m_Label32->text().simplified());
}
