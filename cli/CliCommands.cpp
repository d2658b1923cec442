#include "cli/CliCommands.h"
#include "workspace/ProgramFolders.h"

#include "cli/CliSession.h"
#include "text/Cp1253.h"
#include "declaration/DeclarationCheck.h"
#include "reports/Reports.h"
#include "workspace/ZipExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

#include <algorithm>
#include <filesystem>
#include <span>
#include <string_view>

namespace {

using Arguments = std::vector<std::string>;

// An option that takes a value ("--year 2025" or "--year=2025").
struct CliOption
{
    std::string_view name;
    bool required;
};

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
    // Options with values; run() finds their values after the arguments, in
    // this order, empty for an option not given.
    std::span<const CliOption> options = {};
};

// --- the commands ---------------------------------------------------------

void WriteTotals(const Workspace& work, std::ostream& out)
{
    const Totals& totals = work.CurrentTotals();
    out << totals.Label32() << '\n';
    const Totals::Boxes edits = totals.Edits();
    for (size_t k = 0; k < edits.size(); ++k)
        out << "Edit" << k + 1 << '=' << edits[k] << '\n';
    out << std::flush;
}

ExitStatus RunCheck(CliSession& session, const Arguments& args, std::ostream& out)
{
    // Rows that cannot be summed open all the same, with their error shown,
    // and fail the check as well.
    bool summed = true;
    // A check writes nothing from the declaration it reads: there is no
    // work to keep safe.
    session.Work().SetKeepingWork(false);
    const ExitStatus opened = session.OpenDeclaration(args[0], &summed);
    if (opened != ExitOk)
        return opened;
    Workspace& work = session.Work();

    // Every row's problems, each named by its line; a question gets the
    // answer of the command line.
    const auto answer =
        session.Ui().AnswersYes() ? DeclarationCheck::Answer::Yes : DeclarationCheck::Answer::No;
    std::vector<DeclarationCheck::Problem> problems;
    const bool ran = session.Guarded(
        [&] { problems = DeclarationCheck::Run(work.FixedFormatDataSet1.Lines(), work.Header.AFM, answer); });
    for (const DeclarationCheck::Problem& problem : problems)
        session.Ui().WriteLine("Γραμμή " + std::to_string(problem.row + 1) + ": " + problem.message);
    const bool accepted = ran && !DeclarationCheck::AnyRowRefused(problems, answer);

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
    // The declaration read is the file itself until it is written anew: a
    // copy of it in the working folder would keep nothing the file does not.
    session.Work().SetKeepingWork(false);
    const ExitStatus opened = OpenForSave(session, args[0], args[1]);
    return opened == ExitOk ? session.SaveDeclarationAs(args[1]) : opened;
}

bool SortKeyValid(const Arguments& args)
{
    return args[0] == "afm" || args[0] == "alpha";
}

ExitStatus RunSort(CliSession& session, const Arguments& args, std::ostream&)
{
    // A one-shot sort keeps no copy of its rows in the working folder: the
    // file it reads stays as it is, and running the sort again gives the
    // same declaration, so such a copy would keep nothing that could be lost.
    Workspace& work = session.Work();
    work.SetKeepingWork(false);
    const ExitStatus opened = OpenForSave(session, args[1], args[2]);
    if (opened != ExitOk)
        return opened;
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
    if (!output.empty()) {
        // Asked before the long open, as a batch would rather fail at once.
        ExitStatus writable = session.CheckOutput(output, args[1]);
        if (writable == ExitOk)
            writable = session.ConfirmReplace(output);
        if (writable != ExitOk)
            return writable;
    }
    // A report changes nothing in the declaration it reads.
    session.Work().SetKeepingWork(false);
    const ExitStatus opened = session.OpenDeclaration(args[1]);
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
    return session.HandOnReport(written, reports.Page(), output, reports.Detailed(), out);
}

ExitStatus RunZip(CliSession& session, const Arguments& args, std::ostream&)
{
    const std::string archive = args.size() > 1 ? args[1] : args[0] + ".zip";
    bool packed = false;
    if (!session.Guarded([&] { packed = ZipExport::Pack(session.Ui(), args[0], archive); }))
        return ExitFailed;
    return packed ? ExitOk : ExitRefused;
}

// The header as the window's fields take it: each value at most as long as
// its place in the declaration, in the Greek code page; the postcode digits only.
struct HeaderOption
{
    std::string declaration::EmployerHeader::*field;
    size_t maxLength;
    bool digitsOnly;
};

constexpr CliOption kImportOptions[] = {{"--year", true},     {"--afm", true},      {"--name", true},
                                        {"--service", false}, {"--town", false},    {"--street", false},
                                        {"--number", false},  {"--postcode", false}};
constexpr HeaderOption kHeaderOptions[] = {
    {&declaration::EmployerHeader::YearOfData, 4, false},
    {&declaration::EmployerHeader::AFM, 9, false},
    {&declaration::EmployerHeader::CompanyName, 30, false},
    {&declaration::EmployerHeader::AntikeimenoErgasion, 16, false},
    {&declaration::EmployerHeader::Town, 10, false},
    {&declaration::EmployerHeader::Street, 16, false},
    {&declaration::EmployerHeader::Number, 5, false},
    {&declaration::EmployerHeader::TK, 5, true},
};

// Fills the header from the options; false (with a message) for a value the
// field cannot take.
bool SetHeader(CliSession& session, const Arguments& values)
{
    declaration::EmployerHeader& header = session.Work().Header;
    for (size_t k = 0; k < std::size(kHeaderOptions); ++k) {
        const QString text = QString::fromStdString(values[k]);
        std::string bytes;
        const std::string option(kImportOptions[k].name);
        const auto& rule = kHeaderOptions[k];
        if (!cp1253::fromUnicodeChecked(text, bytes)) {
            session.Ui().WriteLine("rozaro-cli: η τιμή της επιλογής " + option +
                                   " έχει χαρακτήρες που δεν γράφονται στο αρχείο της δήλωσης");
            return false;
        }
        if (bytes.size() > rule.maxLength) {
            session.Ui().WriteLine("rozaro-cli: η τιμή της επιλογής " + option + " έχει περισσότερους από " +
                                   std::to_string(rule.maxLength) + " χαρακτήρες");
            return false;
        }
        if (rule.digitsOnly && bytes.find_first_not_of("0123456789") != std::string::npos) {
            session.Ui().WriteLine("rozaro-cli: η τιμή της επιλογής " + option + " δέχεται μόνο ψηφία");
            return false;
        }
        header.*rule.field = bytes;
    }
    return true;
}

ExitStatus RunImport(CliSession& session, const Arguments& args, std::ostream&)
{
    const ExitStatus writable = session.CheckOutput(args[1], args[0]);
    if (writable != ExitOk)
        return writable;
    Workspace& work = session.Work();
    if (!session.Guarded([&] { work.StartNewDeclaration(); }))
        return ExitFailed;
    if (!SetHeader(session, Arguments(args.begin() + 2, args.end())))
        return ExitFailed;
    switch (session.ImportWorkbook(args[0])) {
    case Workspace::ImportOutcome::Imported:
        return session.SaveDeclarationAs(args[1]);
    case Workspace::ImportOutcome::Unreadable:
    case Workspace::ImportOutcome::NotWritten:
        return ExitFailed;
    default:
        return ExitRefused;
    }
}

// Whether a running program holds `folder`: its lock (the one the window
// takes at start, rozaro.lock) cannot be taken. A lock left by a program that
// died is no hold.
bool FolderInUse(const std::string& folder)
{
    QLockFile lock(QDir(QString::fromStdString(folder)).filePath(QStringLiteral("rozaro.lock")));
    lock.setStaleLockTime(0);
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

// The work a program left in a folder without closing, written as a
// declaration; the folder itself stays as it is, for the program to offer
// the work at its next start.
ExitStatus RunRecover(CliSession& session, const Arguments& args, std::ostream&)
{
    // By default the working folder the desktop program of this installation
    // uses: beside a portable copy, or the person's data folder when installed.
    const std::string folder =
        args.size() > 1
            ? args[0]
            : ProgramFolders::Choose(QCoreApplication::applicationDirPath(),
                                     QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                                         QStringLiteral("/Rozaro"),
                                     QString())
                  .working.toStdString();
    const std::string& output = args.back();
    ConsoleUi& ui = session.Ui();
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) {
        ui.WriteLine("Ο φάκελος " + folder + " δεν υπάρχει");
        return ExitFailed;
    }
    if (FolderInUse(folder)) {
        ui.WriteLine("Το πρόγραμμα εκτελείται ακόμη από τον φάκελο " + folder +
                     ": η εργασία του δεν είναι για ανάκτηση");
        return ExitRefused;
    }
    std::optional<LeftoverWork> work;
    if (!session.Guarded([&] { work = LeftoverWork::Find(folder); }))
        return ExitFailed;
    if (work && work->damaged)
        ui.WriteLine(work->reason);
    if (!work || !work->state.modified) {
        ui.WriteLine("Δεν υπάρχει εργασία για ανάκτηση στον φάκελο " + folder);
        return work && work->damaged ? ExitFailed : ExitRefused;
    }
    if (session.CheckOutput(output) != ExitOk)
        return ExitFailed;
    if (std::filesystem::exists(output, error) &&
        !ui.ConfirmDestructive("Είστε σίγουρος ότι θέλετε να αντικαταστήσετε το αρχείο " +
                               std::filesystem::path(output).filename().string() + ";"))
        return ExitRefused;
    if (!session.Guarded(
            [&] { work->WriteDeclaration(AtomicFile::DefaultFactory(), output, QDate::currentDate()); }))
        return ExitFailed;
    if (const std::string unreadable = work->UnreadableAmount(); !unreadable.empty())
        ui.WriteLine(unreadable);
    // A copy that lost anything is no success, though what it kept is written.
    std::string outcome = "Ανακτήθηκαν " + std::to_string(work->rows.size()) + " εγγραφές";
    if (work->lostRows > 0)
        outcome += "· " + std::to_string(work->lostRows) + " εγγραφές δεν ανακτήθηκαν";
    else if (work->damaged)
        outcome += "· οι αλλαγές μετά τη βλάβη δεν ανακτήθηκαν";
    ui.WriteLine(outcome);
    return work->damaged || work->lostRows > 0 ? ExitFailed : ExitOk;
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
         "που τελειώνει σε .pdf παίρνει το τυπωμένο έγγραφο σε σελίδες A4. Μια υπάρχουσα\n"
         "ΕΞΟΔΟΣ αντικαθίσταται μόνο με --yes· η ΕΞΟΔΟΣ δεν μπορεί να είναι το ΑΡΧΕΙΟ.\n",
         2, 1, ReportKindValid, RunReport},
        {"zip", "ΑΡΧΕΙΟ [ΣΥΜΠΙΕΣΜΕΝΟ]", "συμπιέζει ένα αρχείο σε αρχείο zip",
         "Γράφει το αρχείο zip που γράφει η «Δημιουργία συμπιεσμένου αρχείου (zip)»: ένα\n"
         "μέλος με το όνομα του ΑΡΧΕΙΟΥ. Το ΣΥΜΠΙΕΣΜΕΝΟ είναι, αν λείπει, το ΑΡΧΕΙΟ με\n"
         "«.zip» στο τέλος· ένα όνομα που δεν τελειώνει σε «.zip» το παίρνει. Ένα\n"
         "υπάρχον ΣΥΜΠΙΕΣΜΕΝΟ αντικαθίσταται μόνο με --yes.\n",
         1, 1, nullptr, RunZip},
        {"import",
         "ΒΙΒΛΙΟ ΝΕΟ --year ΕΤΟΣ --afm ΑΦΜ --name ΟΝΟΜΑΣΙΑ [--service ΥΠΗΡΕΣΙΑ] [--town ΠΟΛΗ] "
         "[--street ΟΔΟΣ] [--number ΑΡΙΘΜΟΣ] [--postcode ΤΚ]",
         "εισάγει τις γραμμές ενός βιβλίου εργασίας σε νέα δήλωση ΝΕΟ",
         "Ξεκινά νέα δήλωση με τα στοιχεία φορέα των επιλογών, εισάγει τις γραμμές του\n"
         "πρώτου φύλλου του ΒΙΒΛΙΟΥ (.xls, .xlsx, .ods ή .csv με ;) όπως η «Εισαγωγή\n"
         "στοιχείων από Excel» και αποθηκεύει ως ΝΕΟ, όπως η «Αποθήκευση ως...». Μια\n"
         "εισαγωγή που διακόπτεται δεν αποθηκεύεται. Ένα υπάρχον ΝΕΟ αντικαθίσταται\n"
         "μόνο με --yes· το ΝΕΟ δεν μπορεί να είναι το ΒΙΒΛΙΟ.\n",
         2, 0, nullptr, RunImport, kImportOptions},
        {"recover", "[ΦΑΚΕΛΟΣ] ΝΕΟ", "γράφει την εργασία που δεν αποθηκεύτηκε ως δήλωση ΝΕΟ",
         "Γράφει ως δήλωση ΝΕΟ την εργασία που άφησε στον ΦΑΚΕΛΟ (αν λείπει, στον φάκελο\n"
         "του προγράμματος) ένα πρόγραμμα που δεν έκλεισε κανονικά: τα στοιχεία φορέα\n"
         "όπως γράφτηκαν και κάθε αποθηκευμένη γραμμή, χωρίς τους ελέγχους της\n"
         "αποθήκευσης. Ο ΦΑΚΕΛΟΣ μένει όπως είναι· διαβάζονται μόνο κανονικά αρχεία\n"
         "μέσα του, ποτέ μέσω συνδέσμου. Γράφει πόσες εγγραφές ανακτήθηκαν και πόσες\n"
         "όχι. Κωδικός εξόδου 1 όταν δεν υπάρχει εργασία για ανάκτηση· 2 όταν το\n"
         "αντίγραφο της εργασίας βρέθηκε κατεστραμμένο: το ΝΕΟ γράφεται τότε με ό,τι\n"
         "προηγείται της βλάβης. Ένα υπάρχον ΝΕΟ αντικαθίσταται μόνο με --yes.\n",
         1, 1, nullptr, RunRecover},
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

constexpr std::string_view kOptionsHelp =
    "Επιλογές:\n"
    "  -y, --yes   απαντά «Ναι» σε κάθε ερώτηση (χωρίς αυτήν: «Όχι»)· ένα\n"
    "              αρχείο εξόδου που υπάρχει ήδη αντικαθίσταται μόνο με αυτήν,\n"
    "              σε κάθε εντολή\n"
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
           << "\nΚωδικός εξόδου: 0 επιτυχία, 1 απόρριψη της δήλωσης ή μιας γραμμής ή απάντηση\n"
              "«Όχι» (όπως σε ένα υπάρχον αρχείο εξόδου χωρίς --yes), 2 λάθος χρήση, αρχείο\n"
              "που δεν διαβάζεται ή δεν γράφεται, ή αρχείο εξόδου ίδιο με αρχείο εισόδου.\n"
              "Ο κωδικός 2 δίνεται και όταν το αρχείο εξόδου γράφτηκε στη θέση του αλλά ο\n"
              "φάκελός του δεν περάστηκε οριστικά στον δίσκο: το μήνυμα το λέει, και μια\n"
              "διακοπή ρεύματος μπορεί ακόμη να το χάσει.\n"
              "Με Ctrl+C, SIGTERM ή SIGHUP ο προσωρινός φάκελος εργασίας σβήνεται και ένα\n"
              "αρχείο εξόδου μένει όπως ήταν.\n";
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
    Arguments words;                                         // the command and its arguments
    std::vector<std::pair<std::string, std::string>> values; // options with values, as given
};

// Whether some command takes `name` as an option with a value.
bool TakesValue(std::string_view name)
{
    for (const auto& command : Commands())
        for (const auto& option : command.options)
            if (option.name == name)
                return true;
    return false;
}

CommandLine ParseCommandLine(const Arguments& args)
{
    CommandLine line;
    bool optionsEnded = false;
    for (size_t k = 0; k < args.size(); ++k) {
        const std::string& arg = args[k];
        const size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (optionsEnded || arg.size() < 2 || arg[0] != '-')
            line.words.push_back(arg);
        else if (TakesValue(name) && equals != std::string::npos)
            line.values.emplace_back(name, arg.substr(equals + 1));
        else if (TakesValue(name) && k + 1 < args.size())
            line.values.emplace_back(name, args[++k]);
        else if (TakesValue(name) && line.unknownOption.empty())
            line.unknownOption = arg; // no value follows
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

    Arguments commandArgs(line.words.begin() + 1, line.words.end());
    if (commandArgs.size() < command->argumentCount ||
        commandArgs.size() > command->argumentCount + command->optionalCount ||
        (command->argumentsValid && !command->argumentsValid(commandArgs)))
        return UsageError("λάθος ορίσματα για την εντολή " + std::string(command->name), command, env.err);
    for (const auto& [name, value] : line.values)
        if (std::none_of(command->options.begin(), command->options.end(),
                         [&](const CliOption& option) { return option.name == name; }))
            return UsageError("άγνωστη επιλογή " + name, command, env.err);
    for (const auto& option : command->options) {
        // The last value given counts, as with most tools.
        const auto given = std::find_if(line.values.rbegin(), line.values.rend(),
                                        [&](const auto& value) { return value.first == option.name; });
        if (given == line.values.rend() && option.required)
            return UsageError("λείπει η επιλογή " + std::string(option.name), command, env.err);
        commandArgs.push_back(given == line.values.rend() ? std::string() : given->second);
    }

    CliSession session(env.err, line.answerYes, env.addonFolder);
    if (!session.Start())
        return ExitFailed;
    return command->run(session, commandArgs, env.out);
}
