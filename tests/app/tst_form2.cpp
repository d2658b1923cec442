#include "app/Form2.h"

#include <QLabel>
#include <QScreen>
#include <QTest>

class TestForm2 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waitWindowHasItsSizeCaptionAndText();
    void waitWindowHasNoFrameButtons();
    void showingCentresAndPaintsAtOnce();
    void escapeDoesNotHideIt();
    void programCanCloseItAtExit();
};

void TestForm2::waitWindowHasItsSizeCaptionAndText()
{
    TForm2 form;
    QCOMPARE(form.size(), QSize(262, 49));
    QCOMPARE(form.windowTitle(), QString::fromUtf8("Παρακαλώ περιμένετε"));
    auto* label = form.findChild<QLabel*>(QStringLiteral("Label1"));
    QVERIFY(label != nullptr);
    QCOMPARE(label->text(), QString::fromUtf8("Παρακαλώ περιμένετε"));
    QCOMPARE(label->font().pixelSize(), 24);
    QVERIFY(!form.isModal());
}

void TestForm2::waitWindowHasNoFrameButtons()
{
    TForm2 form;
    const Qt::WindowFlags flags = form.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
}

void TestForm2::showingCentresAndPaintsAtOnce()
{
    TForm2 form;
    form.ShowNow();
    QVERIFY(form.isVisible());
    const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY(qAbs(form.geometry().center().x() - screenCentre.x()) <= 1);
    QVERIFY(qAbs(form.geometry().center().y() - screenCentre.y()) <= 1);
    form.hide();
    QVERIFY(!form.isVisible());
}

void TestForm2::escapeDoesNotHideIt()
{
    TForm2 form;
    form.ShowNow();
    QTest::keyClick(&form, Qt::Key_Escape);
    QVERIFY(form.isVisible());
}

void TestForm2::programCanCloseItAtExit()
{
    // Quitting the application closes every window; a window that refused
    // would keep the program running after its main window closed.
    TForm2 form;
    form.ShowNow();
    QVERIFY(form.close());
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
