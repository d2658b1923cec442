#pragma once

#include "declaration/UserInterface.h"

#include <ostream>
#include <string>

// The person at the console is a batch job: every message, warning, error and
// question is written to the error stream as one line of UTF-8, exactly as the
// window would show it, and every question gets the answer fixed on the
// command line ("Όχι" unless --yes). The file dialogs answer with the paths
// the command was given.
class ConsoleUi : public UserInterface
{
public:
    ConsoleUi(std::ostream& err, bool answerYes);

    // The path the open dialog returns; empty cancels the dialog.
    void SetOpenPath(std::string path) { m_openPath = std::move(path); }
    // The path the save dialog returns; empty cancels the dialog.
    void SetSavePath(std::string path) { m_savePath = std::move(path); }
    // Written before every line, e.g. "Γραμμή 4: " while row 4 is checked.
    void SetLinePrefix(std::string prefix) { m_prefix = std::move(prefix); }

    // The answer every question gets: "Ναι" with --yes, else "Όχι".
    bool AnswersYes() const { return m_answerYes; }

    // Writes one line, with the current prefix.
    void WriteLine(const std::string& text);

    Answer AskWithCaptions(const std::string& message, int buttons,
                           const std::vector<std::string>& captions) override;
    void ShowMessage(const std::string& message) override;
    void ShowWarning(const std::string& message) override;
    void ShowError(const std::string& message) override;
    void Beep() override {}

    bool ChooseOpenFile(const std::string& initialFolder, const std::string& filter,
                        std::string& path) override;
    bool ChooseSaveFile(const std::string& initialFolder, const std::string& proposedName,
                        const std::string& filter, std::string& path) override;

private:
    std::ostream& m_err;
    bool m_answerYes;
    std::string m_openPath;
    std::string m_savePath;
    std::string m_prefix;
};
