#include "platform/clipboard/ClipboardMemoryBackend.h"

#include <cstring>

using namespace win32;

ClipboardMemoryBackend::~ClipboardMemoryBackend()
{
    freeAll();
}

void ClipboardMemoryBackend::freeAll()
{
    for (const Entry& e : m_entries)
        GlobalFree(e.block);
    m_entries.clear();
}

bool ClipboardMemoryBackend::holdOpenAsAnotherProgram()
{
    if (isOpen())
        return false;
    m_heldByOther = true;
    return true;
}

void ClipboardMemoryBackend::releaseAsAnotherProgram()
{
    m_heldByOther = false;
}

void ClipboardMemoryBackend::emptyAsAnotherProgram()
{
    freeAll();
}

void ClipboardMemoryBackend::placeAsAnotherProgram(UINT format, const QByteArray& data,
                                                   std::size_t reportedSize)
{
    const std::size_t size = std::size_t(data.size());
    HGLOBAL block = globalAllocReported(GMEM_MOVEABLE | GMEM_DDESHARE, size,
                                        reportedSize > size ? reportedSize : size);
    if (!block)
        return;
    if (void* p = GlobalLock(block)) {
        if (size)
            std::memcpy(p, data.constData(), size);
        GlobalUnlock(block);
    }
    place(format, block, false);
}

const ClipboardMemoryBackend::Entry* ClipboardMemoryBackend::entry(UINT format) const
{
    for (const Entry& e : m_entries) {
        if (e.format == format)
            return &e;
    }
    return nullptr;
}

QByteArray ClipboardMemoryBackend::data(UINT format) const
{
    const Entry* e = entry(format);
    return e ? globalBlockData(e->block) : QByteArray();
}

void ClipboardMemoryBackend::place(UINT format, HGLOBAL block, bool ours)
{
    for (Entry& e : m_entries) {
        if (e.format == format) {
            if (e.block != block)
                GlobalFree(e.block);
            e.block = block;
            e.ours = ours;
            return;
        }
    }
    m_entries.push_back(Entry{format, block, ours});
}

bool ClipboardMemoryBackend::EmptyClipboard()
{
    if (!isOpen())
        return false;
    freeAll();
    return true;
}

int ClipboardMemoryBackend::CountClipboardFormats()
{
    return int(m_entries.size());
}

UINT ClipboardMemoryBackend::EnumClipboardFormats(UINT format)
{
    if (!isOpen() || m_entries.empty())
        return 0;
    if (format == 0) {
        m_enumPosition = 0;
        return m_entries.front().format;
    }
    // Enumerations walk forward: look where the last step stopped before searching the list.
    std::size_t at = m_entries.size();
    if (m_enumPosition < m_entries.size() && m_entries[m_enumPosition].format == format) {
        at = m_enumPosition;
    } else {
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            if (m_entries[i].format == format) {
                at = i;
                break;
            }
        }
    }
    if (at + 1 >= m_entries.size())
        return 0;
    m_enumPosition = at + 1;
    return m_entries[at + 1].format;
}

bool ClipboardMemoryBackend::IsClipboardFormatAvailable(UINT format)
{
    return entry(format) != nullptr;
}

HGLOBAL ClipboardMemoryBackend::GetClipboardData(UINT format)
{
    if (!isOpen())
        return 0;
    const Entry* e = entry(format);
    return e ? e->block : 0;
}

HGLOBAL ClipboardMemoryBackend::SetClipboardData(UINT format, HGLOBAL hMem)
{
    GlobalBlockView view;
    if (!isOpen() || format == 0 || !globalPeek(hMem, view))
        return 0;
    for (const Entry& e : m_entries) {
        if (e.block == hMem && e.format != format)
            return 0; // already the clipboard's under another format
    }
    place(format, hMem, true);
    return hMem;
}

QString ClipboardMemoryBackend::plainText()
{
    if (const Entry* e = entry(CF_UNICODETEXT)) {
        GlobalBlockView view;
        if (globalPeek(e->block, view)) {
            QString text;
            for (std::size_t i = 0; i + 1 < view.size; i += 2) {
                const char16_t unit = char16_t(view.data[i] | view.data[i + 1] << 8);
                if (unit == 0)
                    break;
                text.append(QChar(unit));
            }
            return text;
        }
    }
    if (const Entry* e = entry(CF_TEXT)) {
        GlobalBlockView view;
        if (globalPeek(e->block, view)) {
            const void* zero = std::memchr(view.data, 0, view.size);
            const std::size_t n =
                zero ? std::size_t(static_cast<const unsigned char*>(zero) - view.data) : view.size;
            return ansi::decode(reinterpret_cast<const char*>(view.data), qsizetype(n));
        }
    }
    return QString();
}

bool ClipboardMemoryBackend::removeOwnContent()
{
    bool removed = false;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (it->ours) {
            GlobalFree(it->block);
            it = m_entries.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}
