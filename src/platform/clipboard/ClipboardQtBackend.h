#pragma once

#include "platform/clipboard/ClipboardLayer.h"

#include <QPointer>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

class QClipboard;
class QMimeData;
class OwnMimeData;
class QObject;

// The desktop's clipboard through QClipboard. Formats and MIME types:
//
//   1 (text), 13 (Unicode text)  text/plain (any charset)
//   "Rich Text Format"           text/rtf, application/rtf and text/richtext (written under all
//                                three, read from whichever is there, text/rtf first)
//   15 (file list)               text/uri-list (local files only)
//   8 (device-independent bitmap) image/bmp and the image itself (offered as image/png ...)
//   other standard numbers       application/x-qt-windows-mime;value="CF_..."
//   a registered MIME type NAME  NAME itself ("text/html"), both ways: another program's MIME
//                                type is read under its own name
//   any other registered NAME    application/x-qt-windows-mime;value="NAME"
//
// Setting data puts a new QMimeData on the clipboard that carries what the clipboard held before
// beside the new format (earlier data of that format replaced); the QMimeData the clipboard holds
// is never changed. The QMimeData objects this program puts there are marked, with the MIME types
// that are its own, so that leaving the program removes only those.
//
// Text blocks read from the clipboard end in a zero character; text written ends at its first zero
// character. Blocks read are kept until the clipboard changes, so asking twice gives the same
// handle, and a block put on the clipboard is the one read back.
class ClipboardQtBackend : public ClipboardBackend
{
public:
    ClipboardQtBackend();
    ClipboardQtBackend(const ClipboardQtBackend&) = delete;
    ClipboardQtBackend& operator=(const ClipboardQtBackend&) = delete;
    ~ClipboardQtBackend() override;

    // The MIME type under which this program puts `format` on the clipboard; "" for a number it
    // cannot carry (neither standard nor registered).
    static QString mimeTypeFor(win32::UINT format);
    // Whether `data` is a QMimeData this program put on the clipboard.
    static bool isOwnMimeData(const QMimeData* data);

    bool EmptyClipboard() override;
    int CountClipboardFormats() override;
    win32::UINT EnumClipboardFormats(win32::UINT format) override;
    bool IsClipboardFormatAvailable(win32::UINT format) override;
    win32::HGLOBAL GetClipboardData(win32::UINT format) override;
    win32::HGLOBAL SetClipboardData(win32::UINT format, win32::HGLOBAL hMem) override;
    bool SetClipboardDataLater(win32::UINT format, std::function<QByteArray()> render) override;
    QString plainText() override;
    bool removeOwnContent() override;

private:
    QClipboard* clipboard();
    const QMimeData* current();
    // Frees the kept blocks when the clipboard changed since they were made.
    void syncBlocks();
    void freeBlocks();
    // Puts `data` on the clipboard, without counting it as a change by someone else.
    void install(QMimeData* data);
    // Puts a new QMimeData on the clipboard with what it held before and `format`, which `write`
    // adds (false when it cannot); the kept blocks of what `format` replaces, other than
    // `kept`, are freed.
    bool putBesideTheRest(win32::UINT format, win32::HGLOBAL kept,
                          const std::function<bool(OwnMimeData*)>& write);

    QPointer<QObject> m_watcher;
    bool m_changed = true;
    bool m_installing = false;
    const QMimeData* m_blocksSource = nullptr;
    std::map<win32::UINT, win32::HGLOBAL> m_blocks;
    std::vector<win32::UINT> m_enumeration;
};
