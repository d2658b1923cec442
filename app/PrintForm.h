#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

class DetailedList;

class ListView;
class QLabel;
class QPrinter;
class QPushButton;
class QTextBrowser;

// The print window: one report file shown as the page it prints, a hint to
// turn the paper for the wide list, and the buttons that print it or save it
// as PDF. One instance serves every report.
class TPrintForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 1000;
    static constexpr int ClientHeight = 672;
    static constexpr const char* LandscapeHint =
        "Για σωστή εκτύπωση επιλέξτε οριζόντιο προσανατολισμό (landscape) ";
    static constexpr const char* PrintFailure =
        "Υπήρξε ένα πρόβλημα κατά την εκτύπωση. Βεβαιωθείτε ότι έχετε ορίσει κάποιον εκτυπωτή";

    explicit TPrintForm(QWidget* parent = nullptr);

    // Shows the report file `path` with `caption` and the landscape hint shown
    // or hidden; returns when the person closes the window. `list` is the
    // detailed list the file holds (none for the other reports): its pages
    // are shown and printed from it. Throws when the file cannot be read.
    void ShowReport(const QString& path, const QString& caption, bool landscapeHint,
                    std::shared_ptr<const DetailedList> list = nullptr);
    // The same without showing the window.
    void LoadReport(const QString& path, const QString& caption, bool landscapeHint,
                    std::shared_ptr<const DetailedList> list = nullptr);
    // A detailed list of up to this many rows is shown as text in the viewer,
    // where a screen reader reads it; a longer one as its painted pages,
    // because laying out tens of thousands of table rows as text takes minutes.
    static constexpr size_t BrowserListRows = 2000;
    void SetBrowserListRows(size_t rows) { m_browserListRows = rows; }

    // Asks for the printer (the platform's print dialog); replaceable in tests.
    std::function<bool(QPrinter&)> ChoosePrinter;
    // Asks for the PDF file to write (empty: cancelled); replaceable in tests.
    std::function<QString(const QString& proposed)> ChoosePdfFile;

    void Button1Click();
    void SavePdfClick();

private:
    void ShowProblem(const QString& message);

    QLabel* m_Label1 = nullptr;
    QTextBrowser* m_WebBrowser1 = nullptr;
    ListView* m_list = nullptr; // a long detailed list, shown instead of the viewer
    size_t m_browserListRows = BrowserListRows;
    QPushButton* m_Button1 = nullptr;
    QPushButton* m_SavePdf = nullptr;
    QString m_path;
    std::shared_ptr<const DetailedList> m_detailed; // the list the shown file was written from
    bool m_landscape = false;                       // the report is the wide list, printed turned
};
