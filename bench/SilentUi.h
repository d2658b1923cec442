#pragma once

#include "declaration/UserInterface.h"

#include <string>
#include <vector>

// Answers every question with "Ναι" and every file dialog with the prepared
// path, counting the messages that would have been shown.
class SilentUi : public UserInterface
{
public:
    std::string openPath, savePath;
    int messages = 0;

    Answer AskWithCaptions(const std::string&, int, const std::vector<std::string>&) override
    {
        return Answer::Yes;
    }
    void ShowMessage(const std::string&) override { ++messages; }
    void ShowWarning(const std::string&) override { ++messages; }
    void ShowError(const std::string&) override { ++messages; }
    void Beep() override {}
    bool ChooseOpenFile(const std::string&, const std::string&, std::string& path) override
    {
        path = openPath;
        return true;
    }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                        std::string& path) override
    {
        path = savePath;
        return true;
    }
};
