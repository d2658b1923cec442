#include "declaration/DeclarationCheck.h"

#include "dataset/DataSetErrors.h"
#include "declaration/RowValidation.h"
#include "declaration/ScratchDetailRow.h"
#include "declaration/StoredRowIndex.h"

#include <algorithm>
#include <unordered_set>

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

} // namespace

std::vector<DeclarationCheck::Problem>
DeclarationCheck::Run(const std::vector<TFixedFormatDataSet::TLine>& lines, const std::string& employerAfm,
                      Answer answer)
{
    std::vector<Problem> problems;
    RecordingUi ui(problems, answer);
    // The pairs of the rows before the one checked: only the later of two
    // rows with the same pair is the repetition.
    std::unordered_set<std::string> earlierPairs;
    earlierPairs.reserve(lines.size());

    RowValidation::Settings settings;
    settings.employerAfm = employerAfm;
    settings.newRow = true;
    settings.isStoredPair = [&earlierPairs](const std::string& afm, const std::string& typeInc) {
        return earlierPairs.count(StoredRowIndex::PairKeyOf(afm, typeInc)) != 0;
    };

    for (size_t index = 0; index < lines.size(); ++index) {
        ScratchDetailRow row(lines[index].Text);
        const std::string afm = row.Get(declaration::AFM);
        const std::string typeInc = row.Get(declaration::TypeInc);
        ui.StartRow(index, lines[index].Id, afm, row.Get(declaration::SurName));
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
        earlierPairs.insert(StoredRowIndex::PairKeyOf(afm, typeInc));
    }
    return problems;
}

bool DeclarationCheck::AnyRowRefused(const std::vector<Problem>& problems, Answer answer)
{
    return std::any_of(problems.begin(), problems.end(), [answer](const Problem& problem) {
        return problem.kind == Problem::Kind::Refusal || answer == Answer::No;
    });
}
