#include "cli/CliCommands.h"

#include "cli/CliSession.h"
#include "workspace/Reports.h"
#include "workspace/ZipExport.h"

#include <algorithm>
#include <span>
#include <string_view>

namespace {

using Arguments = std::vector<std::string>;

// One command of the tool. New commands are one more entry in Commands().
struct CliCommand
{
    std::string_view name;
    std::string_view synopsis; // the arguments, as the usage line shows them
    std::string_view summary;  // one line for the tool's help
    std::string_view details;  // the command's own help, after its usage line
    size_t argumentCount;
    size_t optionalCount; // arguments that may follow the required ones
    // Checks the arguments beyond their count; null when any value will do.
    bool (*argumentsValid)(const Arguments& args);
    ExitStatus (*run)(CliSession& session, const Arguments& args, std::ostream& out);
};

// --- the commands ---------------------------------------------------------

void WriteTotals(const Workspace& work, std::ostream& out)
{
    out << work.Label32 << '\n';
    for (size_t k = 0; k < work.Edits.size(); ++k)
        out << "Edit" << k + 1 << '=' << work.Edits[k] << '\n';
    out << std::flush;
}

ExitStatus RunCheck(CliSession& session, const Arguments& args, std::ostream& out)
{
    // Rows that cannot be summed open all the same, with their error shown,
    // and fail the check as well.
    bool summed = true;
    const ExitStatus opened = session.OpenDeclaration(args[0], &summed);
    if (opened != ExitOk)
        return opened;
    Workspace& work = session.Work();

    bool accepted = true;
    const int rows = work.FixedFormatDataSet1.RecordCount();
    for (int index = 0; index < rows; ++index) {
        session.Ui().SetLinePrefix("Γραμμή " + std::to_string(index + 1) + ": ");
        bool passed = false;
        session.Guarded([&] { passed = work.RevalidateStoredRow(index); });
        accepted = accepted && passed;
    }
    session.Ui().SetLinePrefix({});

    bool saveChecksPassed = false;
    session.Guarded([&] { saveChecksPassed = work.ValidateForSave(); });
    WriteTotals(work, out);
    return accepted && saveChecksPassed && summed ? ExitOk : ExitRefused;
}

// The output is checked first, so that a batch fails before the long open.
ExitStatus OpenForSave(CliSession& session, const std::string& input, const std::string& output)
{
    const ExitStatus writable = session.CheckOutput(output);
    return writable == ExitOk ? session.OpenDeclaration(input) : writable;
}

ExitStatus RunResave(CliSession& session, const Arguments& args, std::ostream&)
{
    const ExitStatus opened = OpenForSave(session, args[0], args[1]);
    return opened == ExitOk ? session.SaveDeclarationAs(args[1]) : opened;
}

bool SortKeyValid(const Arguments& args)
{
    return args[0] == "afm" || args[0] == "alpha";
}

ExitStatus RunSort(CliSession& session, const Arguments& args, std::ostream&)
{
    const ExitStatus opened = OpenForSave(session, args[1], args[2]);
    if (opened != ExitOk)
        return opened;
    Workspace& work = session.Work();
    const bool byNumber = args[0] == "afm";
    bool sorted = false;
    if (!session.Guarded([&] { sorted = byNumber ? work.SortByAfm() : work.SortAlphabetically(); }) ||
        !sorted)
        return ExitRefused;
    return session.SaveDeclarationAs(args[2]);
}

bool ReportKindValid(const Arguments& args)
{
    return args[0] == "detailed" || args[0] == "totals" || args[0] == "first-page";
}

// Writes the report the program would write, then hands it on: to the
// standard output, as a copy, or printed into a PDF file.
ExitStatus RunReport(CliSession& session, const Arguments& args, std::ostream& out)
{
    const std::string output = args.size() > 2 ? args[2] : std::string();
    const ExitStatus opened =
        output.empty() ? session.OpenDeclaration(args[1]) : OpenForSave(session, args[1], output);
    if (opened != ExitOk)
        return opened;
    Reports reports(session.Work());
    const bool detailed = args[0] == "detailed";
    const bool firstPage = args[0] == "first-page";
    Reports::Outcome outcome = Reports::Outcome::Failed;
    session.Guarded([&] {
        outcome = detailed    ? reports.WriteDetailed()
                  : firstPage ? reports.WriteFirstPage()
                              : reports.WriteTotals();
    });
    if (outcome != Reports::Outcome::Written)
        return outcome == Reports::Outcome::Refused ? ExitRefused : ExitFailed;
    const std::string written = firstPage ? reports.FirstPagePath() : reports.ReportPath();
    return session.HandOnReport(written, output, detailed, out);
}

ExitStatus RunZip(CliSession& session, const Arguments& args, std::ostream&)
{
    const std::string archive = args.size() > 1 ? args[1] : args[0] + ".zip";
    bool packed = false;
    if (!session.Guarded([&] { packed = ZipExport::Pack(session.Ui(), args[0], archive); }))
        return ExitFailed;
    return packed ? ExitOk : ExitRefused;
}

std::span<const CliCommand> Commands()
{
    static const CliCommand commands[] = {
        {"check", "ΑΡΧΕΙΟ", "ελέγχει τη δήλωση και κάθε γραμμή της",
         "Ανοίγει το ΑΡΧΕΙΟ όπως το ανοίγει το πρόγραμμα, ελέγχει κάθε γραμμή σαν να\n"
         "αποθηκευόταν ξανά και κάνει τους ελέγχους της αποθήκευσης. Τα προβλήματα\n"
         "γραμμών γράφονται ως «Γραμμή N: μήνυμα». Στην τυπική έξοδο γράφει την ένδειξη\n"
         "εγγραφών και τα σύνολα Edit1=... έως Edit9=....\n",
         1, 0, nullptr, RunCheck},
        {"resave", "ΑΡΧΕΙΟ ΝΕΟ", "ανοίγει τη δήλωση και την αποθηκεύει ως ΝΕΟ",
         "Ανοίγει το ΑΡΧΕΙΟ και το αποθηκεύει ως ΝΕΟ με τους ελέγχους και τις ερωτήσεις\n"
         "της «Αποθήκευσης ως...». Ένα υπάρχον ΝΕΟ αντικαθίσταται μόνο με --yes.\n",
         2, 0, nullptr, RunResave},
        {"sort", "afm|alpha ΑΡΧΕΙΟ ΝΕΟ", "ταξινομεί τις γραμμές και αποθηκεύει ως ΝΕΟ",
         "Ανοίγει το ΑΡΧΕΙΟ, ταξινομεί τις γραμμές ανά ΑΦΜ (afm) ή αλφαβητικά (alpha)\n"
         "και αποθηκεύει ως ΝΕΟ, όπως η «Αποθήκευση ως...». Ένα υπάρχον ΝΕΟ\n"
         "αντικαθίσταται μόνο με --yes.\n",
         3, 0, SortKeyValid, RunSort},
        {"report", "detailed|totals|first-page ΑΡΧΕΙΟ [ΕΞΟΔΟΣ]",
         "γράφει μια εκτύπωση της δήλωσης (HTML ή PDF)",
         "Ανοίγει το ΑΡΧΕΙΟ και γράφει την εκτύπωση που γράφει και το πρόγραμμα: τις\n"
         "αναλυτικές αμοιβές (detailed), τα σύνολα (totals) ή την πρώτη σελίδα του\n"
         "εντύπου (first-page). Χωρίς ΕΞΟΔΟ το HTML γράφεται στην τυπική έξοδο· μια ΕΞΟΔΟΣ\n"
         "που τελειώνει σε .pdf παίρνει το τυπωμένο έγγραφο σε σελίδες A4.\n",
         2, 1, ReportKindValid, RunReport},
        {"zip", "ΑΡΧΕΙΟ [ΣΥΜΠΙΕΣΜΕΝΟ]", "συμπιέζει ένα αρχείο σε αρχείο zip",
         "Γράφει το αρχείο zip που γράφει η «Δημιουργία συμπιεσμένου αρχείου (zip)»: ένα\n"
         "μέλος με το όνομα του ΑΡΧΕΙΟΥ. Το ΣΥΜΠΙΕΣΜΕΝΟ είναι, αν λείπει, το ΑΡΧΕΙΟ με\n"
         "«.zip» στο τέλος· ένα όνομα που δεν τελειώνει σε «.zip» το παίρνει. Ένα\n"
         "υπάρχον ΣΥΜΠΙΕΣΜΕΝΟ αντικαθίσταται μόνο με --yes.\n",
         1, 1, nullptr, RunZip},
    };
    return commands;
}

const CliCommand* FindCommand(std::string_view name)
{
    const auto commands = Commands();
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [name](const CliCommand& c) { return c.name == name; });
    return found == commands.end() ? nullptr : &*found;
}

// --- the command line -----------------------------------------------------

constexpr std::string_view kOptionsHelp = "Επιλογές:\n"
                                          "  -y, --yes   απαντά «Ναι» σε κάθε ερώτηση (χωρίς αυτήν: «Όχι»)\n"
                                          "  -h, --help  αυτή η βοήθεια\n";

void WriteCommandUsage(const CliCommand& command, std::ostream& stream)
{
    stream << "Χρήση: rozaro-cli " << command.name << " [--yes] " << command.synopsis << '\n';
}

// Characters, not bytes, so that Greek argument names line up.
size_t DisplayWidth(std::string_view utf8)
{
    return static_cast<size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void WriteToolHelp(std::ostream& stream)
{
    stream << "Χρήση: rozaro-cli [--yes] ΕΝΤΟΛΗ ΟΡΙΣΜΑΤΑ...\n"
              "       rozaro-cli ΕΝΤΟΛΗ --help\n\n"
              "Επεξεργάζεται αρχεία δήλωσης χωρίς παράθυρο, με τους ελέγχους του προγράμματος.\n"
              "Μηνύματα και ερωτήσεις γράφονται στην έξοδο σφαλμάτων (stderr), ένα ανά γραμμή.\n\n"
              "Εντολές:\n";
    constexpr size_t column = 28;
    for (const auto& command : Commands()) {
        const std::string head = std::string(command.name) + " " + std::string(command.synopsis);
        const size_t width = DisplayWidth(head);
        stream << "  " << head << std::string(width < column ? column - width : 1, ' ') << command.summary
               << '\n';
    }
    stream << '\n'
           << kOptionsHelp
           << "\nΚωδικός εξόδου: 0 επιτυχία, 1 απόρριψη της δήλωσης ή μιας γραμμής,\n"
              "2 λάθος χρήση ή αρχείο που δεν διαβάζεται ή δεν γράφεται.\n";
}

void WriteCommandHelp(const CliCommand& command, std::ostream& stream)
{
    WriteCommandUsage(command, stream);
    stream << '\n' << command.details << '\n' << kOptionsHelp;
}

struct CommandLine
{
    bool help = false;
    bool answerYes = false;
    std::string unknownOption;
    Arguments words; // the command and its arguments
};

CommandLine ParseCommandLine(const Arguments& args)
{
    CommandLine line;
    bool optionsEnded = false;
    for (const auto& arg : args) {
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
            line.words.push_back(arg);
        else if (arg == "--")
            optionsEnded = true;
        else if (arg == "--help" || arg == "-h")
            line.help = true;
        else if (arg == "--yes" || arg == "-y")
            line.answerYes = true;
        else if (line.unknownOption.empty())
            line.unknownOption = arg;
    }
    return line;
}

int UsageError(const std::string& problem, const CliCommand* command, std::ostream& err)
{
    err << "rozaro-cli: " << problem << '\n';
    if (command)
        WriteCommandUsage(*command, err);
    else
        WriteToolHelp(err);
    return ExitFailed;
}

} // namespace

int RunCli(const Arguments& args, const CliEnvironment& env)
{
    CommandLine line = ParseCommandLine(args);
    const CliCommand* command = line.words.empty() ? nullptr : FindCommand(line.words.front());
    if (!line.unknownOption.empty())
        return UsageError("άγνωστη επιλογή " + line.unknownOption, command, env.err);
    if (line.words.empty()) {
        if (line.help) {
            WriteToolHelp(env.out);
            return ExitOk;
        }
        return UsageError("δεν δόθηκε εντολή", nullptr, env.err);
    }
    if (!command)
        return UsageError("άγνωστη εντολή " + line.words.front(), nullptr, env.err);
    if (line.help) {
        WriteCommandHelp(*command, env.out);
        return ExitOk;
    }

    const Arguments commandArgs(line.words.begin() + 1, line.words.end());
    if (commandArgs.size() < command->argumentCount ||
        commandArgs.size() > command->argumentCount + command->optionalCount ||
        (command->argumentsValid && !command->argumentsValid(commandArgs)))
        return UsageError("λάθος ορίσματα για την εντολή " + std::string(command->name), command, env.err);

    CliSession session(env.err, line.answerYes, env.addonFolder);
    if (!session.Start())
        return ExitFailed;
    return command->run(session, commandArgs, env.out);
}
