#pragma once

#include "app/KeyLed.h"
#include "declaration/DeclarationCheck.h"
#include "declaration/DeclarationFile.h"
#include "declaration/Totals.h"
#include "declaration/UserInterface.h"

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <array>
#include <functional>
#include <future>
#include <memory>

class QAbstractButton;
class QAction;
class QFileDialog;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPainter;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QToolButton;
class CapsLockScope;
class TFind;
struct HeaderSlot;
class TDataSetTableModel;
class TDBNavigator;
class TForm2;
class TMultiLineGrid;
class TUserManual;
class TPrintForm;
class ProblemPanel;
class Workspace;
class WheelKeyFilter;

// The main window: the employer header, the detail rows, the totals and the
// menus around one declaration. It translates the person's actions into calls
// of the Workspace it owns and shows what the Workspace asks it to show.
class TForm1 : public QMainWindow, public UserInterface
{
    Q_OBJECT
public:
    static constexpr const char* ApplicationTitle = "Οριστική Δήλωση Φόρου Μισθωτών Υπηρεσιών";
    static constexpr const char* WindowCaption = "Rozaro - Υποβολή Βεβαιώσεων Αποδοχών Δημοσίου";
    static constexpr int ClientWidth = 1007;
    static constexpr int ClientHeight = 660;
    // The tax administration's portal, opened by "Σύνδεση με εξυπηρετητή Razeve".
    static constexpr const char* PortalAddress = "https://www.razeve.gr/";

    // `programFolder` holds Addon/ and receives temp/; empty means the
    // folder of the running program.
    explicit TForm1(const QString& programFolder = {}, QWidget* parent = nullptr);
    ~TForm1() override;
    // Waits for the check of the rows a declaration was opened with, and
    // shows its list, if it is still running.
    void FinishOpenCheck();

    Workspace& workspace() { return *m_workspace; }
    // The wait window shown during long passes; created after this window.
    void SetWaitWindow(TForm2* waitWindow) { m_waitWindow = waitWindow; }
    // The keyboard's lock keys; a stand-in can take their place.
    void SetKeyLed(std::unique_ptr<TKeyLed> keyLed);
    // The print window every report is shown in; made on first use if none is given.
    void SetPrintWindow(TPrintForm* printWindow) { m_printWindow = printWindow; }

    // The start's offer of work a session left without closing; the Caps
    // Lock that session kept as the person's own is given back, since the
    // lock as found now may be the one it left on.
    void RecoverLeftoverWork();

    // Runs one command of the person: a refusal ends it silently, any other
    // error is shown and the program carries on.
    void RunCommand(const std::function<void()>& command);

    // The size the window's layout rules measure from: the client area plus
    // the frame a classic desktop draws around it (see OuterSize in the .cpp).
    QSize OuterSize() const;
    // Lays the areas out for the current size.
    void FormResize();

    // Opens the address with the desktop's browser; false when none could start.
    static bool OpenUrlInBrowser(const QString& address);
    TUserManual& UserManual() { return *m_userManual; }
    // The income-kind box took the keyboard from the grid; the Tab that
    // leaves it moves the grid on once released.
    bool LookupEntered() const { return m_lookupEntered; }

    // The file dialog's filter for a declaration's file pattern.
    static QString DialogFilter(const std::string& filter);

    // UserInterface
    Answer AskWithCaptions(const std::string& message, int buttons,
                           const std::vector<std::string>& captions) override;
    void ShowMessage(const std::string& message) override;
    void ShowWarning(const std::string& message) override;
    void ShowError(const std::string& message) override;
    void Beep() override;
    bool ChooseOpenFile(const std::string& initialFolder, const std::string& filter,
                        std::string& path) override;
    bool ChooseSaveFile(const std::string& initialFolder, const std::string& proposedName,
                        const std::string& filter, std::string& path) override;
    void ShowWaitWindow() override;
    void HideWaitWindow() override;
    void SetBusyCursor(bool busy) override;
    void SetGridVisible(bool visible) override;
    void FocusControl(HeaderField field) override;
    void EnterWorkingState() override;
    void Refresh() override;
    void ShowPrintWindow(const std::string& path, const std::string& caption, bool landscapeHint,
                         std::shared_ptr<const DetailedList> list) override;

protected:
    // Shows a file dialog modally and returns the chosen path, empty when
    // cancelled; a stand-in can answer instead of a person.
    virtual QString RunFileDialog(QFileDialog& dialog);

    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The detail grid and its companions.
    void DBGrid1KeyPress(QChar& key);
    void dbGrid1ColEnter(int column);
    void dbGrid1ColExit(int column);
    void dbGrid1KeyUp(QKeyEvent* key);
    void DBGrid1DrawColumnCell(QPainter& painter, const QRect& cell, int column, const QString& text,
                               bool currentRow, bool focused);
    void DBLookupComboBox1Enter();
    void LeaveIncomeKindBox(const QKeyEvent& key);
    bool DBNavigator1BeforeAction(int button);
    bool GridConfirmDelete();
    void BuildIncomeKindBox(QWidget* client);
    void FillIncomeKindBox();
    void PlaceIncomeKindBox();
    bool RunStoreOperation(const std::function<void()>& operation);

    void Button1Click();
    void Button2Click();
    void ShowGridFromAfm();
    void N18Click();
    void Excel1Click();
    QString ChooseFile(QFileDialog& dialog);
    void BuildWorkArea();
    void PlaceOnScreen();
    void BuildMenus();
    QMenu* AddMenu(const char* objectName, const char* caption);
    void BuildPrintMenu();
    void BuildHeader(QWidget* client);
    void BuildRecordTools(QWidget* client);
    void BuildGrid(QWidget* client);
    void BuildTotals(QWidget* client);
    void BuildStartPanel(QWidget* client);
    void SetTabOrder();
    void FormCreate();
    void LayoutStartPanel(const QSize& outer);
    void CoverWorkArea(bool covered);
    void KeepFixedSize();
    void SetCommandEnabled(QAction* action, bool enabled);
    void Wire(QAction* action, std::function<void()> command);
    void HelpKey();
    void N9Click();
    void zip1Click();
    void e1Click();
    void N13Click();
    void N12Click();
    void TakeBackActivation();
    void BuildProblemPanel(QWidget* client);
    void PlaceProblemPanel();
    void SetProblemPanelShown(bool shown);
    std::vector<DeclarationCheck::Problem> CheckStoredRows();
    void ShowProblems(std::vector<DeclarationCheck::Problem> problems);
    void RefreshShownProblems();
    void CheckAll1Click();
    void Open1Click();
    void StartOpenCheck();
    void DeliverOpenCheck(int round);
    void GoToProblemRow(int32_t lineId);
    void HeaderEdited(QLineEdit* edit, const HeaderSlot& slot, const QString& text);
    bool HeaderKeyPress(const HeaderSlot& slot, const QKeyEvent& key);
    void HeaderFocusChanged(QWidget* old, QWidget* now);
    void DropPendingMousePress();
    void BuildHeaderKind(QWidget* client);
    void HeaderKindClick(bool naturalPerson);
    void ShowHeaderKind(bool naturalPerson);

    QAction* AddEntry(QMenu* menu, const char* name, const char* caption, const char* icon = nullptr);
    QLineEdit* FieldNamed(const char* name) const;
    QLineEdit* FieldNamed(HeaderField field) const;

    std::unique_ptr<Workspace> m_workspace;
    std::unique_ptr<TKeyLed> m_keyLed = std::make_unique<TKeyLed>();
    // Goes before the switches it gives the lock back with.
    std::unique_ptr<CapsLockScope> m_capsLock;
    TFind* m_find = nullptr;
    TForm2* m_waitWindow = nullptr;
    std::unique_ptr<TUserManual> m_userManual;
    TPrintForm* m_printWindow = nullptr;
    WheelKeyFilter* m_wheelFilter = nullptr;
    bool m_busy = false;
    bool m_closed = false;
    bool m_showingValues = false;  // header fields are being filled by the program
    bool m_focusByProgram = false; // the program, not the person, moves the focus
    bool m_lookupEntered = false;
    QSize m_normalSize;
    int m_sizeRestores = 0;    // size restores since the window last had its own size
    QSet<QAction*> m_commands; // entries whose command is built

    // The work area scrolls the client area; panels about the rows go below
    // it in the splitter.
    QSplitter* m_workSplitter = nullptr;
    QScrollArea* m_workArea = nullptr;
    QWidget* m_client = nullptr;
    QLabel* m_headerBar = nullptr;
    QLabel* m_detailBar = nullptr;
    QLabel* m_Label32 = nullptr;
    QWidget* m_navigator = nullptr;
    QPushButton* m_Button1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    TMultiLineGrid* m_grid = nullptr;
    TDataSetTableModel* m_rowsModel = nullptr;
    TDBNavigator* m_DBNavigator1 = nullptr;
    std::array<QAbstractButton*, 6> m_navButtons{}; // First, Last, Insert, Delete, Post, Cancel
    QComboBox* m_DBLookupComboBox1 = nullptr;
    QWidget* m_totalsPanel = nullptr;
    QLabel* m_totalsBar = nullptr;
    std::array<QLineEdit*, Totals::BoxCount> m_edits{};
    std::array<QLineEdit*, AllHeaderFields.size()> m_headerEdits{};
    QWidget* m_startPanel = nullptr;
    ProblemPanel* m_problemPanel = nullptr;
    bool m_gridMadeRoom = false; // the grid is shorter by the problem panel's height
    // The check of the rows of a declaration just opened, running while the
    // window already shows them; its list is for that file and row count, unchanged since, only.
    std::future<std::vector<DeclarationCheck::Problem>> m_openCheck;
    int m_openCheckRound = 0;
    std::string m_openCheckFile;
    size_t m_openCheckRows = 0;
    bool m_openCheckModified = false;
    QPointer<QWidget> m_openCheckFocus;
    QLabel* m_startPicture = nullptr;
    QLabel* m_startLine = nullptr;
    // Controls under the start panel, with the focus they take once uncovered.
    std::vector<std::pair<QPointer<QWidget>, Qt::FocusPolicy>> m_coveredFocus;
    QRadioButton* m_RadioButton1 = nullptr; // header kind: legal entity
    QRadioButton* m_RadioButton2 = nullptr; // header kind: natural person

    QMenu* m_File1 = nullptr;
    QMenu* m_N14 = nullptr;
    QMenu* m_Tools1 = nullptr;
    QMenu* m_Help1 = nullptr;
    QAction* m_New1 = nullptr;
    QAction* m_Open1 = nullptr;
    QAction* m_SaveAs1 = nullptr;
    QAction* m_Exit1 = nullptr;
    QAction* m_N18 = nullptr;
    QAction* m_CheckAll1 = nullptr;
    QAction* m_Excel1 = nullptr;
};
