#include "FormFixture.h"
#include "app/QuestionBox.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

using Answer = UserInterface::Answer;
constexpr int YesNo = UserInterface::YesButton | UserInterface::NoButton;
constexpr int YesNoCancel = YesNo | UserInterface::CancelButton;

// What the person sees of an open box: its buttons from left to right.
QStringList buttonTexts(QMessageBox* box)
{
    QList<QAbstractButton*> buttons = box->buttons();
    std::sort(buttons.begin(), buttons.end(), [](QAbstractButton* a, QAbstractButton* b) {
        return a->mapToGlobal(QPoint()).x() < b->mapToGlobal(QPoint()).x();
    });
    QStringList texts;
    for (QAbstractButton* button : buttons) {
        if (button->isVisible()) {
            texts << button->text();
        }
    }
    return texts;
}

// Acts on the box as soon as it is open, the way a person would. The caller
// holds the watch for as long as its locals live: a box that never came must
// not leave it running into the next test, acting there with dead references.
[[nodiscard]] std::unique_ptr<QTimer> whenBoxOpens(const std::function<void(QMessageBox*)>& act)
{
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(10);
    QObject::connect(timer.get(), &QTimer::timeout, [watch = timer.get(), act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        watch->stop();
        act(box);
    });
    timer->start();
    return timer;
}

// A short message must not make the box so narrow that the frame cuts its
// title: the box leaves room for the title in bold and the frame's buttons.
bool hasRoomForItsTitle(const QMessageBox* box)
{
    QFont bold = box->font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    return box->width() >= metrics.horizontalAdvance(box->windowTitle()) + 3 * metrics.height();
}

QString utf8(const char* text)
{
    return QString::fromUtf8(text);
}

} // namespace

class TestQuestionBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void threeCaptionsOnTwoButtonsUseTheFirstTwo();
    void twoCaptionsOnThreeButtonsLeaveTheThirdStandard();
    void buttonsStandLeftToRightWhateverTheDesktopPrefers();
    void eachButtonGivesItsAnswer_data();
    void eachButtonGivesItsAnswer();
    void escapeAndCloseAnswerCancel_data();
    void escapeAndCloseAnswerCancel();
    void boxIsCaptionedWithTheTitleAndShowsNoIcon();
    void markupInTheMessageShowsAsTyped();
    void mainWindowAsksThroughTheBox();
    void mainWindowIsActiveAgainWhenABoxCloses();
    void reportsAreBoxesWithOneOkButton_data();
    void reportsAreBoxesWithOneOkButton();
};

void TestQuestionBox::threeCaptionsOnTwoButtonsUseTheFirstTwo()
{
    QStringList seen;
    const auto answering = whenBoxOpens([&](QMessageBox* box) {
        seen = buttonTexts(box);
        box->button(QMessageBox::No)->click();
    });
    {
        QuestionBox box(utf8(TForm1::ApplicationTitle), "Είστε σίγουρος;", YesNo, {"Ναι", "Όχι", "Άκυρο"});
        QCOMPARE(box.Ask(), Answer::No);
    }
    QCOMPARE(seen, QStringList({utf8("Ναι"), utf8("Όχι")}));
}

void TestQuestionBox::twoCaptionsOnThreeButtonsLeaveTheThirdStandard()
{
    QStringList seen;
    QString standardCancel;
    const auto answering = whenBoxOpens([&](QMessageBox* box) {
        seen = buttonTexts(box);
        QMessageBox probe;
        standardCancel = probe.addButton(QMessageBox::Cancel)->text();
        box->button(QMessageBox::Yes)->click();
    });
    QuestionBox box(utf8(TForm1::ApplicationTitle), "Δημιουργία νέου αρχείου;", YesNoCancel, {"Ναι", "Όχι"});
    QCOMPARE(box.Ask(), Answer::Yes);
    QCOMPARE(seen, QStringList({utf8("Ναι"), utf8("Όχι"), standardCancel}));
}

// A desktop that orders dialog buttons the other way round.
class ReversedButtonsStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonLayout) {
            return QDialogButtonBox::GnomeLayout;
        }
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void TestQuestionBox::buttonsStandLeftToRightWhateverTheDesktopPrefers()
{
    QApplication::setStyle(new ReversedButtonsStyle);
    QStringList seen;
    const auto answering = whenBoxOpens([&](QMessageBox* box) {
        seen = buttonTexts(box);
        box->button(QMessageBox::Cancel)->click();
    });
    QuestionBox box(utf8(TForm1::ApplicationTitle), "Έχετε κάνει αλλαγές. Θέλετε να αποθηκευτούν σε αρχείο;",
                    YesNoCancel, {"Ναι", "Όχι", "Άκυρο"});
    QCOMPARE(box.Ask(), Answer::Cancel);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QCOMPARE(seen, QStringList({utf8("Ναι"), utf8("Όχι"), utf8("Άκυρο")}));
}

void TestQuestionBox::eachButtonGivesItsAnswer_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("answer");
    QTest::newRow("yes") << int(QMessageBox::Yes) << int(Answer::Yes);
    QTest::newRow("no") << int(QMessageBox::No) << int(Answer::No);
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << int(Answer::Cancel);
}

void TestQuestionBox::eachButtonGivesItsAnswer()
{
    QFETCH(int, button);
    QFETCH(int, answer);
    const auto answering =
        whenBoxOpens([&](QMessageBox* box) { box->button(QMessageBox::StandardButton(button))->click(); });
    QuestionBox box(utf8(TForm1::ApplicationTitle), "?", YesNoCancel, {"Ναι", "Όχι", "Άκυρο"});
    QCOMPARE(int(box.Ask()), answer);
    // The numeric results of the standard dialog.
    QCOMPARE(int(Answer::Yes), 6);
    QCOMPARE(int(Answer::No), 7);
    QCOMPARE(int(Answer::Cancel), 2);
}

void TestQuestionBox::escapeAndCloseAnswerCancel_data()
{
    QTest::addColumn<int>("buttons");
    QTest::addColumn<bool>("escape");
    QTest::newRow("yes/no, Esc") << YesNo << true;
    QTest::newRow("yes/no, closed") << YesNo << false;
    QTest::newRow("yes/no/cancel, Esc") << YesNoCancel << true;
    QTest::newRow("yes/no/cancel, closed") << YesNoCancel << false;
}

void TestQuestionBox::escapeAndCloseAnswerCancel()
{
    QFETCH(int, buttons);
    QFETCH(bool, escape);
    const auto answering = whenBoxOpens([escape](QMessageBox* box) {
        if (escape) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            box->close();
        }
    });
    QuestionBox box(utf8(TForm1::ApplicationTitle), "Είστε σίγουρος;", buttons, {"Ναι", "Όχι"});
    QCOMPARE(box.Ask(), Answer::Cancel);
}

void TestQuestionBox::boxIsCaptionedWithTheTitleAndShowsNoIcon()
{
    QString title;
    QMessageBox::Icon icon = QMessageBox::Critical;
    QString text;
    QStringList buttonIcons;
    bool titleRoom = false;
    const auto answering = whenBoxOpens([&](QMessageBox* box) {
        title = box->windowTitle();
        titleRoom = hasRoomForItsTitle(box);
        icon = box->icon();
        text = box->text();
        for (QAbstractButton* button : box->buttons()) {
            if (!button->icon().isNull()) {
                buttonIcons << button->text();
            }
        }
        box->button(QMessageBox::Yes)->click();
    });
    QuestionBox box(utf8(TForm1::ApplicationTitle), "Δημιουργία νέου αρχείου;", YesNo, {"Ναι", "Όχι"});
    box.Ask();
    QCOMPARE(title, utf8("Οριστική Δήλωση Φόρου Μισθωτών Υπηρεσιών"));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QVERIFY(titleRoom);
    QVERIFY(buttonIcons.isEmpty());
    QCOMPARE(text, utf8("Δημιουργία νέου αρχείου;"));
}

void TestQuestionBox::markupInTheMessageShowsAsTyped()
{
    QuestionBox box(utf8(TForm1::ApplicationTitle), "Ο ΑΦΜ: <b>1</b>;", YesNo, {"Ναι", "Όχι"});
    QCOMPARE(box.textFormat(), Qt::PlainText);
}

void TestQuestionBox::mainWindowAsksThroughTheBox()
{
    ProgramFolder folder;
    TForm1 form(folder.path());
    QStringList seen;
    QWidget* parent = nullptr;
    const auto answering = whenBoxOpens([&](QMessageBox* box) {
        seen = buttonTexts(box);
        parent = box->parentWidget();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    const Answer answer = form.AskWithCaptions("Είστε σίγουρος;", YesNo, {"Ναι", "Όχι", "Άκυρο"});
    QCOMPARE(answer, Answer::Cancel);
    QCOMPARE(seen, QStringList({utf8("Ναι"), utf8("Όχι")}));
    QCOMPARE(parent, &form);
}

// Without a window manager nothing hands the activation back, and the
// menu shortcuts work only in the active window.
void TestQuestionBox::mainWindowIsActiveAgainWhenABoxCloses()
{
    ProgramFolder folder;
    TForm1 form(folder.path());
    form.show();
    QWidget elsewhere;
    // Another window is active when the box opens and gone when it closes,
    // so no window is active any more unless the main window asks for it.
    auto leaveNoWindowActive = [&](const std::function<void(QMessageBox*)>& close) {
        elsewhere.show();
        QApplication::setActiveWindow(&elsewhere);
        return whenBoxOpens([&elsewhere, close](QMessageBox* box) {
            elsewhere.hide();
            QApplication::setActiveWindow(nullptr);
            close(box);
        });
    };

    const auto escaping = leaveNoWindowActive([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
    QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
    form.AskWithCaptions("Είστε σίγουρος;", YesNo, {"Ναι", "Όχι"});
    QTRY_COMPARE(QApplication::activeWindow(), &form);

    const auto confirming =
        leaveNoWindowActive([](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
    QTRY_COMPARE(QApplication::activeWindow(), &elsewhere);
    form.ShowMessage("Λάθος ΑΦΜ Υπόχρεου");
    QTRY_COMPARE(QApplication::activeWindow(), &form);
}

void TestQuestionBox::reportsAreBoxesWithOneOkButton_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("icon");
    QTest::newRow("message") << 0 << int(QMessageBox::NoIcon);
    QTest::newRow("warning") << 1 << int(QMessageBox::Warning);
    QTest::newRow("error") << 2 << int(QMessageBox::Critical);
}

void TestQuestionBox::reportsAreBoxesWithOneOkButton()
{
    QFETCH(int, kind);
    QFETCH(int, icon);
    ProgramFolder folder;
    TForm1 form(folder.path());
    QString title;
    QString text;
    int shownIcon = -1;
    QList<QAbstractButton*> buttons;
    bool titleRoom = false;
    const auto answering = whenBoxOpens([&](QMessageBox* box) {
        title = box->windowTitle();
        titleRoom = hasRoomForItsTitle(box);
        text = box->text();
        shownIcon = box->icon();
        buttons = box->buttons();
        QCOMPARE(box->textFormat(), Qt::PlainText);
        box->button(QMessageBox::Ok)->click();
    });
    const std::string message = "Λάθος ΑΦΜ Υπόχρεου <b>";
    switch (kind) {
    case 0:
        form.ShowMessage(message);
        break;
    case 1:
        form.ShowWarning(message);
        break;
    default:
        form.ShowError(message);
        break;
    }
    QCOMPARE(title, utf8("Οριστική Δήλωση Φόρου Μισθωτών Υπηρεσιών"));
    QCOMPARE(text, utf8("Λάθος ΑΦΜ Υπόχρεου <b>"));
    QCOMPARE(shownIcon, icon);
    QCOMPARE(buttons.size(), 1);
    QVERIFY(titleRoom);
}

QTEST_MAIN(TestQuestionBox)
#include "tst_questionbox.moc"
