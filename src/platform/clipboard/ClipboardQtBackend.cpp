#include "platform/clipboard/ClipboardQtBackend.h"

#include "platform/clipboard/DropFiles.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

using namespace win32;

namespace
{

const char* const OwnTypesProperty = "wordlarkOwnTypes";
const QString WindowsMimePrefix = QStringLiteral("application/x-qt-windows-mime;value=\"");
const QString TextPlain = QStringLiteral("text/plain");
const QString TextRtf = QStringLiteral("text/rtf");
// The names RTF readers ask for, text/rtf first.
const QStringList RtfTypes = {TextRtf, QStringLiteral("application/rtf"),
                              QStringLiteral("text/richtext")};
const QString UriList = QStringLiteral("text/uri-list");
const QString ImageBmp = QStringLiteral("image/bmp");
const QString QtImage = QStringLiteral("application/x-qt-image");

enum class Kind { None, Text, Rtf, Files, Image, Named };

// What `format` is carried as; for Named, `name` is the name inside the Windows MIME type.
Kind kindOf(UINT format, QString* name = nullptr)
{
    if (format == CF_TEXT || format == CF_UNICODETEXT)
        return Kind::Text;
    if (format == CF_HDROP)
        return Kind::Files;
    if (format == CF_DIB)
        return Kind::Image;
    if (format >= 1 && format <= 17) {
        if (name)
            *name = standardFormatPlatformName(format);
        return Kind::Named;
    }
    if (format == richTextFormat())
        return Kind::Rtf;
    const QString registered = registeredFormatName(format);
    if (registered.isEmpty())
        return Kind::None;
    if (name)
        *name = registered;
    return Kind::Named;
}

bool isTextType(const QString& lower)
{
    return lower == TextPlain || lower.startsWith(QLatin1String("text/plain;"));
}

bool isRtfType(const QString& lower)
{
    return RtfTypes.contains(lower);
}

bool isImageType(const QString& lower)
{
    return lower == QtImage || lower == ImageBmp || lower == QLatin1String("image/x-bmp") ||
           lower == QLatin1String("image/png") || lower == QLatin1String("image/jpeg") ||
           lower == QLatin1String("image/gif");
}

// The NAME of application/x-qt-windows-mime;value="NAME", or a null string.
QString windowsMimeName(const QString& type)
{
    if (type.size() > WindowsMimePrefix.size() && type.startsWith(WindowsMimePrefix) &&
        type.endsWith(QLatin1Char('"')))
        return type.mid(WindowsMimePrefix.size(), type.size() - WindowsMimePrefix.size() - 1);
    return QString();
}

QString windowsMimeType(const QString& name)
{
    return WindowsMimePrefix + name + QLatin1Char('"');
}

// Whether a registered name is a MIME type ("text/html"): such a format goes out under that type
// itself, as other programs' MIME types come in under their own names.
bool isMimeTypeName(const QString& name)
{
    const qsizetype slash = name.indexOf(QLatin1Char('/'));
    return slash > 0 && slash < name.size() - 1 && slash == name.lastIndexOf(QLatin1Char('/')) &&
           std::none_of(name.begin(), name.end(), [](QChar c) {
               return c.isSpace() || c == QLatin1Char('"') || c == QLatin1Char(';');
           });
}

// The MIME type a registered or standard format named `name` is carried under.
QString namedFormatType(UINT format, const QString& name)
{
    return format > RegisteredFormatBase && isMimeTypeName(name) ? name : windowsMimeType(name);
}

bool hasLocalFile(const QMimeData* data)
{
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
}

// The format numbers a MIME type stands for.
void numbersOfType(const QMimeData* data, const QString& type, std::vector<UINT>& out,
                   int& filesKnown)
{
    const QString lower = type.toLower();
    if (isTextType(lower)) {
        out.push_back(CF_TEXT);
        out.push_back(CF_UNICODETEXT);
    } else if (isRtfType(lower)) {
        out.push_back(richTextFormat());
    } else if (lower == UriList) {
        if (filesKnown < 0)
            filesKnown = hasLocalFile(data) ? 1 : 0;
        if (filesKnown)
            out.push_back(CF_HDROP);
    } else if (isImageType(lower)) {
        out.push_back(CF_DIB);
    } else if (const QString name = windowsMimeName(type); !name.isNull()) {
        for (UINT f = 1; f <= 17; ++f) {
            if (name == standardFormatPlatformName(f)) {
                out.push_back(f);
                return;
            }
        }
        if (UINT f = registerFormatName(name))
            out.push_back(f);
    } else if (type.contains(QLatin1Char('/'))) {
        // Another program's MIME type: read under its own name.
        if (UINT f = registerFormatName(type))
            out.push_back(f);
    }
}

// The format numbers on the clipboard, each once, in the order of the MIME types.
std::vector<UINT> formatsOf(const QMimeData* data)
{
    std::vector<UINT> numbers;
    if (!data)
        return numbers;
    int filesKnown = -1;
    std::vector<UINT> found;
    for (const QString& type : data->formats()) {
        found.clear();
        numbersOfType(data, type, found, filesKnown);
        for (UINT f : found) {
            if (std::find(numbers.begin(), numbers.end(), f) == numbers.end())
                numbers.push_back(f);
        }
    }
    return numbers;
}

// The first of the MIME types on the clipboard for which `accept` holds, or a null string.
template <typename Accept> QString firstType(const QMimeData* data, Accept accept)
{
    for (const QString& type : data->formats()) {
        if (accept(type.toLower()))
            return type;
    }
    return QString();
}

// Block contents: the bytes and the zero bytes that end them (text blocks end in a zero character).
struct Rendered {
    QByteArray bytes;
    int zeros = 0;
};

QByteArray utf16Bytes(const QString& text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        bytes[2 * i] = char(u & 0xFF);
        bytes[2 * i + 1] = char(u >> 8);
    }
    return bytes;
}

QByteArray dibFromImage(const QImage& image)
{
    if (image.isNull())
        return QByteArray();
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP") || bmp.size() <= 14)
        return QByteArray();
    return bmp.mid(14);
}

quint32 le32(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

quint16 le16(const QByteArray& b, qsizetype at)
{
    if (at < 0 || at + 2 > b.size())
        return 0;
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return quint16(p[0] | p[1] << 8);
}

// A bitmap file made of a device-independent bitmap: the 14-byte file header in front, its
// bits offset worked out from the bitmap's header (kept inside the data whatever it says).
QByteArray bmpFileFromDib(const QByteArray& dib)
{
    const quint32 headerSize = le32(dib, 0);
    quint64 colours = 0;
    quint64 entrySize = 4;
    quint64 masks = 0;
    if (headerSize == 12) {
        const quint16 bits = le16(dib, 10);
        colours = bits <= 8 ? (1u << bits) : 0;
        entrySize = 3;
    } else if (headerSize >= 40) {
        const quint16 bits = le16(dib, 14);
        const quint32 compression = le32(dib, 16);
        const quint32 used = le32(dib, 32);
        colours = used ? used : (bits <= 8 ? (1u << bits) : 0);
        if (headerSize == 40 && compression == 3)
            masks = 12;
        else if (headerSize == 40 && compression == 6)
            masks = 16;
    }
    const quint64 offset = std::min<quint64>(14 + quint64(headerSize) + masks + colours * entrySize,
                                             14 + quint64(dib.size()));
    QByteArray bmp;
    bmp.reserve(14 + dib.size());
    bmp.append("BM", 2);
    const quint32 fileSize = quint32(std::min<quint64>(14 + quint64(dib.size()), 0xFFFFFFFFu));
    for (quint32 v : {fileSize, quint32(0), quint32(offset)})
        for (int i = 0; i < 4; ++i)
            bmp.append(char(v >> (8 * i)));
    bmp.append(dib);
    return bmp;
}

// The block contents for `format` made of the clipboard's MIME data, or nothing.
std::optional<Rendered> render(const QMimeData* data, UINT format)
{
    QString name;
    switch (kindOf(format, &name)) {
    case Kind::None:
        return std::nullopt;
    case Kind::Text: {
        if (firstType(data, isTextType).isNull())
            return std::nullopt;
        const QString text = data->text();
        if (format == CF_TEXT)
            return Rendered{ansi::encode(text), 1};
        return Rendered{utf16Bytes(text), 2};
    }
    case Kind::Rtf: {
        const QString type = firstType(data, [](const QString& t) { return t == TextRtf; });
        const QString any = type.isNull() ? firstType(data, isRtfType) : type;
        if (any.isNull())
            return std::nullopt;
        return Rendered{data->data(any), 1};
    }
    case Kind::Files: {
        std::vector<std::u16string> names;
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                const QString path = url.toLocalFile();
                names.emplace_back(reinterpret_cast<const char16_t*>(path.utf16()),
                                   std::size_t(path.size()));
            }
        }
        if (names.empty())
            return std::nullopt;
        const std::vector<unsigned char> block = dropfiles::buildWide(names);
        return Rendered{
            QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size()))};
    }
    case Kind::Image: {
        const QString bmpType = firstType(data, [](const QString& t) {
            return t == ImageBmp || t == QLatin1String("image/x-bmp");
        });
        if (!bmpType.isNull()) {
            const QByteArray bmp = data->data(bmpType);
            if (bmp.size() > 14 && bmp.startsWith("BM"))
                return Rendered{bmp.mid(14)};
        }
        QImage image;
        if (data->hasImage())
            image = qvariant_cast<QImage>(data->imageData());
        if (image.isNull()) {
            const QString type = firstType(
                data, [](const QString& t) { return t.startsWith(QLatin1String("image/")); });
            if (!type.isNull())
                image = QImage::fromData(data->data(type));
        }
        QByteArray dib = dibFromImage(image);
        if (dib.isEmpty())
            return std::nullopt;
        return Rendered{dib};
    }
    case Kind::Named: {
        const QString wanted = windowsMimeType(name);
        if (data->hasFormat(wanted))
            return Rendered{data->data(wanted)};
        if (format > RegisteredFormatBase && data->hasFormat(name))
            return Rendered{data->data(name)};
        return std::nullopt;
    }
    }
    return std::nullopt;
}

// Whether setting `format` replaces the MIME type `type`.
bool replaces(UINT format, const QString& type)
{
    const QString lower = type.toLower();
    QString name;
    switch (kindOf(format, &name)) {
    case Kind::None:
        return false;
    case Kind::Text:
        return isTextType(lower);
    case Kind::Rtf:
        return isRtfType(lower);
    case Kind::Files:
        return lower == UriList;
    case Kind::Image:
        return isImageType(lower) || lower.startsWith(QLatin1String("image/"));
    case Kind::Named:
        return type == windowsMimeType(name) || (format > RegisteredFormatBase && type == name);
    }
    return false;
}

} // namespace

// A QMimeData of this program's, some of whose types are made only when a program asks for them.
class OwnMimeData : public QMimeData
{
public:
    void setLater(const QString& type, std::function<QByteArray()> render)
    {
        m_later[type] = std::move(render);
    }
    // How the type is made when asked for; none once it is made, or for a type made at once.
    std::function<QByteArray()> laterFor(const QString& type) const
    {
        const auto it = m_later.find(type);
        return it == m_later.end() ? std::function<QByteArray()>() : it->second;
    }
    QStringList formats() const override
    {
        QStringList all = QMimeData::formats();
        for (const auto& entry : m_later) {
            if (!all.contains(entry.first))
                all.append(entry.first);
        }
        return all;
    }
    bool hasFormat(const QString& type) const override
    {
        return m_later.count(type) > 0 || QMimeData::hasFormat(type);
    }

protected:
    QVariant retrieveData(const QString& type, QMetaType metaType) const override
    {
        if (const auto it = m_later.find(type); it != m_later.end()) {
            const std::function<QByteArray()> render = std::move(it->second);
            m_later.erase(it);
            const_cast<OwnMimeData*>(this)->setData(type, render());
        }
        return QMimeData::retrieveData(type, metaType);
    }

private:
    mutable std::map<QString, std::function<QByteArray()>> m_later;
};

namespace
{

QStringList ownTypesOf(const QMimeData* data)
{
    return data ? data->property(OwnTypesProperty).toStringList() : QStringList();
}

// Copies the MIME types of `from` for which `keep` holds into `to`; a type of ours not made yet
// goes over as the way to make it.
template <typename Keep> void copyTypes(const QMimeData* from, OwnMimeData* to, Keep keep)
{
    if (!from)
        return;
    const auto* own = dynamic_cast<const OwnMimeData*>(from);
    for (const QString& type : from->formats()) {
        if (!keep(type))
            continue;
        if (std::function<QByteArray()> render = own ? own->laterFor(type) : nullptr)
            to->setLater(type, std::move(render));
        else if (type == QtImage)
            to->setImageData(from->imageData());
        else
            to->setData(type, from->data(type));
    }
}

// Writes the block's data as `format` into `to`; false when the format cannot be carried.
bool writeFormat(QMimeData* to, UINT format, HGLOBAL block)
{
    QString name;
    const Kind kind = kindOf(format, &name);
    GlobalBlockView view;
    if (!globalPeek(block, view))
        return false;
    const char* start = reinterpret_cast<const char*>(view.data);
    const std::size_t size = std::min(globalDataSize(block), view.size);
    const QByteArray bytes = QByteArray::fromRawData(start, qsizetype(size)); // no copy
    auto upToZero = [&] {
        const void* zero = std::memchr(start, 0, size);
        const std::size_t n = zero ? std::size_t(static_cast<const char*>(zero) - start) : size;
        return QByteArray(start, qsizetype(n));
    };
    switch (kind) {
    case Kind::None:
        return false;
    case Kind::Text:
        if (format == CF_TEXT) {
            to->setText(ansi::decode(upToZero()));
        } else {
            QString text;
            for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
                const char16_t u = char16_t(uchar(bytes[i]) | uchar(bytes[i + 1]) << 8);
                if (u == 0)
                    break;
                text.append(QChar(u));
            }
            to->setText(text);
        }
        return true;
    case Kind::Rtf: {
        const QByteArray rtf = upToZero();
        for (const QString& type : RtfTypes)
            to->setData(type, rtf);
        return true;
    }
    case Kind::Files: {
        dropfiles::Reader reader(view.data, view.size);
        QList<QUrl> urls;
        const unsigned n = reader.count();
        for (unsigned i = 0; i < n; ++i) {
            const std::u16string path = reader.nameUtf16(i);
            urls.append(
                QUrl::fromLocalFile(QString::fromUtf16(path.data(), qsizetype(path.size()))));
        }
        to->setUrls(urls);
        return true;
    }
    case Kind::Image: {
        const QByteArray bmp = bmpFileFromDib(QByteArray(start, qsizetype(size)));
        to->setData(ImageBmp, bmp);
        const QImage image = QImage::fromData(bmp, "BMP");
        if (!image.isNull())
            to->setImageData(image);
        return true;
    }
    case Kind::Named:
        to->setData(namedFormatType(format, name), QByteArray(start, qsizetype(size)));
        return true;
    }
    return false;
}

} // namespace

ClipboardQtBackend::ClipboardQtBackend() = default;

ClipboardQtBackend::~ClipboardQtBackend()
{
    freeBlocks();
    delete m_watcher.data();
}

QString ClipboardQtBackend::mimeTypeFor(UINT format)
{
    QString name;
    switch (kindOf(format, &name)) {
    case Kind::None:
        return QString();
    case Kind::Text:
        return TextPlain;
    case Kind::Rtf:
        return TextRtf;
    case Kind::Files:
        return UriList;
    case Kind::Image:
        return ImageBmp;
    case Kind::Named:
        return namedFormatType(format, name);
    }
    return QString();
}

bool ClipboardQtBackend::isOwnMimeData(const QMimeData* data)
{
    return data && data->property(OwnTypesProperty).isValid();
}

QClipboard* ClipboardQtBackend::clipboard()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    QClipboard* board = QGuiApplication::clipboard();
    if (board && !m_watcher) {
        // Changes made by others make the kept blocks stale.
        m_watcher = new QObject(board);
        QObject::connect(board, &QClipboard::dataChanged, m_watcher.data(), [this] {
            if (!m_installing) {
                m_changed = true;
                freeBlocks(); // like the platform's: the blocks go with the data they held
            }
        });
        m_changed = true;
    }
    return board;
}

const QMimeData* ClipboardQtBackend::current()
{
    QClipboard* board = clipboard();
    return board ? board->mimeData(QClipboard::Clipboard) : nullptr;
}

void ClipboardQtBackend::freeBlocks()
{
    for (const auto& [format, block] : m_blocks)
        GlobalFree(block);
    m_blocks.clear();
}

void ClipboardQtBackend::syncBlocks()
{
    const QMimeData* now = current();
    if (m_changed || now != m_blocksSource) {
        freeBlocks();
        m_blocksSource = now;
        m_changed = false;
    }
}

void ClipboardQtBackend::install(QMimeData* data)
{
    QClipboard* board = clipboard();
    m_installing = true;
    if (data)
        board->setMimeData(data, QClipboard::Clipboard);
    else
        board->clear(QClipboard::Clipboard);
    m_installing = false;
    m_blocksSource = board->mimeData(QClipboard::Clipboard);
    m_changed = false;
}

bool ClipboardQtBackend::EmptyClipboard()
{
    if (!isOpen() || !clipboard())
        return false;
    freeBlocks();
    install(nullptr);
    return true;
}

int ClipboardQtBackend::CountClipboardFormats()
{
    return int(formatsOf(current()).size());
}

UINT ClipboardQtBackend::EnumClipboardFormats(UINT format)
{
    if (!isOpen())
        return 0;
    if (format == 0)
        m_enumeration = formatsOf(current());
    auto it = format == 0 ? m_enumeration.begin()
                          : std::find(m_enumeration.begin(), m_enumeration.end(), format);
    if (it == m_enumeration.end())
        return 0;
    if (format != 0)
        ++it;
    return it == m_enumeration.end() ? 0 : *it;
}

bool ClipboardQtBackend::IsClipboardFormatAvailable(UINT format)
{
    if (format == 0)
        return false;
    const std::vector<UINT> present = formatsOf(current());
    return std::find(present.begin(), present.end(), format) != present.end();
}

HGLOBAL ClipboardQtBackend::GetClipboardData(UINT format)
{
    if (!isOpen() || format == 0)
        return 0;
    const QMimeData* data = current();
    if (!data)
        return 0;
    syncBlocks();
    if (auto it = m_blocks.find(format); it != m_blocks.end())
        return it->second;
    const std::optional<Rendered> rendered = render(data, format);
    if (!rendered)
        return 0;
    const HGLOBAL block = globalAllocCopy(rendered->bytes, rendered->zeros);
    if (block)
        m_blocks[format] = block;
    return block;
}

HGLOBAL ClipboardQtBackend::SetClipboardData(UINT format, HGLOBAL hMem)
{
    GlobalBlockView view;
    if (!isOpen() || format == 0 || !globalPeek(hMem, view) || mimeTypeFor(format).isEmpty())
        return 0;
    if (!clipboard())
        return 0;
    syncBlocks();
    for (const auto& [f, block] : m_blocks) {
        if (block == hMem && f != format)
            return 0; // already the clipboard's under another format
    }
    if (!putBesideTheRest(format, hMem,
                          [&](OwnMimeData* merged) { return writeFormat(merged, format, hMem); }))
        return 0;
    m_blocks[format] = hMem;
    return hMem;
}

bool ClipboardQtBackend::SetClipboardDataLater(UINT format, std::function<QByteArray()> render)
{
    // Only formats carried as their bytes under one MIME type wait to be made.
    QString name;
    if (!isOpen() || kindOf(format, &name) != Kind::Named || !render || !clipboard())
        return false;
    syncBlocks();
    return putBesideTheRest(format, 0, [&](OwnMimeData* merged) {
        merged->setLater(namedFormatType(format, name), std::move(render));
        return true;
    });
}

bool ClipboardQtBackend::putBesideTheRest(UINT format, HGLOBAL kept,
                                          const std::function<bool(OwnMimeData*)>& write)
{
    const QMimeData* before = current();
    const QStringList ownBefore = ownTypesOf(before);
    auto* merged = new OwnMimeData;
    QStringList foreign;
    copyTypes(before, merged, [&](const QString& type) {
        if (replaces(format, type))
            return false;
        if (!ownBefore.contains(type))
            foreign.append(type);
        return true;
    });
    if (!write(merged)) {
        delete merged;
        return false;
    }
    QStringList own;
    for (const QString& type : merged->formats()) {
        if (!foreign.contains(type))
            own.append(type);
    }
    merged->setProperty(OwnTypesProperty, own);

    // The blocks kept for formats that this one replaces are stale now.
    for (auto it = m_blocks.begin(); it != m_blocks.end();) {
        const bool sameCarrier = it->first == format || (kindOf(it->first) == kindOf(format) &&
                                                         kindOf(format) == Kind::Text);
        if (sameCarrier) {
            if (it->second != kept)
                GlobalFree(it->second);
            it = m_blocks.erase(it);
        } else {
            ++it;
        }
    }
    install(merged);
    return true;
}

QString ClipboardQtBackend::plainText()
{
    const QMimeData* data = current();
    if (!data || firstType(data, isTextType).isNull())
        return QString();
    return data->text();
}

bool ClipboardQtBackend::removeOwnContent()
{
    const QMimeData* data = current();
    if (!isOwnMimeData(data))
        return false;
    const QStringList own = ownTypesOf(data);
    QStringList foreign;
    for (const QString& type : data->formats()) {
        if (!own.contains(type))
            foreign.append(type);
    }
    freeBlocks();
    if (foreign.isEmpty()) {
        install(nullptr);
    } else {
        auto* others = new OwnMimeData;
        copyTypes(data, others, [&](const QString& type) { return foreign.contains(type); });
        install(others);
    }
    return true;
}
