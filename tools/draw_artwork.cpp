// Draws the program's own artwork: the menu and navigator icons, the program
// icon and the start picture. Every shape is drawn here from scratch.
//
// Build and run from the repository root:
//   g++ -std=c++20 -fPIC tools/draw_artwork.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_artwork
//   QT_QPA_PLATFORM=offscreen /tmp/draw_artwork resources

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor Brand(48, 159, 192);
const QColor BrandDark(22, 96, 128);
const QColor Ink(52, 70, 88);
const QColor Paper(255, 255, 255);
const QColor PaperShade(226, 234, 240);
const QColor Gold(236, 176, 46);
const QColor GoldDark(176, 122, 20);
const QColor Green(46, 140, 70);
const QColor Red(200, 52, 48);

using Drawing = std::function<void(QPainter&)>;

QPen pen(const QColor& colour, double width = 1.0)
{
    QPen p(colour, width);
    p.setJoinStyle(Qt::RoundJoin);
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// A sheet with a folded corner inside the 16 x 16 cell.
void sheet(QPainter& p, const QRectF& r = QRectF(2.5, 0.5, 11, 15))
{
    QPainterPath path;
    const double fold = 3.5;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    QLinearGradient fill(r.topLeft(), r.bottomRight());
    fill.setColorAt(0, Paper);
    fill.setColorAt(1, PaperShade);
    p.setPen(pen(Ink));
    p.setBrush(fill);
    p.drawPath(path);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(PaperShade.darker(110));
    p.drawPath(corner);
}

void textLines(QPainter& p, double left, double right, double top, int count, double step = 2.0)
{
    p.setPen(pen(QColor(120, 150, 170), 1.0));
    for (int i = 0; i < count; ++i) {
        p.drawLine(QPointF(left, top + i * step), QPointF(right - (i % 2) * 2, top + i * step));
    }
}

void glyph(QPainter& p, const QRectF& r, const QString& text, const QColor& colour, int pixelSize,
           bool bold = true)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(colour);
    p.drawText(r, Qt::AlignCenter, text);
}

void printer(QPainter& p)
{
    p.setPen(pen(Ink));
    QLinearGradient body(0, 7, 0, 14);
    body.setColorAt(0, QColor(200, 208, 216));
    body.setColorAt(1, QColor(140, 152, 164));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(0.5, 7.5, 15, 6), 1.5, 1.5);
    p.setBrush(Paper);
    p.drawRect(QRectF(3.5, 11.5, 9, 4));
    p.setBrush(QColor(90, 200, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QRectF(12, 9, 2, 2));
}

void star(QPainter& p, const QPointF& c, double r)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5;
        const double rr = (i % 2 == 0) ? r : r * 0.45;
        const QPointF pt(c.x() + rr * std::cos(a), c.y() + rr * std::sin(a));
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    path.closeSubpath();
    p.setPen(pen(GoldDark, 0.8));
    p.setBrush(Gold);
    p.drawPath(path);
}

void arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& colour)
{
    p.setPen(pen(colour, 2.0));
    p.drawLine(from, to);
    const double a = std::atan2(to.y() - from.y(), to.x() - from.x());
    QPainterPath head;
    head.moveTo(to + QPointF(std::cos(a) * 1.5, std::sin(a) * 1.5));
    head.lineTo(to + QPointF(std::cos(a + 2.4) * 4, std::sin(a + 2.4) * 4));
    head.lineTo(to + QPointF(std::cos(a - 2.4) * 4, std::sin(a - 2.4) * 4));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(head);
}

void roundBadge(QPainter& p, const QColor& colour, const QString& text)
{
    QRadialGradient g(QPointF(6, 5), 10);
    g.setColorAt(0, colour.lighter(150));
    g.setColorAt(1, colour);
    p.setPen(pen(colour.darker(140)));
    p.setBrush(g);
    p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
    glyph(p, QRectF(0, 0, 16, 16), text, Qt::white, 11);
}

void navButton(QPainter& p, const std::function<void(QPainter&)>& shape, const QColor& colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    shape(p);
}

const struct Icon
{
    const char* name;
    Drawing draw;
} Icons[] = {
    {"new",
     [](QPainter& p) {
         sheet(p);
         star(p, QPointF(11.5, 11.5), 4.2);
     }},
    {"open",
     [](QPainter& p) {
         p.setPen(pen(GoldDark));
         p.setBrush(Gold.darker(115));
         p.drawRect(QRectF(0.5, 3.5, 13, 10));
         p.drawRect(QRectF(0.5, 2.5, 5, 2));
         QPainterPath front;
         front.moveTo(2.5, 6.5);
         front.lineTo(15.5, 6.5);
         front.lineTo(13.5, 13.5);
         front.lineTo(0.5, 13.5);
         front.closeSubpath();
         QLinearGradient g(0, 6, 0, 14);
         g.setColorAt(0, QColor(252, 216, 120));
         g.setColorAt(1, Gold);
         p.setBrush(g);
         p.drawPath(front);
     }},
    {"saveas",
     [](QPainter& p) {
         p.setPen(pen(QColor(24, 60, 110)));
         p.setBrush(QColor(52, 106, 176));
         p.drawRoundedRect(QRectF(0.5, 0.5, 14, 14), 1.5, 1.5);
         p.setBrush(Paper);
         p.drawRect(QRectF(3.5, 0.5, 8, 5));
         p.setBrush(QColor(210, 218, 228));
         p.drawRect(QRectF(2.5, 8.5, 10, 6));
         p.setPen(pen(QColor(52, 106, 176)));
         p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
         // A pencil: saving under a name of one's choice.
         p.setPen(pen(QColor(90, 60, 20), 0.8));
         p.setBrush(Gold);
         QPainterPath pencil;
         pencil.moveTo(15.5, 7.5);
         pencil.lineTo(9.5, 13.5);
         pencil.lineTo(8.5, 15.5);
         pencil.lineTo(10.5, 14.5);
         pencil.lineTo(16, 9);
         pencil.closeSubpath();
         p.drawPath(pencil);
     }},
    {"firstpage",
     [](QPainter& p) {
         sheet(p);
         glyph(p, QRectF(2, 3, 12, 12), QStringLiteral("1"), Brand.darker(120), 10);
     }},
    {"detailreport",
     [](QPainter& p) {
         sheet(p, QRectF(3.5, 0.5, 9, 9));
         textLines(p, 5, 10, 3.5, 3);
         printer(p);
     }},
    {"totalsreport",
     [](QPainter& p) {
         sheet(p, QRectF(3.5, 0.5, 9, 9));
         glyph(p, QRectF(3, 0, 9, 9), QString(QChar(0x03A3)), Brand.darker(130), 8);
         printer(p);
     }},
    {"find",
     [](QPainter& p) {
         p.setPen(pen(Ink, 1.2));
         QRadialGradient g(QPointF(5, 5), 6);
         g.setColorAt(0, QColor(235, 248, 255));
         g.setColorAt(1, QColor(160, 205, 230));
         p.setBrush(g);
         p.drawEllipse(QRectF(1, 1, 9, 9));
         p.setPen(pen(QColor(90, 70, 50), 3.0));
         p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
     }},
    {"import",
     [](QPainter& p) {
         p.setPen(pen(Green.darker(130)));
         p.setBrush(Paper);
         p.drawRect(QRectF(4.5, 0.5, 11, 12));
         p.setBrush(Green);
         p.drawRect(QRectF(4.5, 0.5, 11, 3));
         p.setPen(pen(Green.lighter(130), 1.0));
         for (double y : {6.5, 9.5}) {
             p.drawLine(QPointF(5, y), QPointF(15, y));
         }
         for (double x : {8.5, 11.5}) {
             p.drawLine(QPointF(x, 4), QPointF(x, 12));
         }
         arrow(p, QPointF(0.5, 14), QPointF(6, 9), Brand.darker(120));
     }},
    {"shortcut",
     [](QPainter& p) {
         p.setPen(pen(Ink));
         QLinearGradient g(0, 1, 0, 11);
         g.setColorAt(0, Brand.lighter(140));
         g.setColorAt(1, Brand);
         p.setBrush(g);
         p.drawRoundedRect(QRectF(0.5, 1.5, 15, 10), 1, 1);
         p.setBrush(QColor(150, 160, 170));
         p.drawRect(QRectF(5.5, 11.5, 5, 2));
         p.drawRect(QRectF(3.5, 13.5, 9, 1.5));
         p.setPen(pen(Ink, 0.8));
         p.setBrush(Paper);
         p.drawRect(QRectF(2.5, 6.5, 5, 4));
         arrow(p, QPointF(3.5, 10), QPointF(6.5, 7.5), Brand.darker(140));
     }},
    {"zip",
     [](QPainter& p) {
         p.setPen(pen(QColor(120, 80, 30)));
         QLinearGradient g(0, 0, 16, 0);
         g.setColorAt(0, QColor(214, 170, 100));
         g.setColorAt(1, QColor(186, 138, 70));
         p.setBrush(g);
         p.drawRect(QRectF(1.5, 2.5, 13, 12));
         p.drawRect(QRectF(0.5, 0.5, 15, 3));
         p.setPen(pen(QColor(70, 70, 80), 1.0));
         for (double y = 4.5; y < 12; y += 2) {
             p.drawLine(QPointF(6.5, y), QPointF(8, y));
             p.drawLine(QPointF(8, y + 1), QPointF(9.5, y + 1));
         }
         p.setBrush(QColor(200, 200, 210));
         p.drawRect(QRectF(6.5, 11.5, 3, 2.5));
     }},
    {"portal",
     [](QPainter& p) {
         QRadialGradient g(QPointF(5, 5), 11);
         g.setColorAt(0, QColor(150, 215, 240));
         g.setColorAt(1, QColor(30, 110, 170));
         p.setPen(pen(QColor(20, 70, 120)));
         p.setBrush(g);
         p.drawEllipse(QRectF(0.5, 0.5, 15, 15));
         p.setPen(pen(QColor(230, 245, 255, 200), 0.9));
         p.setBrush(Qt::NoBrush);
         p.drawEllipse(QRectF(4.5, 0.8, 7, 14.4));
         p.drawLine(QPointF(8, 1), QPointF(8, 15));
         p.drawLine(QPointF(1, 8), QPointF(15, 8));
         p.drawLine(QPointF(2.2, 4.5), QPointF(13.8, 4.5));
         p.drawLine(QPointF(2.2, 11.5), QPointF(13.8, 11.5));
     }},
    {"manual",
     [](QPainter& p) {
         p.setPen(pen(QColor(20, 60, 100)));
         p.setBrush(QColor(40, 100, 160));
         p.drawRoundedRect(QRectF(1.5, 0.5, 12, 15), 1, 1);
         p.setBrush(Paper);
         p.drawRect(QRectF(12.5, 1.5, 2, 13));
         glyph(p, QRectF(1.5, 0.5, 11, 15), QStringLiteral("?"), Qt::white, 11);
     }},
    {"about", [](QPainter& p) { roundBadge(p, Brand.darker(115), QStringLiteral("i")); }},
    {"navfirst",
     [](QPainter& p) {
         navButton(
             p,
             [](QPainter& q) {
                 q.drawRect(QRectF(3, 3, 2, 10));
                 const QPointF tri[] = {{12, 3}, {12, 13}, {5.5, 8}};
                 q.drawPolygon(tri, 3);
             },
             Ink);
     }},
    {"navlast",
     [](QPainter& p) {
         navButton(
             p,
             [](QPainter& q) {
                 q.drawRect(QRectF(11, 3, 2, 10));
                 const QPointF tri[] = {{4, 3}, {4, 13}, {10.5, 8}};
                 q.drawPolygon(tri, 3);
             },
             Ink);
     }},
    {"navinsert",
     [](QPainter& p) {
         navButton(
             p,
             [](QPainter& q) {
                 q.drawRect(QRectF(7, 2, 2.2, 12));
                 q.drawRect(QRectF(2, 7, 12, 2.2));
             },
             Green);
     }},
    {"navdelete",
     [](QPainter& p) {
         navButton(
             p, [](QPainter& q) { q.drawRect(QRectF(2, 7, 12, 2.2)); }, Red);
     }},
    {"navpost",
     [](QPainter& p) {
         p.setPen(pen(Green, 2.4));
         const QPointF tick[] = {{2.5, 8.5}, {6.5, 12.5}, {13.5, 3.5}};
         p.drawPolyline(tick, 3);
     }},
    {"navcancel",
     [](QPainter& p) {
         p.setPen(pen(Red, 2.4));
         p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
         p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
     }},
};

QImage render(const Drawing& draw, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    return image;
}

// The program icon: a declaration sheet on a tile in the program's colour.
QImage programIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, Brand.lighter(125));
    tile.setColorAt(1, BrandDark);
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(QRectF(17, 11, 34, 44), 3, 3);
    QLinearGradient paper(0, 8, 0, 52);
    paper.setColorAt(0, Paper);
    paper.setColorAt(1, PaperShade);
    p.setBrush(paper);
    p.drawRoundedRect(QRectF(14, 8, 34, 44), 3, 3);
    p.setPen(pen(QColor(150, 175, 192), 2.2));
    for (int i = 0; i < 5; ++i) {
        p.drawLine(QPointF(20, 22 + i * 6), QPointF(i == 4 ? 32 : 42, 22 + i * 6));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Brand);
    p.drawRect(QRectF(20, 13, 22, 4));
    p.setBrush(Gold);
    p.setPen(pen(GoldDark, 1.2));
    p.drawEllipse(QRectF(36, 38, 16, 16));
    glyph(p, QRectF(36, 38, 16, 16), QString(QChar(0x20AC)), QColor(110, 70, 0), 11);
    return image;
}

void drawLedger(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRoundedRect(r.translated(8, 10), 6, 6);
    QLinearGradient paper(r.topLeft(), r.bottomLeft());
    paper.setColorAt(0, Paper);
    paper.setColorAt(1, QColor(236, 242, 246));
    p.setBrush(paper);
    p.drawRoundedRect(r, 6, 6);
    p.setBrush(Brand);
    p.drawRect(QRectF(r.left() + 18, r.top() + 18, r.width() - 36, 16));
    const double rowTop = r.top() + 48;
    p.setPen(pen(QColor(200, 214, 224), 1));
    for (int i = 0; i <= 9; ++i) {
        p.drawLine(QPointF(r.left() + 18, rowTop + i * 20), QPointF(r.right() - 18, rowTop + i * 20));
    }
    for (double x : {0.36, 0.62, 0.82}) {
        p.drawLine(QPointF(r.left() + r.width() * x, rowTop),
                   QPointF(r.left() + r.width() * x, rowTop + 180));
    }
    p.setPen(pen(QColor(120, 144, 160), 3));
    for (int i = 0; i < 9; ++i) {
        const double y = rowTop + 10 + i * 20;
        const double w1 = 40 + (i * 37 % 50);
        p.drawLine(QPointF(r.left() + 26, y), QPointF(r.left() + 26 + w1, y));
        p.drawLine(QPointF(r.left() + r.width() * 0.40, y),
                   QPointF(r.left() + r.width() * 0.40 + 30 + (i * 13 % 20), y));
        p.drawLine(QPointF(r.left() + r.width() * 0.66, y), QPointF(r.left() + r.width() * 0.66 + 28, y));
        p.drawLine(QPointF(r.left() + r.width() * 0.86, y), QPointF(r.left() + r.width() * 0.86 + 20, y));
    }
    // The totals row and a stamp of approval.
    p.setPen(pen(BrandDark, 3));
    p.drawLine(QPointF(r.left() + r.width() * 0.62, rowTop + 196), QPointF(r.right() - 18, rowTop + 196));
    p.setPen(pen(QColor(46, 140, 70, 220), 4));
    p.setBrush(Qt::NoBrush);
    const QRectF seal(r.left() + 28, r.bottom() - 70, 56, 56);
    p.drawEllipse(seal);
    const QPointF tick[] = {seal.center() + QPointF(-14, 0), seal.center() + QPointF(-4, 11),
                            seal.center() + QPointF(15, -12)};
    p.setPen(pen(QColor(46, 140, 70, 220), 6));
    p.drawPolyline(tick, 3);
}

QImage startPicture()
{
    QImage image(919, 517, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient sky(0, 0, 919, 517);
    sky.setColorAt(0, Brand.lighter(115));
    sky.setColorAt(0.55, Brand);
    sky.setColorAt(1, BrandDark.darker(115));
    p.fillRect(image.rect(), sky);

    // Soft bands across the background.
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 6; ++i) {
        QPainterPath band;
        const double y = 300 + i * 40;
        band.moveTo(0, y);
        band.cubicTo(300, y - 120, 600, y + 80, 919, y - 60);
        band.lineTo(919, y - 30);
        band.cubicTo(600, y + 110, 300, y - 90, 0, y + 30);
        band.closeSubpath();
        p.setBrush(QColor(255, 255, 255, 10 + i * 3));
        p.drawPath(band);
    }

    drawLedger(p, QRectF(560, 70, 300, 330));

    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(84);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 60));
    p.drawText(QPointF(63, 183), QStringLiteral("Rozaro"));
    p.setPen(Qt::white);
    p.drawText(QPointF(60, 180), QStringLiteral("Rozaro"));

    p.setBrush(Gold);
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(62, 204, 120, 5));

    QFont subtitle(QStringLiteral("DejaVu Sans"));
    subtitle.setPixelSize(25);
    subtitle.setBold(true);
    p.setFont(subtitle);
    p.setPen(Qt::white);
    p.drawText(QRectF(60, 230, 470, 70), Qt::TextWordWrap,
               QString::fromUtf8("Οριστική Δήλωση Φόρου Μισθωτών Υπηρεσιών"));

    QFont line(QStringLiteral("DejaVu Sans"));
    line.setPixelSize(18);
    p.setFont(line);
    p.setPen(QColor(230, 245, 250));
    p.drawText(QPointF(62, 330), QString::fromUtf8("Βεβαιώσεις αποδοχών και συντάξεων Δημοσίου"));
    p.drawText(QPointF(62, 356), QString::fromUtf8("Έκδοση για Εκκαθαριστές Δημοσίου"));

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(13);
    p.setFont(small);
    p.setPen(QColor(220, 238, 245, 200));
    p.drawText(QPointF(62, 470), QString::fromUtf8("Καταχώριση  \u2022  Έλεγχος  \u2022  Υποβολή"));
    return image;
}

bool save(const QImage& image, const QString& path, const char* format, int quality = -1)
{
    if (!image.save(path, format, quality)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QString resources = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources");
    QDir().mkpath(resources + QStringLiteral("/icons"));
    QDir().mkpath(resources + QStringLiteral("/pictures"));
    bool ok = true;
    for (const Icon& icon : Icons) {
        const QString base = resources + QStringLiteral("/icons/") + QString::fromLatin1(icon.name);
        ok &= save(render(icon.draw, 16), base + QStringLiteral(".png"), "PNG");
        ok &= save(render(icon.draw, 32), base + QStringLiteral("@2x.png"), "PNG");
    }
    ok &= save(programIcon(64), resources + QStringLiteral("/icons/rozaro.png"), "PNG");
    ok &= save(programIcon(256), resources + QStringLiteral("/icons/rozaro-256.png"), "PNG");
    // The installed program's icon in the desktop's icon theme, drawn at each
    // size rather than scaled, so the small ones stay sharp.
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = resources + QStringLiteral("/icons/hicolor/%1x%1/apps").arg(size);
        QDir().mkpath(folder);
        ok &= save(programIcon(size), folder + QStringLiteral("/rozaro.png"), "PNG");
    }
    ok &= save(startPicture(), resources + QStringLiteral("/pictures/start.jpg"), "JPEG", 92);
    return ok ? 0 : 1;
}
