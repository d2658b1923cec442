#include "cli/CliCommands.h"
#include "cli/ExitStatus.h"
#include "workspace/ProgramFolders.h"
#include "cli/InterruptCleanup.h"

#include <QGuiApplication>

#include <csignal>
#include <iostream>

int main(int argc, char* argv[])
{
    // A reader that closes the pipe early (`rozaro-cli check ... | head -1`)
    // must not kill the run before its private folder is removed.
    std::signal(SIGPIPE, SIG_IGN);
    interruptcleanup::Install();
    // Reports are laid out and printed to PDF with Qt's text engine, which
    // needs a platform; the console front never shows a window, so it takes
    // the one that needs no display unless the caller chose another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder, font lookups) are no result
    // of the command: a batch job reads only the program's messages.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::cerr << message.toStdString() << '\n';
    });
    QGuiApplication app(argc, argv);
    // The program's files are found beside the executable, never in the current folder.
    const std::string addonFolder =
        ProgramFolders::Choose(QCoreApplication::applicationDirPath(), QString(), QString())
            .resources.toStdString() +
        "/Addon";
    // The arguments as the shell gave them: paths are bytes (UTF-8 here), not text to reinterpret.
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = ExitFailed;
    try {
        status = RunCli(args, {addonFolder, std::cout, std::cerr});
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return ExitFailed;
    }
    // Results that did not reach their reader are no success.
    if (!std::cout.flush() && status == ExitOk) {
        std::cerr << "rozaro-cli: η τυπική έξοδος δεν μπορεί να γραφτεί\n";
        return ExitFailed;
    }
    return status;
}
