#include "platform/pictures/WindowsMetafile.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QStringDecoder>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace wmf
{
namespace
{

// ---- Limits ------------------------------------------------------------------------------------

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qsizetype kPlaceableHeaderBytes = 22;
constexpr qsizetype kStandardHeaderBytes = 18;
constexpr qsizetype kMaxInputBytes = 256 * 1024 * 1024;
constexpr int kMaxImageSide = 4096;
constexpr quint64 kMaxRecords = 1'000'000;
// Drawing work is capped twice: operations (records, points, characters, rectangles of a clip
// region, bytes of bitmaps) and pixels (painted, rasterised or decoded; about seventy fills of
// the largest image, or a few seconds of drawing).
constexpr quint64 kOperationBudget = 16'000'000;
constexpr quint64 kPixelBudget = 1'200'000'000;
constexpr int kMaxSaveDepth = 256;
constexpr int kMaxBitmapSide = 16384;
constexpr qint64 kMaxBitmapPixels = 16 * 1024 * 1024;
constexpr int kMaxFontPixels = 2048;
// Coordinates past this many pixels are not drawn at all (they cannot come from sane mappings).
constexpr qreal kMaxDeviceCoordinate = 1e13;
// Scales between logical units and pixels outside this range are refused (the record is ignored).
constexpr qreal kMinScale = 1e-6;
constexpr qreal kMaxScale = 1e5;

// ---- Record functions --------------------------------------------------------------------------

enum Function : quint16 {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_REALIZEPALETTE = 0x0035,
    META_SETPALENTRIES = 0x0037,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETRELABS = 0x0105,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_RESTOREDC = 0x0127,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_RESIZEPALETTE = 0x0139,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_SETLAYOUT = 0x0149,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_SETTEXTJUSTIFICATION = 0x020A,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SETMAPPERFLAGS = 0x0231,
    META_SELECTPALETTE = 0x0234,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_FLOODFILL = 0x0419,
    META_FRAMEREGION = 0x0429,
    META_ANIMATEPALETTE = 0x0436,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_TEXTOUT = 0x0521,
    META_POLYPOLYGON = 0x0538,
    META_EXTFLOODFILL = 0x0548,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_ESCAPE = 0x0626,
    META_CREATEREGION = 0x06FF,
    META_ARC = 0x0817,
    META_PIE = 0x081A,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_DIBBITBLT = 0x0940,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHBLT = 0x0B23,
    META_DIBSTRETCHBLT = 0x0B41,
    META_SETDIBTODEV = 0x0D33,
    META_STRETCHDIB = 0x0F43,
};

bool isDrawingRecord(quint16 function)
{
    switch (function) {
    case META_LINETO:
    case META_POLYGON:
    case META_POLYLINE:
    case META_POLYPOLYGON:
    case META_RECTANGLE:
    case META_ROUNDRECT:
    case META_ELLIPSE:
    case META_ARC:
    case META_PIE:
    case META_CHORD:
    case META_TEXTOUT:
    case META_EXTTEXTOUT:
    case META_SETPIXEL:
    case META_PATBLT:
    case META_DIBBITBLT:
    case META_DIBSTRETCHBLT:
    case META_STRETCHDIB:
    case META_SETDIBTODEV:
        return true;
    default:
        return false;
    }
}

// ---- Errors and reading ------------------------------------------------------------------------

struct Malformed {
    QString message;
};

[[noreturn]] void malformed(const char* message)
{
    throw Malformed{QString::fromLatin1(message)};
}

quint16 readU16(const uchar* p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 readU32(const uchar* p)
{
    return qFromLittleEndian<quint32>(p);
}

// The parameters of one record, read little-endian with bounds checks.
class Params
{
public:
    Params(const uchar* data, qsizetype size) : m_data(data), m_size(size) {}

    qsizetype size() const { return m_size; }
    qsizetype remaining() const { return m_size - m_pos; }
    qsizetype position() const { return m_pos; }

    void need(qsizetype bytes) const
    {
        if (bytes < 0 || bytes > remaining())
            malformed("record too short for its parameters");
    }
    quint8 u8()
    {
        need(1);
        return m_data[m_pos++];
    }
    quint16 u16()
    {
        need(2);
        const quint16 v = readU16(m_data + m_pos);
        m_pos += 2;
        return v;
    }
    qint16 i16() { return qint16(u16()); }
    quint32 u32()
    {
        need(4);
        const quint32 v = readU32(m_data + m_pos);
        m_pos += 4;
        return v;
    }
    QByteArray bytes(qsizetype n)
    {
        need(n);
        QByteArray out(reinterpret_cast<const char*>(m_data + m_pos), n);
        m_pos += n;
        return out;
    }
    const uchar* here() const { return m_data + m_pos; }
    void skip(qsizetype n)
    {
        need(n);
        m_pos += n;
    }

private:
    const uchar* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

QColor colorRef(quint32 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// ---- Headers -----------------------------------------------------------------------------------

struct Header {
    bool placeable = false;
    QRectF bounds; // placeable bounds, logical units (normalised)
    int unitsPerInch = 0;
    int objectCount = 0;
    qsizetype recordsStart = 0;
};

bool standardHeaderAt(const QByteArray& bytes, qsizetype at)
{
    if (bytes.size() < at + kStandardHeaderBytes)
        return false;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData()) + at;
    const quint16 type = readU16(p);
    const quint16 headerWords = readU16(p + 2);
    const quint16 version = readU16(p + 4);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

Header readHeader(const QByteArray& bytes)
{
    if (bytes.size() > kMaxInputBytes)
        malformed("metafile too large");
    Header header;
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    qsizetype at = 0;
    if (bytes.size() >= 4 && readU32(p) == kPlaceableKey) {
        if (bytes.size() < kPlaceableHeaderBytes)
            malformed("truncated placeable header");
        const qint16 left = qint16(readU16(p + 6));
        const qint16 top = qint16(readU16(p + 8));
        const qint16 right = qint16(readU16(p + 10));
        const qint16 bottom = qint16(readU16(p + 12));
        header.placeable = true;
        header.bounds = QRectF(QPointF(left, top), QPointF(right, bottom)).normalized();
        header.unitsPerInch = readU16(p + 14);
        if (header.bounds.width() <= 0 || header.bounds.height() <= 0)
            malformed("empty picture bounds");
        at = kPlaceableHeaderBytes;
    }
    if (!standardHeaderAt(bytes, at))
        malformed("not a Windows metafile");
    header.objectCount = readU16(p + at + 10);
    header.recordsStart = at + kStandardHeaderBytes;
    return header;
}

// Walks the records, checking each one's size; calls `visit(function, params)` for every record
// before the end-of-file record. Rejects a record whose size is below the minimum or reaches past
// the data. Stops after kMaxRecords records.
template <typename Visit>
void forEachRecord(const QByteArray& bytes, qsizetype start, Visit&& visit)
{
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype pos = start;
    quint64 count = 0;
    while (size - pos >= 6) {
        const quint64 words = readU32(data + pos);
        const quint16 function = readU16(data + pos + 4);
        if (words < 3)
            malformed("record size below the minimum");
        if (words * 2 > quint64(size - pos))
            malformed("record reaches past the end of the data");
        if (function == META_EOF)
            return;
        if (++count > kMaxRecords)
            return;
        const qsizetype length = qsizetype(words * 2);
        if (!visit(function, Params(data + pos + 6, length - 6)))
            return;
        pos += length;
    }
}

// ---- Device context ----------------------------------------------------------------------------

struct PenDef {
    int style = 0;
    qreal width = 0;
    QColor color = Qt::black;
};

struct BrushDef {
    int style = 0;
    QColor color = Qt::white;
    int hatch = 0;
    QImage pattern;
};

struct FontDef {
    int height = 0;
    int escapement = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
    QString face;
};

struct GdiObject {
    enum Kind { Empty, Pen, Brush, Font, Other } kind = Empty;
    PenDef pen;
    BrushDef brush;
    FontDef font;
};

enum MapMode {
    MM_TEXT = 1,
    MM_LOMETRIC = 2,
    MM_HIMETRIC = 3,
    MM_LOENGLISH = 4,
    MM_HIENGLISH = 5,
    MM_TWIPS = 6,
    MM_ISOTROPIC = 7,
    MM_ANISOTROPIC = 8
};

struct DcState {
    PenDef pen;
    BrushDef brush;
    FontDef font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = 2; // OPAQUE
    int textAlign = 0;
    int polyFillMode = 1; // ALTERNATE
    // The player plays the metafile as a program draws a picture into a rectangle: anisotropic
    // mapping of the picture's frame onto the image, which the metafile's own records may change.
    int mapMode = MM_ANISOTROPIC;
    QPointF windowOrg{0, 0};
    QPointF windowExt{1, 1};
    QPointF viewportOrg{0, 0};
    QPointF viewportExt{1, 1};
    QPointF position{0, 0};
    std::optional<QRegion> clip;
};

// ---- Text encodings ----------------------------------------------------------------------------

QString decodeText(const QByteArray& raw, int charset)
{
    const char* name = nullptr;
    switch (charset) {
    case 2: // SYMBOL: the font's own glyphs sit at the byte values
        return QString::fromLatin1(raw);
    case 77:
        name = "macintosh";
        break;
    case 128:
        name = "Shift_JIS";
        break;
    case 129:
        name = "windows-949";
        break;
    case 130:
        name = "x-johab";
        break;
    case 134:
        name = "GBK";
        break;
    case 136:
        name = "Big5";
        break;
    case 161:
        name = "windows-1253";
        break;
    case 162:
        name = "windows-1254";
        break;
    case 163:
        name = "windows-1258";
        break;
    case 177:
        name = "windows-1255";
        break;
    case 178:
        name = "windows-1256";
        break;
    case 186:
        name = "windows-1257";
        break;
    case 204:
        name = "windows-1251";
        break;
    case 222:
        name = "windows-874";
        break;
    case 238:
        name = "windows-1250";
        break;
    case 255:
        name = "IBM437";
        break;
    default:
        name = "windows-1252";
        break;
    }
    QStringDecoder decoder(name);
    if (!decoder.isValid())
        return QString::fromLatin1(raw);
    QString text = decoder.decode(raw);
    return text;
}

// ---- Embedded bitmaps --------------------------------------------------------------------------

// Decodes a device-independent bitmap (header, colour table, bits) held in `dib`. A null image for
// one that is malformed, too large or of a kind not drawn (palette-index colours).
QImage decodeDib(const QByteArray& dib, bool paletteIndexColours)
{
    if (dib.size() < 12)
        return QImage();
    const auto* p = reinterpret_cast<const uchar*>(dib.constData());
    const quint32 headerSize = readU32(p);
    qint64 width = 0, height = 0;
    int bitCount = 0;
    quint32 compression = 0;
    qint64 colours = 0;
    int colourEntryBytes = 4;
    qint64 masksBytes = 0;
    if (headerSize == 12) {
        width = readU16(p + 4);
        height = qint16(readU16(p + 6));
        bitCount = readU16(p + 10);
        colourEntryBytes = 3;
        colours = bitCount <= 8 ? (qint64(1) << bitCount) : 0;
    } else if (headerSize >= 40 && headerSize <= 124) {
        if (dib.size() < qsizetype(headerSize))
            return QImage();
        width = qint32(readU32(p + 4));
        height = qint32(readU32(p + 8));
        bitCount = readU16(p + 14);
        compression = readU32(p + 16);
        const quint32 used = readU32(p + 32);
        colours = used != 0 ? qint64(used) : (bitCount <= 8 ? (qint64(1) << bitCount) : 0);
        if (headerSize == 40 && compression == 3)
            masksBytes = 12;
        else if (headerSize == 40 && compression == 6)
            masksBytes = 16;
    } else {
        return QImage();
    }
    if (paletteIndexColours && bitCount <= 8)
        return QImage(); // indexes into a palette the player does not keep
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return QImage();
    const qint64 absHeight = height < 0 ? -height : height;
    if (width <= 0 || absHeight == 0 || width > kMaxBitmapSide || absHeight > kMaxBitmapSide ||
        width * absHeight > kMaxBitmapPixels)
        return QImage();
    if (colours > 4096 || (bitCount <= 8 && colours > 256))
        return QImage();
    const qint64 bitsOffset = qint64(headerSize) + masksBytes + colours * colourEntryBytes;
    if (bitsOffset > dib.size())
        return QImage();
    const qint64 available = dib.size() - bitsOffset;

    if (compression == 4 || compression == 5) { // JPEG or PNG bits
        QByteArray encoded = dib.mid(bitsOffset);
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer, compression == 4 ? "jpeg" : "png");
        const QSize size = reader.size();
        if (!size.isValid() || size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide ||
            qint64(size.width()) * size.height() > kMaxBitmapPixels)
            return QImage();
        return reader.read();
    }
    if (compression == 0 || compression == 3 || compression == 6) {
        const qint64 stride = ((width * bitCount + 31) / 32) * 4;
        if (stride * absHeight > available)
            return QImage();
    } else if (compression == 1 || compression == 2) {
        if (height < 0 || (compression == 1 && bitCount != 8) ||
            (compression == 2 && bitCount != 4))
            return QImage();
    } else {
        return QImage();
    }

    // Qt reads the bitmap once it has a file header in front of it.
    QByteArray file;
    file.reserve(14 + dib.size());
    file.append("BM", 2);
    char field[4];
    qToLittleEndian<quint32>(quint32(14 + dib.size()), field);
    file.append(field, 4);
    qToLittleEndian<quint32>(0, field);
    file.append(field, 4);
    qToLittleEndian<quint32>(quint32(14 + bitsOffset), field);
    file.append(field, 4);
    file.append(dib);
    QImage image;
    image.loadFromData(file, "BMP");
    return image;
}

// ---- Clipping far-out geometry -----------------------------------------------------------------

// The part of a closed polygon inside `window` (Sutherland-Hodgman). Within the window the result
// covers the same points with the same winding as the polygon.
QPolygonF clipPolygon(const QPolygonF& polygon, const QRectF& window)
{
    QPolygonF current = polygon;
    if (current.size() > 1 && current.first() == current.last())
        current.removeLast();
    for (int edge = 0; edge < 4 && !current.isEmpty(); ++edge) {
        auto inside = [&](const QPointF& p) {
            switch (edge) {
            case 0:
                return p.x() >= window.left();
            case 1:
                return p.x() <= window.right();
            case 2:
                return p.y() >= window.top();
            default:
                return p.y() <= window.bottom();
            }
        };
        auto cross = [&](const QPointF& a, const QPointF& b) {
            qreal t = 0;
            switch (edge) {
            case 0:
                t = (window.left() - a.x()) / (b.x() - a.x());
                break;
            case 1:
                t = (window.right() - a.x()) / (b.x() - a.x());
                break;
            case 2:
                t = (window.top() - a.y()) / (b.y() - a.y());
                break;
            default:
                t = (window.bottom() - a.y()) / (b.y() - a.y());
                break;
            }
            return a + (b - a) * t;
        };
        QPolygonF output;
        output.reserve(current.size() + 4);
        QPointF previous = current.last();
        bool previousInside = inside(previous);
        for (const QPointF& point : std::as_const(current)) {
            const bool pointInside = inside(point);
            if (pointInside != previousInside)
                output.append(cross(previous, point));
            if (pointInside)
                output.append(point);
            previous = point;
            previousInside = pointInside;
        }
        current = output;
    }
    return current;
}

// Adds the parts of the polyline inside `window` to `path` (Liang-Barsky for each segment); runs
// of segments that stay inside stay joined.
void addClippedPolyline(QPainterPath* path, const QPolygonF& polyline, const QRectF& window)
{
    bool joined = false;
    for (qsizetype i = 1; i < polyline.size(); ++i) {
        const QPointF a = polyline.at(i - 1), b = polyline.at(i);
        const qreal dx = b.x() - a.x(), dy = b.y() - a.y();
        qreal t0 = 0, t1 = 1;
        bool visible = true;
        const qreal p[4] = {-dx, dx, -dy, dy};
        const qreal q[4] = {a.x() - window.left(), window.right() - a.x(), a.y() - window.top(),
                            window.bottom() - a.y()};
        for (int k = 0; k < 4 && visible; ++k) {
            if (p[k] == 0) {
                visible = q[k] >= 0;
            } else {
                const qreal r = q[k] / p[k];
                if (p[k] < 0)
                    t0 = std::max(t0, r);
                else
                    t1 = std::min(t1, r);
                visible = t0 <= t1;
            }
        }
        if (!visible) {
            joined = false;
            continue;
        }
        const QPointF from = a + QPointF(dx, dy) * t0, to = a + QPointF(dx, dy) * t1;
        if (!joined || t0 > 0)
            path->moveTo(from);
        path->lineTo(to);
        joined = t1 >= 1;
    }
}

// ---- The player --------------------------------------------------------------------------------

class Player
{
public:
    Player(const QByteArray& bytes, const Header& header) : m_bytes(bytes), m_header(header)
    {
        m_objects.resize(size_t(header.objectCount));
    }

    // Maps the logical rectangle `frame` onto the image (size `imageSize`), a device whose pixels
    // were `reference` large: the metafile's viewport values are in those pixels. `supersample`
    // is how many image pixels make one pixel of the picture (one-pixel lines get that wide).
    void setMapping(const QRectF& frame, const QSizeF& reference, const QSize& imageSize,
                    int supersample = 1)
    {
        m_supersample = supersample;
        m_initial.windowOrg = frame.topLeft();
        m_initial.windowExt = QPointF(frame.width(), frame.height());
        m_initial.viewportOrg = QPointF(0, 0);
        m_initial.viewportExt = QPointF(reference.width(), reference.height());
        m_referenceScale =
            QPointF(imageSize.width() / reference.width(), imageSize.height() / reference.height());
        m_imageSize = imageSize;
    }

    // Plays every record. With no painter only the extent of what would be drawn is measured.
    // Once the work is used up nothing more is drawn, but the remaining records are still read
    // and checked, so that whether a metafile is refused never depends on the size drawn at.
    void play(QPainter* painter)
    {
        m_painter = painter;
        m_state = m_initial;
        m_saved.clear();
        m_clipDirty = true;
        m_operations = 0;
        m_pixels = 0;
        m_exhausted = false;
        m_bounds = QRectF();
        m_haveBounds = false;
        std::fill(m_objects.begin(), m_objects.end(), GdiObject());
        forEachRecord(m_bytes, m_header.recordsStart, [this](quint16 function, Params params) {
            charge(1);
            playRecord(function, params);
            return true;
        });
    }

    QRectF measuredBounds() const { return m_bounds; }
    bool workExhausted() const { return m_exhausted; }

private:
    // ---- mapping

    struct Scale {
        qreal x, y;
    };

    Scale logicalScale() const
    {
        const DcState& s = m_state;
        qreal sx = 1, sy = 1;
        switch (s.mapMode) {
        case MM_ISOTROPIC:
        case MM_ANISOTROPIC:
            sx = s.viewportExt.x() / s.windowExt.x();
            sy = s.viewportExt.y() / s.windowExt.y();
            if (s.mapMode == MM_ISOTROPIC) {
                const qreal m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
            break;
        case MM_LOMETRIC:
            sx = 96.0 / 254;
            sy = -sx;
            break;
        case MM_HIMETRIC:
            sx = 96.0 / 2540;
            sy = -sx;
            break;
        case MM_LOENGLISH:
            sx = 96.0 / 100;
            sy = -sx;
            break;
        case MM_HIENGLISH:
            sx = 96.0 / 1000;
            sy = -sx;
            break;
        case MM_TWIPS:
            sx = 96.0 / 1440;
            sy = -sx;
            break;
        default:
            break; // MM_TEXT
        }
        return {sx, sy};
    }

    QPointF map(qreal x, qreal y) const
    {
        const Scale s = logicalScale();
        const qreal dx = (x - m_state.windowOrg.x()) * s.x + m_state.viewportOrg.x();
        const qreal dy = (y - m_state.windowOrg.y()) * s.y + m_state.viewportOrg.y();
        return QPointF(dx * m_referenceScale.x(), dy * m_referenceScale.y());
    }

    // Pixels per logical unit along x and y (absolute values).
    Scale pixelScale() const
    {
        const Scale s = logicalScale();
        return {std::abs(s.x * m_referenceScale.x()), std::abs(s.y * m_referenceScale.y())};
    }

    QRectF mapRect(qreal left, qreal top, qreal right, qreal bottom) const
    {
        return QRectF(map(left, top), map(right, bottom)).normalized();
    }

    static bool scaleSane(qreal numerator, qreal denominator)
    {
        if (denominator == 0 || numerator == 0)
            return false;
        const qreal s = std::abs(numerator / denominator);
        return s >= kMinScale && s <= kMaxScale;
    }

    // ---- work and drawing

    // Counts work; past the budget `m_exhausted` is set and nothing more is drawn.
    void charge(quint64 operations)
    {
        m_operations += operations;
        if (m_operations > kOperationBudget)
            m_exhausted = true;
    }

    void chargePixels(qreal pixels)
    {
        if (!(pixels > 0))
            return;
        m_pixels += quint64(std::min(pixels, qreal(kPixelBudget) + 1));
        if (m_pixels > kPixelBudget)
            m_exhausted = true;
    }

    // The pixels the rasteriser walks for a shape of this extent (it walks every row of the shape
    // that it does not clip away, so the extent around the image counts too).
    void chargeArea(const QRectF& deviceRect, qreal factor = 1)
    {
        const QRectF walked = deviceRect.intersected(comfortableRect());
        if (walked.isValid())
            chargePixels(walked.width() * walked.height() * factor);
    }

    // Patterned and hatched fills cost several times a plain one.
    static qreal fillFactor(const std::optional<QBrush>& brush)
    {
        return brush && brush->style() != Qt::SolidPattern ? 4 : 1;
    }

    // Shapes within this rectangle are drawn as they are; larger ones are clipped to the image
    // first, so that the rasteriser never walks far past it.
    QRectF comfortableRect() const
    {
        const qreal w = m_imageSize.width(), h = m_imageSize.height();
        return QRectF(-w, -h, 3 * w, 3 * h);
    }

    // True when a rectangle has finite coordinates of a sane size.
    bool reasonable(const QRectF& deviceRect) const
    {
        const qreal limit = kMaxDeviceCoordinate;
        return std::isfinite(deviceRect.left()) && std::isfinite(deviceRect.right()) &&
               std::isfinite(deviceRect.top()) && std::isfinite(deviceRect.bottom()) &&
               deviceRect.left() > -limit && deviceRect.right() < limit &&
               deviceRect.top() > -limit && deviceRect.bottom() < limit;
    }

    void applyClip()
    {
        if (!m_clipDirty || !m_painter)
            return;
        m_clipDirty = false;
        if (m_state.clip)
            m_painter->setClipRegion(*m_state.clip);
        else
            m_painter->setClipping(false);
    }

    QRect imageRect() const { return QRect(QPoint(0, 0), m_imageSize); }

    QRect deviceRectForClip(const QRectF& r) const
    {
        // Clamped to just around the image before rounding, so that far-away rectangles never
        // overflow integers.
        const qreal w = m_imageSize.width() + 2, h = m_imageSize.height() + 2;
        const int left = int(std::lround(std::clamp(r.left(), qreal(-2), w)));
        const int top = int(std::lround(std::clamp(r.top(), qreal(-2), h)));
        const int right = int(std::lround(std::clamp(r.right(), qreal(-2), w)));
        const int bottom = int(std::lround(std::clamp(r.bottom(), qreal(-2), h)));
        return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
    }

    std::optional<QPen> currentPen(const QRectF& deviceExtent) const
    {
        const PenDef& def = m_state.pen;
        const int style = def.style & 0x0F;
        if (style == 5) // PS_NULL
            return std::nullopt;
        const Scale s = pixelScale();
        qreal width = def.width <= 0 ? 1.0 : def.width * (s.x + s.y) / 2;
        width = std::clamp(width, qreal(m_supersample), qreal(2 * kMaxImageSide));
        QPen pen(def.color, width);
        Qt::PenStyle qtStyle = Qt::SolidLine;
        switch (style) {
        case 1:
            qtStyle = Qt::DashLine;
            break;
        case 2:
            qtStyle = Qt::DotLine;
            break;
        case 3:
            qtStyle = Qt::DashDotLine;
            break;
        case 4:
            qtStyle = Qt::DashDotDotLine;
            break;
        case 8:
            qtStyle = Qt::DotLine;
            break; // PS_ALTERNATE
        default:
            break;
        }
        // Dashes are drawn only for thin pens, as the original platform does, and only where the
        // shape is not vastly larger than the image (the number of dashes stays bounded).
        const qreal span = deviceExtent.width() + deviceExtent.height();
        if (width > 1.5 * m_supersample ||
            span > 8.0 * (m_imageSize.width() + m_imageSize.height()))
            qtStyle = Qt::SolidLine;
        pen.setStyle(qtStyle);
        switch (def.style & 0x0F00) {
        case 0x0100:
            pen.setCapStyle(Qt::SquareCap);
            break;
        case 0x0200:
            pen.setCapStyle(Qt::FlatCap);
            break;
        default:
            pen.setCapStyle(Qt::RoundCap);
            break;
        }
        switch (def.style & 0xF000) {
        case 0x1000:
            pen.setJoinStyle(Qt::BevelJoin);
            break;
        case 0x2000:
            pen.setJoinStyle(Qt::MiterJoin);
            break;
        default:
            pen.setJoinStyle(Qt::RoundJoin);
            break;
        }
        return pen;
    }

    std::optional<QBrush> currentBrush() const
    {
        const BrushDef& def = m_state.brush;
        switch (def.style) {
        case 0: // BS_SOLID
            return QBrush(def.color);
        case 1: // BS_NULL
            return std::nullopt;
        case 2: { // BS_HATCHED
            static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                     Qt::FDiagPattern, Qt::BDiagPattern,
                                                     Qt::CrossPattern, Qt::DiagCrossPattern};
            const int hatch = def.hatch >= 0 && def.hatch < 6 ? def.hatch : 0;
            QBrush hatched(def.color, hatches[hatch]);
            hatched.setTransform(QTransform::fromScale(m_supersample, m_supersample));
            return hatched;
        }
        default: // patterns
            if (!def.pattern.isNull())
                return QBrush(def.pattern);
            return QBrush(QColor(128, 128, 128));
        }
    }

    void unite(QRectF deviceRect)
    {
        deviceRect = deviceRect.normalized();
        if (!m_haveBounds) {
            m_bounds = deviceRect;
            m_haveBounds = true;
            return;
        }
        m_bounds.setLeft(std::min(m_bounds.left(), deviceRect.left()));
        m_bounds.setTop(std::min(m_bounds.top(), deviceRect.top()));
        m_bounds.setRight(std::max(m_bounds.right(), deviceRect.right()));
        m_bounds.setBottom(std::max(m_bounds.bottom(), deviceRect.bottom()));
    }

    // Fills (when `fill`) and outlines a path given in image pixels.
    void drawPath(QPainterPath path, bool fill, qsizetype points)
    {
        charge(quint64(points));
        if (m_exhausted)
            return;
        const Qt::FillRule rule = m_state.polyFillMode == 2 ? Qt::WindingFill : Qt::OddEvenFill;
        path.setFillRule(rule);
        const QRectF extent = path.controlPointRect();
        if (!reasonable(extent))
            return;
        std::optional<QPen> pen = currentPen(extent);
        const std::optional<QBrush> brush = fill ? currentBrush() : std::nullopt;
        const qreal margin = pen ? pen->widthF() / 2 + 1 : 0;
        const QRectF touched = extent.adjusted(-margin, -margin, margin, margin);
        if (!m_painter) {
            const qreal half = pen ? pen->widthF() / 2 : 0;
            if (pen || brush)
                unite(extent.adjusted(-half, -half, half, half));
            return;
        }
        if (!touched.intersects(QRectF(imageRect())))
            return;
        chargeArea(touched, fillFactor(brush) + (pen ? 1 : 0));
        // The rasteriser's cost grows with the length of the outline too; a wide outline is a
        // fill of its own, overlapping itself at every turn.
        const qreal length = outlineLength(path);
        if (brush)
            chargePixels(length * 8);
        if (pen)
            chargePixels(length * 8 + length * pen->widthF() * 8);
        if (m_exhausted)
            return;
        applyClip();
        if (!comfortableRect().contains(touched)) {
            // A shape far larger than the image: only its part around the image is drawn.
            const QRectF window =
                QRectF(imageRect()).adjusted(-margin - 2, -margin - 2, margin + 2, margin + 2);
            const QList<QPolygonF> polygons = path.toSubpathPolygons();
            for (const QPolygonF& polygon : polygons)
                charge(quint64(polygon.size()));
            if (m_exhausted)
                return;
            if (brush) {
                QPainterPath clipped;
                clipped.setFillRule(rule);
                for (const QPolygonF& polygon : polygons) {
                    const QPolygonF inside = clipPolygon(polygon, window);
                    if (inside.size() >= 3)
                        clipped.addPolygon(inside);
                }
                if (m_state.brush.style == 2 && m_state.bkMode == 2)
                    m_painter->fillPath(clipped, m_state.bkColor);
                m_painter->fillPath(clipped, *brush);
            }
            if (pen) {
                QPainterPath clipped;
                for (const QPolygonF& polygon : polygons)
                    addClippedPolyline(&clipped, polygon, window);
                if (pen->widthF() <= 1.5 * m_supersample)
                    clipped.translate(0.5 * m_supersample, 0.5 * m_supersample);
                pen->setStyle(Qt::SolidLine); // a dash pattern cannot be kept across the cut
                m_painter->strokePath(clipped, *pen);
            }
            return;
        }
        if (brush) {
            if (brush->style() != Qt::SolidPattern && m_state.brush.style == 2 &&
                m_state.bkMode == 2)
                m_painter->fillPath(path, m_state.bkColor);
            m_painter->fillPath(path, *brush);
        }
        if (pen) {
            // A thin line at a whole coordinate covers that row or column of pixels, not half of
            // two.
            if (pen->widthF() <= 1.5 * m_supersample)
                path.translate(0.5 * m_supersample, 0.5 * m_supersample);
            m_painter->strokePath(path, *pen);
        }
    }

    // The length of a path's outline in pixels (control points for curves), each piece counted at
    // most across the area around the image.
    qreal outlineLength(const QPainterPath& path) const
    {
        const QRectF around = comfortableRect();
        const qreal longest = std::hypot(around.width(), around.height());
        qreal length = 0;
        for (int i = 1; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            if (e.isMoveTo())
                continue;
            const QPainterPath::Element previous = path.elementAt(i - 1);
            length += std::min(std::hypot(e.x - previous.x, e.y - previous.y), longest);
        }
        return length;
    }

    void fillDeviceRect(QRectF rect, const QBrush& brush,
                        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver)
    {
        if (!reasonable(rect))
            return;
        if (!m_painter) {
            unite(rect);
            return;
        }
        rect = rect.intersected(QRectF(imageRect()).adjusted(-2, -2, 2, 2));
        if (rect.isEmpty())
            return;
        chargeArea(rect, fillFactor(brush));
        if (m_exhausted)
            return;
        applyClip();
        m_painter->setCompositionMode(mode);
        m_painter->fillRect(rect, brush);
        m_painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    // ---- objects

    void addObject(const GdiObject& object)
    {
        for (GdiObject& slot : m_objects) {
            if (slot.kind == GdiObject::Empty) {
                slot = object;
                return;
            }
        }
        // A full table: the object is not created, as on the original platform.
    }

    GdiObject& objectAt(quint16 index)
    {
        if (index >= m_objects.size())
            malformed("object index outside the object table");
        return m_objects[index];
    }

    // ---- records

    void playRecord(quint16 function, Params& p)
    {
        DcState& s = m_state;
        switch (function) {
        case META_SETBKCOLOR:
            s.bkColor = colorRef(p.u32());
            break;
        case META_SETTEXTCOLOR:
            s.textColor = colorRef(p.u32());
            break;
        case META_SETBKMODE:
            s.bkMode = p.u16();
            break;
        case META_SETTEXTALIGN:
            s.textAlign = p.u16();
            break;
        case META_SETPOLYFILLMODE:
            s.polyFillMode = p.u16();
            break;
        case META_SETMAPMODE: {
            const int mode = p.u16();
            if (mode >= MM_TEXT && mode <= MM_ANISOTROPIC)
                s.mapMode = mode;
            break;
        }
        case META_SETWINDOWORG: {
            const qint16 y = p.i16(), x = p.i16();
            s.windowOrg = QPointF(x, y);
            break;
        }
        case META_SETWINDOWEXT: {
            const qint16 y = p.i16(), x = p.i16();
            if (scaleSane(s.viewportExt.x(), x) && scaleSane(s.viewportExt.y(), y))
                s.windowExt = QPointF(x, y);
            break;
        }
        case META_SETVIEWPORTORG: {
            const qint16 y = p.i16(), x = p.i16();
            s.viewportOrg = QPointF(x, y);
            break;
        }
        case META_SETVIEWPORTEXT: {
            const qint16 y = p.i16(), x = p.i16();
            if (scaleSane(x, s.windowExt.x()) && scaleSane(y, s.windowExt.y()))
                s.viewportExt = QPointF(x, y);
            break;
        }
        case META_OFFSETWINDOWORG: {
            const qint16 y = p.i16(), x = p.i16();
            s.windowOrg += QPointF(x, y);
            break;
        }
        case META_OFFSETVIEWPORTORG: {
            const qint16 y = p.i16(), x = p.i16();
            s.viewportOrg += QPointF(x, y);
            break;
        }
        case META_SCALEWINDOWEXT:
        case META_SCALEVIEWPORTEXT: {
            const qint16 yDenom = p.i16(), yNum = p.i16(), xDenom = p.i16(), xNum = p.i16();
            if (xDenom == 0 || yDenom == 0)
                break;
            QPointF& ext = function == META_SCALEWINDOWEXT ? s.windowExt : s.viewportExt;
            const QPointF scaled(ext.x() * xNum / xDenom, ext.y() * yNum / yDenom);
            const QPointF& other = function == META_SCALEWINDOWEXT ? s.viewportExt : s.windowExt;
            const bool sane =
                function == META_SCALEWINDOWEXT
                    ? scaleSane(other.x(), scaled.x()) && scaleSane(other.y(), scaled.y())
                    : scaleSane(scaled.x(), other.x()) && scaleSane(scaled.y(), other.y());
            if (sane)
                ext = scaled;
            break;
        }
        case META_RESTOREDC: {
            const qint16 which = p.i16();
            qsizetype target = -1; // the index in m_saved to restore
            if (which < 0)
                target = qsizetype(m_saved.size()) + which;
            else if (which > 0)
                target = which - 1;
            if (target >= 0 && target < qsizetype(m_saved.size())) {
                s = m_saved[size_t(target)];
                m_saved.resize(size_t(target));
                m_clipDirty = true;
            }
            break;
        }
        case META_CREATEPENINDIRECT: {
            GdiObject o;
            o.kind = GdiObject::Pen;
            o.pen.style = p.u16();
            o.pen.width = p.i16();
            p.i16(); // the width's unused y
            o.pen.color = colorRef(p.u32());
            addObject(o);
            break;
        }
        case META_CREATEBRUSHINDIRECT: {
            GdiObject o;
            o.kind = GdiObject::Brush;
            o.brush.style = p.u16();
            o.brush.color = colorRef(p.u32());
            o.brush.hatch = p.u16();
            addObject(o);
            break;
        }
        case META_DIBCREATEPATTERNBRUSH: {
            GdiObject o;
            o.kind = GdiObject::Brush;
            const quint16 style = p.u16();
            const quint16 usage = p.u16();
            o.brush.style = 5;
            if (style != 3) { // a DIB follows (BS_PATTERN would be a device-dependent bitmap)
                const QByteArray dib = p.bytes(p.remaining());
                charge(quint64(dib.size()));
                if (!m_exhausted)
                    o.brush.pattern = decodeDib(dib, usage == 1);
                if (!o.brush.pattern.isNull() &&
                    qint64(o.brush.pattern.width()) * o.brush.pattern.height() > 256 * 256)
                    o.brush.pattern = QImage();
            }
            addObject(o);
            break;
        }
        case META_CREATEFONTINDIRECT: {
            GdiObject o;
            o.kind = GdiObject::Font;
            o.font.height = p.i16();
            p.i16(); // width
            o.font.escapement = p.i16();
            p.i16(); // orientation
            o.font.weight = p.i16();
            o.font.italic = p.u8() != 0;
            o.font.underline = p.u8() != 0;
            o.font.strikeOut = p.u8() != 0;
            o.font.charset = p.u8();
            p.skip(4); // precision, clip precision, quality, pitch and family
            const QByteArray face = p.bytes(std::min<qsizetype>(p.remaining(), 32));
            const qsizetype end = face.indexOf('\0');
            o.font.face = decodeText(end < 0 ? face : face.left(end), 0);
            addObject(o);
            break;
        }
        case META_CREATEPALETTE:
        case META_CREATEPATTERNBRUSH:
        case META_CREATEREGION: {
            GdiObject o;
            o.kind = GdiObject::Other;
            addObject(o);
            break;
        }
        case META_SELECTOBJECT: {
            const GdiObject& o = objectAt(p.u16());
            switch (o.kind) {
            case GdiObject::Pen:
                s.pen = o.pen;
                break;
            case GdiObject::Brush:
                s.brush = o.brush;
                break;
            case GdiObject::Font:
                s.font = o.font;
                break;
            default:
                break;
            }
            break;
        }
        case META_SELECTPALETTE:
            objectAt(p.u16());
            break;
        case META_DELETEOBJECT:
            objectAt(p.u16()) = GdiObject();
            break;
        case META_SELECTCLIPREGION:
            // Regions are not kept: selecting one (or none) lifts the clipping.
            s.clip.reset();
            m_clipDirty = true;
            break;
        case META_INTERSECTCLIPRECT:
        case META_EXCLUDECLIPRECT: {
            const qint16 bottom = p.i16(), right = p.i16(), top = p.i16(), left = p.i16();
            if (m_exhausted)
                break; // nothing more is drawn: the clipping no longer matters
            const QRect r = deviceRectForClip(mapRect(left, top, right, bottom));
            const QRegion current = s.clip ? *s.clip : QRegion(imageRect());
            s.clip =
                function == META_INTERSECTCLIPRECT ? current.intersected(r) : current.subtracted(r);
            charge(quint64(s.clip->rectCount()));
            m_clipDirty = true;
            break;
        }
        case META_OFFSETCLIPRGN: {
            const qint16 y = p.i16(), x = p.i16();
            if (s.clip && !m_exhausted) {
                const Scale sc = logicalScale();
                const qreal dx = std::clamp(x * sc.x * m_referenceScale.x(),
                                            qreal(-2 * kMaxImageSide), qreal(2 * kMaxImageSide));
                const qreal dy = std::clamp(y * sc.y * m_referenceScale.y(),
                                            qreal(-2 * kMaxImageSide), qreal(2 * kMaxImageSide));
                s.clip = s.clip->translated(int(std::lround(dx)), int(std::lround(dy)))
                             .intersected(imageRect());
                charge(quint64(s.clip->rectCount()));
                m_clipDirty = true;
            }
            break;
        }
        case META_MOVETO: {
            const qint16 y = p.i16(), x = p.i16();
            s.position = QPointF(x, y);
            break;
        }
        case META_LINETO: {
            const qint16 y = p.i16(), x = p.i16();
            QPainterPath path(map(s.position.x(), s.position.y()));
            path.lineTo(map(x, y));
            s.position = QPointF(x, y);
            drawPath(path, false, 2);
            break;
        }
        case META_POLYLINE:
        case META_POLYGON: {
            const qint16 count = p.i16();
            if (count < 0)
                malformed("negative point count");
            p.need(qsizetype(count) * 4);
            if (count == 0)
                break;
            QPainterPath path;
            for (int i = 0; i < count; ++i) {
                const qint16 x = p.i16(), y = p.i16();
                if (i == 0)
                    path.moveTo(map(x, y));
                else
                    path.lineTo(map(x, y));
            }
            if (function == META_POLYGON)
                path.closeSubpath();
            drawPath(path, function == META_POLYGON, count);
            break;
        }
        case META_POLYPOLYGON: {
            const quint16 polygons = p.u16();
            p.need(qsizetype(polygons) * 2);
            std::vector<quint16> counts(polygons);
            qsizetype total = 0;
            for (quint16& c : counts) {
                c = p.u16();
                total += c;
            }
            p.need(total * 4);
            QPainterPath path;
            for (quint16 c : counts) {
                for (int i = 0; i < c; ++i) {
                    const qint16 x = p.i16(), y = p.i16();
                    if (i == 0)
                        path.moveTo(map(x, y));
                    else
                        path.lineTo(map(x, y));
                }
                if (c > 0)
                    path.closeSubpath();
            }
            if (total > 0)
                drawPath(path, true, total + polygons);
            break;
        }
        case META_RECTANGLE:
        case META_ELLIPSE: {
            const qint16 bottom = p.i16(), right = p.i16(), top = p.i16(), left = p.i16();
            const QRectF r = mapRect(left, top, right, bottom);
            QPainterPath path;
            if (function == META_RECTANGLE)
                path.addRect(r);
            else
                path.addEllipse(r);
            drawPath(path, true, 4);
            break;
        }
        case META_ROUNDRECT: {
            const qint16 height = p.i16(), width = p.i16();
            const qint16 bottom = p.i16(), right = p.i16(), top = p.i16(), left = p.i16();
            const QRectF r = mapRect(left, top, right, bottom);
            const Scale sc = pixelScale();
            QPainterPath path;
            path.addRoundedRect(r, std::min(std::abs(width * sc.x) / 2, r.width() / 2),
                                std::min(std::abs(height * sc.y) / 2, r.height() / 2));
            drawPath(path, true, 8);
            break;
        }
        case META_ARC:
        case META_PIE:
        case META_CHORD: {
            const qint16 yEnd = p.i16(), xEnd = p.i16(), yStart = p.i16(), xStart = p.i16();
            const qint16 bottom = p.i16(), right = p.i16(), top = p.i16(), left = p.i16();
            drawArc(function, mapRect(left, top, right, bottom), map(xStart, yStart),
                    map(xEnd, yEnd));
            break;
        }
        case META_SETPIXEL: {
            const QColor color = colorRef(p.u32());
            const qint16 y = p.i16(), x = p.i16();
            const QPointF at = map(x, y);
            fillDeviceRect(QRectF(std::floor(at.x()), std::floor(at.y()), 1, 1), color);
            break;
        }
        case META_TEXTOUT: {
            const qint16 length = p.i16();
            if (length < 0)
                malformed("negative string length");
            const QByteArray raw = p.bytes(length);
            p.skip(length % 2);
            const qint16 y = p.i16(), x = p.i16();
            drawText(QPointF(x, y), raw, 0, std::nullopt, {});
            break;
        }
        case META_EXTTEXTOUT: {
            const qint16 y = p.i16(), x = p.i16();
            const qint16 length = p.i16();
            const quint16 options = p.u16();
            if (length < 0)
                malformed("negative string length");
            std::optional<QRectF> rect;
            if (options & 0x0006) { // ETO_OPAQUE | ETO_CLIPPED
                const qint16 left = p.i16(), top = p.i16(), right = p.i16(), bottom = p.i16();
                rect = mapRect(left, top, right, bottom);
            }
            const QByteArray raw = p.bytes(length);
            p.skip(std::min<qsizetype>(length % 2, p.remaining()));
            std::vector<qint16> dx;
            if (p.remaining() >= qsizetype(length) * 2) {
                dx.resize(size_t(length));
                for (qint16& d : dx)
                    d = p.i16();
            }
            drawText(QPointF(x, y), raw, options, rect, dx);
            break;
        }
        case META_PATBLT: {
            const quint32 rop = p.u32();
            const qint16 height = p.i16(), width = p.i16(), top = p.i16(), left = p.i16();
            patBlt(rop, mapRect(left, top, left + width, top + height));
            break;
        }
        case META_STRETCHDIB: {
            const quint32 rop = p.u32();
            const quint16 usage = p.u16();
            const qint16 srcHeight = p.i16(), srcWidth = p.i16(), ySrc = p.i16(), xSrc = p.i16();
            const qint16 destHeight = p.i16(), destWidth = p.i16(), yDest = p.i16(),
                         xDest = p.i16();
            drawDib(rop, p.bytes(p.remaining()), usage == 1, QRect(xSrc, ySrc, srcWidth, srcHeight),
                    xDest, yDest, destWidth, destHeight);
            break;
        }
        case META_DIBSTRETCHBLT: {
            const quint32 rop = p.u32();
            const bool withBitmap = p.size() > 22;
            const qint16 srcHeight = p.i16(), srcWidth = p.i16(), ySrc = p.i16(), xSrc = p.i16();
            if (!withBitmap)
                p.u16(); // reserved
            const qint16 destHeight = p.i16(), destWidth = p.i16(), yDest = p.i16(),
                         xDest = p.i16();
            if (withBitmap)
                drawDib(rop, p.bytes(p.remaining()), false, QRect(xSrc, ySrc, srcWidth, srcHeight),
                        xDest, yDest, destWidth, destHeight);
            else
                patBlt(rop, mapRect(xDest, yDest, xDest + destWidth, yDest + destHeight));
            break;
        }
        case META_DIBBITBLT: {
            const quint32 rop = p.u32();
            const bool withBitmap = p.size() > 18;
            const qint16 ySrc = p.i16(), xSrc = p.i16();
            if (!withBitmap)
                p.u16(); // reserved
            const qint16 height = p.i16(), width = p.i16(), yDest = p.i16(), xDest = p.i16();
            if (withBitmap)
                drawDib(rop, p.bytes(p.remaining()), false, QRect(xSrc, ySrc, width, height), xDest,
                        yDest, width, height);
            else
                patBlt(rop, mapRect(xDest, yDest, xDest + width, yDest + height));
            break;
        }
        case META_SETDIBTODEV: {
            const quint16 usage = p.u16();
            p.u16(); // scan count
            p.u16(); // start scan
            const qint16 ySrc = p.i16(), xSrc = p.i16(), height = p.i16(), width = p.i16();
            const qint16 yDest = p.i16(), xDest = p.i16();
            drawDib(0x00CC0020, p.bytes(p.remaining()), usage == 1,
                    QRect(xSrc, ySrc, width, height), xDest, yDest, width, height);
            break;
        }
        case META_SAVEDC:
            if (m_saved.size() < size_t(kMaxSaveDepth))
                m_saved.push_back(s);
            break;
        default:
            // Palettes, regions, escapes, raster operation modes and the like: skipped.
            break;
        }
    }

    void drawArc(quint16 function, const QRectF& box, const QPointF& start, const QPointF& end)
    {
        const qreal a = box.width() / 2, b = box.height() / 2;
        if (!(a > 0) || !(b > 0) || !reasonable(box))
            return;
        const QPointF c = box.center();
        auto angleOf = [&](const QPointF& pt) {
            const qreal dx = (pt.x() - c.x()) / a, dy = -(pt.y() - c.y()) / b;
            if (dx == 0 && dy == 0)
                return qreal(0);
            return qRadiansToDegrees(std::atan2(dy, dx));
        };
        const qreal from = angleOf(start);
        qreal sweep = angleOf(end) - from;
        while (sweep <= 0)
            sweep += 360;
        QPainterPath path;
        if (function == META_PIE) {
            path.moveTo(c);
            path.arcTo(box, from, sweep);
            path.closeSubpath();
        } else {
            path.arcMoveTo(box, from);
            path.arcTo(box, from, sweep);
            if (function == META_CHORD)
                path.closeSubpath();
        }
        drawPath(path, function != META_ARC, 16);
    }

    void patBlt(quint32 rop, const QRectF& rect)
    {
        switch (rop) {
        case 0x00000042: // BLACKNESS
            fillDeviceRect(rect, QColor(Qt::black));
            break;
        case 0x00FF0062: // WHITENESS
            fillDeviceRect(rect, QColor(Qt::white));
            break;
        case 0x00550009: // DSTINVERT
            fillDeviceRect(rect, QColor(Qt::white), QPainter::RasterOp_SourceXorDestination);
            break;
        case 0x005A0049: // PATINVERT
            if (const auto brush = currentBrush())
                fillDeviceRect(rect, *brush, QPainter::RasterOp_SourceXorDestination);
            break;
        case 0x00AA0029: // the destination unchanged
            break;
        default: // PATCOPY and the rest
            if (const auto brush = currentBrush())
                fillDeviceRect(rect, *brush);
            break;
        }
    }

    void drawDib(quint32 rop, const QByteArray& dib, bool paletteIndexColours, QRect source,
                 qint16 xDest, qint16 yDest, qint16 destWidth, qint16 destHeight)
    {
        charge(quint64(dib.size()));
        if (m_exhausted)
            return;
        const QRectF dest = mapRect(xDest, yDest, xDest + destWidth, yDest + destHeight);
        if (destWidth == 0 || destHeight == 0 || !reasonable(dest))
            return;
        if (!m_painter) {
            unite(dest);
            return;
        }
        // The bounds first: drawing far outside the image, or invisibly thin, costs no decoding.
        if (!dest.intersects(QRectF(imageRect())))
            return;
        QImage image = decodeDib(dib, paletteIndexColours);
        if (image.isNull())
            return;
        chargePixels(qreal(image.width()) * image.height());
        chargeArea(dest);
        if (m_exhausted)
            return;
        // The source rectangle counts its rows from the bottom of the bitmap; a source that does
        // not fit the bitmap stands for the whole of it.
        source = source.normalized();
        QRect sourceRect(source.x(), image.height() - source.y() - source.height(), source.width(),
                         source.height());
        if (!QRect(QPoint(0, 0), image.size()).contains(sourceRect) || sourceRect.isEmpty())
            sourceRect = QRect(QPoint(0, 0), image.size());
        const QPointF topLeft = map(xDest, yDest);
        const QPointF bottomRight = map(xDest + destWidth, yDest + destHeight);

        QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
        switch (rop) {
        case 0x008800C6:
            mode = QPainter::RasterOp_SourceAndDestination;
            break; // SRCAND
        case 0x00EE0086:
            mode = QPainter::RasterOp_SourceOrDestination;
            break; // SRCPAINT
        case 0x00660046:
            mode = QPainter::RasterOp_SourceXorDestination;
            break; // SRCINVERT
        case 0x00330008:
            mode = QPainter::RasterOp_NotSource;
            break; // NOTSRCCOPY
        case 0x00AA0029:
            return; // destination kept
        default:
            break;
        }
        applyClip();
        m_painter->save();
        QTransform placement;
        placement.translate(topLeft.x(), topLeft.y());
        placement.scale((bottomRight.x() - topLeft.x()) / sourceRect.width(),
                        (bottomRight.y() - topLeft.y()) / sourceRect.height());
        m_painter->setTransform(placement);
        m_painter->setRenderHint(QPainter::SmoothPixmapTransform,
                                 dest.width() < sourceRect.width() ||
                                     dest.height() < sourceRect.height());
        m_painter->setCompositionMode(mode);
        m_painter->drawImage(QPointF(0, 0), image, QRectF(sourceRect));
        m_painter->restore();
    }

    QFont currentFont(qreal* pixelSize) const
    {
        const FontDef& def = m_state.font;
        QFont font(def.face.isEmpty() ? QStringLiteral("Sans Serif") : def.face);
        const Scale sc = pixelScale();
        qreal size = std::abs(qreal(def.height)) * sc.y;
        if (def.height == 0)
            size = 16.0 * m_supersample; // the default font's height
        if (def.height > 0) {
            // A positive height is the character cell, of which the em is a part.
            QFont probe = font;
            probe.setPixelSize(100);
            const QFontMetricsF metrics(probe);
            const qreal cell = metrics.ascent() + metrics.descent();
            if (cell > 0)
                size = size * 100 / cell;
        }
        size = std::clamp(size, qreal(1), qreal(kMaxFontPixels));
        font.setPixelSize(std::max(1, int(std::lround(size))));
        if (def.weight > 0)
            font.setWeight(QFont::Weight(std::clamp(def.weight, 1, 1000)));
        font.setItalic(def.italic);
        font.setUnderline(def.underline);
        font.setStrikeOut(def.strikeOut);
        *pixelSize = size;
        return font;
    }

    void drawText(QPointF logical, const QByteArray& raw, quint16 options,
                  const std::optional<QRectF>& rect, const std::vector<qint16>& dx)
    {
        charge(quint64(raw.size()) + 1);
        if (m_exhausted)
            return;
        const DcState& s = m_state;
        const bool updatePosition = s.textAlign & 0x0001; // TA_UPDATECP
        if (updatePosition)
            logical = s.position;
        const QPointF origin = map(logical.x(), logical.y());
        // ETO_OPAQUE fills the rectangle with the background colour.
        if (rect && (options & 0x0002))
            fillDeviceRect(*rect, s.bkColor);
        const QString text = decodeText(raw, s.font.charset);
        if (text.isEmpty() || !reasonable(QRectF(origin, QSizeF(1, 1))))
            return;

        // Fonts need the GUI application; without one the text is measured roughly and not drawn.
        const bool haveFonts =
            qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
        qreal pixelSize = 16;
        std::optional<QFont> font;
        if (haveFonts)
            font = currentFont(&pixelSize);
        qreal ascent = pixelSize * 0.8, descent = pixelSize * 0.2,
              width = pixelSize * 0.6 * text.size();
        const Scale sc = pixelScale();
        std::vector<qreal> offsets; // x of each character from the start, when spacing is given
        if (dx.size() == size_t(raw.size()) && raw.size() == text.size()) {
            qreal x = 0;
            for (qint16 d : dx) {
                offsets.push_back(x);
                x += d * sc.x;
            }
            width = x;
        } else if (haveFonts) {
            width = QFontMetricsF(*font).horizontalAdvance(text);
        }
        if (haveFonts) {
            const QFontMetricsF metrics(*font);
            ascent = metrics.ascent();
            descent = metrics.descent();
        }
        if (!std::isfinite(width) || std::abs(width) > kMaxDeviceCoordinate)
            return;
        // Every glyph is rasterised whole.
        chargePixels(qreal(text.size()) * pixelSize * pixelSize);

        // Alignment: horizontal TA_LEFT / TA_RIGHT / TA_CENTER, vertical TA_TOP / TA_BOTTOM /
        // TA_BASELINE; the escapement turns the line counterclockwise, in tenths of a degree.
        qreal startX = 0;
        switch (s.textAlign & 0x0006) {
        case 0x0002:
            startX = -width;
            break;
        case 0x0006:
            startX = -width / 2;
            break;
        default:
            break;
        }
        qreal baseline = ascent;
        switch (s.textAlign & 0x0018) {
        case 0x0008:
            baseline = -descent;
            break;
        case 0x0018:
            baseline = 0;
            break;
        default:
            break;
        }
        if (updatePosition && (s.textAlign & 0x0006) == 0) {
            // The current position moves to the end of the text.
            const Scale ls = logicalScale();
            const qreal advance = ls.x != 0 ? width / (ls.x * m_referenceScale.x()) : 0;
            if (std::isfinite(advance))
                m_state.position = QPointF(logical.x() + advance, logical.y());
        }
        const qreal angle = -s.font.escapement / 10.0;
        QTransform placement;
        placement.translate(origin.x(), origin.y());
        placement.rotate(angle);
        const QRectF box(startX, baseline - ascent, width, ascent + descent);
        const QRectF deviceBox = placement.mapRect(box);
        if (!reasonable(deviceBox))
            return;
        if (!m_painter) {
            unite(deviceBox);
            return;
        }
        if (!deviceBox.intersects(QRectF(imageRect())))
            return;
        chargeArea(deviceBox);
        if (m_exhausted)
            return;
        applyClip();
        m_painter->save();
        if (rect && (options & 0x0004)) // ETO_CLIPPED
            m_painter->setClipRect(*rect, m_state.clip ? Qt::IntersectClip : Qt::ReplaceClip);
        m_painter->setTransform(placement);
        if (s.bkMode == 2) // OPAQUE
            m_painter->fillRect(box, s.bkColor);
        if (haveFonts) {
            m_painter->setFont(*font);
            m_painter->setPen(s.textColor);
            if (offsets.empty()) {
                m_painter->drawText(QPointF(startX, baseline), text);
            } else {
                for (qsizetype i = 0; i < text.size(); ++i)
                    m_painter->drawText(QPointF(startX + offsets[size_t(i)], baseline),
                                        QString(text.at(i)));
            }
        }
        m_painter->restore();
    }

    const QByteArray& m_bytes;
    Header m_header;
    std::vector<GdiObject> m_objects;
    DcState m_initial;
    DcState m_state;
    std::vector<DcState> m_saved;
    QPointF m_referenceScale{1, 1};
    QSize m_imageSize{1, 1};
    int m_supersample = 1;
    QPainter* m_painter = nullptr;
    bool m_clipDirty = true;
    quint64 m_operations = 0;
    quint64 m_pixels = 0;
    bool m_exhausted = false;
    QRectF m_bounds;
    bool m_haveBounds = false;
};

// ---- Size decisions ----------------------------------------------------------------------------

// The frame (logical rectangle mapped onto the image) and the reference size in pixels.
struct Layout {
    QRectF frame;
    QSizeF reference;
};

QSize boundedSize(QSizeF size)
{
    if (!(size.width() > 0) || !(size.height() > 0))
        return QSize(1, 1);
    const qreal largest = std::max(size.width(), size.height());
    if (largest > kMaxImageSide)
        size *= kMaxImageSide / largest;
    return QSize(std::clamp(int(std::lround(size.width())), 1, kMaxImageSide),
                 std::clamp(int(std::lround(size.height())), 1, kMaxImageSide));
}

Layout layoutOf(const QByteArray& bytes, const Header& header)
{
    if (header.placeable) {
        const int perInch = header.unitsPerInch > 0 ? header.unitsPerInch : 1440;
        return {header.bounds, QSizeF(header.bounds.width() * 96 / perInch,
                                      header.bounds.height() * 96 / perInch)};
    }
    // The window the metafile sets before it first draws.
    QPointF org(0, 0);
    std::optional<QPointF> ext;
    forEachRecord(bytes, header.recordsStart, [&](quint16 function, Params p) {
        if (isDrawingRecord(function))
            return !ext.has_value();
        if (function == META_SETWINDOWORG && p.size() >= 4) {
            const qint16 y = p.i16(), x = p.i16();
            org = QPointF(x, y);
        } else if (function == META_SETWINDOWEXT && p.size() >= 4) {
            const qint16 y = p.i16(), x = p.i16();
            if (x != 0 && y != 0)
                ext = QPointF(x, y);
        }
        return true;
    });
    if (ext) {
        const QRectF frame(org, QSizeF(ext->x(), ext->y()));
        return {frame, QSizeF(std::abs(ext->x()), std::abs(ext->y()))};
    }
    // No window: the extent of what is drawn, in the metafile's own units.
    Player measure(bytes, header);
    measure.setMapping(QRectF(0, 0, 1, 1), QSizeF(1, 1), QSize(1, 1));
    measure.play(nullptr);
    QRectF bounds = measure.measuredBounds();
    if (!(bounds.width() >= 1) || !(bounds.height() >= 1))
        bounds = QRectF(bounds.topLeft(), QSizeF(std::max<qreal>(bounds.width(), 1),
                                                 std::max<qreal>(bounds.height(), 1)));
    return {bounds, bounds.size()};
}

} // namespace

bool looksLikeMetafile(const QByteArray& bytes)
{
    if (bytes.size() >= 4 &&
        readU32(reinterpret_cast<const uchar*>(bytes.constData())) == kPlaceableKey)
        return standardHeaderAt(bytes, kPlaceableHeaderBytes);
    return standardHeaderAt(bytes, 0);
}

QSize naturalSize(const QByteArray& bytes, QString* error)
{
    try {
        const Header header = readHeader(bytes);
        return boundedSize(layoutOf(bytes, header).reference);
    } catch (const Malformed& e) {
        if (error)
            *error = e.message;
        return QSize();
    }
}

QImage render(const QByteArray& bytes, QSize targetSize, QString* error)
{
    try {
        const Header header = readHeader(bytes);
        const Layout layout = layoutOf(bytes, header);
        const QSize size = targetSize.isValid() && !targetSize.isEmpty()
                               ? boundedSize(QSizeF(targetSize))
                               : boundedSize(layout.reference);
        QSizeF reference = layout.reference;
        if (!(reference.width() > 0) || !(reference.height() > 0))
            reference = QSizeF(size);
        // Shapes are drawn with hard edges at twice the size and scaled down, which smooths them
        // at a cost that stays in proportion (the rasteriser's own smoothing slows down without
        // bound on long, thin or crossing outlines). Pictures over half the largest size are
        // drawn at their size.
        const int supersample = std::max(size.width(), size.height()) <= kMaxImageSide / 2 ? 2 : 1;
        QImage image(size * supersample, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull())
            malformed("out of memory for the picture");
        image.fill(Qt::white);
        Player player(bytes, header);
        player.setMapping(layout.frame, reference, image.size(), supersample);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::TextAntialiasing);
            player.play(&painter);
        }
        if (supersample > 1)
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image.convertToFormat(QImage::Format_ARGB32);
    } catch (const Malformed& e) {
        if (error)
            *error = e.message;
        return QImage();
    }
}

} // namespace wmf
