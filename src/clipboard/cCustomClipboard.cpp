#include "clipboard/cCustomClipboard.h"

#include "platform/clipboard/ClipboardLayer.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstring>

using namespace win32;

namespace
{

// The runtime reports its own errors with the program's name as the source.
QString executableName()
{
    QString path;
    if (QCoreApplication::instance())
        path = QCoreApplication::applicationFilePath();
    if (path.isEmpty())
        path = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    return name;
}

[[noreturn]] void raiseRuntimeError(long number)
{
    raiseError(number, executableName());
}

UINT formatNumber(long lFormatId)
{
    return static_cast<UINT>(lFormatId); // the 32-bit pattern, as the platform receives it
}

long toLong32(quint32 value)
{
    return static_cast<qint32>(value);
}

// Display names of the standard formats 1 to 17. 16 (the text locale) and 17 have none.
const char* const StandardNames[17] = {
    "Text",
    "Bitmap Picture",
    "Meta-File Picture",
    "Microsoft Symbolic Link (SYLK) data.",
    "Software Arts' Data Interchange information.",
    "Tagged Image File Format (TIFF) Picture",
    "Text (OEM)",
    "DIB Bitmap Picture",
    "Colour Palette",
    "Pen Data",
    "RIFF Audio data",
    "Wave File",
    "Text (Unicode)",
    "Enhanced Meta-File Picture",
    "File List",
    "",
    "",
};

constexpr long MaxInteger = 32767; // the largest 16-bit signed number

} // namespace

quint8 ByteList::operator()(long index) const
{
    if (index < lowerBound || index > upperBound())
        raiseRuntimeError(ErrorNumber::SubscriptOutOfRange);
    return quint8(bytes[qsizetype(index - lowerBound)]);
}

const QString& StringList::operator()(long index) const
{
    if (index < lowerBound || index > upperBound())
        raiseRuntimeError(ErrorNumber::SubscriptOutOfRange);
    return items[qsizetype(index - lowerBound)];
}

cCustomClipboard::cCustomClipboard() = default;

cCustomClipboard::~cCustomClipboard()
{
    ClipboardClose();
}

QString cCustomClipboard::ErrorSource()
{
    return executableName() + QStringLiteral(".cCustomClipboard");
}

// --- Opening and formats ---

long cCustomClipboard::AddFormat(const QString& sName)
{
    const QByteArray ansiName = ansi::encode(sName); // the zero that ends it comes with QByteArray
    const UINT id = RegisterClipboardFormatA(ansiName.constData());
    return id > RegisteredFormatBase ? toLong32(id) : 0;
}

short cCustomClipboard::FormatCount() const
{
    const int count = CountClipboardFormats();
    if (count > MaxInteger || count < -MaxInteger - 1)
        raiseRuntimeError(ErrorNumber::Overflow);
    return short(count);
}

long cCustomClipboard::GetCurrentFormats(quintptr hWndOwner)
{
    m_lFormatIds.clear();
    m_sFormatNames.clear();
    m_lFormatCount = 0;
    ClipboardOpen(hWndOwner);
    UINT f = EnumClipboardFormats(0);
    while (f != 0) {
        m_lFormatCount += 1;
        m_lFormatIds.push_back(toLong32(f));
        m_sFormatNames.append(FormatName(m_lFormatIds.back()));
        f = EnumClipboardFormats(formatNumber(m_lFormatIds.back()));
    }
    ClipboardClose();
    return m_lFormatCount;
}

QVariant cCustomClipboard::GetCurrentFormatID(long lIndex) const
{
    if (lIndex < 1 || lIndex > m_lFormatCount)
        raiseRuntimeError(ErrorNumber::SubscriptOutOfRange);
    return QVariant::fromValue(m_lFormatIds[std::size_t(lIndex - 1)]);
}

QVariant cCustomClipboard::GetCurrentFormatName(long lIndex) const
{
    if (lIndex < 1 || lIndex > m_lFormatCount)
        raiseRuntimeError(ErrorNumber::SubscriptOutOfRange);
    return QVariant(m_sFormatNames[qsizetype(lIndex - 1)]);
}

bool cCustomClipboard::HasCurrentFormat(long lFormatId) const
{
    for (long i = 1; i <= m_lFormatCount; ++i) {
        if (m_lFormatIds[std::size_t(i - 1)] == lFormatId)
            return true;
    }
    return false;
}

QString cCustomClipboard::FormatName(long lFormatId) const
{
    if (lFormatId >= 1 && lFormatId <= 17)
        return QString::fromLatin1(StandardNames[lFormatId - 1]);
    QByteArray buffer(255, '\0');
    const int n = GetClipboardFormatNameA(formatNumber(lFormatId), buffer.data(), 255);
    const QString name = ansi::decode(buffer);
    return n > 0 ? name.left(n) : QString();
}

long cCustomClipboard::FormatIDForName(quintptr hWndOwner, const QString& sName)
{
    GetCurrentFormats(hWndOwner);
    // The scan counts with a 16-bit number: a limit past 32767 overflows at once, and the step
    // after entry 32767 overflows too.
    if (m_lFormatCount > MaxInteger)
        raiseRuntimeError(ErrorNumber::Overflow);
    for (long i = 1; i <= m_lFormatCount; ++i) {
        if (m_sFormatNames[qsizetype(i - 1)] == sName)
            return m_lFormatIds[std::size_t(i - 1)];
        if (i == MaxInteger)
            raiseRuntimeError(ErrorNumber::Overflow);
    }
    return 0;
}

bool cCustomClipboard::IsDataAvailableForFormatName(quintptr hWndOwner, const QString& sFormatName)
{
    const long id = FormatIDForName(hWndOwner, sFormatName);
    if (id > 0)
        return IsClipboardFormatAvailable(formatNumber(id));
    return false;
}

QVariant cCustomClipboard::IsDataAvailableForFormat(long lFormatId) const
{
    return QVariant(IsClipboardFormatAvailable(formatNumber(lFormatId)));
}

// --- Data ---

bool cCustomClipboard::GetBinaryData(long lFormatId, ByteList& bData)
{
    bData = ByteList();
    const long h = GetClipboardMemoryHandle(lFormatId);
    if (h == 0)
        return false;
    const HGLOBAL block = HGLOBAL(quint32(h));
    const std::size_t size = GlobalSize(block);
    const void* p = GlobalLock(block);
    if (!p)
        return false; // nothing is copied through a failed lock
    if (size > 0)
        bData = ByteList(0, QByteArray(static_cast<const char*>(p), qsizetype(size)));
    GlobalUnlock(block);
    return size > 0;
}

long cCustomClipboard::GetClipboardMemoryHandle(long lFormatId)
{
    ClipboardNotOpen();
    if (IsDataAvailableForFormat(lFormatId).toBool())
        return long(GetClipboardData(formatNumber(lFormatId)));
    return 0;
}

bool cCustomClipboard::SetBinaryData(long lFormatId, const ByteList& bData)
{
    ClipboardNotOpen();
    if (bData.count() == 0)
        raiseRuntimeError(ErrorNumber::SubscriptOutOfRange); // a list without bounds
    const std::size_t n = std::size_t(bData.upperBound() - bData.lowerBound + 1);
    const HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, n);
    if (!block)
        return false;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return false;
    }
    std::memcpy(p, bData.bytes.constData(), n);
    GlobalUnlock(block);
    if (SetClipboardData(formatNumber(lFormatId), block) != 0)
        return true;   // the block is the clipboard's now
    GlobalFree(block); // refused: it is still ours
    return false;
}

bool cCustomClipboard::SetBinaryDataLater(long lFormatId, std::function<QByteArray()> render)
{
    ClipboardNotOpen();
    return SetClipboardDataLater(formatNumber(lFormatId), std::move(render));
}

bool cCustomClipboard::SetClipboardMemoryHandle(long lFormatId, long hMem)
{
    return SetClipboardData(formatNumber(lFormatId), HGLOBAL(quint32(hMem))) != 0;
}

bool cCustomClipboard::GetTextData(long lFormatId, QString& sTextOut)
{
    if (lFormatId == 1 || lFormatId == 13) {
        // The runtime's text reader opens the clipboard itself, so this object lets go of it for
        // the time of the read.
        const bool wasOpen = m_bOpen;
        const quintptr owner = m_hWndOwner;
        if (wasOpen)
            ClipboardClose();
        sTextOut = clipboardGetText();
        if (wasOpen)
            ClipboardOpen(owner);
        return true;
    }
    ByteList bytes;
    if (!GetBinaryData(lFormatId, bytes))
        return false;
    sTextOut = ansi::decode(bytes.bytes);
    return true;
}

bool cCustomClipboard::SetTextData(long lFormatId, const QString& sText)
{
    if (sText.isEmpty())
        return false;
    QByteArray bytes(sText.size() + 1, '\0'); // N + 1 bytes, the last one staying zero
    if (!ansi::encodeInto(sText, bytes.data()))
        raiseRuntimeError(ErrorNumber::Overflow); // a character whose code is not one byte
    return SetBinaryData(lFormatId, ByteList(0, std::move(bytes)));
}

bool cCustomClipboard::GetFileList(StringList& sFiles, long& iFileCount)
{
    const long h = GetClipboardMemoryHandle(CF_HDROP);
    if (h == 0)
        return false;
    const HGLOBAL block = HGLOBAL(quint32(h));
    iFileCount = toLong32(DragQueryFileA(block, 0xFFFFFFFFu, nullptr, 0));
    if (iFileCount <= 0)
        return false;
    sFiles = StringList(1, QStringList());
    sFiles.items.reserve(qsizetype(iFileCount));
    QByteArray buffer(260, '\0');
    for (long i = 1; i <= iFileCount; ++i) {
        DragQueryFileA(block, UINT(i - 1), buffer.data(), UINT(buffer.size()));
        const QString name = ansi::decode(buffer);
        const qsizetype zero = name.indexOf(QChar(0));
        sFiles.items.append(zero >= 0 ? name.left(zero) : name);
    }
    return true;
}

bool cCustomClipboard::SetFileList(const StringList& sFiles)
{
    ClipboardNotOpen();
    if (sFiles.count() == 0)
        raiseRuntimeError(ErrorNumber::SubscriptOutOfRange); // a list without bounds
    QString area;
    for (long i = sFiles.lowerBound; i <= sFiles.upperBound(); ++i) {
        area += sFiles(i);
        area += QChar(0);
    }
    area += QChar(0);
    const QByteArray names = ansi::encode(area);
    QByteArray block(20 + names.size(), '\0');
    block[0] = char(20);
    std::memcpy(block.data() + 20, names.constData(), std::size_t(names.size()));
    return SetBinaryData(CF_HDROP, ByteList(0, block));
}

// --- The clipboard itself ---

void cCustomClipboard::ClearClipboard()
{
    ClipboardNotOpen();
    EmptyClipboard();
}

void cCustomClipboard::ClipboardClose()
{
    if (m_bOpen) {
        CloseClipboard();
        m_bOpen = false;
        m_hWndOwner = 0;
    }
}

bool cCustomClipboard::ClipboardOpen(quintptr hWndOwner)
{
    if (OpenClipboard(hWndOwner)) {
        m_hWndOwner = hWndOwner;
        m_bOpen = true;
        return true;
    }
    m_hWndOwner = 0;
    m_bOpen = false;
    throw PlatformError(ErrorNumber::UnableToOpenClipboard,
                        QStringLiteral("Unable to Open Clipboard."), ErrorSource());
}

bool cCustomClipboard::ClipboardNotOpen() const
{
    if (!m_bOpen || m_hWndOwner == 0)
        throw PlatformError(
            ErrorNumber::ClipboardNotOpen,
            QStringLiteral("Attempt to access the clipboard when clipboard not Open."),
            ErrorSource());
    return false;
}
