#pragma once

#include <functional>

#include "platform/core/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

#include <vector>

namespace ErrorNumber
{
// The clipboard class's own errors, as the runtime reports them: 32-bit signed numbers, so
// 0x80040622 is -2147219934 and 0x80040623 is -2147219933.
constexpr long ClipboardNotOpen = static_cast<qint32>(0x80040622u);
constexpr long UnableToOpenClipboard = static_cast<qint32>(0x80040623u);
} // namespace ErrorNumber

// A list of bytes whose first entry has the index `lowerBound`: the lists the clipboard class
// fills start at 0; the ones it reads may start anywhere and are taken whole.
struct ByteList {
    long lowerBound = 0;
    QByteArray bytes;

    ByteList() = default;
    ByteList(long lower, QByteArray data) : lowerBound(lower), bytes(std::move(data)) {}

    long count() const { return long(bytes.size()); }
    long upperBound() const { return lowerBound + count() - 1; }
    // The entry at `index`; an index outside the bounds raises error 9.
    quint8 operator()(long index) const;
};

// A list of strings whose first entry has the index `lowerBound` (1 for the lists the class fills).
struct StringList {
    long lowerBound = 1;
    QStringList items;

    StringList() = default;
    StringList(long lower, QStringList entries) : lowerBound(lower), items(std::move(entries)) {}

    long count() const { return long(items.size()); }
    long upperBound() const { return lowerBound + count() - 1; }
    // The entry at `index`; an index outside the bounds raises error 9.
    const QString& operator()(long index) const;
};

// Direct access to the system clipboard for one window: opens and closes it, registers,
// enumerates and names formats, and moves bytes, memory blocks, text and file lists in and out
// under any format number. Works through the clipboard layer (platform/clipboard/ClipboardLayer.h),
// on whichever backend is installed.
//
// Errors: ErrorNumber::ClipboardNotOpen "Attempt to access the clipboard when clipboard not Open."
// from every operation that needs the clipboard open through this object, and
// ErrorNumber::UnableToOpenClipboard "Unable to Open Clipboard." when the clipboard cannot be
// opened; their source is the executable's name followed by ".cCustomClipboard". Index errors
// (9) and overflow (6) come as the runtime raises them. Nothing is trapped.
class cCustomClipboard
{
public:
    cCustomClipboard();
    cCustomClipboard(const cCustomClipboard&) = delete;
    cCustomClipboard& operator=(const cCustomClipboard&) = delete;
    // Closes the clipboard if this object holds it open.
    ~cCustomClipboard();

    // The source of the class's errors: "<executable name>.cCustomClipboard".
    static QString ErrorSource();

    // --- Opening and formats ---

    // The number of the format named `sName`, registering the name; 0 on failure.
    long AddFormat(const QString& sName);
    // The number of formats on the clipboard, as a 16-bit number (error 6 past 32767).
    short FormatCount() const;
    // Enumerates the clipboard's formats, opening and closing it on `hWndOwner`; returns how many.
    long GetCurrentFormats(quintptr hWndOwner);
    // The number and the name of entry `lIndex` (from 1) of the last enumeration; error 9 outside.
    QVariant GetCurrentFormatID(long lIndex) const;
    QVariant GetCurrentFormatName(long lIndex) const;
    // Whether the last enumeration found `lFormatId`.
    bool HasCurrentFormat(long lFormatId) const;
    // The display name of a format: the standard names for 1 to 17, else the registered name.
    QString FormatName(long lFormatId) const;
    // The number of the first format on the clipboard whose name is `sName` (a fresh enumeration
    // on `hWndOwner`); 0 if none.
    long FormatIDForName(quintptr hWndOwner, const QString& sName);
    bool IsDataAvailableForFormatName(quintptr hWndOwner, const QString& sFormatName);
    // A Boolean; the clipboard need not be open.
    QVariant IsDataAvailableForFormat(long lFormatId) const;

    // --- Data ---

    bool GetBinaryData(long lFormatId, ByteList& bData);
    long GetClipboardMemoryHandle(long lFormatId);
    bool SetBinaryData(long lFormatId, const ByteList& bData);
    bool SetClipboardMemoryHandle(long lFormatId, long hMem);
    // Puts the format on the clipboard with data that `render` makes only when a program asks
    // for it: for a format that is costly to make and seldom wanted.
    bool SetBinaryDataLater(long lFormatId, std::function<QByteArray()> render);
    bool GetTextData(long lFormatId, QString& sTextOut);
    bool SetTextData(long lFormatId, const QString& sText);
    bool GetFileList(StringList& sFiles, long& iFileCount);
    bool SetFileList(const StringList& sFiles);

    // --- The clipboard itself ---

    void ClearClipboard();
    void ClipboardClose();
    bool ClipboardOpen(quintptr hWndOwner);

private:
    bool ClipboardNotOpen() const;

    std::vector<long> m_lFormatIds; // entry i (from 1) at [i - 1]
    QStringList m_sFormatNames;     // entry i (from 1) at [i - 1]
    long m_lFormatCount = 0;
    bool m_bOpen = false;
    quintptr m_hWndOwner = 0;
};
