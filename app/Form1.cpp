#include "app/Form1.h"
#include "app/Form1Layout.h"

#include "app/AboutBox.h"
#include "app/CapsLockScope.h"
#include "app/Find.h"
#include "app/MenuEntryAccessible.h"
#include "app/UserManual.h"
#include "app/WheelKeyFilter.h"
#include "dataset/DataSetErrors.h"
#include "grid/DBNavigator.h"
#include "grid/MultiLineGrid.h"
#include "reports/Reports.h"
#include "text/Cp1253.h"
#include "workspace/DesktopShortcut.h"
#include "workspace/Workspace.h"
#include "workspace/ZipExport.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QStandardPaths>
#include <QStyle>

using namespace form1;

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
    m_capsLock = std::make_unique<CapsLockScope>([this]() -> TKeyLed& { return *m_keyLed; });
    const ProgramFolders folders =
        programFolder.isEmpty() ? ProgramFolders::ForRunningProgram() : ProgramFolders::Single(programFolder);
    m_workspace = std::make_unique<Workspace>(*this, folders);

    setObjectName(QStringLiteral("Form1"));
    setAccessibleName(utf8(WindowCaption));
    setAccessibleDescription(QStringLiteral("Form1"));
    setWindowTitle(utf8(WindowCaption));
    QFont font(QStringLiteral("DejaVu Sans"), 8);
    setFont(font);

    BuildWorkArea();

    BuildMenus();
    BuildHeader(m_client);
    BuildRecordTools(m_client);
    BuildGrid(m_client);
    BuildTotals(m_client);
    BuildProblemPanel(m_client);
    BuildStartPanel(m_client);
    SetTabOrder();

    // Made once, so it keeps what the person chose last time.
    m_find = new TFind(this);
    m_find->Beep = [this] { Beep(); };

    // The window sees F1 before whichever control has the focus.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::WindowShortcut);
    connect(help, &QShortcut::activated, this, &TForm1::HelpKey);

    PlaceOnScreen();

    m_userManual = std::make_unique<TUserManual>(folders.resources);

    FormCreate();
}

TForm1::~TForm1()
{
    // The check of opened rows reads this window's workspace no more once
    // started, but it posts its end here: it ends first.
    if (m_openCheck.valid()) {
        m_openCheck.wait();
    }
    // The fields go before the window's own QObject does; their focus
    // leaving as they go must not reach a half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    // The grid, its model and the navigator watch the detail store: they go
    // before the workspace that holds it, and an open cell editor with them.
    delete m_DBNavigator1;
    delete m_grid;
    m_grid = nullptr;
}

// The client area keeps its designed size at least; on a screen too small
// for it the work area scrolls instead of the window growing past the
// screen. Below the work area there is room for panels about the rows.
void TForm1::BuildWorkArea()
{
    m_workSplitter = new QSplitter(Qt::Vertical, this);
    m_workSplitter->setObjectName(QStringLiteral("WorkSplitter"));
    m_workSplitter->setChildrenCollapsible(false);
    setCentralWidget(m_workSplitter);

    m_workArea = new QScrollArea(m_workSplitter);
    NameControl(m_workArea, "WorkArea", utf8("Περιοχή εργασίας"));
    m_workArea->setFrameShape(QFrame::NoFrame);
    m_workArea->setWidgetResizable(true);
    m_workArea->setFocusPolicy(Qt::NoFocus);
    m_workSplitter->addWidget(m_workArea);

    m_client = new QWidget;
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setMinimumSize(ClientWidth, ClientHeight);
    m_client->installEventFilter(this);
    m_workArea->setWidget(m_client);

    // Whatever takes the keyboard, the person or the program giving it,
    // is scrolled into sight.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && m_client->isAncestorOf(now)) {
            m_workArea->ensureWidgetVisible(now, 0, 0);
        }
    });
}

// The designed size, centred on the screen; on a smaller screen the window
// takes what the screen has left, with room for a window manager's frame, so
// that its title and menus are never off the screen.
void TForm1::PlaceOnScreen()
{
    m_normalSize = QSize(ClientWidth, ClientHeight + menuBar()->sizeHint().height());
    QRect window(QPoint(), m_normalSize);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect inside = screen->availableGeometry().marginsRemoved(DecorationMargins);
        // A work area that scrolls one way takes room for the scroll bar
        // the other way, where the screen has it, rather than scroll both.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        if (m_normalSize.height() > inside.height()) {
            m_normalSize.rwidth() += bar;
        }
        if (m_normalSize.width() > inside.width()) {
            m_normalSize.rheight() += bar;
        }
        m_normalSize = m_normalSize.boundedTo(inside.size());
        window.setSize(m_normalSize);
        window.moveCenter(inside.center());
    }
    setGeometry(window);
}

void TForm1::SetKeyLed(std::unique_ptr<TKeyLed> keyLed)
{
    m_capsLock->Replace([&] { m_keyLed = std::move(keyLed); });
}

void TForm1::RecoverLeftoverWork()
{
    Workspace& work = *m_workspace;
    work.PersonCapsLock = m_capsLock->PersonsOwn() ? 1 : 0;
    work.RecoverLeftoverWork();
    if (work.LeftoverCapsLock() >= 0) {
        work.PersonCapsLock = work.LeftoverCapsLock();
        m_capsLock->SetPersonsOwn(work.PersonCapsLock == 1);
    }
}

void TForm1::FormCreate()
{
    m_capsLock->Follow();

    m_startPanel->setGeometry(QRect(QPoint(), OuterSize()));
    LayoutStartPanel(OuterSize());
    CoverWorkArea(true);

    m_wheelFilter = new WheelKeyFilter(this);
    qApp->installEventFilter(m_wheelFilter);

    for (QAction* action : m_commands) {
        action->setEnabled(true);
    }
    SetCommandEnabled(m_SaveAs1, false);
    m_N14->menuAction()->setEnabled(false);
    SetCommandEnabled(m_N18, false);
    SetCommandEnabled(m_CheckAll1, false);
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

    m_File1 = AddMenu("File1", "Αρχείο");
    m_New1 = AddEntry(m_File1, "New1", "Νέο", "new");
    m_Open1 = AddEntry(m_File1, "Open1", "Άνοιγμα", "open");
    m_Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m_SaveAs1 = AddEntry(m_File1, "SaveAs1", "Αποθήκευση ως...", "saveas");
    m_SaveAs1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    m_File1->addSeparator();
    m_Exit1 = AddEntry(m_File1, "Exit1", "Έξοδος");

    BuildPrintMenu();

    m_Tools1 = AddMenu("Tools1", "Εργαλεία");
    m_N18 = AddEntry(m_Tools1, "N18", "Εύρεση...", "find");
    m_N18->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_CheckAll1 = AddEntry(m_Tools1, "CheckAll1", "Έλεγχος όλων των εγγραφών", "check");
    m_CheckAll1->setShortcut(QKeySequence(Qt::Key_F7));
    m_Tools1->addSeparator();
    m_Excel1 = AddEntry(m_Tools1, "Excel1", "Εισαγωγή στοιχείων από Excel", "import");
    m_Tools1->addSeparator();
    Wire(AddEntry(m_Tools1, "N9", "Δημιουργία συντόμευσης στην Επιφ. Εργασίας", "shortcut"),
         [this] { N9Click(); });
    Wire(AddEntry(m_Tools1, "zip1", "Δημιουργία συμπιεσμένου αρχείου (zip)", "zip"), [this] { zip1Click(); });
    m_Tools1->addSeparator();
    Wire(AddEntry(m_Tools1, "e1", "Σύνδεση με εξυπηρετητή Razeve", "portal"), [this] { e1Click(); });

    m_Help1 = AddMenu("Help1", "Βοήθεια");
    Wire(AddEntry(m_Help1, "N13", "Οδηγίες εφαρμογής", "manual"), [this] { N13Click(); });
    m_Help1->addSeparator();
    Wire(AddEntry(m_Help1, "N12", "Σχετικά...", "about"), [this] { N12Click(); });

    Wire(m_New1, [this] {
        m_workspace->New();
        SetProblemPanelShown(false);
    });
    Wire(m_Open1, [this] { Open1Click(); });
    Wire(m_SaveAs1, [this] { m_workspace->SaveAs(); });
    Wire(m_N18, [this] { N18Click(); });
    Wire(m_CheckAll1, [this] { CheckAll1Click(); });
    Wire(m_Excel1, [this] { Excel1Click(); });
    Wire(m_Exit1, [this] { close(); });
}

QMenu* TForm1::AddMenu(const char* objectName, const char* caption)
{
    QMenu* menu = menuBar()->addMenu(utf8(caption));
    menu->setObjectName(QString::fromLatin1(objectName));
    menu->menuAction()->setObjectName(QString::fromLatin1(objectName));
    menu->menuAction()->setProperty(MenuEntryAccessible::DescriptionProperty,
                                    QString::fromLatin1(objectName));
    menu->setAccessibleName(utf8(caption));
    menu->setAccessibleDescription(QString::fromLatin1(objectName));
    return menu;
}

void TForm1::BuildPrintMenu()
{
    m_N14 = AddMenu("N14", "Εκτύπωση");
    QAction* firstPage = AddEntry(m_N14, "N110", "Εκτύπωση 1ης Σελίδας", "firstpage");
    firstPage->setVisible(false);
    QAction* detailed = AddEntry(m_N14, "N15", "Αναλυτικές Αμοιβές", "detailreport");
    m_N14->addSeparator();
    QAction* totals = AddEntry(m_N14, "N20", "Εκτύπωση Συνόλων", "totalsreport");
    Wire(firstPage, [this] { Reports(*m_workspace).PrintFirstPage(); });
    Wire(detailed, [this] { Reports(*m_workspace).PrintDetailed(); });
    Wire(totals, [this] { Reports(*m_workspace).PrintTotals(); });
}

void TForm1::HeaderKindClick(bool naturalPerson)
{
    m_workspace->Header.NaturalPerson = naturalPerson;
    ShowHeaderKind(naturalPerson);
    m_workspace->SetModified(true);
}

void TForm1::Button1Click()
{
    RunCommand([this] {
        if (m_workspace->SortByAfm()) {
            RefreshShownProblems();
            ShowGridFromAfm();
        }
    });
}

void TForm1::Button2Click()
{
    RunCommand([this] {
        if (m_workspace->SortAlphabetically()) {
            RefreshShownProblems();
            ShowGridFromAfm();
        }
    });
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
    if (m_workspace->FindRow(found.ByAfm, cp1253::fromUnicode(found.Text), found.PartialKey) ==
        Workspace::FindResult::Found) {
        ShowGridFromAfm();
    }
}

// The wait window stands over the reading of the workbook and the checks of
// its rows, not over the file dialog before them.
void TForm1::Excel1Click()
{
    m_workspace->ImportFromWorkbook();
    RefreshShownProblems();
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
    m_capsLock->Finish();
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
