#pragma once

#include <QWidget>

#include <array>

class QLabel;
class QPushButton;
class QTextBrowser;

// The user manual: a window of its own beside the main window, with three
// topics on the left that load the help pages of the program's Help folder
// into the viewer on the right, and a button that prints the page shown.
class TUserManual : public QWidget
{
    Q_OBJECT
public:
    static constexpr int ClientWidth = 944;
    static constexpr int ClientHeight = 638;
    static constexpr const char* PrintFailure =
        "Υπήρξε ένα πρόβλημα κατά την εκτύπωση. Βεβαιωθείτε ότι έχετε ορίσει κάποιον εκτυπωτή";

    // The topics, in the order of their links.
    enum Topic { Setup, Usage, Terms };

    explicit TUserManual(const QString& programFolder, QWidget* parent = nullptr);

    // Loads a topic's page into the viewer (what its link does).
    void ShowTopic(Topic topic);
    // Loads the topic and brings the window up, restored if it was minimised.
    void Present(Topic topic);
    // The page the viewer shows.
    QUrl Page() const;
    // Prints the page shown through the print dialog.
    void Button1Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_helpFolder;
    QLabel* m_Label1 = nullptr;
    std::array<QLabel*, 3> m_links{};
    QPushButton* m_Button1 = nullptr;
    QTextBrowser* m_WebBrowser1 = nullptr;
};
