#pragma once

#include "platform/clipboard/ClipboardLayer.h"

#include <QByteArray>

#include <vector>

// A clipboard held in memory, for tests: the formats in the order they were placed, each with its
// block. It can also play another program: hold the clipboard open (this process then cannot open
// it), put data on it, and empty it.
class ClipboardMemoryBackend : public ClipboardBackend
{
public:
    struct Entry {
        win32::UINT format = 0;
        win32::HGLOBAL block = 0;
        bool ours = false; // placed by this process, not by another program
    };

    ClipboardMemoryBackend() = default;
    ClipboardMemoryBackend(const ClipboardMemoryBackend&) = delete;
    ClipboardMemoryBackend& operator=(const ClipboardMemoryBackend&) = delete;
    ~ClipboardMemoryBackend() override;

    // --- Another program ---

    // Takes the clipboard and keeps it open; false while this process has it open.
    bool holdOpenAsAnotherProgram();
    void releaseAsAnotherProgram();
    bool heldByAnotherProgram() const override { return m_heldByOther; }
    // Empties the clipboard.
    void emptyAsAnotherProgram();
    // Puts `data` on the clipboard under `format`, in place of earlier data of that format or else
    // after the formats already there. A `reportedSize` larger than the data gives a block that
    // reports that size (the bytes past the data are zero).
    void placeAsAnotherProgram(win32::UINT format, const QByteArray& data,
                               std::size_t reportedSize = 0);

    // --- What is on the clipboard ---

    const std::vector<Entry>& entries() const { return m_entries; }
    const Entry* entry(win32::UINT format) const;
    // The bytes put there under `format` (without the room a block may report beyond them).
    QByteArray data(win32::UINT format) const;

    // --- The clipboard ---

    bool EmptyClipboard() override;
    int CountClipboardFormats() override;
    win32::UINT EnumClipboardFormats(win32::UINT format) override;
    bool IsClipboardFormatAvailable(win32::UINT format) override;
    win32::HGLOBAL GetClipboardData(win32::UINT format) override;
    win32::HGLOBAL SetClipboardData(win32::UINT format, win32::HGLOBAL hMem) override;
    QString plainText() override;
    bool removeOwnContent() override;

private:
    void place(win32::UINT format, win32::HGLOBAL block, bool ours);
    void freeAll();

    std::vector<Entry> m_entries;
    bool m_heldByOther = false;
    std::size_t m_enumPosition = 0; // where the last enumeration step stopped
};
