#pragma once

#include "declaration/UserInterface.h"

#include <QMessageBox>
#include <string>
#include <vector>

// The question dialog with replaceable captions. Its buttons always stand in
// the order Yes, No, Cancel from left to right, whatever order the desktop
// prefers, because the captions are handed out in that order and the person
// reads them in that order. Escape and the frame's close button answer Cancel,
// also when the box has no Cancel button.
class QuestionBox : public QMessageBox
{
    Q_OBJECT
public:
    QuestionBox(const QString& title, const std::string& message, int buttonSet,
                const std::vector<std::string>& captions, QWidget* parent = nullptr);

    // Shows the box modally and returns the answer.
    UserInterface::Answer Ask();

    // Makes any message box at least as wide as its title needs in the frame
    // a window manager draws, with room for the frame's buttons, so that a
    // short message does not cut its own title.
    static void KeepTitleWhole(QMessageBox& box);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_dismissed = false;
};
