#include "cli/CliCommands.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    // The program's files are found beside the executable, never in the current folder.
    const std::string addonFolder = QCoreApplication::applicationDirPath().toStdString() + "/Addon";
    // The arguments as the shell gave them: paths are bytes (UTF-8 here), not text to reinterpret.
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return RunCli(args, {addonFolder, std::cout, std::cerr});
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 2;
    }
}
