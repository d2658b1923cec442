#pragma once

#include <stdexcept>

// An error of the archive writer; its message is complete as the person sees it.
class EZipError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
