#pragma once

#include "reports/DetailedList.h"

#include <memory>
#include <string>

class Workspace;

// The commands of the menu "Εκτύπωση": each stores the pending row first,
// writes its report file in the program's folder and shows it in the print
// window. A refused row writes nothing; a report that cannot be prepared is
// reported with one message and leaves any earlier report file as it was.
class Reports
{
public:
    explicit Reports(Workspace& work) : m_work(work) {}

    enum class Outcome { Written, Refused, Failed };

    // The detailed payments list into Rozaro.htm; the list itself, for the
    // printed pages, stays in Detailed().
    Outcome WriteDetailed();
    std::shared_ptr<const DetailedList> Detailed() const { return m_detailed; }
    // The totals summary into Rozaro.htm.
    Outcome WriteTotals();
    // The first page of the paper form into Addon/E7FirstPageFinal.htm.
    Outcome WriteFirstPage();

    // Write, then show in the print window with the report's caption and hint.
    void PrintDetailed();
    void PrintTotals();
    void PrintFirstPage();

    // The page the last report written holds, as it was built in memory;
    // empty when none was written.
    const std::string& Page() const { return m_page; }

    std::string ReportPath() const;
    std::string FirstPagePath() const;

    static constexpr const char* FailureMessage =
        "Υπήρξε κάποιο πρόβλημα κατά την προετοιμασία της εκτύπωσης";

private:
    template <typename Build> Outcome Write(const std::string& path, Build build);
    void Show(Outcome outcome, const std::string& path, const char* caption, bool landscapeHint,
              std::shared_ptr<const DetailedList> list);

    Workspace& m_work;
    std::shared_ptr<const DetailedList> m_detailed;
    std::string m_page;
};
