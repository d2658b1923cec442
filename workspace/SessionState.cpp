#include "workspace/SessionState.h"

#include "dataset/LineFile.h"
#include "text/AmountText.h"
#include "text/Cp1253.h"
#include "workspace/RowJournal.h"
#include "declaration/StoredRowIndex.h"
#include "workspace/WorkKeeper.h"

#include <filesystem>

namespace {

using declaration::EmployerHeader;

constexpr std::string_view kFirstLine = "Rozaro session 1";
constexpr std::string_view kLastLine = "end";

struct TextEntry
{
    std::string_view key;
    std::string EmployerHeader::*field;
};

constexpr TextEntry kHeaderEntries[] = {
    {"YearOfData", &EmployerHeader::YearOfData},
    {"AFM", &EmployerHeader::AFM},
    {"CompanyName", &EmployerHeader::CompanyName},
    {"Name", &EmployerHeader::Name},
    {"FatherName", &EmployerHeader::FatherName},
    {"AntikeimenoErgasion", &EmployerHeader::AntikeimenoErgasion},
    {"Town", &EmployerHeader::Town},
    {"Street", &EmployerHeader::Street},
    {"Number", &EmployerHeader::Number},
    {"TK", &EmployerHeader::TK},
};

// A value stays on its line: line breaks (a file name may hold them) and the
// escape character itself are written as %XX.
std::string Escape(std::string_view value)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == '%' || byte == 0x7F) {
            out += '%';
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> Unescape(std::string_view value)
{
    const auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string out;
    for (size_t k = 0; k < value.size(); ++k) {
        if (value[k] != '%') {
            out += value[k];
            continue;
        }
        if (k + 2 >= value.size())
            return std::nullopt;
        const int high = digit(value[k + 1]), low = digit(value[k + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        k += 2;
    }
    return out;
}

// Whether `relative` inside `folder` is a regular file reached through no link.
bool RegularInside(const std::filesystem::path& folder, const std::string& relative)
{
    std::error_code error;
    std::filesystem::path at = folder;
    for (const auto& part : std::filesystem::path(relative)) {
        at /= part;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(at, error)) || error)
            return false;
    }
    return std::filesystem::is_regular_file(std::filesystem::symlink_status(at, error));
}

} // namespace

std::string SessionState::Serialize() const
{
    std::string text(kFirstLine);
    text += '\n';
    const auto add = [&text](std::string_view key, std::string_view value) {
        text.append(key).append("=").append(Escape(value)).append("\n");
    };
    add("modified", modified ? "1" : "0");
    add("summed", summed ? "1" : "0");
    add("file", fileName);
    if (personCapsLock >= 0)
        add("capsLock", personCapsLock ? "1" : "0");
    add("NaturalPerson", header.NaturalPerson ? "1" : "0");
    for (const TextEntry& entry : kHeaderEntries)
        add(entry.key, header.*entry.field);
    text.append(kLastLine).append("\n");
    return text;
}

std::optional<SessionState> SessionState::Parse(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt; // every line of a whole state ends
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    if (lines.size() < 2 || lines.front() != kFirstLine || lines.back() != kLastLine)
        return std::nullopt;
    SessionState state;
    for (size_t k = 1; k + 1 < lines.size(); ++k) {
        const size_t equals = lines[k].find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        const std::string_view key = lines[k].substr(0, equals);
        const std::optional<std::string> value = Unescape(lines[k].substr(equals + 1));
        if (!value)
            return std::nullopt;
        if (key == "modified")
            state.modified = *value == "1";
        else if (key == "summed")
            state.summed = *value == "1";
        else if (key == "capsLock")
            state.personCapsLock = *value == "1" ? 1 : 0;
        else if (key == "file")
            state.fileName = *value;
        else if (key == "NaturalPerson")
            state.header.NaturalPerson = *value == "1";
        for (const TextEntry& entry : kHeaderEntries)
            if (key == entry.key)
                state.header.*entry.field = *value;
    }
    return state;
}

bool SessionState::operator==(const SessionState& other) const
{
    return Serialize() == other.Serialize();
}

std::optional<LeftoverWork> LeftoverWork::Find(const std::string& workingFolder)
{
    WorkKeeper::Recovered kept = WorkKeeper::Recover(workingFolder);
    if (!kept.files.empty()) {
        LeftoverWork work;
        if (kept.found) {
            work.state = std::move(kept.state);
            work.rows = std::move(kept.rows);
        }
        work.lostRows = kept.lostRows;
        work.damaged = kept.damaged;
        work.reason = std::move(kept.reason);
        work.keptFiles = std::move(kept.files);
        return work;
    }

    // The files of a program that kept its work before the keeper: read
    // only when each is a regular file reached without a link.
    const std::filesystem::path folder(workingFolder);
    if (!RegularInside(folder, StateFile))
        return std::nullopt;
    std::optional<SessionState> state =
        SessionState::Parse(TLineFile::ReadAll((folder / StateFile).string()));
    if (!state)
        return std::nullopt;
    LeftoverWork work;
    work.state = *state;
    if (RegularInside(folder, RowJournal::BaseFile)) {
        if (std::optional<std::vector<std::string>> rows = RowJournal::Replay(workingFolder)) {
            int32_t id = 0;
            for (std::string& text : *rows)
                work.rows.push_back({std::move(text), ++id});
            return work;
        }
    }
    const std::string rowsPath = (folder / "temp/record2").string();
    if (RegularInside(folder, "temp/record2")) {
        // Read as the detail store reads its file, changing nothing.
        TFixedFormatDataSet rows("FixedFormatDataSet1");
        rows.SetFileName(rowsPath);
        rows.SetSchema(declaration::DetailSchema());
        rows.SetReadOnly(true);
        rows.Open();
        work.rows = rows.Lines();
        rows.Close();
    }
    return work;
}

std::string LeftoverWork::UnreadableAmount() const
{
    for (size_t k = 0; k < rows.size(); ++k) {
        const std::string_view line = rows[k].Text;
        const std::string_view kind = declaration::DetailFieldText(line, declaration::TypeInc);
        if (kind == "15" || kind == "16")
            continue; // never summed
        for (const declaration::TotalSlot& slot : declaration::TotalsLayout()) {
            const std::string_view field = declaration::DetailFieldText(line, slot.field);
            long double value = 0;
            if (!field.empty() && !amount::TryStrToFloat(field, value))
                return "Η εγγραφή " + std::to_string(k + 1) +
                       " της εργασίας που ανακτήθηκε έχει ποσό που δεν διαβάζεται: «" +
                       cp1253::toUnicode(field).toStdString() + "»";
        }
    }
    return {};
}

Totals LeftoverWork::SummedTotals() const
{
    const std::string count = std::to_string(rows.size()) + " Εγγραφές";
    if (!state.summed)
        return Totals(Totals::Boxes{}, count);
    StoredRowIndex index;
    index.Sync(rows);
    Totals::Boxes edits;
    try {
        const std::array<long double, Totals::BoxCount> sums = index.Totals();
        for (size_t box = 0; box < sums.size(); ++box)
            edits[box] = amount::FormatAmount(sums[box]);
    } catch (const std::exception&) {
        // The pass stops at an unreadable amount with the count alone shown.
        return Totals(Totals::Boxes{}, count);
    }
    return Totals(edits, count + "-" + std::to_string(index.DistinctAfmCount()) + " μοναδικοί ΑΦΜ");
}

void LeftoverWork::WriteDeclaration(const AtomicFile::Factory& factory, const std::string& path,
                                    const QDate& today) const
{
    const Totals::Boxes totals = SummedTotals().Edits();
    AtomicFile::Write(factory, QString::fromStdString(path), [&](QIODevice& out) {
        declaration::WriteDeclaration(out, today, state.header, totals, rows);
    });
}
