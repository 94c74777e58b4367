#pragma once

#include "platform/clipboard/ClipboardAnsi.h"
#include "platform/clipboard/GlobalMemory.h"
#include "platform/core/Error.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

// The system clipboard in the vocabulary the program's clipboard class is written in: open and
// close it on behalf of a window, empty it, register formats by name, count, enumerate and test
// formats by number, and move memory blocks (GlobalMemory.h) in and out by format number.
//
// Format numbers: the standard formats are 1 to 17; a name registered with
// RegisterClipboardFormatA gets a number above 0xC000 that stays the same for the whole process
// (names compare without regard to case, as the platform's do). The registry is one for the
// process, whichever backend is installed.
//
// Two backends do the work: ClipboardQtBackend (the desktop's clipboard through QClipboard, the
// default) and ClipboardMemoryBackend (a clipboard in memory for tests, which can also play
// another program). Whichever setClipboardBackend installed serves every caller in the process.
namespace win32
{

using HWND = quintptr;
using UINT = quint32;

constexpr UINT CF_TEXT = 1;
constexpr UINT CF_BITMAP = 2;
constexpr UINT CF_METAFILEPICT = 3;
constexpr UINT CF_SYLK = 4;
constexpr UINT CF_DIF = 5;
constexpr UINT CF_TIFF = 6;
constexpr UINT CF_OEMTEXT = 7;
constexpr UINT CF_DIB = 8;
constexpr UINT CF_PALETTE = 9;
constexpr UINT CF_PENDATA = 10;
constexpr UINT CF_RIFF = 11;
constexpr UINT CF_WAVE = 12;
constexpr UINT CF_UNICODETEXT = 13;
constexpr UINT CF_ENHMETAFILE = 14;
constexpr UINT CF_HDROP = 15;
constexpr UINT CF_LOCALE = 16;
constexpr UINT CF_DIBV5 = 17;

// Registered numbers lie above this one (0xC001 to 0xFFFF).
constexpr UINT RegisteredFormatBase = 0xC000;
// The longest format name the registry takes.
constexpr int MaxFormatName = 255;

// --- Format registry (process-wide) ---

// The number of the format named by the zero-ended single-byte name, registering it on first use;
// 0 for an empty or over-long name or when the registry is full.
UINT RegisterClipboardFormatA(const char* lpszFormat);
// Copies the registered name of `format` (at most cchMaxCount - 1 bytes and a zero byte) and
// returns the number of bytes copied; 0 for a number that is not registered (the standard
// formats included).
int GetClipboardFormatNameA(UINT format, char* lpszFormatName, int cchMaxCount);

// --- Clipboard (the installed backend) ---

// Opens the clipboard for this process with `hWndNewOwner` as its window; fails only while
// another program holds it open. Opening again replaces the window.
bool OpenClipboard(HWND hWndNewOwner);
// Fails when this process does not have the clipboard open.
bool CloseClipboard();
// Removes every format; needs the clipboard open.
bool EmptyClipboard();
// The number of distinct formats on the clipboard; the clipboard need not be open.
int CountClipboardFormats();
// The format after `format` in the clipboard's stable order (the first for 0), 0 after the last
// one, for an unknown `format` and while the clipboard is not open.
UINT EnumClipboardFormats(UINT format);
// The clipboard need not be open.
bool IsClipboardFormatAvailable(UINT format);
// The clipboard's block for `format` (it stays the clipboard's), 0 when absent or not open.
HGLOBAL GetClipboardData(UINT format);
// Puts the block on the clipboard under `format`, beside the other formats and in place of earlier
// data of that format; the block then belongs to the clipboard. Returns the block, or 0 when the
// clipboard refused it (not open, no such block, a format it cannot carry): then it stays the
// caller's.
HGLOBAL SetClipboardData(UINT format, HGLOBAL hMem);

// Puts `format` on the clipboard like SetClipboardData, without its data yet: `render` makes the
// data the first time a program asks for it (the platform's delayed rendering, with the renderer
// given here instead of sent to the owner window). Needs the clipboard open.
bool SetClipboardDataLater(UINT format, std::function<QByteArray()> render);

// --- File-drop blocks ---

// Reads the file-drop block `hDrop` (DropFiles.h): `iFile` 0xFFFFFFFF gives the number of names;
// a null `lpszFile` gives the length of name `iFile`; otherwise up to `cch` - 1 single-byte
// characters of it and a zero byte are copied and their number returned. Bounds-checked against
// the block's reported size; a malformed block gives fewer names, an unknown handle none.
UINT DragQueryFileA(HGLOBAL hDrop, UINT iFile, char* lpszFile, UINT cch);

} // namespace win32

// --- The runtime's own clipboard object ---

// The clipboard's plain text ("" when it holds none). Like the runtime's clipboard object, it
// opens the clipboard itself: while the clipboard is open (through any window of this process or
// by another program) it raises error 521 "Can't open Clipboard".
QString clipboardGetText();

// Leaving the program: removes from the clipboard what this program put there and keeps what
// other programs put there. Returns whether anything was removed; does nothing while the
// clipboard is open.
bool clipboardEmptyIfOurs();

// --- Backends ---

class ClipboardBackend
{
public:
    virtual ~ClipboardBackend();

    bool OpenClipboard(win32::HWND hWndNewOwner);
    bool CloseClipboard();
    bool isOpen() const { return m_open; }
    win32::HWND openWindow() const { return m_openWindow; }
    virtual bool heldByAnotherProgram() const { return false; }

    virtual bool EmptyClipboard() = 0;
    virtual int CountClipboardFormats() = 0;
    virtual win32::UINT EnumClipboardFormats(win32::UINT format) = 0;
    virtual bool IsClipboardFormatAvailable(win32::UINT format) = 0;
    virtual win32::HGLOBAL GetClipboardData(win32::UINT format) = 0;
    virtual win32::HGLOBAL SetClipboardData(win32::UINT format, win32::HGLOBAL hMem) = 0;
    // See win32::SetClipboardDataLater. A backend that cannot wait makes the data at once.
    virtual bool SetClipboardDataLater(win32::UINT format, std::function<QByteArray()> render);

    // The plain text, read as the runtime's clipboard object does (the caller has checked that
    // the clipboard can be opened).
    virtual QString plainText() = 0;
    // See clipboardEmptyIfOurs (the caller has checked that the clipboard can be opened).
    virtual bool removeOwnContent() = 0;

private:
    bool m_open = false;
    win32::HWND m_openWindow = 0;
};

// The installed backend: the one setClipboardBackend installed, else the desktop's clipboard.
ClipboardBackend& clipboardBackend();
// Installs `backend` (not owned; null for the desktop's clipboard) and returns the one before.
ClipboardBackend* setClipboardBackend(ClipboardBackend* backend);

// --- Helpers shared by the backends and the clipboard class ---

namespace ansi
{
// Writes the Windows-1252 bytes of `text` (text.size() of them) to `out`; a character without a
// code there becomes '?'. Returns whether every character had one.
bool encodeInto(const QString& text, char* out);
// Windows-1252 bytes of `text`; a character without a code there becomes '?' and clears
// *lossless.
QByteArray encode(const QString& text, bool* lossless = nullptr);
// `bytes` read as Windows-1252, every byte included (zero bytes become zero characters).
QString decode(const char* bytes, qsizetype size);
inline QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}
} // namespace ansi

// The name registered under `format` ("" when it is not a registered number).
QString registeredFormatName(win32::UINT format);
// The number of a registered name, registering it; 0 when it cannot be registered.
win32::UINT registerFormatName(const QString& name);
// The registered number of "Rich Text Format".
win32::UINT richTextFormat();

// The platform's name of a standard format ("CF_TEXT" ...), "" for other numbers.
QString standardFormatPlatformName(win32::UINT format);

// A new block holding `data` followed by `zeros` zero bytes (reported size rounded up as usual);
// 0 when it cannot be made.
win32::HGLOBAL globalAllocCopy(const QByteArray& data, int zeros = 0);
// The data of a block: its first globalDataSize bytes.
QByteArray globalBlockData(win32::HGLOBAL hMem);
