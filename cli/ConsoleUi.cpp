#include "cli/ConsoleUi.h"

ConsoleUi::ConsoleUi(std::ostream& err, bool answerYes) : m_err(err), m_answerYes(answerYes) {}

void ConsoleUi::WriteLine(const std::string& text)
{
    // Flushed at once so that the lines keep their order against standard
    // output when both go to the same place.
    m_err << m_prefix << text << '\n' << std::flush;
}

UserInterface::Answer ConsoleUi::AskWithCaptions(const std::string& message, int,
                                                 const std::vector<std::string>&)
{
    WriteLine(message);
    return m_answerYes ? Answer::Yes : Answer::No;
}

void ConsoleUi::ShowMessage(const std::string& message)
{
    WriteLine(message);
}

void ConsoleUi::ShowWarning(const std::string& message)
{
    WriteLine(message);
}

void ConsoleUi::ShowError(const std::string& message)
{
    WriteLine(message);
}

bool ConsoleUi::ChooseOpenFile(const std::string&, const std::string&, std::string& path)
{
    if (m_openPath.empty())
        return false;
    path = m_openPath;
    return true;
}

bool ConsoleUi::ChooseSaveFile(const std::string&, const std::string&, const std::string&, std::string& path)
{
    if (m_savePath.empty())
        return false;
    path = m_savePath;
    return true;
}
