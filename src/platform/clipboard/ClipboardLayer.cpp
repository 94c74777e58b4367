#include "platform/clipboard/ClipboardLayer.h"

#include "platform/clipboard/ClipboardQtBackend.h"
#include "platform/clipboard/DropFiles.h"

#include <QHash>

#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace
{

// --- The registry ---

struct Registry {
    std::mutex mutex;
    std::vector<QByteArray> names;       // names[i] is number RegisteredFormatBase + 1 + i
    QHash<QString, win32::UINT> numbers; // by case-folded name
};

Registry& registry()
{
    static auto* instance = new Registry; // lives to the very end of the process
    return *instance;
}

ClipboardBackend* installedBackend = nullptr;

} // namespace

namespace win32
{

UINT RegisterClipboardFormatA(const char* lpszFormat)
{
    if (!lpszFormat)
        return 0;
    const std::size_t length = std::strlen(lpszFormat);
    if (length == 0 || length > std::size_t(MaxFormatName))
        return 0;
    const QByteArray name(lpszFormat, qsizetype(length));
    const QString key = ansi::decode(name).toCaseFolded();

    Registry& r = registry();
    std::lock_guard<std::mutex> guard(r.mutex);
    auto it = r.numbers.constFind(key);
    if (it != r.numbers.constEnd())
        return it.value();
    if (r.names.size() >= 0xFFFF - RegisteredFormatBase)
        return 0;
    r.names.push_back(name);
    const UINT number = RegisteredFormatBase + UINT(r.names.size());
    r.numbers.insert(key, number);
    return number;
}

int GetClipboardFormatNameA(UINT format, char* lpszFormatName, int cchMaxCount)
{
    QByteArray name;
    {
        Registry& r = registry();
        std::lock_guard<std::mutex> guard(r.mutex);
        if (format <= RegisteredFormatBase || format - RegisteredFormatBase > r.names.size())
            return 0;
        name = r.names[format - RegisteredFormatBase - 1];
    }
    if (!lpszFormatName || cchMaxCount <= 0)
        return 0;
    const int copied = int(qMin<qsizetype>(name.size(), cchMaxCount - 1));
    std::memcpy(lpszFormatName, name.constData(), std::size_t(copied));
    lpszFormatName[copied] = 0;
    return copied;
}

bool OpenClipboard(HWND hWndNewOwner)
{
    return clipboardBackend().OpenClipboard(hWndNewOwner);
}

bool CloseClipboard()
{
    return clipboardBackend().CloseClipboard();
}

bool EmptyClipboard()
{
    return clipboardBackend().EmptyClipboard();
}

int CountClipboardFormats()
{
    return clipboardBackend().CountClipboardFormats();
}

UINT EnumClipboardFormats(UINT format)
{
    return clipboardBackend().EnumClipboardFormats(format);
}

bool IsClipboardFormatAvailable(UINT format)
{
    return clipboardBackend().IsClipboardFormatAvailable(format);
}

HGLOBAL GetClipboardData(UINT format)
{
    return clipboardBackend().GetClipboardData(format);
}

HGLOBAL SetClipboardData(UINT format, HGLOBAL hMem)
{
    return clipboardBackend().SetClipboardData(format, hMem);
}

bool SetClipboardDataLater(UINT format, std::function<QByteArray()> render)
{
    return clipboardBackend().SetClipboardDataLater(format, std::move(render));
}

UINT DragQueryFileA(HGLOBAL hDrop, UINT iFile, char* lpszFile, UINT cch)
{
    // The reader of the last block asked about is kept, so that reading its names one after the
    // other costs one pass over the block in all. Handles are never reused and every lock gives
    // the block a new version, so a kept reader always matches the block's bytes.
    struct Cache {
        std::mutex mutex;
        HGLOBAL handle = 0;
        std::uint64_t version = 0;
        const unsigned char* data = nullptr;
        std::size_t size = 0;
        std::optional<dropfiles::Reader> reader;
    };
    static auto* cache = new Cache;

    GlobalBlockView view;
    if (!globalPeek(hDrop, view))
        return 0;
    std::lock_guard<std::mutex> guard(cache->mutex);
    if (!cache->reader || cache->handle != hDrop || cache->version != view.version ||
        cache->data != view.data || cache->size != view.size) {
        cache->reader.emplace(view.data, view.size);
        cache->handle = hDrop;
        cache->version = view.version;
        cache->data = view.data;
        cache->size = view.size;
    }
    return cache->reader->queryFileA(iFile, lpszFile, cch);
}

} // namespace win32

// --- The runtime's clipboard object ---

QString clipboardGetText()
{
    ClipboardBackend& backend = clipboardBackend();
    if (backend.isOpen() || backend.heldByAnotherProgram())
        raiseError(ErrorNumber::CantOpenClipboard);
    return backend.plainText();
}

bool clipboardEmptyIfOurs()
{
    ClipboardBackend& backend = clipboardBackend();
    if (backend.isOpen() || backend.heldByAnotherProgram())
        return false;
    return backend.removeOwnContent();
}

// --- Backends ---

ClipboardBackend::~ClipboardBackend() = default;

bool ClipboardBackend::OpenClipboard(win32::HWND hWndNewOwner)
{
    if (heldByAnotherProgram())
        return false;
    m_open = true;
    m_openWindow = hWndNewOwner;
    return true;
}

bool ClipboardBackend::CloseClipboard()
{
    if (!m_open)
        return false;
    m_open = false;
    m_openWindow = 0;
    return true;
}

bool ClipboardBackend::SetClipboardDataLater(win32::UINT format, std::function<QByteArray()> render)
{
    if (!isOpen())
        return false;
    const win32::HGLOBAL block = globalAllocCopy(render());
    if (block && SetClipboardData(format, block))
        return true;
    if (block)
        win32::GlobalFree(block);
    return false;
}

ClipboardBackend& clipboardBackend()
{
    if (installedBackend)
        return *installedBackend;
    static auto* desktop = new ClipboardQtBackend; // lives to the very end of the process
    return *desktop;
}

ClipboardBackend* setClipboardBackend(ClipboardBackend* backend)
{
    ClipboardBackend* before = installedBackend;
    installedBackend = backend;
    return before;
}

// --- Helpers ---

namespace ansi
{

bool encodeInto(const QString& text, char* out)
{
    const char16_t* in = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    bool exact = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = in[i];
        if (u < 0x80) {
            out[i] = char(u);
            continue;
        }
        const int code = fromUtf16(u);
        if (code < 0)
            exact = false;
        out[i] = char(code < 0 ? DefaultChar : code);
    }
    return exact;
}

QByteArray encode(const QString& text, bool* lossless)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    const bool exact = encodeInto(text, bytes.data());
    if (lossless)
        *lossless = exact;
    return bytes;
}

QString decode(const char* bytes, qsizetype size)
{
    QString text(size, Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes);
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char b = in[i];
        out[i] = (b < 0x80 || b >= 0xA0) ? char16_t(b) : toUtf16(b);
    }
    return text;
}

} // namespace ansi

QString registeredFormatName(win32::UINT format)
{
    char buffer[win32::MaxFormatName + 1] = {};
    const int n = win32::GetClipboardFormatNameA(format, buffer, int(sizeof buffer));
    return n > 0 ? ansi::decode(buffer, n) : QString();
}

win32::UINT registerFormatName(const QString& name)
{
    QByteArray bytes = ansi::encode(name);
    const qsizetype zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return win32::RegisterClipboardFormatA(bytes.constData());
}

win32::UINT richTextFormat()
{
    static const win32::UINT number = registerFormatName(QStringLiteral("Rich Text Format"));
    return number;
}

QString standardFormatPlatformName(win32::UINT format)
{
    static const char* const names[] = {
        "CF_TEXT",        "CF_BITMAP",      "CF_METAFILEPICT", "CF_SYLK",    "CF_DIF",   "CF_TIFF",
        "CF_OEMTEXT",     "CF_DIB",         "CF_PALETTE",      "CF_PENDATA", "CF_RIFF",  "CF_WAVE",
        "CF_UNICODETEXT", "CF_ENHMETAFILE", "CF_HDROP",        "CF_LOCALE",  "CF_DIBV5",
    };
    if (format < 1 || format > 17)
        return QString();
    return QString::fromLatin1(names[format - 1]);
}

win32::HGLOBAL globalAllocCopy(const QByteArray& data, int zeros)
{
    using namespace win32;
    const std::size_t size = std::size_t(data.size());
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size + std::size_t(qMax(zeros, 0)));
    if (!block)
        return 0;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return 0;
    }
    if (size)
        std::memcpy(p, data.constData(), size); // the zeros after it are there already
    GlobalUnlock(block);
    return block;
}

QByteArray globalBlockData(win32::HGLOBAL hMem)
{
    win32::GlobalBlockView view;
    if (!win32::globalPeek(hMem, view))
        return QByteArray();
    const std::size_t n = qMin(win32::globalDataSize(hMem), view.size);
    return QByteArray(reinterpret_cast<const char*>(view.data), qsizetype(n));
}
