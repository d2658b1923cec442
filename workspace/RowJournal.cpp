#include "workspace/RowJournal.h"

#include "dataset/LineFile.h"

#include <charconv>
#include <filesystem>
#include <string_view>

namespace {

// Takes the next whole line off `text`; false when none ends there.
bool TakeLine(std::string_view& text, std::string_view& line)
{
    const size_t end = text.find('\n');
    if (end == std::string_view::npos)
        return false;
    line = text.substr(0, end);
    text.remove_prefix(end + 1);
    return true;
}

bool TakeNumber(std::string_view& text, size_t& number)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc())
        return false;
    text.remove_prefix(static_cast<size_t>(end - text.data()));
    return true;
}

// Applies the journal's whole entries to `rows`; an entry cut short, and
// everything after it, is left out.
void ApplyEntries(std::string_view journal, std::vector<std::string>& rows)
{
    std::string_view line;
    while (TakeLine(journal, line)) {
        size_t start = 0, removed = 0, added = 0;
        if (line.substr(0, 1) != "R")
            return;
        line.remove_prefix(1);
        if (!TakeNumber(line, start) || !TakeNumber(line, removed) || !TakeNumber(line, added) ||
            !line.empty() || start > rows.size() || removed > rows.size() - start)
            return;
        std::vector<std::string> lines;
        for (size_t k = 0; k < added; ++k) {
            if (!TakeLine(journal, line))
                return;
            lines.emplace_back(line);
        }
        if (!TakeLine(journal, line) || line != "E")
            return;
        const auto at = rows.begin() + static_cast<std::ptrdiff_t>(start);
        rows.erase(at, at + static_cast<std::ptrdiff_t>(removed));
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(start), lines.begin(), lines.end());
    }
}

} // namespace

std::optional<std::vector<std::string>> RowJournal::Replay(const std::string& workingFolder)
{
    const std::filesystem::path folder(workingFolder);
    const std::string basePath = (folder / BaseFile).string();
    if (!TLineFile::Exists(basePath))
        return std::nullopt;
    const std::string base = TLineFile::ReadAll(basePath);
    std::string_view text = base;
    std::string_view header;
    if (!TakeLine(text, header) || header.substr(0, 12) != "Rozaro rows ")
        return std::nullopt;
    const std::string generation(header.substr(12));
    std::vector<std::string> rows;
    std::string_view line;
    while (TakeLine(text, line))
        rows.emplace_back(line);

    const std::string journalPath = (folder / JournalFile).string();
    if (!TLineFile::Exists(journalPath) || std::filesystem::is_symlink(journalPath))
        return rows;
    const std::string journal = TLineFile::ReadAll(journalPath);
    text = journal;
    if (TakeLine(text, header) && header == "Rozaro journal " + generation)
        ApplyEntries(text, rows);
    return rows;
}
