#include "platform/pictures/WindowsMetafile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

#include <initializer_list>

namespace
{

// Writes small metafiles: a placeable header (optional), the standard header and records.
class WmfWriter
{
public:
    // Appends one record of 16-bit parameters.
    WmfWriter& record(quint16 function, std::initializer_list<int> words)
    {
        QByteArray params;
        for (int w : words)
            appendU16(params, quint16(w));
        return raw(function, params);
    }
    // Appends one record with parameters given as bytes (padded to a whole number of words).
    WmfWriter& raw(quint16 function, QByteArray params)
    {
        if (params.size() % 2)
            params.append('\0');
        appendU32(m_records, quint32(3 + params.size() / 2));
        appendU16(m_records, function);
        m_records.append(params);
        ++m_count;
        return *this;
    }

    WmfWriter& windowOrg(int x, int y) { return record(0x020B, {y, x}); }
    WmfWriter& windowExt(int x, int y) { return record(0x020C, {y, x}); }
    WmfWriter& viewportOrg(int x, int y) { return record(0x020D, {y, x}); }
    WmfWriter& viewportExt(int x, int y) { return record(0x020E, {y, x}); }
    WmfWriter& mapMode(int mode) { return record(0x0103, {mode}); }
    WmfWriter& brush(int style, QRgb rgb, int hatch = 0)
    {
        const quint32 ref = colorRef(rgb);
        return record(0x02FC, {style, int(ref & 0xFFFF), int(ref >> 16), hatch});
    }
    WmfWriter& pen(int style, int width, QRgb rgb)
    {
        const quint32 ref = colorRef(rgb);
        return record(0x02FA, {style, width, 0, int(ref & 0xFFFF), int(ref >> 16)});
    }
    WmfWriter& font(int height, const QByteArray& face = "Liberation Sans")
    {
        QByteArray params;
        for (int w : {height, 0, 0, 0, 400})
            appendU16(params, quint16(w));
        params.append(QByteArray(8, '\0'));
        QByteArray name = face.left(31);
        name.append(QByteArray(32 - name.size(), '\0'));
        params.append(name);
        return raw(0x02FB, params);
    }
    WmfWriter& select(int index) { return record(0x012D, {index}); }
    WmfWriter& remove(int index) { return record(0x01F0, {index}); }
    WmfWriter& saveDc() { return record(0x001E, {}); }
    WmfWriter& restoreDc(int which = -1) { return record(0x0127, {which}); }
    WmfWriter& textColor(QRgb rgb)
    {
        const quint32 ref = colorRef(rgb);
        return record(0x0209, {int(ref & 0xFFFF), int(ref >> 16)});
    }
    WmfWriter& bkMode(int mode) { return record(0x0102, {mode}); }
    WmfWriter& moveTo(int x, int y) { return record(0x0214, {y, x}); }
    WmfWriter& lineTo(int x, int y) { return record(0x0213, {y, x}); }
    WmfWriter& rectangle(int l, int t, int r, int b) { return record(0x041B, {b, r, t, l}); }
    WmfWriter& ellipse(int l, int t, int r, int b) { return record(0x0418, {b, r, t, l}); }
    WmfWriter& pie(int l, int t, int r, int b, int xs, int ys, int xe, int ye)
    {
        return record(0x081A, {ye, xe, ys, xs, b, r, t, l});
    }
    WmfWriter& polygon(std::initializer_list<QPoint> points)
    {
        QByteArray params;
        appendU16(params, quint16(points.size()));
        for (const QPoint& p : points) {
            appendU16(params, quint16(p.x()));
            appendU16(params, quint16(p.y()));
        }
        return raw(0x0324, params);
    }
    WmfWriter& textOut(int x, int y, const QByteArray& text)
    {
        QByteArray params;
        appendU16(params, quint16(text.size()));
        params.append(text);
        if (text.size() % 2)
            params.append('\0');
        appendU16(params, quint16(y));
        appendU16(params, quint16(x));
        return raw(0x0521, params);
    }
    WmfWriter& extTextOut(int x, int y, const QByteArray& text)
    {
        QByteArray params;
        appendU16(params, quint16(y));
        appendU16(params, quint16(x));
        appendU16(params, quint16(text.size()));
        appendU16(params, 0);
        params.append(text);
        return raw(0x0A32, params);
    }
    // StretchDIBits of `dib` onto the logical rectangle (x, y, w, h).
    WmfWriter& stretchDib(const QByteArray& dib, int srcW, int srcH, int x, int y, int w, int h)
    {
        QByteArray params;
        appendU32(params, 0x00CC0020); // SRCCOPY
        for (int v : {0, srcH, srcW, 0, 0, h, w, y, x})
            appendU16(params, quint16(v));
        params.append(dib);
        return raw(0x0F43, params);
    }

    QByteArray bytes(bool placeable = true, QRect bounds = QRect(0, 0, 100, 100),
                     int unitsPerInch = 96, int objects = 8) const
    {
        QByteArray out;
        if (placeable) {
            appendU32(out, 0x9AC6CDD7);
            appendU16(out, 0);
            appendU16(out, quint16(bounds.left()));
            appendU16(out, quint16(bounds.top()));
            appendU16(out, quint16(bounds.left() + bounds.width()));
            appendU16(out, quint16(bounds.top() + bounds.height()));
            appendU16(out, quint16(unitsPerInch));
            appendU32(out, 0);
            appendU16(out, 0); // checksum, not checked
        }
        const QByteArray body = m_records + eof();
        appendU16(out, 1);
        appendU16(out, 9);
        appendU16(out, 0x0300);
        appendU32(out, quint32((18 + body.size()) / 2));
        appendU16(out, quint16(objects));
        appendU32(out, 3);
        appendU16(out, 0);
        out.append(body);
        return out;
    }

    static QByteArray eof()
    {
        QByteArray e;
        appendU32(e, 3);
        appendU16(e, 0);
        return e;
    }
    static quint32 colorRef(QRgb rgb)
    {
        return quint32(qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16);
    }
    static void appendU16(QByteArray& out, quint16 v)
    {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    }
    static void appendU32(QByteArray& out, quint32 v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    }

private:
    QByteArray m_records;
    int m_count = 0;
};

// A device-independent bitmap (BITMAPINFOHEADER) of `width` x `height` pixels given top row first,
// stored bottom-up at `bits` per pixel; at 8 bits and less the colours become the colour table.
QByteArray dib(int width, int height, const QList<QRgb>& topDown, int bits)
{
    QList<QRgb> palette;
    if (bits <= 8) {
        for (QRgb c : topDown)
            if (!palette.contains(c))
                palette.append(c);
    }
    QByteArray out;
    WmfWriter::appendU32(out, 40);
    WmfWriter::appendU32(out, quint32(width));
    WmfWriter::appendU32(out, quint32(height));
    WmfWriter::appendU16(out, 1);
    WmfWriter::appendU16(out, quint16(bits));
    WmfWriter::appendU32(out, 0);
    WmfWriter::appendU32(out, 0);
    WmfWriter::appendU32(out, 0);
    WmfWriter::appendU32(out, 0);
    WmfWriter::appendU32(out, quint32(palette.size()));
    WmfWriter::appendU32(out, 0);
    for (QRgb c : palette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append('\0');
    }
    const int stride = ((width * bits + 31) / 32) * 4;
    for (int row = height - 1; row >= 0; --row) {
        QByteArray line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const QRgb c = topDown.at(row * width + x);
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                const int index = int(palette.indexOf(c));
                const int bitPos = x * bits;
                const int shift = 8 - bits - bitPos % 8;
                line[bitPos / 8] = char(uchar(line[bitPos / 8]) | (index << shift));
                break;
            }
            case 24:
                line[x * 3] = char(qBlue(c));
                line[x * 3 + 1] = char(qGreen(c));
                line[x * 3 + 2] = char(qRed(c));
                break;
            case 32:
                line[x * 4] = char(qBlue(c));
                line[x * 4 + 1] = char(qGreen(c));
                line[x * 4 + 2] = char(qRed(c));
                break;
            }
        }
        out.append(line);
    }
    return out;
}

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

QRgb at(const QImage& image, int x, int y)
{
    return image.pixel(x, y);
}

int darkPixels(const QImage& image, const QRect& area)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ++n;
    return n;
}

QImage rendered(const QByteArray& bytes, QSize size = QSize())
{
    QString error;
    const QImage image = wmf::render(bytes, size, &error);
    EXPECT_FALSE(image.isNull()) << error.toStdString();
    return image;
}

QString rejection(const QByteArray& bytes)
{
    QString error;
    const QImage image = wmf::render(bytes, QSize(), &error);
    EXPECT_TRUE(image.isNull());
    EXPECT_FALSE(error.isEmpty());
    return error;
}

} // namespace

TEST(WindowsMetafile, RecognisesBothHeaders)
{
    WmfWriter w;
    w.rectangle(0, 0, 10, 10);
    EXPECT_TRUE(wmf::looksLikeMetafile(w.bytes(true)));
    EXPECT_TRUE(wmf::looksLikeMetafile(w.bytes(false)));
    EXPECT_FALSE(wmf::looksLikeMetafile(QByteArray("\x89PNG\r\n\x1a\n0000000000000000", 24)));
    EXPECT_FALSE(wmf::looksLikeMetafile(QByteArray()));
    EXPECT_FALSE(wmf::looksLikeMetafile(w.bytes(true).left(30)));
}

TEST(WindowsMetafile, FilledRectangleAndEllipseLandWhereTheWindowSays)
{
    WmfWriter w;
    w.mapMode(8).windowOrg(0, 0).windowExt(1000, 1000);
    w.brush(0, kRed).select(0);
    w.pen(5, 0, kBlack).select(1); // no outline
    w.rectangle(200, 200, 600, 600);
    w.brush(0, kGreen).select(2);
    w.ellipse(500, 500, 900, 900);
    // 1000 units at 960 an inch: 100 pixels at 96 dots per inch.
    const QImage image = rendered(w.bytes(true, QRect(0, 0, 1000, 1000), 960));
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(at(image, 30, 30), kRed);
    EXPECT_EQ(at(image, 19, 19), kWhite);
    EXPECT_EQ(at(image, 40, 10), kWhite);
    EXPECT_EQ(at(image, 70, 70), kGreen); // the ellipse is drawn over the rectangle
    EXPECT_EQ(at(image, 70, 55), kGreen);
    EXPECT_EQ(at(image, 52, 52), kRed);   // the rectangle, outside the ellipse inside its box
    EXPECT_EQ(at(image, 85, 55), kWhite); // outside both
    EXPECT_EQ(at(image, 95, 95), kWhite);
}

TEST(WindowsMetafile, NegativeWindowExtentTurnsTheYAxisUp)
{
    WmfWriter w;
    w.windowOrg(0, 1000).windowExt(1000, -1000);
    w.brush(0, kBlue).select(0).pen(5, 0, kBlack).select(1);
    w.rectangle(0, 0, 500, 500); // the lower left quarter
    const QImage image = rendered(w.bytes(false), QSize(100, 100));
    ASSERT_EQ(image.size(), QSize(100, 100));
    EXPECT_EQ(at(image, 25, 75), kBlue);
    EXPECT_EQ(at(image, 25, 25), kWhite);
    EXPECT_EQ(at(image, 75, 75), kWhite);
}

TEST(WindowsMetafile, SizeComesFromHeaderWindowOrTarget)
{
    WmfWriter w;
    w.windowExt(200, 100).rectangle(0, 0, 10, 10);
    EXPECT_EQ(rendered(w.bytes(false)).size(), QSize(200, 100));
    EXPECT_EQ(wmf::naturalSize(w.bytes(false)), QSize(200, 100));
    // Placeable bounds 2 by 1 inches (1440 units an inch) at 96 dots per inch.
    EXPECT_EQ(rendered(w.bytes(true, QRect(0, 0, 2880, 1440), 1440)).size(), QSize(192, 96));
    // A target size wins; a huge one is bounded, keeping the shape.
    EXPECT_EQ(rendered(w.bytes(false), QSize(50, 40)).size(), QSize(50, 40));
    EXPECT_EQ(rendered(w.bytes(false), QSize(20000, 10000)).size(), QSize(4096, 2048));
    EXPECT_EQ(rendered(w.bytes(true, QRect(0, 0, 30000, 15000), 1)).size(), QSize(4096, 2048));

    // No window and no placeable header: the extent of what is drawn.
    WmfWriter drawn;
    drawn.brush(0, kRed).select(0).pen(5, 0, kBlack).select(1).rectangle(10, 20, 70, 50);
    const QImage image = rendered(drawn.bytes(false));
    EXPECT_EQ(image.size(), QSize(60, 30));
    EXPECT_EQ(at(image, 30, 15), kRed);
}

TEST(WindowsMetafile, LinesFollowThePen)
{
    WmfWriter w;
    w.windowExt(100, 100);
    w.pen(0, 0, kBlue).select(0);
    w.moveTo(10, 50).lineTo(90, 50);
    w.pen(0, 6, kRed).select(1);
    w.moveTo(50, 10).lineTo(50, 30);
    w.pen(5, 0, kBlack).select(2);
    w.moveTo(10, 80).lineTo(90, 80); // a null pen draws nothing
    const QImage image = rendered(w.bytes());
    EXPECT_EQ(at(image, 50, 50), kBlue);
    EXPECT_EQ(at(image, 20, 50), kBlue);
    EXPECT_EQ(at(image, 50, 52), kWhite);
    EXPECT_EQ(at(image, 50, 20), kRed);
    EXPECT_EQ(at(image, 48, 20), kRed); // six units wide
    EXPECT_EQ(at(image, 40, 20), kWhite);
    EXPECT_EQ(at(image, 50, 80), kWhite);
}

TEST(WindowsMetafile, PolygonsPiesAndHatches)
{
    WmfWriter w;
    w.windowExt(100, 100).pen(5, 0, kBlack).select(0);
    w.brush(0, kRed).select(1);
    w.polygon({QPoint(0, 0), QPoint(40, 0), QPoint(0, 40)});
    w.brush(0, kBlue).select(2);
    // The quarter of the circle from 3 o'clock counterclockwise to 12 o'clock.
    w.pie(50, 50, 100, 100, 100, 75, 75, 50);
    w.brush(2, kBlack, 4).select(3); // cross hatch
    w.rectangle(0, 60, 40, 100);
    const QImage image = rendered(w.bytes());
    EXPECT_EQ(at(image, 10, 10), kRed);
    EXPECT_EQ(at(image, 35, 35), kWhite);
    EXPECT_EQ(at(image, 88, 62), kBlue);
    EXPECT_EQ(at(image, 62, 88), kWhite);
    const int hatched = darkPixels(image, QRect(2, 62, 36, 36));
    EXPECT_GT(hatched, 36 * 36 / 10);
    EXPECT_LT(hatched, 36 * 36 * 9 / 10);
}

TEST(WindowsMetafile, ShapesFarLargerThanThePictureAreDrawnWhereTheyShow)
{
    WmfWriter w;
    w.windowExt(100, 100).pen(0, 0, kBlue).select(0).brush(0, kRed).select(1);
    w.ellipse(-15950, 50, 16050, 32050);    // a huge circle whose top touches y = 50
    w.rectangle(-30000, -30000, 30000, 20); // a huge rectangle ending at y = 20
    w.moveTo(-30000, 35).lineTo(30000, 35); // a long line across
    const QImage image = rendered(w.bytes());
    EXPECT_EQ(at(image, 50, 45), kWhite);
    EXPECT_EQ(at(image, 50, 55), kRed);
    EXPECT_EQ(at(image, 5, 90), kRed);
    EXPECT_EQ(at(image, 50, 10), kRed);
    EXPECT_EQ(at(image, 50, 25), kWhite);
    EXPECT_EQ(at(image, 50, 35), kBlue);
    EXPECT_EQ(at(image, 1, 35), kBlue);
}

TEST(WindowsMetafile, TextDrawsInTheTextColour)
{
    WmfWriter w;
    w.windowExt(200, 100);
    w.font(-40).select(0).textColor(kBlack).bkMode(1);
    w.textOut(10, 10, "Wordlark");
    w.extTextOut(10, 60, "WMF");
    const QImage image = rendered(w.bytes(true, QRect(0, 0, 200, 100), 96));
    EXPECT_GT(darkPixels(image, QRect(0, 0, 200, 55)), 100);
    EXPECT_GT(darkPixels(image, QRect(0, 55, 200, 45)), 50);
    // Nothing to the right of the short second line.
    EXPECT_EQ(darkPixels(image, QRect(150, 60, 50, 40)), 0);
}

TEST(WindowsMetafile, EmbeddedBitmapsDrawTheirPixels)
{
    const QList<QRgb> pixels{kRed, kWhite, kBlue, kGreen}; // top row first
    for (int bits : {1, 4, 8, 24, 32}) {
        const QList<QRgb> colours = bits == 1 ? QList<QRgb>{kRed, kBlue, kBlue, kRed} : pixels;
        WmfWriter w;
        w.windowExt(100, 100);
        w.stretchDib(dib(2, 2, colours, bits), 2, 2, 0, 0, 100, 100);
        const QImage image = rendered(w.bytes());
        EXPECT_EQ(at(image, 25, 25), colours[0]) << bits;
        EXPECT_EQ(at(image, 75, 25), colours[1]) << bits;
        EXPECT_EQ(at(image, 25, 75), colours[2]) << bits;
        EXPECT_EQ(at(image, 75, 75), colours[3]) << bits;
    }
    // A bitmap whose bits are missing is skipped; the rest of the picture is drawn.
    WmfWriter broken;
    broken.windowExt(100, 100);
    broken.stretchDib(dib(2, 2, pixels, 24).left(44), 2, 2, 0, 0, 100, 100);
    broken.brush(0, kRed).select(0).rectangle(0, 0, 10, 10);
    const QImage image = rendered(broken.bytes());
    EXPECT_EQ(at(image, 50, 50), kWhite);
    EXPECT_EQ(at(image, 5, 5), kRed);
}

TEST(WindowsMetafile, ObjectTableSaveAndRestore)
{
    WmfWriter w;
    w.windowExt(100, 100).pen(5, 0, kBlack).select(0);
    w.brush(0, kRed);  // slot 1
    w.brush(0, kBlue); // slot 2
    w.remove(1);
    w.brush(0, kGreen); // takes the freed slot 1
    w.select(1).rectangle(0, 0, 20, 20);
    w.saveDc().select(2).rectangle(20, 0, 40, 20);
    w.restoreDc(-1).rectangle(40, 0, 60, 20);
    const QImage image = rendered(w.bytes(true, QRect(0, 0, 100, 100), 96, 3));
    EXPECT_EQ(at(image, 10, 10), kGreen);
    EXPECT_EQ(at(image, 30, 10), kBlue);
    EXPECT_EQ(at(image, 50, 10), kGreen);
}

TEST(WindowsMetafile, UnknownRecordsAreSkipped)
{
    WmfWriter w;
    w.windowExt(100, 100).record(0x0626, {1, 2, 3, 4}).record(0x7777, {9});
    w.brush(0, kRed).select(0).rectangle(0, 0, 50, 50);
    EXPECT_EQ(at(rendered(w.bytes()), 25, 25), kRed);
}

TEST(WindowsMetafile, MalformedFilesAreRejected)
{
    rejection(QByteArray());
    rejection(QByteArray("not a metafile at all, just words"));

    WmfWriter good;
    good.windowExt(100, 100).brush(0, kRed).select(0).rectangle(0, 0, 50, 50);
    const QByteArray bytes = good.bytes();
    // Truncated in the middle of a record.
    rejection(bytes.left(bytes.size() - 10));
    // Truncated placeable header.
    rejection(bytes.left(12));

    // A record of size zero.
    QByteArray zero = WmfWriter().bytes();
    zero.insert(40, QByteArray(6, '\0'));
    rejection(zero);

    // A record claiming more words than there are.
    WmfWriter past;
    past.raw(0x041B, QByteArray(8, '\0'));
    QByteArray pastBytes = past.bytes();
    qToLittleEndian<quint32>(0x7FFFFFFF, pastBytes.data() + 40);
    rejection(pastBytes);

    // Object indexes outside the table.
    WmfWriter outside;
    outside.brush(0, kRed).select(7);
    rejection(outside.bytes(true, QRect(0, 0, 100, 100), 96, 2));
    WmfWriter deleted;
    deleted.remove(40000);
    rejection(deleted.bytes());

    // Empty placeable bounds.
    rejection(good.bytes(true, QRect(0, 0, 0, 100)));

    // Counts that reach past the record.
    WmfWriter polygon;
    polygon.record(0x0324, {1000, 1, 1});
    rejection(polygon.bytes());
    WmfWriter text;
    text.record(0x0521, {500, 0, 0});
    rejection(text.bytes());
}

TEST(WindowsMetafile, HostileInputsStayBounded)
{
    QElapsedTimer timer;
    timer.start();

    // Very many records: play stops at the cap and the picture is returned.
    WmfWriter many;
    many.windowExt(100, 100).brush(0, kRed).select(0).rectangle(0, 0, 50, 50);
    for (int i = 0; i < 1'100'000; ++i)
        many.record(0x0201, {0, 0}); // SetBkColor
    EXPECT_EQ(at(rendered(many.bytes()), 25, 25), kRed);

    // Deep SaveDC and RestoreDC beyond what was saved.
    WmfWriter deep;
    deep.windowExt(100, 100);
    for (int i = 0; i < 20000; ++i)
        deep.saveDc();
    for (int i = 0; i < 30000; ++i)
        deep.restoreDc(-1);
    deep.restoreDc(5000).restoreDc(-32768).brush(0, kRed).select(0).rectangle(0, 0, 50, 50);
    EXPECT_EQ(at(rendered(deep.bytes()), 25, 25), kRed);

    // Absurd scales and coordinates, huge pens and fonts, many full-size fills.
    WmfWriter absurd;
    absurd.windowExt(1, 1).viewportExt(32767, 32767);
    absurd.pen(1, 32767, kBlue).select(0).brush(0, kRed).select(1).font(-32768).select(2);
    absurd.ellipse(-32768, -32768, 32767, 32767).moveTo(-32768, 0).lineTo(32767, 0);
    absurd.textOut(0, 0, QByteArray(200, 'W'));
    absurd.windowExt(32767, 32767).viewportExt(1, 1);
    for (int i = 0; i < 3000; ++i)
        absurd.rectangle(-32768, -32768, 32767, 32767);
    QString error;
    wmf::render(absurd.bytes(true, QRect(0, 0, 32767, 32767), 1), QSize(), &error);

    // Past the work cap the rest is still checked: a malformed record at the end refuses the
    // file at every size.
    WmfWriter capped;
    capped.windowExt(100, 100).brush(0, kRed).select(0);
    for (int i = 0; i < 2000; ++i)
        capped.rectangle(0, 0, 100, 100);
    capped.select(50);
    const QByteArray cappedBytes = capped.bytes(true, QRect(0, 0, 100, 100), 2);
    EXPECT_TRUE(wmf::render(cappedBytes).isNull());
    EXPECT_TRUE(wmf::render(cappedBytes, QSize(10, 10)).isNull());
    EXPECT_LT(timer.elapsed(), 60000);
}

TEST(WindowsMetafile, HostileCorpusRendersOrIsRejected)
{
    const QDir dir(QStringLiteral(WORDLARK_TEST_DATA "/wmf"));
    const QStringList files = dir.entryList(QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& name : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QString error;
        const QImage image = wmf::render(file.readAll(), QSize(), &error);
        if (image.isNull())
            EXPECT_FALSE(error.isEmpty()) << name.toStdString();
        else
            EXPECT_LE(std::max(image.width(), image.height()), 4096) << name.toStdString();
    }
}
