#pragma once

#include "cli/ConsoleUi.h"
#include "cli/ExitStatus.h"
#include "workspace/Workspace.h"

#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <ostream>
#include <string>

// One run of a command: a workspace of its own in a private program folder
// (so that several batch jobs never share temp/), with a copy of the Addon
// folder that sits beside the executable, driven through the console.
class CliSession
{
public:
    CliSession(std::ostream& err, bool answerYes, const std::string& addonFolder);
    ~CliSession();
    CliSession(const CliSession&) = delete;
    CliSession& operator=(const CliSession&) = delete;

    ConsoleUi& Ui() { return m_ui; }
    Workspace& Work() { return *m_workspace; }

    // Sets the workspace up in its folder; false (with a message) when the
    // private folder cannot be made.
    bool Start();

    // Opens `path` exactly as the program opens a declaration. ExitOk when the
    // declaration is open; ExitFailed for a file that cannot be read; ExitRefused
    // when the program refuses it (its message is already written). `summed`,
    // when given, says whether the open rows could be summed into totals.
    ExitStatus OpenDeclaration(const std::string& path, bool* summed = nullptr);

    // Imports the rows of the workbook at `path` as the program's import
    // command does, the file chosen being `path`. Unreadable, with a message,
    // also for a file that is missing or no file.
    Workspace::ImportOutcome ImportWorkbook(const std::string& path);

    // ExitFailed (with a message) when nothing can be written to `path`, or
    // when `path` is the file `input` names (also through a link or another
    // spelling): writing there would destroy what the command reads.
    ExitStatus CheckOutput(const std::string& path, const std::string& input = {});

    // For an output the command writes without the save's own question: when
    // `path` exists, asks the save's question; ExitRefused unless answered yes.
    ExitStatus ConfirmReplace(const std::string& path);

    // Save as to `path`, with the program's checks and questions. ExitOk when
    // the file was written; ExitRefused when a check or a question stopped it;
    // ExitFailed when the file could not be written.
    ExitStatus SaveDeclarationAs(const std::string& path);

    // Hands a written report on: its `page` as built in memory to `out` when
    // `output` is empty, as a PDF when `output` ends in ".pdf" (the detailed
    // list printed from `list`, on turned paper, else the file `report`),
    // otherwise as a copy of `page` (with the form's pictures beside it).
    ExitStatus HandOnReport(const std::string& report, const std::string& page, const std::string& output,
                            const std::shared_ptr<const DetailedList>& list, std::ostream& out);

    // Runs a workspace step; an error that escapes it is reported like the
    // program's error report (a silent refusal shows nothing). Returns whether
    // the step ran to its end.
    bool Guarded(const std::function<void()>& step);

private:
    QTemporaryDir m_folder;
    ConsoleUi m_ui;
    std::string m_addonFolder;
    std::unique_ptr<Workspace> m_workspace;
};
