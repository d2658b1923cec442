#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// A text that should have been a number and is not. The message is the one the
// person sees (UTF-8), e.g. "'12a' is not a valid floating point value"; the
// offending text, cp1253 data, is converted when the message is built.
class EConvertError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;

    static EConvertError InvalidFloat(std::string_view cp1253Text);
    static EConvertError InvalidInteger(std::string_view cp1253Text);
};
