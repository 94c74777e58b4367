#include "support/ClipboardTestSupport.h"

#include "platform/clipboard/DropFiles.h"

#include <QCoreApplication>
#include <QFileInfo>

using namespace win32;

namespace
{

const QString NotOpenText =
    QStringLiteral("Attempt to access the clipboard when clipboard not Open.");
const QString UnableText = QStringLiteral("Unable to Open Clipboard.");

void expectNotOpen(const std::function<void()>& body)
{
    const PlatformError e = raisedBy(body);
    EXPECT_EQ(e.number(), ErrorNumber::ClipboardNotOpen);
    EXPECT_EQ(e.description(), NotOpenText);
    EXPECT_EQ(e.source(), QStringLiteral("test_clipboard.cCustomClipboard"));
}

} // namespace

TEST(ClipboardErrors, NumbersAreTheRuntimesSigned32BitValues)
{
    EXPECT_EQ(ErrorNumber::ClipboardNotOpen, -2147219934L);
    EXPECT_EQ(ErrorNumber::UnableToOpenClipboard, -2147219933L);
    EXPECT_EQ(quint32(ErrorNumber::ClipboardNotOpen), 0x80040622u);
    EXPECT_EQ(cCustomClipboard::ErrorSource(),
              QFileInfo(QCoreApplication::applicationFilePath()).fileName() +
                  QStringLiteral(".cCustomClipboard"));
}

TEST_F(MemoryClipboardTest, EveryGuardedOperationRefusesAClosedObjectAndChangesNothing)
{
    board.placeAsAnotherProgram(CF_TEXT, QByteArray("kept", 5));
    cCustomClipboard clip;
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));
    ByteList data(0, QByteArray("x"));
    data.lowerBound = 7;
    StringList files(1, {QStringLiteral("/tmp/a")});
    long count = 42;
    QString text = QStringLiteral("untouched");

    expectNotOpen([&] { clip.ClearClipboard(); });
    expectNotOpen([&] { clip.GetClipboardMemoryHandle(CF_TEXT); });
    expectNotOpen([&] { clip.GetBinaryData(CF_TEXT, data); });
    expectNotOpen([&] { clip.SetBinaryData(rtf, data); });
    expectNotOpen([&] { clip.SetTextData(rtf, QStringLiteral("abc")); });
    expectNotOpen([&] { clip.GetTextData(rtf, text); });
    expectNotOpen([&] { clip.SetFileList(files); });
    expectNotOpen([&] { clip.GetFileList(files, count); });

    EXPECT_EQ(text, QStringLiteral("untouched"));
    EXPECT_EQ(count, 42);
    EXPECT_EQ(files.items, QStringList{QStringLiteral("/tmp/a")});
    ASSERT_EQ(board.entries().size(), 1u);
    EXPECT_EQ(board.data(CF_TEXT), QByteArray("kept", 5));

    // Opened without a window, the object still counts as not open.
    clip.ClipboardOpen(0);
    expectNotOpen([&] { clip.ClearClipboard(); });
    clip.ClipboardClose();

    // What needs no open clipboard works on a closed object.
    EXPECT_TRUE(clip.IsDataAvailableForFormat(CF_TEXT).toBool());
    EXPECT_EQ(clip.FormatCount(), 1);
    EXPECT_EQ(clip.FormatName(CF_TEXT), QStringLiteral("Text"));
}

TEST_F(MemoryClipboardTest, OpeningAndClosingFollowTheOwnerWindow)
{
    {
        cCustomClipboard clip;
        clip.ClipboardClose(); // closing a closed object does nothing
        EXPECT_TRUE(clip.ClipboardOpen(TestWindow));
        EXPECT_TRUE(board.isOpen());
        EXPECT_EQ(board.openWindow(), TestWindow);

        // Closing another, closed object never closes the clipboard held through this one.
        cCustomClipboard other;
        other.ClipboardClose();
        EXPECT_TRUE(board.isOpen());

        // Opening again replaces the window.
        EXPECT_TRUE(clip.ClipboardOpen(OtherWindow));
        EXPECT_EQ(board.openWindow(), OtherWindow);
    }
    // The object's end closes the clipboard it held open.
    EXPECT_FALSE(board.isOpen());
}

TEST_F(MemoryClipboardTest, AnotherProgramHoldingTheClipboardMakesOpeningFail)
{
    board.placeAsAnotherProgram(CF_TEXT, QByteArray("x", 2));
    ASSERT_TRUE(board.holdOpenAsAnotherProgram());
    cCustomClipboard clip;

    PlatformError e = raisedBy([&] { clip.ClipboardOpen(TestWindow); });
    EXPECT_EQ(e.number(), ErrorNumber::UnableToOpenClipboard);
    EXPECT_EQ(e.description(), UnableText);
    EXPECT_EQ(e.source(), QStringLiteral("test_clipboard.cCustomClipboard"));
    expectNotOpen([&] { clip.ClearClipboard(); });

    // The operations that open the clipboard themselves fail the same way, with empty lists.
    e = raisedBy([&] { clip.GetCurrentFormats(TestWindow); });
    EXPECT_EQ(e.number(), ErrorNumber::UnableToOpenClipboard);
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatID(1); }).number(), 9);
    EXPECT_EQ(raisedBy([&] { clip.FormatIDForName(TestWindow, QStringLiteral("Text")); }).number(),
              ErrorNumber::UnableToOpenClipboard);
    EXPECT_EQ(raisedBy([&] {
                  clip.IsDataAvailableForFormatName(TestWindow, QStringLiteral("Text"));
              }).number(),
              ErrorNumber::UnableToOpenClipboard);

    // Testing for a format needs no opening.
    EXPECT_TRUE(clip.IsDataAvailableForFormat(CF_TEXT).toBool());

    // An open object whose reopening fails ends up closed.
    board.releaseAsAnotherProgram();
    clip.ClipboardOpen(TestWindow);
    board.CloseClipboard();                        // someone in this process closed it ...
    ASSERT_TRUE(board.holdOpenAsAnotherProgram()); // ... and another program took it
    raisedBy([&] { clip.ClipboardOpen(TestWindow); });
    expectNotOpen([&] { clip.ClearClipboard(); });
}

TEST_F(MemoryClipboardTest, RegisteringNamesGivesStableNumbersAboveC000)
{
    cCustomClipboard clip;
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));
    EXPECT_GT(rtf, 0xC000);
    EXPECT_LE(rtf, 0xFFFF);
    EXPECT_EQ(cCustomClipboard().AddFormat(QStringLiteral("Rich Text Format")), rtf);
    EXPECT_EQ(clip.AddFormat(QStringLiteral("rich text format")), rtf); // names ignore case
    EXPECT_EQ(long(richTextFormat()), rtf);
    const long other = clip.AddFormat(QStringLiteral("Wordlark Test Name"));
    EXPECT_GT(other, 0xC000);
    EXPECT_NE(other, rtf);

    EXPECT_EQ(clip.AddFormat(QString()), 0);
    EXPECT_EQ(clip.AddFormat(QString(256, QLatin1Char('n'))), 0);
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatID(1); }).number(), 9); // lists untouched

    EXPECT_EQ(clip.FormatName(rtf), QStringLiteral("Rich Text Format"));
    EXPECT_EQ(clip.FormatName(other), QStringLiteral("Wordlark Test Name"));
    EXPECT_EQ(clip.FormatName(0), QString());
    EXPECT_EQ(clip.FormatName(0xFFFF), QString());
    EXPECT_EQ(clip.FormatName(-5), QString());
}

TEST_F(MemoryClipboardTest, StandardFormatNames)
{
    cCustomClipboard clip;
    const QStringList names = {
        QStringLiteral("Text"),
        QStringLiteral("Bitmap Picture"),
        QStringLiteral("Meta-File Picture"),
        QStringLiteral("Microsoft Symbolic Link (SYLK) data."),
        QStringLiteral("Software Arts' Data Interchange information."),
        QStringLiteral("Tagged Image File Format (TIFF) Picture"),
        QStringLiteral("Text (OEM)"),
        QStringLiteral("DIB Bitmap Picture"),
        QStringLiteral("Colour Palette"),
        QStringLiteral("Pen Data"),
        QStringLiteral("RIFF Audio data"),
        QStringLiteral("Wave File"),
        QStringLiteral("Text (Unicode)"),
        QStringLiteral("Enhanced Meta-File Picture"),
        QStringLiteral("File List"),
        QString(),
        QString(),
    };
    for (long id = 1; id <= 17; ++id)
        EXPECT_EQ(clip.FormatName(id), names[id - 1]) << id;
}

TEST_F(MemoryClipboardTest, EnumerationListsFormatsInOrderFromIndexOne)
{
    cCustomClipboard clip;
    // Before any enumeration every index is out of range.
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatID(1); }).number(),
              ErrorNumber::SubscriptOutOfRange);
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatName(1); }).number(), 9);
    EXPECT_FALSE(clip.HasCurrentFormat(CF_TEXT));

    board.placeAsAnotherProgram(CF_TEXT, QByteArray("plain", 6));
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));
    clip.ClipboardOpen(TestWindow);
    ASSERT_TRUE(clip.SetTextData(rtf, QStringLiteral("{\\rtf1 x}")));
    board.placeAsAnotherProgram(0x0200, QByteArray("private"));

    // Enumerating closes the object, though it was open.
    EXPECT_EQ(clip.GetCurrentFormats(TestWindow), 3);
    EXPECT_FALSE(board.isOpen());
    expectNotOpen([&] { clip.ClearClipboard(); });

    EXPECT_EQ(clip.GetCurrentFormatID(1).toLongLong(), CF_TEXT);
    EXPECT_EQ(clip.GetCurrentFormatID(2).toLongLong(), rtf);
    EXPECT_EQ(clip.GetCurrentFormatID(3).toLongLong(), 0x0200);
    EXPECT_EQ(clip.GetCurrentFormatName(1).toString(), QStringLiteral("Text"));
    EXPECT_EQ(clip.GetCurrentFormatName(2).toString(), QStringLiteral("Rich Text Format"));
    EXPECT_EQ(clip.GetCurrentFormatName(3).toString(), QString());
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatID(0); }).number(), 9);
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatID(4); }).number(), 9);
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatName(-1); }).number(), 9);
    EXPECT_TRUE(clip.HasCurrentFormat(rtf));
    EXPECT_FALSE(clip.HasCurrentFormat(CF_UNICODETEXT));

    // The lists answer from the last enumeration, not from the live clipboard, and survive
    // closing.
    board.emptyAsAnotherProgram();
    EXPECT_TRUE(clip.HasCurrentFormat(rtf));
    EXPECT_EQ(clip.FormatCount(), 0);
    EXPECT_EQ(clip.GetCurrentFormats(TestWindow), 0);
    EXPECT_EQ(raisedBy([&] { clip.GetCurrentFormatID(1); }).number(), 9);
}

TEST_F(MemoryClipboardTest, FindingFormatsByName)
{
    cCustomClipboard clip;
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));
    board.placeAsAnotherProgram(CF_UNICODETEXT, bytes({'a', 0, 0, 0}));
    board.placeAsAnotherProgram(rtf, QByteArray("{\\rtf1}", 8));

    clip.ClipboardOpen(TestWindow);
    EXPECT_EQ(clip.FormatIDForName(OtherWindow, QStringLiteral("Rich Text Format")), rtf);
    EXPECT_FALSE(board.isOpen()); // opened and closed on the window it was given
    EXPECT_EQ(clip.FormatIDForName(TestWindow, QStringLiteral("Text (Unicode)")), CF_UNICODETEXT);
    EXPECT_EQ(clip.FormatIDForName(TestWindow, QStringLiteral("rich text format")),
              0); // exact case
    EXPECT_TRUE(clip.IsDataAvailableForFormatName(TestWindow, QStringLiteral("Rich Text Format")));

    // A registered name that is not on the clipboard is not found.
    clip.AddFormat(QStringLiteral("Wordlark Absent Format"));
    EXPECT_EQ(clip.FormatIDForName(TestWindow, QStringLiteral("Wordlark Absent Format")), 0);
    EXPECT_FALSE(
        clip.IsDataAvailableForFormatName(TestWindow, QStringLiteral("Wordlark Absent Format")));
}

TEST_F(MemoryClipboardTest, CountsPast32767OverflowTheSixteenBitNumbers)
{
    cCustomClipboard clip;
    for (UINT f = 0; f < 32768; ++f)
        board.placeAsAnotherProgram(0x10000 + f, QByteArray());
    EXPECT_EQ(raisedBy([&] { clip.FormatCount(); }).number(), ErrorNumber::Overflow);
    EXPECT_EQ(raisedBy([&] { clip.FormatIDForName(TestWindow, QStringLiteral("x")); }).number(),
              ErrorNumber::Overflow);
    EXPECT_EQ(clip.GetCurrentFormats(TestWindow),
              32768); // the enumeration itself counts in 32 bits
    EXPECT_EQ(clip.GetCurrentFormatID(32768).toLongLong(), 0x10000 + 32767);
}

TEST_F(MemoryClipboardTest, TextIsWrittenAsSingleBytesWithAClosingZero)
{
    setGlobalSizeGranularity(1);
    cCustomClipboard clip;
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));

    // An empty text writes nothing, even on a closed object.
    EXPECT_FALSE(clip.SetTextData(rtf, QString()));
    EXPECT_TRUE(board.entries().empty());

    clip.ClipboardOpen(TestWindow);
    ASSERT_TRUE(clip.SetTextData(rtf, QStringLiteral("abc")));
    EXPECT_EQ(board.data(rtf), bytes({0x61, 0x62, 0x63, 0x00}));
    QString text;
    ASSERT_TRUE(clip.GetTextData(rtf, text));
    EXPECT_EQ(text, QStringLiteral("abc") + QChar(0));

    // Characters of the ANSI code page take one byte each; others overflow and write nothing.
    ASSERT_TRUE(clip.SetTextData(rtf, QStringLiteral("\u20ACé")));
    EXPECT_EQ(board.data(rtf), bytes({0x80, 0xE9, 0x00}));
    EXPECT_EQ(raisedBy([&] { clip.SetTextData(rtf, QStringLiteral("a\u03A9")); }).number(),
              ErrorNumber::Overflow);
    EXPECT_EQ(board.data(rtf), bytes({0x80, 0xE9, 0x00}));
    ASSERT_TRUE(clip.GetTextData(rtf, text));
    EXPECT_EQ(text, QStringLiteral("\u20ACé") + QChar(0));

    // Formats 1 and 13 get the single-byte form too.
    ASSERT_TRUE(clip.SetTextData(CF_UNICODETEXT, QStringLiteral("ab")));
    EXPECT_EQ(board.data(CF_UNICODETEXT), bytes({'a', 'b', 0}));

    // Absent data leaves the text as it was.
    text = QStringLiteral("before");
    EXPECT_FALSE(clip.GetTextData(0xC000 + 0x3FFE, text));
    EXPECT_EQ(text, QStringLiteral("before"));
}

TEST_F(MemoryClipboardTest, BlocksAreReadWholeAsLargeAsTheyReport)
{
    cCustomClipboard clip;
    const long name = clip.AddFormat(QStringLiteral("Wordlark Padded Format"));
    board.placeAsAnotherProgram(name, QByteArray("abc", 4), 64);
    clip.ClipboardOpen(TestWindow);

    ByteList data;
    ASSERT_TRUE(clip.GetBinaryData(name, data));
    EXPECT_EQ(data.lowerBound, 0);
    EXPECT_EQ(data.upperBound(), 63);
    EXPECT_EQ(data.bytes.left(4), QByteArray("abc", 4));
    EXPECT_EQ(data.bytes.mid(4), QByteArray(60, '\0'));
    QString text;
    ASSERT_TRUE(clip.GetTextData(name, text));
    EXPECT_EQ(text.size(), 64);
    EXPECT_TRUE(text.startsWith(QStringLiteral("abc") + QChar(0)));

    // Blocks made here report their size rounded up to the allocation granularity.
    setGlobalSizeGranularity(16);
    ASSERT_TRUE(clip.SetTextData(name, QStringLiteral("abc")));
    EXPECT_EQ(board.data(name).size(), 4); // the block holds the 4 bytes written ...
    const long h = clip.GetClipboardMemoryHandle(name);
    EXPECT_EQ(GlobalSize(HGLOBAL(h)), 16u); // ... and reports 16
    ASSERT_TRUE(clip.GetBinaryData(name, data));
    EXPECT_EQ(data.count(), 16);
    EXPECT_EQ(data.bytes, QByteArray("abc", 4) + QByteArray(12, '\0'));

    // Absent data: False and an empty list, whatever it held.
    EXPECT_FALSE(clip.GetBinaryData(CF_DIB, data));
    EXPECT_EQ(data.count(), 0);
    EXPECT_EQ(clip.GetClipboardMemoryHandle(CF_DIB), 0);
}

TEST_F(MemoryClipboardTest, BinaryDataIsTakenWholeFromItsBoundsBesideOtherFormats)
{
    setGlobalSizeGranularity(1);
    board.placeAsAnotherProgram(CF_TEXT, QByteArray("other", 6));
    cCustomClipboard clip;
    const long name = clip.AddFormat(QStringLiteral("Wordlark Binary Format"));
    clip.ClipboardOpen(TestWindow);

    const ByteList fiveToNine(5, bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(fiveToNine.upperBound(), 9);
    EXPECT_EQ(fiveToNine(5), 1);
    EXPECT_EQ(raisedBy([&] { fiveToNine(4); }).number(), 9);
    ASSERT_TRUE(clip.SetBinaryData(name, fiveToNine));
    EXPECT_EQ(board.data(name), bytes({1, 2, 3, 4, 5}));
    EXPECT_EQ(board.data(CF_TEXT), QByteArray("other", 6)); // nothing emptied

    // A block with no bounds at all is out of range.
    EXPECT_EQ(raisedBy([&] { clip.SetBinaryData(name, ByteList()); }).number(), 9);

    // A block the clipboard refuses (format 0) gives False and leaks nothing.
    const std::size_t blocks = globalBlockCount();
    EXPECT_FALSE(clip.SetBinaryData(0, fiveToNine));
    EXPECT_EQ(globalBlockCount(), blocks);

    // ClearClipboard empties every format.
    clip.ClearClipboard();
    EXPECT_TRUE(board.entries().empty());
}

TEST_F(MemoryClipboardTest, MemoryHandlesPassStraightThrough)
{
    setGlobalSizeGranularity(16);
    cCustomClipboard clip;
    const long name = clip.AddFormat(QStringLiteral("Wordlark Handle Format"));
    const HGLOBAL block = GlobalAlloc(GMEM_DDESHARE, 3);
    std::memcpy(GlobalLock(block), "xyz", 3);
    GlobalUnlock(block);

    // No open check of its own: the closed clipboard refuses the block, which stays the caller's.
    EXPECT_FALSE(clip.SetClipboardMemoryHandle(name, long(block)));
    EXPECT_EQ(GlobalSize(block), 16u);

    clip.ClipboardOpen(TestWindow);
    ASSERT_TRUE(clip.SetClipboardMemoryHandle(name, long(block)));
    EXPECT_EQ(clip.GetClipboardMemoryHandle(name), long(block));
    EXPECT_EQ(board.data(name), QByteArray("xyz"));
    EXPECT_FALSE(clip.SetClipboardMemoryHandle(name, 0x7FFFFFF0)); // no such block
}

TEST_F(MemoryClipboardTest, PlainTextIsReadWithTheClipboardLetGo)
{
    board.placeAsAnotherProgram(CF_UNICODETEXT, bytes({'h', 0, 'i', 0, 0, 0}));
    cCustomClipboard clip;
    QString text;

    // The platform's own text reader cannot read while anyone holds the clipboard open.
    board.OpenClipboard(TestWindow);
    EXPECT_EQ(raisedBy([] { clipboardGetText(); }).number(), ErrorNumber::CantOpenClipboard);
    board.CloseClipboard();

    // On a closed object: read, and still closed.
    ASSERT_TRUE(clip.GetTextData(CF_TEXT, text));
    EXPECT_EQ(text, QStringLiteral("hi"));
    EXPECT_FALSE(board.isOpen());

    // On an open object: read, and open again on the same window.
    clip.ClipboardOpen(TestWindow);
    text.clear();
    ASSERT_TRUE(clip.GetTextData(CF_UNICODETEXT, text));
    EXPECT_EQ(text, QStringLiteral("hi"));
    EXPECT_TRUE(board.isOpen());
    EXPECT_EQ(board.openWindow(), TestWindow);
    clip.ClearClipboard(); // the object works on

    // Nothing to read: an empty text, still True.
    text = QStringLiteral("x");
    EXPECT_TRUE(clip.GetTextData(CF_TEXT, text));
    EXPECT_EQ(text, QString());
}

TEST_F(MemoryClipboardTest, FileListsUseTheFileDropLayout)
{
    setGlobalSizeGranularity(1);
    cCustomClipboard clip;
    clip.ClipboardOpen(TestWindow);

    ASSERT_TRUE(clip.SetFileList(
        StringList(1, {QStringLiteral("C:\\a.txt"), QStringLiteral("C:\\b.txt")})));
    const QByteArray block = board.data(CF_HDROP);
    QByteArray expected = bytes({20, 0, 0, 0});
    expected += QByteArray(16, '\0');
    expected += QByteArray("C:\\a.txt", 9) + QByteArray("C:\\b.txt", 9) + QByteArray(1, '\0');
    EXPECT_EQ(block.size(), 39);
    EXPECT_EQ(block, expected);

    StringList files;
    long count = 0;
    ASSERT_TRUE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(files.lowerBound, 1);
    EXPECT_EQ(files(1), QStringLiteral("C:\\a.txt"));
    EXPECT_EQ(files(2), QStringLiteral("C:\\b.txt"));

    // Three names, from any bounds; a character outside the code page becomes '?'.
    ASSERT_TRUE(clip.SetFileList(
        StringList(4, {QStringLiteral("/tmp/one"), QStringLiteral("/tmp/caf\u00E9"),
                       QStringLiteral("/tmp/\u03A9")})));
    ASSERT_TRUE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(files.items,
              (QStringList{QStringLiteral("/tmp/one"), QStringLiteral("/tmp/caf\u00E9"),
                           QStringLiteral("/tmp/?")}));

    // Names longer than the 260-character buffer come back cut to 259 characters.
    const QString longName = QStringLiteral("/") + QString(300, QLatin1Char('n'));
    ASSERT_TRUE(clip.SetFileList(StringList(1, {longName, QStringLiteral("/short")})));
    ASSERT_TRUE(clip.GetFileList(files, count));
    EXPECT_EQ(files(1), longName.left(259));
    EXPECT_EQ(files(2), QStringLiteral("/short"));

    // A list with no bounds at all is out of range, and writes nothing.
    EXPECT_EQ(raisedBy([&] { clip.SetFileList(StringList()); }).number(), 9);
    EXPECT_EQ(raisedBy([&] { files(4); }).number(), 9);
    ASSERT_TRUE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 2);

    // No file list: False, both outputs as they were.
    clip.ClearClipboard();
    files = StringList(1, {QStringLiteral("keep")});
    count = 7;
    EXPECT_FALSE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 7);
    EXPECT_EQ(files.items, QStringList{QStringLiteral("keep")});

    // A file list without names: the count is set, the names are not.
    board.placeAsAnotherProgram(
        CF_HDROP, bytes({20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(files.items, QStringList{QStringLiteral("keep")});
}

TEST_F(MemoryClipboardTest, WideFileListsOfOtherProgramsAreRead)
{
    cCustomClipboard clip;
    std::vector<std::u16string> names = {u"/home/\u00E9t\u00E9.txt", u"/home/\u4E2D.txt"};
    const std::vector<unsigned char> block = dropfiles::buildWide(names);
    board.placeAsAnotherProgram(
        CF_HDROP, QByteArray(reinterpret_cast<const char*>(block.data()), qsizetype(block.size())));
    clip.ClipboardOpen(TestWindow);
    StringList files;
    long count = 0;
    ASSERT_TRUE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(files(1), QStringLiteral("/home/\u00E9t\u00E9.txt"));
    EXPECT_EQ(files(2), QStringLiteral("/home/?.txt"));
}

TEST_F(MemoryClipboardTest, LeavingTheProgramRemovesOnlyWhatItPutThere)
{
    board.placeAsAnotherProgram(CF_TEXT, QByteArray("theirs", 7));
    cCustomClipboard clip;
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));
    EXPECT_FALSE(clipboardEmptyIfOurs());

    clip.ClipboardOpen(TestWindow);
    clip.SetTextData(rtf, QStringLiteral("{\\rtf1 ours}"));
    EXPECT_FALSE(clipboardEmptyIfOurs()); // not while the clipboard is open
    clip.ClipboardClose();

    EXPECT_TRUE(clipboardEmptyIfOurs());
    ASSERT_EQ(board.entries().size(), 1u);
    EXPECT_EQ(board.entries().front().format, CF_TEXT);
    EXPECT_FALSE(clipboardEmptyIfOurs());
}
