#include <QFile>
#include <QImageReader>
#include <QTest>

namespace {

QByteArray readSourceFile(const char* relative)
{
    QFile file(QStringLiteral(ROZARO_SOURCE_DIR "/") + QString::fromLatin1(relative));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

} // namespace

class TestResources : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void incomeKindListHasFixedWidthCodePageLines();
    void startPictureIsAJpegOfItsSize();
    void everyIconLoadsAtMenuSize();
};

void TestResources::incomeKindListHasFixedWidthCodePageLines()
{
    const QByteArray data = readSourceFile("resources/Addon/typeofinc.txt");
    QVERIFY(!data.isEmpty());
    QVERIFY(data.endsWith("\r\n"));
    const QList<QByteArray> lines = data.chopped(1).split('\n');
    QCOMPARE(lines.size(), 13);
    QByteArrayList codes;
    for (const QByteArray& line : lines) {
        QVERIFY2(line.endsWith('\r'), line.constData());
        QCOMPARE(line.size(), 2 + 52 + 1);
        codes << line.left(2);
    }
    QCOMPARE(codes,
             QByteArrayList({"10", "11", "12", "13", "14", "15", "16", "20", "21", "22", "23", "24", "25"}));
    // cp1253 bytes: "Τακτικές αποδοχές" padded with blanks.
    QCOMPARE(lines[0].mid(2, 17),
             QByteArray("\xD4\xE1\xEA\xF4\xE9\xEA\xDD\xF2 \xE1\xF0\xEF\xE4\xEF\xF7\xDD\xF2"));
    QCOMPARE(lines[0].mid(19, 35), QByteArray(35, ' '));
    // The two-piece meanings are joined with one blank; the longest is cut at 52.
    QCOMPARE(lines[5].mid(2, 52).trimmed().size(), 51); // "... ειδικό τρόπο ή αυτοτελώς"
    QVERIFY(lines[5].contains("\xF4\xF1\xFC\xF0\xEF \xDE \xE1\xF5\xF4\xEF\xF4\xE5\xEB\xFE\xF2"));
    QVERIFY(!lines[4].mid(2, 52).endsWith(' '));       // 56 characters long: cut, no padding
    QVERIFY(lines[4].mid(2, 52).endsWith("\xC5\xEB")); // "... από κάτοικο Ελ"
}

void TestResources::startPictureIsAJpegOfItsSize()
{
    QImageReader reader(QStringLiteral(ROZARO_SOURCE_DIR "/resources/pictures/start.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(919, 517));
    QVERIFY(!reader.read().isNull());
}

void TestResources::everyIconLoadsAtMenuSize()
{
    const char* icons[] = {"new",          "open",      "saveas",  "firstpage", "detailreport",
                           "totalsreport", "find",      "import",  "shortcut",  "zip",
                           "portal",       "manual",    "about",   "navfirst",  "navlast",
                           "navinsert",    "navdelete", "navpost", "navcancel", "rozaro"};
    for (const char* icon : icons) {
        const QImage image(QStringLiteral(ROZARO_SOURCE_DIR "/resources/icons/") + QString::fromLatin1(icon) +
                           QStringLiteral(".png"));
        QVERIFY2(!image.isNull(), icon);
        QVERIFY2(image.hasAlphaChannel(), icon);
        QCOMPARE(image.width(), image.height());
    }
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
