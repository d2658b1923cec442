#pragma once

#include "fileio/FileError.h"

#include <stdexcept>
#include <string>

// An error of the record store. The message is complete as the person sees it:
// errors a store raises about itself carry its name in front ("%s: %s").
class EDatabaseError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The silent refusal: a hook that raises it stops the operation, and whoever
// reports errors to the person shows nothing for it.
class EAbort : public std::runtime_error
{
public:
    EAbort() : std::runtime_error("Operation aborted") {}
};
