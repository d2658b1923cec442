#pragma once

#include "declaration/UserInterface.h"

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

// A stand-in for the person at the window: every call is written down as one
// line of a transcript, questions are answered from a script, and a question
// that nobody scripted fails the test.
class ScriptedUi : public UserInterface
{
public:
    // Transcript lines: "beep", "message: <text>", "warning: <text>",
    // "error: <text>", "ask: <text> [<captions joined by |>]", "focus: <name>",
    // "open-dialog: <folder> <filter>", "save-dialog: <folder> <proposed> <filter>",
    // "wait: on/off", "busy: on/off", "grid: on/off", "working-state", "print-window: <caption> [landscape]
    // <path>", "refresh" (refreshes are counted, not written down).
    std::vector<std::string> log;
    int refreshes = 0;

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> openChoices; // nullopt: cancel
    std::deque<std::optional<std::string>> saveChoices;

    void Reply(Answer a) { answers.push_back(a); }
    void Yes() { Reply(Answer::Yes); }
    void No() { Reply(Answer::No); }
    void Cancel() { Reply(Answer::Cancel); }

    Answer AskWithCaptions(const std::string& message, int buttons,
                           const std::vector<std::string>& captions) override
    {
        std::string joined;
        for (const auto& caption : captions)
            joined += (joined.empty() ? "" : "|") + caption;
        log.push_back("ask: " + message + " [" + joined + "]");
        lastButtons = buttons;
        if (answers.empty()) {
            ADD_FAILURE() << "unscripted question: " << message;
            return Answer::Cancel;
        }
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(const std::string& m) override { log.push_back("message: " + m); }
    void ShowWarning(const std::string& m) override { log.push_back("warning: " + m); }
    void ShowError(const std::string& m) override { log.push_back("error: " + m); }
    void Beep() override { log.push_back("beep"); }
    bool ChooseOpenFile(const std::string& folder, const std::string& filter, std::string& path) override
    {
        log.push_back("open-dialog: " + folder + " " + filter);
        return Choose(openChoices, path);
    }
    bool ChooseSaveFile(const std::string& folder, const std::string& proposed, const std::string& filter,
                        std::string& path) override
    {
        log.push_back("save-dialog: " + folder + " " + proposed + " " + filter);
        return Choose(saveChoices, path);
    }
    void ShowWaitWindow() override { log.push_back("wait: on"); }
    void HideWaitWindow() override { log.push_back("wait: off"); }
    void SetBusyCursor(bool busy) override { log.push_back(busy ? "busy: on" : "busy: off"); }
    void SetGridVisible(bool visible) override { log.push_back(visible ? "grid: on" : "grid: off"); }
    void FocusControl(HeaderField field) override
    {
        log.push_back("focus: " + std::string(HeaderFieldName(field)));
    }
    void EnterWorkingState() override { log.push_back("working-state"); }
    void Refresh() override { ++refreshes; }
    void ShowPrintWindow(const std::string& path, const std::string& caption, bool landscapeHint,
                         std::shared_ptr<const DetailedList>) override
    {
        log.push_back("print-window: " + caption + (landscapeHint ? " [landscape] " : " ") + path);
    }

    // The transcript lines that a person would notice: messages, questions,
    // beeps and errors, in order.
    std::vector<std::string> Said() const
    {
        std::vector<std::string> said;
        for (const auto& line : log)
            if (line == "beep" || line.rfind("message: ", 0) == 0 || line.rfind("warning: ", 0) == 0 ||
                line.rfind("error: ", 0) == 0 || line.rfind("ask: ", 0) == 0)
                said.push_back(line);
        return said;
    }
    void Forget()
    {
        log.clear();
        refreshes = 0;
    }
    // Fails the test when scripted answers were left unused.
    void ExpectScriptUsed() const
    {
        EXPECT_TRUE(answers.empty()) << answers.size() << " answers left unused";
    }

    int lastButtons = 0;

private:
    static bool Choose(std::deque<std::optional<std::string>>& choices, std::string& path)
    {
        if (choices.empty()) {
            ADD_FAILURE() << "unscripted file dialog";
            return false;
        }
        auto choice = choices.front();
        choices.pop_front();
        if (!choice)
            return false;
        path = *choice;
        return true;
    }
};
