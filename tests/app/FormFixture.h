#pragma once

#include "app/Form1.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <deque>
#include <string>
#include <vector>

// Runs `onModal` at the first turn of the event loop inside `act` (the loop of
// the modal window that `act` opens) and never after `act` has returned: the
// timer is this call's own, so a window that did not come cannot leave it
// behind to fire later, into the next call's window, with references to
// locals that are gone.
template <typename OnModal, typename Act> void DuringModal(OnModal&& onModal, Act&& act)
{
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, onModal);
    timer.start(0);
    act();
}

// A program folder of its own for each window under test, with the
// income-kind list the window opens at start.
class ProgramFolder
{
public:
    ProgramFolder()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("Addon"));
        QFile::copy(QStringLiteral(ROZARO_SOURCE_DIR "/resources/Addon/typeofinc.txt"),
                    m_dir.filePath(QStringLiteral("Addon/typeofinc.txt")));
    }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// The main window with the person replaced: questions are answered from a
// queue, beeps and reports are counted instead of shown.
class RecordingForm : public TForm1
{
public:
    using TForm1::TForm1;

    std::deque<Answer> answers;
    std::vector<std::string> questions;
    std::vector<std::vector<std::string>> captions;
    std::vector<std::string> errors;
    std::vector<std::string> messages;
    int beeps = 0;

    Answer AskWithCaptions(const std::string& message, int, const std::vector<std::string>& given) override
    {
        questions.push_back(message);
        captions.push_back(given);
        if (answers.empty()) {
            return Answer::Cancel;
        }
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void ShowMessage(const std::string& message) override { messages.push_back(message); }
    void ShowWarning(const std::string& message) override { messages.push_back(message); }
    void Beep() override { ++beeps; }
};
