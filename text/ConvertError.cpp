#include "text/ConvertError.h"

#include "text/Cp1253.h"

namespace {

std::string quoted(std::string_view cp1253Text, const char* what)
{
    return "'" + cp1253::toUnicode(cp1253Text).toStdString() + "' is not a valid " + what;
}

} // namespace

EConvertError EConvertError::InvalidFloat(std::string_view cp1253Text)
{
    return EConvertError(quoted(cp1253Text, "floating point value"));
}

EConvertError EConvertError::InvalidInteger(std::string_view cp1253Text)
{
    return EConvertError(quoted(cp1253Text, "integer value"));
}
