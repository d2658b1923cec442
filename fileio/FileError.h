#pragma once

#include <stdexcept>

// A file that could not be opened or written. The message is complete as the
// person sees it: it names the file and says why.
class EFileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
