#pragma once

#include <string>

// Why a file could not be read or written, in words the person understands.
enum class FileAction { Read, Write };

// A target that exists but is a device, a pipe or a socket: replacing it would
// destroy it and writing into it would not store anything.
constexpr int kNotRegularFile = -1;
// A link another user put in a folder everyone may write into.
constexpr int kForeignLink = -2;

// The reason for `error` (an errno value, kNotRegularFile or kForeignLink), one Greek
// sentence; an uncommon cause is followed by the system's own text.
std::string FileReason(int error, FileAction action);

// "Το αρχείο «path» δεν μπορεί να γραφτεί (or: ανοίξει). <reason>"
std::string FileErrorMessage(const std::string& path, int error, FileAction action);

// The new file is in place, but its folder could not be synced: says so,
// with the reason.
std::string FolderSyncMessage(const std::string& path, int error);
