#include "cli/CliCommands.h"
#include "cli/ExitStatus.h"
#include "cli/InterruptCleanup.h"
#include "workspace/ProgramFolders.h"

#include <QGuiApplication>

#include <csignal>
#include <iostream>
#include <memory>

namespace {

// Only a PDF is laid out with Qt's text engine and its fonts; every other
// command is plain reading and writing, and starts without loading a
// platform, whose failure to load would end the run before it began.
bool MakesPdf(int argc, char* argv[])
{
    for (int k = 1; k < argc; ++k) {
        if (QString::fromLocal8Bit(argv[k]).endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // A reader that closes the pipe early (`rozaro-cli check ... | head -1`)
    // must not kill the run before its private folder is removed.
    std::signal(SIGPIPE, SIG_IGN);
    interruptcleanup::Install();
    // A PDF is laid out and printed with Qt's text engine, which needs a
    // platform; the console front never shows a window, so it takes the one
    // that needs no display unless the caller chose another.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes (a missing runtime folder, font lookups) are no result
    // of the command: a batch job reads only the program's messages.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::cerr << message.toStdString() << '\n';
    });
    const std::unique_ptr<QCoreApplication> app(MakesPdf(argc, argv) ? new QGuiApplication(argc, argv)
                                                                     : new QCoreApplication(argc, argv));
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
