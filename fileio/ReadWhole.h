#pragma once

#include <string>

namespace fileio {

// The whole of the file at `path`, through interruptions and short reads.
// Throws EFileError naming the file and the system's reason in Greek: a read
// that fails halfway is a failure, never a shorter file.
std::string ReadWhole(const std::string& path);

} // namespace fileio
