// dravik-mkicons OUTDIR: draws the item icons, toolbar images and about picture
// into OUTDIR/icons, OUTDIR/toolbar and OUTDIR/about.png, and the program's own
// icon for the desktop into OUTDIR/app (PNG per menu size plus an SVG). Run by
// hand when the artwork changes; the files it writes are kept in src/resources.
//
// Shapes are laid out on a 16-unit grid and drawn at 1 or 2 device pixels per
// unit; whole-unit edges keep the 16-pixel icons crisp, and outlines stay one
// device pixel wide at both sizes.
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QRadialGradient>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <vector>

namespace {

QPainterPath Poly(std::initializer_list<QPointF> pts, double u)
{
    QPainterPath path;
    bool first = true;
    for (QPointF pt : pts) {
        if (first)
            path.moveTo(pt * u);
        else
            path.lineTo(pt * u);
        first = false;
    }
    path.closeSubpath();
    return path;
}

// Grid edges: (x0, y0) to (x1, y1).
QPainterPath Box(double x0, double y0, double x1, double y1, double u)
{
    return Poly({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}, u);
}

QPainterPath Circle(double cx, double cy, double r, double u)
{
    QPainterPath path;
    path.addEllipse(QPointF(cx, cy) * u, r * u, r * u);
    return path;
}

// A one-pixel outline inside the shape's edge, the fill within it. Filling the
// inset instead of stroking keeps whole-pixel edges exact.
void Outlined(QPainter& p, const QPainterPath& shape, const QColor& line, const QBrush& fill)
{
    QPainterPathStroker stroker;
    stroker.setWidth(2);
    stroker.setJoinStyle(Qt::MiterJoin);
    p.fillPath(shape, line);
    p.fillPath(shape.subtracted(stroker.createStroke(shape)), fill);
}

QLinearGradient Grad(double x0, double y0, double x1, double y1, const QColor& c0, const QColor& c1, double u)
{
    QLinearGradient g(QPointF(x0, y0) * u, QPointF(x1, y1) * u);
    g.setColorAt(0, c0);
    g.setColorAt(1, c1);
    return g;
}

// Device-pixel rectangle, for details drawn only at the large size.
void Dots(QPainter& p, int x, int y, int w, int h, const QColor& c)
{
    p.fillRect(QRect(x, y, w, h), c);
}

const QColor kPageLine(0x6a, 0x6e, 0x74);

void Page(QPainter& p, double u)
{
    Outlined(p, Poly({{3, 1}, {10, 1}, {13, 4}, {13, 15}, {3, 15}}, u), kPageLine,
             Grad(3, 1, 13, 15, QColor(0xff, 0xff, 0xff), QColor(0xe2, 0xe8, 0xef), u));
    Outlined(p, Poly({{10, 1}, {10, 4}, {13, 4}}, u), kPageLine, QColor(0xd2, 0xd8, 0xe0));
}

void GenericFile(QPainter& p, double u)
{
    Page(p, u);
}

void TextFile(QPainter& p, double u)
{
    Page(p, u);
    const QColor ink(0x3f, 0x63, 0x9c);
    if (u == 1) {
        const int ends[] = {9, 11, 10, 11, 8};
        for (int i = 0; i < 5; ++i)
            Dots(p, 5, 5 + 2 * i, ends[i] - 4, 1, ink);
    } else {
        const int ends[] = {19, 23, 22, 23, 17, 22};
        for (int i = 0; i < 6; ++i)
            Dots(p, 9, 10 + 3 * i, ends[i] - 8, 1, ink);
    }
}

void FrmImage(QPainter& p, double u)
{
    Page(p, u);
    // A block of palette colours: an indexed picture.
    static const QColor kSwatch[] = {
        QColor(0xd8, 0x3a, 0x3a), QColor(0xf0, 0x92, 0x2b), QColor(0xf5, 0xd0, 0x3b), QColor(0x4c, 0xae, 0x4f),
        QColor(0x2f, 0x9c, 0x95), QColor(0x3d, 0x7c, 0xd6), QColor(0x7b, 0x4f, 0xc4), QColor(0xc7, 0x45, 0x9a),
        QColor(0x8a, 0x5a, 0x33), QColor(0xf5, 0xd0, 0x3b), QColor(0x3d, 0x7c, 0xd6), QColor(0xd8, 0x3a, 0x3a),
        QColor(0x4c, 0xae, 0x4f), QColor(0x7b, 0x4f, 0xc4), QColor(0xf0, 0x92, 0x2b), QColor(0x2f, 0x9c, 0x95),
    };
    if (u == 1) {
        for (int i = 0; i < 9; ++i)
            Dots(p, 5 + 2 * (i % 3), 7 + 2 * (i / 3), 2, 2, kSwatch[i]);
    } else {
        Dots(p, 9, 11, 14, 14, QColor(0x44, 0x48, 0x50));
        for (int i = 0; i < 16; ++i)
            Dots(p, 10 + 3 * (i % 4), 12 + 3 * (i / 4), 3, 3, kSwatch[i]);
    }
}

void RixImage(QPainter& p, double u)
{
    Page(p, u);
    // A landscape filling the page below the fold.
    p.fillPath(Box(4, 5, 12, 14, u), Grad(0, 5, 0, 12, QColor(0x5b, 0x9c, 0xe6), QColor(0xc6, 0xe2, 0xfa), u));
    p.fillPath(Circle(9.6, 7.2, 1.3, u), QColor(0xff, 0xc8, 0x2e));
    p.fillPath(Poly({{4, 12}, {6.5, 8}, {9.5, 12}}, u), QColor(0x76, 0x86, 0x9c));
    p.fillPath(Poly({{4, 14}, {4, 12}, {8, 10.5}, {12, 11.5}, {12, 14}}, u),
               Grad(0, 11, 0, 14, QColor(0x6c, 0xbf, 0x4c), QColor(0x2f, 0x84, 0x31), u));
}

const QColor kFolderLine(0x94, 0x66, 0x10);

void FolderClosed(QPainter& p, double u)
{
    Outlined(p, Poly({{1, 2}, {6, 2}, {7, 4}, {15, 4}, {15, 14}, {1, 14}}, u), kFolderLine, QColor(0xe6, 0xa8, 0x2c));
    Outlined(p, Box(1, 6, 15, 14, u), kFolderLine,
             Grad(0, 6, 0, 14, QColor(0xff, 0xe2, 0x8a), QColor(0xf2, 0xb6, 0x35), u));
    if (u == 2)
        Dots(p, 3, 13, 26, 1, QColor(255, 255, 255, 150));
}

void FolderOpen(QPainter& p, double u)
{
    Outlined(p, Poly({{1, 2}, {6, 2}, {7, 4}, {14, 4}, {14, 14}, {1, 14}}, u), kFolderLine, QColor(0xd4, 0x93, 0x1f));
    Outlined(p, Box(3, 5.5 + (u == 1 ? 0.5 : 0), 13, 12, u), kPageLine, QColor(0xfb, 0xfb, 0xfb));
    if (u == 2)
        for (int i = 0; i < 3; ++i)
            Dots(p, 9, 15 + 2 * i, 12, 1, QColor(0xa8, 0xb4, 0xc4));
    Outlined(p, Poly({{1, 14}, {4, 9}, {16, 9}, {13, 14}}, u), kFolderLine,
             Grad(0, 9, 0, 14, QColor(0xff, 0xe8, 0x9c), QColor(0xf4, 0xbd, 0x45), u));
}

const QColor kBoxLine(0x6b, 0x40, 0x17);

void BoxFront(QPainter& p, double u, double top)
{
    Outlined(p, Box(2, top, 14, 15, u), kBoxLine, Grad(0, top, 0, 15, QColor(0xd9, 0xa0, 0x5b), QColor(0xb4, 0x78, 0x38), u));
    Outlined(p, Box(5, top + 3, 11, top + 6, u), QColor(0x8a, 0x6a, 0x40), QColor(0xf6, 0xee, 0xdb));
    if (u == 2)
        Dots(p, 13, int(2 * top) + 9, 6, 1, QColor(0x8a, 0x6a, 0x40));
}

void ArchiveClosed(QPainter& p, double u)
{
    BoxFront(p, u, 6);
    Outlined(p, Box(1, 3, 15, 7, u), kBoxLine, Grad(0, 3, 0, 7, QColor(0xeb, 0xbb, 0x7c), QColor(0xcd, 0x91, 0x4e), u));
}

void ArchiveOpen(QPainter& p, double u)
{
    p.fillPath(Box(2, 5, 14, 8, u), QColor(0x4a, 0x2c, 0x10));
    Outlined(p, Box(4, 2, 10, 9, u), kPageLine, QColor(0xff, 0xff, 0xff));
    Outlined(p, Box(7, 1, 12, 9, u), kPageLine, QColor(0xf1, 0xf4, 0xf8));
    const QBrush flap = Grad(0, 3, 0, 7, QColor(0xeb, 0xbb, 0x7c), QColor(0xcd, 0x91, 0x4e), u);
    Outlined(p, Poly({{2, 8}, {0, 3}, {4, 3}, {6, 8}}, u), kBoxLine, flap);
    Outlined(p, Poly({{14, 8}, {16, 3}, {12, 3}, {10, 8}}, u), kBoxLine, flap);
    BoxFront(p, u, 7);
}

void SpareDisk(QPainter& p, double u)
{
    QRadialGradient g(QPointF(6, 5) * u, 9 * u);
    g.setColorAt(0, QColor(0xf2, 0xf2, 0xf2));
    g.setColorAt(1, QColor(0x8c, 0x8c, 0x8c));
    Outlined(p, Circle(8, 8, 7, u), QColor(0x55, 0x55, 0x55), g);
    Outlined(p, Circle(8, 8, 2.5, u), QColor(0x66, 0x66, 0x66), QColor(0xd0, 0xd0, 0xd0));
    p.fillPath(Circle(8, 8, 1, u), QColor(0x40, 0x40, 0x40));
}

void Movie(QPainter& p, double u)
{
    Outlined(p, Box(3, 1, 13, 15, u), QColor(0x1a, 0x1a, 0x1a), QColor(0x3c, 0x3c, 0x3c));
    for (int y = 2; y < 14; y += 2) {
        p.fillPath(Box(4, y, 5, y + 1, u), QColor(0xe8, 0xe8, 0xe8));
        p.fillPath(Box(11, y, 12, y + 1, u), QColor(0xe8, 0xe8, 0xe8));
    }
    for (int y : {2, 9}) {
        p.fillPath(Box(6, y, 10, y + 5, u), Grad(0, y, 0, y + 5, QColor(0x9c, 0xcf, 0xff), QColor(0x36, 0x7c, 0xd4), u));
        if (u == 2)
            p.fillPath(Poly({{6, y + 5.0}, {7.5, y + 2.5}, {9, y + 4.0}, {10, y + 3.0}, {10, y + 5.0}}, u),
                       QColor(0x3f, 0x8f, 0x3a));
    }
}

void Sound(QPainter& p, double u)
{
    const QColor line(0x2f, 0x35, 0x3c);
    Outlined(p, Poly({{5, 6}, {9, 2}, {9, 15}, {5, 11}}, u), line,
             Grad(5, 0, 9, 0, QColor(0x5a, 0x63, 0x6d), QColor(0xa6, 0xb0, 0xba), u));
    Outlined(p, Box(1, 6, 6, 11, u), line, QColor(0x6b, 0x74, 0x80));
    const QColor wave(0x25, 0x66, 0xcf);
    if (u == 1) {
        // Arcs drawn pixel by pixel: antialiased ones blur at this size.
        Dots(p, 10, 6, 1, 1, wave);
        Dots(p, 11, 7, 1, 3, wave);
        Dots(p, 10, 10, 1, 1, wave);
        Dots(p, 12, 4, 1, 1, wave);
        Dots(p, 13, 5, 1, 2, wave);
        Dots(p, 14, 7, 1, 3, wave);
        Dots(p, 13, 10, 1, 2, wave);
        Dots(p, 12, 12, 1, 1, wave);
        return;
    }
    p.setPen(QPen(wave, 1.8, Qt::SolidLine, Qt::RoundCap));
    for (double r : {2.5, 4.5, 6.5})
        p.drawArc(QRectF(QPointF(9.5 - r, 8.5 - r) * u, QSizeF(2 * r, 2 * r) * u), -50 * 16, 100 * 16);
    p.setPen(Qt::NoPen);
}

// Toolbar images, 16 by 15.
const QColor kGlyph(0x2d, 0x62, 0xb8), kGlyphLine(0x1b, 0x3f, 0x7a), kInk(0x44, 0x48, 0x50);

void ToolOpen(QPainter& p)
{
    Outlined(p, Poly({{0, 4}, {4, 4}, {5, 6}, {11, 6}, {11, 14}, {0, 14}}, 1), kFolderLine, QColor(0xd4, 0x93, 0x1f));
    Outlined(p, Poly({{0, 14}, {3, 9}, {14, 9}, {11, 14}}, 1), kFolderLine,
             Grad(0, 9, 0, 14, QColor(0xff, 0xe8, 0x9c), QColor(0xf4, 0xbd, 0x45), 1));
    QPainterPath arrow;
    arrow.moveTo(7.5, 7.5);
    arrow.cubicTo(7.5, 4, 9.5, 2.5, 12.5, 2.5);
    p.strokePath(arrow, QPen(QColor(0x1f, 0x8a, 0x2e), 1.6, Qt::SolidLine, Qt::FlatCap));
    p.fillPath(Poly({{12, -0.5}, {15.5, 2.5}, {12, 5.5}}, 1), QColor(0x1f, 0x8a, 0x2e));
}

void ToolShow(QPainter& p)
{
    p.strokePath(Poly({{9.5, 9.5}, {14, 14}}, 1), QPen(QColor(0x5a, 0x3c, 0x1e), 3, Qt::SolidLine, Qt::RoundCap));
    QRadialGradient g(QPointF(5, 4.5), 6);
    g.setColorAt(0, QColor(0xff, 0xff, 0xff));
    g.setColorAt(1, QColor(0x9f, 0xcb, 0xf0));
    Outlined(p, Circle(6.5, 6.5, 5.5, 1), QColor(0x2a, 0x2e, 0x36), g);
    Outlined(p, Circle(6.5, 6.5, 4.5, 1), QColor(0x7d, 0x86, 0x92), g);
}

// A closed folder with a green arrow pointing up out of it.
void ToolUp(QPainter& p)
{
    Outlined(p, Poly({{0, 5}, {4, 5}, {5, 7}, {12, 7}, {12, 14}, {0, 14}}, 1), kFolderLine,
             Grad(0, 7, 0, 14, QColor(0xff, 0xe8, 0x9c), QColor(0xf4, 0xbd, 0x45), 1));
    p.strokePath(Poly({{11.5, 12}, {11.5, 3}}, 1), QPen(QColor(0x1f, 0x8a, 0x2e), 2, Qt::SolidLine, Qt::FlatCap));
    p.fillPath(Poly({{8, 4.5}, {11.5, 0}, {15, 4.5}}, 1), QColor(0x1f, 0x8a, 0x2e));
}

// A page of lines under a magnifying glass.
void ToolFind(QPainter& p)
{
    Outlined(p, Box(0, 0, 9, 13, 1), QColor(0x7d, 0x86, 0x92), Qt::white);
    for (int y : {3, 6, 9})
        p.fillRect(QRectF(2, y, 5, 1), kInk);
    p.strokePath(Poly({{11.5, 11.5}, {15, 15}}, 1), QPen(QColor(0x5a, 0x3c, 0x1e), 2.5, Qt::SolidLine, Qt::RoundCap));
    Outlined(p, Circle(9, 8.5, 4, 1), QColor(0x2a, 0x2e, 0x36), QColor(0xcf, 0xe6, 0xfa, 0xd0));
}

void ToolLargeIcons(QPainter& p)
{
    for (int x : {1, 9})
        for (int y : {0, 8}) {
            Outlined(p, Box(x, y, x + 6, y + 5, 1), kGlyphLine, kGlyph);
            Dots(p, x + 1, y + 6, 4, 1, kInk);
        }
}

void ToolSmallIcons(QPainter& p)
{
    for (int x : {0, 8})
        for (int y : {1, 6, 11}) {
            Outlined(p, Box(x, y, x + 3, y + 3, 1), kGlyphLine, kGlyph);
            Dots(p, x + 4, y + 1, 3, 1, kInk);
        }
}

void ToolList(QPainter& p)
{
    for (int y : {0, 4, 8, 12}) {
        Outlined(p, Box(0, y, 3, y + 3, 1), kGlyphLine, kGlyph);
        Dots(p, 5, y + 1, y % 8 == 0 ? 11 : 9, 1, kInk);
    }
}

void ToolDetails(QPainter& p)
{
    Outlined(p, Box(0, 0, 16, 4, 1), QColor(0x80, 0x86, 0x8e), QColor(0xe2, 0xe6, 0xeb));
    for (int x : {5, 10})
        Dots(p, x, 1, 1, 2, QColor(0x80, 0x86, 0x8e));
    for (int y : {6, 9, 12}) {
        p.fillRect(QRect(1, y, 2, 2), kGlyph);
        Dots(p, 4, y, 5, 1, kInk);
        Dots(p, 10, y, 2, 1, kInk);
        Dots(p, 13, y, 2, 1, kInk);
    }
}

void ToolAbout(QPainter& p)
{
    QRadialGradient g(QPointF(6, 5), 9);
    g.setColorAt(0, QColor(0x7c, 0xb6, 0xff));
    g.setColorAt(1, QColor(0x1d, 0x58, 0xb8));
    Outlined(p, Circle(8, 7.5, 7.5, 1), QColor(0x12, 0x3a, 0x7a), g);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(12);
    QPainterPath mark;
    mark.addText(0, 0, font, QStringLiteral("?"));
    const QRectF r = mark.boundingRect();
    p.fillPath(mark.translated(8 - r.center().x(), 7.5 - r.center().y()), Qt::white);
}

void AboutPicture(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, 74);
    sky.setColorAt(0, QColor(0x16, 0x1e, 0x45));
    sky.setColorAt(0.55, QColor(0x6b, 0x3a, 0x86));
    sky.setColorAt(1, QColor(0xf2, 0x93, 0x5c));
    p.fillRect(QRect(0, 0, 128, 74), sky);
    p.fillRect(QRect(0, 74, 128, 22), QColor(0x2b, 0x26, 0x38));
    for (int i = 0; i < 24; ++i) {
        // Fixed scatter of stars in the upper sky.
        const int x = (i * 53 + 11) % 128, y = (i * 37 + 5) % 36;
        p.fillRect(QRect(x, y, 1, 1), QColor(255, 255, 255, 110 + (i * 41) % 140));
    }
    p.fillPath(Poly({{0, 74}, {22, 60}, {40, 68}, {64, 56}, {92, 70}, {112, 62}, {128, 72}, {128, 74}}, 1),
               QColor(0x3b, 0x2c, 0x55));

    // Pages rising out of the open box.
    const struct { double x, y, angle; } pages[] = {{34, 10, -16}, {58, 4, 4}, {80, 12, 18}};
    for (const auto& pg : pages) {
        p.save();
        p.translate(pg.x + 9, pg.y + 12);
        p.rotate(pg.angle);
        Outlined(p, Poly({{-9, -12}, {5, -12}, {9, -8}, {9, 12}, {-9, 12}}, 1), kPageLine,
                 Grad(-9, -12, 9, 12, QColor(0xff, 0xff, 0xff), QColor(0xdc, 0xe3, 0xec), 1));
        for (int l = 0; l < 6; ++l)
            p.fillRect(QRectF(-6, -7 + 3.2 * l, l % 3 == 2 ? 8 : 12, 1.2), QColor(0x3f, 0x63, 0x9c));
        p.restore();
    }

    const QColor line(0x4e, 0x2d, 0x0f);
    p.fillPath(Box(26, 40, 102, 50, 1), QColor(0x3a, 0x22, 0x0c));
    const QBrush flap = Grad(0, 30, 0, 50, QColor(0xf0, 0xc4, 0x86), QColor(0xc8, 0x8b, 0x47), 1);
    Outlined(p, Poly({{26, 50}, {12, 34}, {30, 34}, {42, 50}}, 1), line, flap);
    Outlined(p, Poly({{102, 50}, {116, 34}, {98, 34}, {86, 50}}, 1), line, flap);
    Outlined(p, Box(26, 48, 102, 90, 1), line, Grad(0, 48, 0, 90, QColor(0xdc, 0xa3, 0x5e), QColor(0xa8, 0x6c, 0x30), 1));
    p.fillRect(QRect(27, 49, 74, 2), QColor(255, 255, 255, 70));
    Outlined(p, Box(36, 56, 92, 82, 1), QColor(0x7a, 0x5a, 0x32), QColor(0xf7, 0xef, 0xdc));

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(20);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    QPainterPath word;
    word.addText(0, 0, font, QStringLiteral("DAT"));
    const QRectF r = word.boundingRect();
    p.fillPath(word.translated(64 - r.center().x(), 69.5 - r.center().y()), QColor(0x5a, 0x2f, 0x0c));
}

// The program's icon: an open box with pages rising out of it, on a 64-unit
// grid. One list of shapes feeds both the PNG sizes and the scalable SVG.
struct SAppShape {
    std::vector<QPointF> points;
    QColor top, bottom; // vertical gradient over the shape's height
    QColor line;        // invalid: no outline
    bool detail;        // left out below 32 pixels, where it would only blur
};

std::vector<SAppShape> AppShapes()
{
    const QColor boxLine(0x4e, 0x2d, 0x0f), pageLine(0x6a, 0x6e, 0x74), ink(0x3f, 0x63, 0x9c);
    std::vector<SAppShape> shapes = {
        {{{8, 26}, {56, 26}, {56, 36}, {8, 36}}, QColor(0x3a, 0x22, 0x0c), QColor(0x3a, 0x22, 0x0c), {}, false},
        {{{13, 9}, {31, 5}, {36, 8}, {40, 34}, {18, 38}}, QColor(0xff, 0xff, 0xff), QColor(0xdc, 0xe3, 0xec), pageLine, false},
        {{{28, 6}, {44, 4}, {49, 8}, {50, 34}, {30, 35}}, QColor(0xff, 0xff, 0xff), QColor(0xdc, 0xe3, 0xec), pageLine, false},
        {{{8, 36}, {1, 22}, {14, 22}, {21, 36}}, QColor(0xf0, 0xc4, 0x86), QColor(0xc8, 0x8b, 0x47), boxLine, false},
        {{{56, 36}, {63, 22}, {50, 22}, {43, 36}}, QColor(0xf0, 0xc4, 0x86), QColor(0xc8, 0x8b, 0x47), boxLine, false},
        {{{8, 34}, {56, 34}, {56, 61}, {8, 61}}, QColor(0xdc, 0xa3, 0x5e), QColor(0xa8, 0x6c, 0x30), boxLine, false},
        {{{18, 40}, {46, 40}, {46, 54}, {18, 54}}, QColor(0xf7, 0xef, 0xdc), QColor(0xf7, 0xef, 0xdc),
         QColor(0x7a, 0x5a, 0x32), false},
    };
    // Lines of writing on the front page and on the label.
    for (int i = 0; i < 4; ++i) {
        const double y = 11 + 5 * i;
        shapes.push_back({{{33, y}, {45, y - 0.5}, {45, y + 1.5}, {33, y + 2}}, ink, ink, {}, true});
    }
    for (int i = 0; i < 2; ++i) {
        const double y = 44 + 4 * i, end = 42 - 8 * i;
        shapes.push_back({{{22, y}, {end, y}, {end, y + 2}, {22, y + 2}}, QColor(0x5a, 0x2f, 0x0c),
                          QColor(0x5a, 0x2f, 0x0c), {}, true});
    }
    return shapes;
}

QRectF Bounds(const SAppShape& shape)
{
    QPolygonF poly;
    for (QPointF pt : shape.points)
        poly << pt;
    return poly.boundingRect();
}

void PaintAppIcon(QPainter& p, int size)
{
    p.scale(size / 64.0, size / 64.0);
    // At least one device pixel of outline at every size.
    const double lineWidth = std::max(1.5, 64.0 / size);
    for (const SAppShape& shape : AppShapes()) {
        if (shape.detail && size < 32)
            continue;
        QPainterPath path;
        path.addPolygon(QPolygonF(QList<QPointF>(shape.points.begin(), shape.points.end())));
        path.closeSubpath();
        const QRectF r = Bounds(shape);
        p.fillPath(path, Grad(0, r.top(), 0, r.bottom(), shape.top, shape.bottom, 1));
        if (shape.line.isValid())
            p.strokePath(path, QPen(shape.line, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    }
}

QByteArray AppIconSvg()
{
    QByteArray defs, body;
    int n = 0;
    for (const SAppShape& shape : AppShapes()) {
        const QRectF r = Bounds(shape);
        defs += QStringLiteral("    <linearGradient id=\"g%1\" gradientUnits=\"userSpaceOnUse\" x1=\"0\" y1=\"%2\" x2=\"0\" "
                               "y2=\"%3\"><stop offset=\"0\" stop-color=\"%4\"/><stop offset=\"1\" stop-color=\"%5\"/>"
                               "</linearGradient>\n")
                    .arg(n).arg(r.top()).arg(r.bottom()).arg(shape.top.name(), shape.bottom.name()).toUtf8();
        QString d;
        for (QPointF pt : shape.points)
            d += QStringLiteral("%1%2 %3 ").arg(d.isEmpty() ? QStringLiteral("M") : QStringLiteral("L")).arg(pt.x()).arg(pt.y());
        body += QStringLiteral("  <path d=\"%1Z\" fill=\"url(#g%2)\"").arg(d).arg(n).toUtf8();
        if (shape.line.isValid())
            body += QStringLiteral(" stroke=\"%1\" stroke-width=\"1.5\" stroke-linejoin=\"round\"").arg(shape.line.name()).toUtf8();
        body += "/>\n";
        ++n;
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n"
           "  <defs>\n" + defs + "  </defs>\n" + body + "</svg>\n";
}

bool Save(const QImage& img, const QString& path)
{
    if (img.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "dravik-mkicons: cannot write %s\n", qPrintable(path));
    return false;
}

QImage Draw(int w, int h, const std::function<void(QPainter&)>& paint, QImage::Format format)
{
    QImage img(w, h, format);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    paint(p);
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: dravik-mkicons OUTDIR\n", stderr);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("icons")) || !out.mkpath(QStringLiteral("toolbar"))) {
        std::fprintf(stderr, "dravik-mkicons: cannot create folders in %s\n", argv[1]);
        return 1;
    }

    // In the order of the document's image lists.
    using Icon = void (*)(QPainter&, double);
    const Icon icons[] = {GenericFile, FolderClosed, FolderOpen, FrmImage, TextFile,  Movie,
                          Sound,       ArchiveClosed, SpareDisk, ArchiveOpen, RixImage};
    bool ok = true;
    for (int i = 0; i < 11; ++i)
        for (int size : {32, 16}) {
            const QImage img = Draw(size, size, [&](QPainter& p) { icons[i](p, size / 16.0); },
                                    QImage::Format_ARGB32_Premultiplied);
            ok &= Save(img, out.filePath(QStringLiteral("icons/item%1_%2.png").arg(i).arg(size)));
        }

    const std::pair<const char*, void (*)(QPainter&)> tools[] = {
        {"open", ToolOpen},        {"show", ToolShow},       {"largeicons", ToolLargeIcons}, {"smallicons", ToolSmallIcons},
        {"list", ToolList},        {"details", ToolDetails}, {"about", ToolAbout},       {"up", ToolUp},
        {"find", ToolFind},
    };
    for (const auto& [name, paint] : tools)
        ok &= Save(Draw(16, 15, paint, QImage::Format_ARGB32_Premultiplied),
                   out.filePath(QStringLiteral("toolbar/%1.png").arg(QLatin1String(name))));

    ok &= Save(Draw(128, 96, AboutPicture, QImage::Format_RGB888), out.filePath(QStringLiteral("about.png")));

    // The desktop's menu sizes; the build installs these into the hicolor theme.
    ok &= out.mkpath(QStringLiteral("app"));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        ok &= Save(Draw(size, size, [size](QPainter& p) { PaintAppIcon(p, size); }, QImage::Format_ARGB32_Premultiplied),
                   out.filePath(QStringLiteral("app/dravik_%1.png").arg(size)));
    QFile svg(out.filePath(QStringLiteral("app/dravik.svg")));
    if (!svg.open(QIODevice::WriteOnly) || svg.write(AppIconSvg()) < 0 || !svg.flush()) {
        std::fprintf(stderr, "dravik-mkicons: cannot write %s\n", qPrintable(svg.fileName()));
        ok = false;
    }
    return ok ? 0 : 1;
}
