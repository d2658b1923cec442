#include "workspace/RowJournal.h"

#include "dataset/LineFile.h"
#include "fileio/AtomicWriter.h"
#include "fileio/FileError.h"
#include "fileio/FileReason.h"
#include "fileio/WriteFully.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <random>
#include <string_view>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Past this the next change starts a new base rather than a longer journal.
constexpr uint64_t kJournalLimit = 8u << 20;

std::string BaseHeader(uint64_t generation)
{
    return "Rozaro rows " + std::to_string(generation) + "\n";
}

std::string JournalHeader(uint64_t generation)
{
    return "Rozaro journal " + std::to_string(generation) + "\n";
}

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

RowJournal::RowJournal(std::string workingFolder) : m_folder(std::move(workingFolder)) {}

RowJournal::~RowJournal()
{
    Close();
}

std::string RowJournal::Path(const char* relative) const
{
    return (std::filesystem::path(m_folder) / relative).string();
}

void RowJournal::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_rows.clear();
}

void RowJournal::Restart(const std::vector<TFixedFormatDataSet::TLine>& lines)
{
    Close();
    static std::mt19937_64 random{std::random_device{}()};
    const uint64_t generation = random();
    std::string base = BaseHeader(generation);
    for (const auto& line : lines)
        base.append(line.Text).append("\n");
    // The base first: until the new journal is in place the old one names
    // the old base and is never applied to this one.
    AtomicWriter::WriteWhole(Path(BaseFile), base);
    const std::string header = JournalHeader(generation);
    AtomicWriter::WriteWhole(Path(JournalFile), header);
    m_fd = ::open(Path(JournalFile).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (m_fd < 0)
        throw EFileError(FileErrorMessage(Path(JournalFile), errno, FileAction::Write));
    m_journalSize = header.size();
    m_rows.reserve(lines.size());
    for (const auto& line : lines)
        m_rows.push_back(line.Text);
}

void RowJournal::Record(const std::vector<TFixedFormatDataSet::TLine>& lines)
{
    if (m_fd < 0 || m_journalSize > kJournalLimit) {
        Restart(lines);
        return;
    }
    // The changed stretch: what lies between the rows equal at both ends.
    const size_t held = m_rows.size(), now = lines.size();
    size_t start = 0;
    while (start < held && start < now && m_rows[start] == lines[start].Text)
        ++start;
    size_t tail = 0;
    while (tail < held - start && tail < now - start && m_rows[held - 1 - tail] == lines[now - 1 - tail].Text)
        ++tail;
    const size_t removed = held - start - tail, added = now - start - tail;
    if (removed == 0 && added == 0)
        return;
    // A piece of an entry may be left at the end: nothing more is appended
    // after it, the next change starts a new base.
    const auto fail = [this](int error) {
        Close();
        throw EFileError(FileErrorMessage(Path(JournalFile), error, FileAction::Write));
    };
    // Written out a piece at a time, so that a large import's entry never
    // stands whole in memory beside the rows it holds.
    std::string entry;
    size_t entrySize = 0;
    const auto writeOut = [&] {
        if (const int error = fileio::WriteFully(m_fd, entry))
            fail(error);
        entrySize += entry.size();
        entry.clear();
    };
    constexpr size_t kPiece = 1 << 20;
    entry.reserve(kPiece + 256);
    entry.append("R " + std::to_string(start) + " " + std::to_string(removed) + " " + std::to_string(added) +
                 "\n");
    for (size_t k = start; k < start + added; ++k) {
        entry.append(lines[k].Text).append("\n");
        if (entry.size() >= kPiece)
            writeOut();
    }
    entry += "E\n";
    writeOut();
    if (::fdatasync(m_fd) != 0)
        fail(errno);
    m_journalSize += entrySize;
    const auto at = m_rows.begin() + static_cast<std::ptrdiff_t>(start);
    m_rows.erase(at, at + static_cast<std::ptrdiff_t>(removed));
    std::vector<std::string> fresh;
    fresh.reserve(added);
    for (size_t k = start; k < start + added; ++k)
        fresh.push_back(lines[k].Text);
    m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(start), std::make_move_iterator(fresh.begin()),
                  std::make_move_iterator(fresh.end()));
}

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
