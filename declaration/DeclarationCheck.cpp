#include "declaration/DeclarationCheck.h"

#include "dataset/DataSetErrors.h"
#include "declaration/RowValidation.h"
#include "declaration/SaveChecks.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoredRowIndex.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <system_error>
#include <thread>

namespace {

// Stands in for the person while a row is checked: what the checks say is
// written down against the row instead of shown, and every question gets the
// answer given up front.
class RecordingUi : public UserInterface
{
public:
    RecordingUi(std::vector<DeclarationCheck::Problem>& problems, DeclarationCheck::Answer answer)
        : m_problems(problems), m_answer(answer)
    {
    }

    void StartRow(size_t row, int32_t lineId, std::string afm, std::string surname)
    {
        m_row = row;
        m_lineId = lineId;
        m_afm = std::move(afm);
        m_surname = std::move(surname);
    }
    void Record(DeclarationCheck::Problem::Kind kind, const std::string& message)
    {
        m_problems.push_back({m_row, m_lineId, kind, m_afm, m_surname, message});
    }

    Answer AskWithCaptions(const std::string& message, int, const std::vector<std::string>&) override
    {
        Record(DeclarationCheck::Problem::Kind::Warning, message);
        return m_answer == DeclarationCheck::Answer::Yes ? Answer::Yes : Answer::No;
    }
    void ShowMessage(const std::string& message) override { Refused(message); }
    void ShowWarning(const std::string& message) override { Refused(message); }
    void ShowError(const std::string& message) override { Refused(message); }
    void Beep() override {}
    bool ChooseOpenFile(const std::string&, const std::string&, std::string&) override { return false; }
    bool ChooseSaveFile(const std::string&, const std::string&, const std::string&, std::string&) override
    {
        return false;
    }

private:
    void Refused(const std::string& message) { Record(DeclarationCheck::Problem::Kind::Refusal, message); }

    std::vector<DeclarationCheck::Problem>& m_problems;
    DeclarationCheck::Answer m_answer;
    size_t m_row = 0;
    int32_t m_lineId = 0;
    std::string m_afm;
    std::string m_surname;
};

// Checks rows [begin, end) of `lines` into `problems`. `firstOfPair[k]` is
// the first row with row k's AFM and income kind: a row is the repetition
// of an earlier one exactly when that is another row.
void CheckRows(const std::vector<TFixedFormatDataSet::TLine>& lines, size_t begin, size_t end,
               const std::vector<size_t>& firstOfPair, const std::string& employerAfm,
               DeclarationCheck::Answer answer, std::vector<DeclarationCheck::Problem>& problems)
{
    RecordingUi ui(problems, answer);
    size_t current = begin;
    RowValidation::Settings settings;
    settings.employerAfm = employerAfm;
    settings.newRow = true;
    // Asked only about the row being checked, with its own AFM and kind.
    settings.isStoredPair = [&firstOfPair, &current](const std::string&, const std::string&) {
        return firstOfPair[current] != current;
    };

    for (size_t index = begin; index < end; ++index) {
        current = index;
        ScratchDetailRow row(lines[index].Text);
        ui.StartRow(index, lines[index].Id, row.Get(declaration::AFM), row.Get(declaration::SurName));
        bool accepted = false;
        try {
            RowValidation(ui, row, accepted, settings).Run();
        } catch (const EAbort&) {
            // The refusal or the "Όχι" is on the list already.
        } catch (const std::exception& e) {
            // An amount or a number no check can read: the row cannot be
            // stored as it stands either.
            ui.ShowError(e.what());
        }
    }
}

// Below this many rows a part is not worth a thread of its own.
constexpr size_t kRowsPerPart = 8192;
constexpr size_t kMostParts = 4;

} // namespace

std::vector<DeclarationCheck::Problem>
DeclarationCheck::Run(const std::vector<TFixedFormatDataSet::TLine>& lines, const std::string& employerAfm,
                      Answer answer)
{
    // Which earlier row, if any, each row repeats depends on the lines alone,
    // so that the rows can then be checked apart from each other.
    std::vector<std::string> pairs(lines.size());
    for (size_t index = 0; index < lines.size(); ++index) {
        const ScratchDetailRow row(lines[index].Text);
        pairs[index] = StoredRowIndex::PairKeyOf(row.Get(declaration::AFM), row.Get(declaration::TypeInc));
    }
    const std::vector<size_t> firstOfPair = savechecks::FirstOfEqualKeys(pairs);
    pairs = {};

    // A large declaration is checked in parts side by side; each part keeps
    // its own list, and the lists are joined in row order.
    const size_t threads = std::max<size_t>(1, std::thread::hardware_concurrency());
    const size_t parts = std::max<size_t>(1, std::min({threads, kMostParts, lines.size() / kRowsPerPart}));
    std::vector<std::vector<Problem>> found(parts);
    std::vector<std::exception_ptr> failures(parts);
    const auto checkPart = [&](size_t part) {
        try {
            CheckRows(lines, lines.size() * part / parts, lines.size() * (part + 1) / parts, firstOfPair,
                      employerAfm, answer, found[part]);
        } catch (...) {
            failures[part] = std::current_exception();
        }
    };
    std::vector<std::thread> workers;
    for (size_t part = 1; part < parts; ++part) {
        try {
            workers.emplace_back(checkPart, part);
        } catch (const std::system_error&) {
            checkPart(part); // no thread to be had: checked here, in its turn
        }
    }
    checkPart(0);
    for (std::thread& worker : workers)
        worker.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);

    std::vector<Problem> problems = std::move(found[0]);
    for (size_t part = 1; part < parts; ++part)
        problems.insert(problems.end(), std::make_move_iterator(found[part].begin()),
                        std::make_move_iterator(found[part].end()));
    return problems;
}

bool DeclarationCheck::AnyRowRefused(const std::vector<Problem>& problems, Answer answer)
{
    return std::any_of(problems.begin(), problems.end(), [answer](const Problem& problem) {
        return problem.kind == Problem::Kind::Refusal || answer == Answer::No;
    });
}
