#pragma once

#include "declaration/HeaderField.h"

#include <memory>
#include <string>
#include <vector>

class DetailedList;

// Everything the declaration logic does to the person goes through here. The
// main window implements it with Qt widgets, rozaro-cli on the console, the
// tests with a scripted stand-in. Texts are UTF-8, exactly as shown.
class UserInterface
{
public:
    // Results of a question, with the numeric values of the standard dialog.
    enum class Answer { Yes = 6, No = 7, Cancel = 2 };
    // The standard buttons a question can show, in the dialog's fixed order.
    enum Button { YesButton = 1, NoButton = 2, CancelButton = 8 };

    virtual ~UserInterface() = default;

    // The question dialog with Greek captions: the requested buttons in the
    // order Yes, No, Cancel get the captions in order; closing it gives Cancel.
    virtual Answer AskWithCaptions(const std::string& message, int buttons,
                                   const std::vector<std::string>& captions) = 0;
    // A "Ναι"/"Όχι" question whose yes destroys data (replacing a file,
    // deleting a row): only "Ναι" goes on, and closing the box keeps the data
    // as "Όχι" does. Every other question counts all but "Όχι" as yes.
    bool ConfirmDestructive(const std::string& message)
    {
        return AskWithCaptions(message, YesButton | NoButton, {"Ναι", "Όχι"}) == Answer::Yes;
    }
    // A plain message box with one OK button, captioned with the application title.
    virtual void ShowMessage(const std::string& message) = 0;
    // A warning box with one OK button.
    virtual void ShowWarning(const std::string& message) = 0;
    // The application's error report: an error that ended a command.
    virtual void ShowError(const std::string& message) = 0;
    virtual void Beep() = 0;

    // File dialogs. Return false when cancelled. `filter` is empty for none.
    virtual bool ChooseOpenFile(const std::string& initialFolder, const std::string& filter,
                                std::string& path) = 0;
    virtual bool ChooseSaveFile(const std::string& initialFolder, const std::string& proposedName,
                                const std::string& filter, std::string& path) = 0;

    // What follows only changes what a window shows; a front without a window
    // (the console, a benchmark) has nothing to do for it.
    virtual void ShowWaitWindow() {}
    virtual void HideWaitWindow() {}
    virtual void SetBusyCursor(bool /*busy*/) {}
    virtual void SetGridVisible(bool /*visible*/) {} // the grid and its navigator together

    // Moves the focus to a field of the employer header.
    virtual void FocusControl(HeaderField /*field*/) {}
    // The declaration moved to the working state: enable the working-state
    // entries and hide the start panel.
    virtual void EnterWorkingState() {}
    // The header, totals or row label changed and should be shown again.
    virtual void Refresh() {}
    // Shows the report file `path` in the print window with `caption`, the
    // landscape hint shown or hidden, until the person closes it. `list` is
    // the detailed list the file was written from (none for the other
    // reports): its pages are printed from it.
    virtual void ShowPrintWindow(const std::string& /*path*/, const std::string& /*caption*/,
                                 bool /*landscapeHint*/, std::shared_ptr<const DetailedList> /*list*/)
    {
    }
};
