#pragma once

#include <stdexcept>
#include <string>

// A text that should have been a number and is not. The message is the one the
// person sees, e.g. "'12a' is not a valid floating point value".
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
