#pragma once

#include <QDialog>

#include <functional>

class QPushButton;

// The about box, made afresh at every use. It also listens, before its
// controls do, for a hidden sequence of five letters and a confirming key,
// which shows how to reach the people who made the program.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 298;
    static constexpr int ClientHeight = 213;
    // The five letters, in order, then the confirming key.
    static constexpr int SequenceLetters[5] = {Qt::Key_R, Qt::Key_O, Qt::Key_Z, Qt::Key_A, Qt::Key_N};
    static constexpr int ConfirmKey = Qt::Key_F12;
    static constexpr const char* ContactText =
        "Rozaro - Έκδοση Δημοσίου\nΓια επικοινωνία με την ομάδα ανάπτυξης: rozaro@example.org";

    explicit TAboutBox(QWidget* parent = nullptr);

    // How far the hidden sequence has come: 0 to 5.
    int Counter() const { return m_counter; }
    // Moves the counter for one key of the sequence; other keys leave it alone.
    void SequenceKey(int key);

    // Shows the contact text; replaceable so that the sequence can be tried
    // without a box to close.
    std::function<void(const QString&)> ShowContact;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanel();

    int m_counter = 0;
    QPushButton* m_OKButton = nullptr;
};
