#pragma once

#include <stdexcept>

// A file that could not be opened or written. The message is complete as the
// person sees it: it names the file and says why.
class EFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The new file is in place under its name, but the folder that holds it
// could not be synced: a power cut may still take the file back. The message
// says exactly that; callers must not report the file as unwritten.
class EFolderSyncError : public EFileError
{
public:
    using EFileError::EFileError;
};
