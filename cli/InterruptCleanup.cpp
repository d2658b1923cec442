#include "cli/InterruptCleanup.h"

#include "fileio/AtomicWriter.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace interruptcleanup {
namespace {

struct Registered
{
    std::mutex mutex;
    std::string folder;
};

// Never destroyed: the signal thread may still look while the program exits.
Registered& registered()
{
    static auto* instance = new Registered;
    return *instance;
}

std::atomic<bool> interrupted{false};

// The main thread runs on while its folder is taken away under it: the
// files it then fails to find must neither end the run with an exit status
// of their own nor print errors the person did not cause.
void holdIfInterrupted()
{
    while (interrupted.load())
        pause();
}

void silenceOutput()
{
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0)
        return;
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    close(null);
}

sigset_t terminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&set, signal);
    return set;
}

void removeFolder(const std::string& folder)
{
    // The main thread goes on writing into the folder meanwhile, so a file
    // made after the walk leaves it standing: a few more rounds take it.
    namespace fs = std::filesystem;
    for (int round = 0; round < 100; ++round) {
        std::error_code error;
        fs::remove_all(folder, error);
        if (!fs::exists(folder, error))
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

[[noreturn]] void waitAndClean(sigset_t set)
{
    int signal = 0;
    while (sigwait(&set, &signal) != 0) {
    }
    interrupted.store(true);
    silenceOutput();
    // From here on the main thread, which runs on, puts no file in place and
    // starts none: every target stays as it was.
    AtomicWriter::Halt();
    std::string folder;
    {
        const std::lock_guard lock(registered().mutex);
        folder = registered().folder;
    }
    if (!folder.empty())
        removeFolder(folder);
    // Last, just before the end: a file being written beside its target goes
    // too, whenever the main thread made it.
    AtomicWriter::RemoveUnfinished();
    // Ends the way the signal ends a program, so the caller (a shell, a
    // batch) sees what stopped the run.
    std::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    raise(signal);
    _exit(128 + signal);
}

} // namespace

void Install()
{
    const sigset_t set = terminationSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::atexit(holdIfInterrupted);
    std::thread(waitAndClean, set).detach();
}

void SetFolder(const std::string& path)
{
    const std::lock_guard lock(registered().mutex);
    registered().folder = path;
}

} // namespace interruptcleanup
