#pragma once

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

// The file side of the record store: a whole text file read in one go and cut
// into lines, and a whole file written back without ever leaving a half-written
// file behind. Errors are EFileError with the path and the system's reason.
class TLineFile
{
public:
    static bool Exists(const std::string& path);
    // The whole file as bytes, in one read (EFileError naming the file and why).
    static std::string ReadAll(const std::string& path);
    // Makes an empty file where none is.
    static void CreateEmpty(const std::string& path);
    // Replaces the file at `path` by `bytes`. The bytes go to a temporary file
    // in the same folder, which is renamed over the target only once every byte
    // is out; on failure the temporary file goes and the old file stays as it was.
    static void WriteAtomically(const std::string& path, std::string_view bytes);
    // Writes `bytes` over the file in place, never waiting for the disk: for
    // a file whose content is kept safe elsewhere. Written over blocks it
    // already has, a large file costs a later sync of another file nothing,
    // where a new file renamed into place would have to reach the disk
    // first; a crash may leave it part old, part new.
    static void Overwrite(const std::string& path, std::string_view bytes);

    // A NUL byte ends what the file has to say.
    static std::string_view ReadableContent(std::string_view bytes)
    {
        const void* nul = std::memchr(bytes.data(), '\0', bytes.size());
        return nul ? bytes.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - bytes.data()))
                   : bytes;
    }

    // Calls take(line) for every line of `content`. A line ends at CR LF, a lone
    // CR or a lone LF; the last line counts without a break after it, and a
    // break at the very end adds no empty line.
    template <class Take> static void ForEachLine(std::string_view content, Take&& take)
    {
        const char* p = content.data();
        const char* const end = p + content.size();
        auto find = [&](char c) {
            const void* hit = std::memchr(p, c, static_cast<size_t>(end - p));
            return hit ? static_cast<const char*>(hit) : end;
        };
        const char* nextLf = p < end ? find('\n') : end;
        const char* nextCr = p < end ? find('\r') : end;
        while (p < end) {
            if (nextLf < p)
                nextLf = find('\n');
            if (nextCr < p)
                nextCr = find('\r');
            const char* lineEnd = std::min(nextLf, nextCr);
            take(std::string_view(p, static_cast<size_t>(lineEnd - p)));
            if (lineEnd == end)
                break;
            p = lineEnd + 1;
            if (*lineEnd == '\r' && p < end && *p == '\n')
                ++p;
        }
    }

    // At least the number of lines ForEachLine will give for files broken by
    // LF or CR LF, so the line list is allocated once.
    static size_t LineCountHint(std::string_view content)
    {
        return static_cast<size_t>(std::count(content.begin(), content.end(), '\n')) + 1;
    }
};
