#pragma once

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

// The find dialog. The main window makes it once and shows it again at every
// find, so the choice of field, the whole-words box and the text stay as the
// person left them. The window reads the outcome after it closes.
class TFind : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 287;
    static constexpr int ClientHeight = 197;

    explicit TFind(QWidget* parent = nullptr);

    // The outcome of the last use; "ΟΚ" fills it, "Ακύρωση", Escape and the
    // frame's close button only set Cancelled.
    struct Outcome
    {
        bool Cancelled = false;
        bool PartialKey = false; // "Μόνο ολόκληρες λέξεις" was not checked
        bool ByAfm = false;      // "ΑΦΜ" rather than "Επωνυμία"
        QString Text;
    };
    const Outcome& Result() const { return m_result; }

    // Called for every keystroke the dialog drops; the system beep by default.
    std::function<void()> Beep;

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Button1Click();
    // A tax number is searched among digits only, at most nine of them.
    bool ByAfm() const;
    void Edit1TextEdited(const QString& text);

    QRadioButton* m_RadioButton1 = nullptr;
    QRadioButton* m_RadioButton2 = nullptr;
    QLineEdit* m_Edit1 = nullptr;
    QCheckBox* m_CheckBox2 = nullptr;
    QPushButton* m_Button1 = nullptr;
    QPushButton* m_Button2 = nullptr;
    QString m_current; // the edit box's text as last changed
    Outcome m_result;
};
