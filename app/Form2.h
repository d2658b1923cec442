#pragma once

#include <QDialog>

// The wait window: shown without being modal while a long pass (saving, a
// sort) runs, so the person sees that the program works and not hangs.
class TForm2 : public QDialog
{
    Q_OBJECT
public:
    static constexpr const char* WaitText = "Παρακαλώ περιμένετε";

    explicit TForm2(QWidget* parent = nullptr);

    // Shows the window centred on the screen and paints it at once: the work
    // that follows keeps the event loop busy.
    void ShowNow();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
