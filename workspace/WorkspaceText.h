#pragma once

#include "text/Cp1253.h"

#include <QString>
#include <string>

// Conversions the workspace's commands share at their edges.
namespace workspacetext {

// A UTF-8 path as Qt takes it.
inline QString Path(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Record text (cp1253) as the person reads it.
inline std::string ToUtf8(const std::string& cp1253Text)
{
    return cp1253::toUnicode(cp1253Text).toStdString();
}

} // namespace workspacetext
