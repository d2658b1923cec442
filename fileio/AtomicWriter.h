#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <sys/types.h>

// Replaces a file whole or not at all. The bytes go to a new file beside the
// target (created exclusively, so nothing else is ever overwritten), every
// write is checked, the new file is synced, closed and renamed over the
// target, and the folder is synced so the rename itself survives a crash. Any
// failure removes the new file and leaves the target as it was, and is thrown
// as EFileError naming the file and the reason in Greek. When the new file is
// in place but its folder could not be synced, EFolderSyncError says that.
//
// A replaced file keeps its mode, and its owner and group where the caller
// may give them (always as root). A symbolic link is written through: the
// file it names is replaced and the link stays, unless ReplaceTarget refuses
// it. A target that exists but is not a regular file (a folder, a
// device such as /dev/full, a pipe) is refused before anything is written.
class AtomicWriter
{
public:
    // The system calls the writer makes; tests put failing ones in place.
    struct SystemCalls
    {
        int (*Open)(const char* path, int flags, mode_t mode);
        ssize_t (*Write)(int fd, const void* data, size_t size);
        ssize_t (*WriteAt)(int fd, const void* data, size_t size, off_t offset);
        int (*Sync)(int fd);
        int (*Close)(int fd);
        int (*Rename)(const char* from, const char* to);
        int (*Chown)(int fd, uid_t owner, gid_t group);
    };
    static SystemCalls& Calls();
    static const SystemCalls& RealCalls();

    // Opens the new file beside `path`; throws EFileError when it cannot.
    explicit AtomicWriter(const std::string& path);
    // Without Commit the new file goes and the target stays as it was.
    ~AtomicWriter();
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;

    void Write(std::string_view bytes);
    // Overwrites bytes already written (a header whose sizes are known only
    // at the end); the range must lie within what was written.
    void WriteAt(uint64_t offset, std::string_view bytes);
    uint64_t Size() const { return m_size; }
    // Permission bits added to those the file gets (the target's, or the usual
    // ones for a new file).
    void AddPermissions(mode_t bits) { m_extraMode |= bits; }
    // Puts the file in place. After a failure the writer is cancelled.
    void Commit();
    void Cancel() noexcept;

    // The path as the caller gave it, for messages.
    const std::string& Path() const { return m_path; }

    // For a run that a signal ends half-way: from Halt on, no writer creates
    // a new file or puts one in place (they fail instead), so the targets
    // stay as they were; RemoveUnfinished then removes the new files of every
    // writer not yet committed or cancelled. A name is registered before its
    // file is created, under the same lock, so none escapes.
    static void Halt() noexcept;
    static void RemoveUnfinished() noexcept;

    // The whole content in one step.
    static void WriteWhole(const std::string& path, std::string_view bytes);

private:
    [[noreturn]] void Fail(int error);
    void Flush();
    void WriteOut(std::string_view bytes);
    void KeepOwnerAndMode();

    std::string m_path;
    std::string m_target;
    std::string m_temporary;
    int m_fd = -1;
    uint64_t m_size = 0;
    mode_t m_mode = 0;
    mode_t m_extraMode = 0;
    uid_t m_owner = 0;
    gid_t m_group = 0;
    bool m_keepMode = false;
    std::string m_buffer;
};
