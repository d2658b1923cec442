#include "app/Form1.h"
#include "app/Form1Layout.h"

#include "app/CapsLockScope.h"
#include "app/Form2.h"
#include "app/PrintForm.h"
#include "app/QuestionBox.h"
#include "grid/MultiLineGrid.h"
#include "text/Cp1253.h"
#include "workspace/Workspace.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRadioButton>
#include <QScopedValueRollback>

using namespace form1;

namespace {
// A box that comes up during a long pass stands alone: the wait window would
// tell the person the program works while it waits for them.
class WaitWindowPause
{
public:
    explicit WaitWindowPause(TForm2* waitWindow)
        : m_waitWindow(waitWindow != nullptr && waitWindow->isVisible() ? waitWindow : nullptr)
    {
        if (m_waitWindow != nullptr) {
            m_waitWindow->hide();
        }
    }
    ~WaitWindowPause()
    {
        if (m_waitWindow != nullptr) {
            m_waitWindow->ShowNow();
        }
    }
    WaitWindowPause(const WaitWindowPause&) = delete;
    WaitWindowPause& operator=(const WaitWindowPause&) = delete;

private:
    QPointer<TForm2> m_waitWindow;
};
} // namespace

UserInterface::Answer TForm1::AskWithCaptions(const std::string& message, int buttons,
                                              const std::vector<std::string>& captions)
{
    const WaitWindowPause pause(m_waitWindow);
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
    QuestionBox::KeepTitleWhole(box);
    box.exec();
}
} // namespace

void TForm1::ShowMessage(const std::string& message)
{
    const WaitWindowPause pause(m_waitWindow);
    showBox(this, QMessageBox::NoIcon, message);
    TakeBackActivation();
}

void TForm1::ShowWarning(const std::string& message)
{
    const WaitWindowPause pause(m_waitWindow);
    showBox(this, QMessageBox::Warning, message);
    TakeBackActivation();
}

void TForm1::ShowError(const std::string& message)
{
    const WaitWindowPause pause(m_waitWindow);
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

QString TForm1::RunFileDialog(QFileDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString TForm1::ChooseFile(QFileDialog& dialog)
{
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QString chosen;
    {
        const CapsLockScope::StandardDialog open;
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
        // The wait window took the activation when it came; without a window
        // manager nobody gives it back, and the menus' keys would stay dead.
        TakeBackActivation();
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
    SetCommandEnabled(m_CheckAll1, true);
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

void TForm1::ShowPrintWindow(const std::string& path, const std::string& caption, bool landscapeHint,
                             std::shared_ptr<const DetailedList> list)
{
    if (m_printWindow == nullptr) {
        m_printWindow = new TPrintForm(this);
    }
    m_printWindow->ShowReport(QString::fromStdString(path), QString::fromStdString(caption), landscapeHint,
                              std::move(list));
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
    const Totals& totals = m_workspace->CurrentTotals();
    const Totals::Boxes edits = totals.Edits();
    for (size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i]->setText(QString::fromStdString(edits[i]));
    }
    m_Label32->setText(QString::fromStdString(totals.Label32()));
    // A screen reader reads the count shown, not the caption the label had.
    m_Label32->setAccessibleName(m_Label32->text().simplified());
}
