#include "support/ClipboardTestSupport.h"

#include "platform/clipboard/ClipboardQtBackend.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QUrl>

using namespace win32;

namespace
{

// The desktop's clipboard (under the offscreen platform: one for this process), emptied before
// and after each test.
class QtClipboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_before = setClipboardBackend(nullptr);
        board()->clear();
    }
    void TearDown() override
    {
        board()->clear();
        setClipboardBackend(m_before);
    }

    static QClipboard* board() { return QGuiApplication::clipboard(); }
    static const QMimeData* mime() { return board()->mimeData(); }
    // The MIME types on the clipboard (an empty clipboard may have no QMimeData at all).
    static QStringList types() { return mime() ? mime()->formats() : QStringList(); }

    // Puts data on the clipboard as another program does: a QMimeData of its own.
    static QPointer<QMimeData> placeAsAnotherProgram(const QString& type, const QByteArray& data)
    {
        auto* m = new QMimeData;
        m->setData(type, data);
        board()->setMimeData(m);
        return m;
    }

    cCustomClipboard clip;
    const long rtf = clip.AddFormat(QStringLiteral("Rich Text Format"));

private:
    ClipboardBackend* m_before = nullptr;
};

} // namespace

TEST_F(QtClipboardTest, RichTextGoesOutAsTextRtfBesideWhatWasThere)
{
    QPointer<QMimeData> theirs = placeAsAnotherProgram(QStringLiteral("text/plain"), "their text");
    ASSERT_TRUE(clip.ClipboardOpen(TestWindow));
    ASSERT_TRUE(clip.SetTextData(rtf, QStringLiteral("{\\rtf1 hello}")));
    clip.ClipboardClose();

    // A new QMimeData took the place of the one the clipboard held ...
    EXPECT_TRUE(theirs.isNull());
    // ... carrying the RTF without its closing zero under every name RTF readers ask for, and the
    // text that was there before.
    for (const char* type : {"text/rtf", "application/rtf", "text/richtext"})
        EXPECT_EQ(mime()->data(QString::fromLatin1(type)), QByteArray("{\\rtf1 hello}")) << type;
    EXPECT_EQ(mime()->text(), QStringLiteral("their text"));
    EXPECT_TRUE(ClipboardQtBackend::isOwnMimeData(mime()));

    // Copying again replaces the RTF and still keeps the text.
    clip.ClipboardOpen(TestWindow);
    ASSERT_TRUE(clip.SetTextData(rtf, QStringLiteral("{\\rtf1 again}")));
    QString text;
    ASSERT_TRUE(clip.GetTextData(rtf, text));
    EXPECT_TRUE(text.startsWith(QStringLiteral("{\\rtf1 again}") + QChar(0)));
    clip.ClipboardClose();
    EXPECT_EQ(mime()->data(QStringLiteral("text/rtf")), QByteArray("{\\rtf1 again}"));
    EXPECT_EQ(mime()->text(), QStringLiteral("their text"));

    // Enumeration lists the formats present, by number and name.
    ASSERT_EQ(clip.GetCurrentFormats(TestWindow), 3);
    EXPECT_EQ(clip.GetCurrentFormatName(1).toString(), QStringLiteral("Text"));
    EXPECT_EQ(clip.GetCurrentFormatName(2).toString(), QStringLiteral("Text (Unicode)"));
    EXPECT_EQ(clip.GetCurrentFormatID(3).toLongLong(), rtf);
    EXPECT_EQ(clip.GetCurrentFormatName(3).toString(), QStringLiteral("Rich Text Format"));
    EXPECT_EQ(clip.FormatCount(), 3);
}

TEST_F(QtClipboardTest, RichTextOfOtherProgramsIsReadUnderTheRegisteredNumber)
{
    for (const char* type : {"text/rtf", "application/rtf", "text/richtext"}) {
        placeAsAnotherProgram(QString::fromLatin1(type), "{\\rtf1\\ansi theirs}");
        EXPECT_TRUE(clip.IsDataAvailableForFormat(rtf).toBool()) << type;
        EXPECT_TRUE(
            clip.IsDataAvailableForFormatName(TestWindow, QStringLiteral("Rich Text Format")))
            << type;
        clip.ClipboardOpen(TestWindow);
        QString text;
        ASSERT_TRUE(clip.GetTextData(rtf, text)) << type;
        // The text ends in its zero character, and zeros up to the block's reported size.
        const QString expected = QStringLiteral("{\\rtf1\\ansi theirs}");
        EXPECT_TRUE(text.startsWith(expected + QChar(0))) << type;
        EXPECT_EQ(text.mid(expected.size()), QString(text.size() - expected.size(), QChar(0)));
        clip.ClipboardClose();
    }
}

TEST_F(QtClipboardTest, PlainTextAloneIsNotRichText)
{
    board()->setText(QStringLiteral("just text \u20AC"));
    EXPECT_FALSE(clip.IsDataAvailableForFormat(rtf).toBool());
    EXPECT_TRUE(clip.IsDataAvailableForFormat(CF_TEXT).toBool());
    EXPECT_TRUE(clip.IsDataAvailableForFormat(CF_UNICODETEXT).toBool());

    clip.ClipboardOpen(TestWindow);
    QString text;
    EXPECT_FALSE(clip.GetTextData(rtf, text));
    ASSERT_TRUE(clip.GetTextData(CF_TEXT, text));
    EXPECT_EQ(text, QStringLiteral("just text \u20AC"));
    ByteList data;
    ASSERT_TRUE(clip.GetBinaryData(CF_TEXT, data));
    EXPECT_EQ(data.bytes.left(12), QByteArray("just text \x80", 12));
    ASSERT_TRUE(clip.GetBinaryData(CF_UNICODETEXT, data));
    EXPECT_EQ(data.bytes.mid(20, 4), bytes({0xAC, 0x20, 0, 0}));

    // Text written under format 1 goes out as text/plain.
    ASSERT_TRUE(clip.SetTextData(CF_TEXT, QStringLiteral("caf\u00E9")));
    clip.ClipboardClose();
    EXPECT_EQ(board()->text(), QStringLiteral("caf\u00E9"));
}

TEST_F(QtClipboardTest, BlocksAreKeptUntilTheClipboardChanges)
{
    placeAsAnotherProgram(QStringLiteral("text/rtf"), "{\\rtf1 one}");
    clip.ClipboardOpen(TestWindow);
    const long first = clip.GetClipboardMemoryHandle(rtf);
    EXPECT_NE(first, 0);
    EXPECT_EQ(clip.GetClipboardMemoryHandle(rtf), first);

    placeAsAnotherProgram(QStringLiteral("text/rtf"), "{\\rtf1 two}");
    EXPECT_EQ(GlobalSize(HGLOBAL(first)), 0u); // the old block is gone
    QString text;
    ASSERT_TRUE(clip.GetTextData(rtf, text));
    EXPECT_TRUE(text.startsWith(QStringLiteral("{\\rtf1 two}")));

    // A block put on the clipboard is the one read back.
    const HGLOBAL mine = globalAllocCopy(QByteArray("{\\rtf1 three}", 14));
    ASSERT_TRUE(clip.SetClipboardMemoryHandle(rtf, long(mine)));
    EXPECT_EQ(clip.GetClipboardMemoryHandle(rtf), long(mine));
    clip.ClipboardClose();
}

TEST_F(QtClipboardTest, LeavingTheProgramNeverClearsAnotherProgramsContent)
{
    placeAsAnotherProgram(QStringLiteral("text/plain"), "theirs");
    EXPECT_FALSE(clipboardEmptyIfOurs());
    EXPECT_EQ(board()->text(), QStringLiteral("theirs"));

    // What this program added goes; what was there stays.
    clip.ClipboardOpen(TestWindow);
    clip.SetTextData(rtf, QStringLiteral("{\\rtf1 ours}"));
    clip.ClipboardClose();
    EXPECT_TRUE(clipboardEmptyIfOurs());
    EXPECT_FALSE(mime()->hasFormat(QStringLiteral("text/rtf")));
    EXPECT_EQ(board()->text(), QStringLiteral("theirs"));
    EXPECT_FALSE(clipboardEmptyIfOurs());

    // Only this program's content: the clipboard ends empty.
    board()->clear();
    clip.ClipboardOpen(TestWindow);
    clip.SetTextData(rtf, QStringLiteral("{\\rtf1 ours}"));
    clip.ClipboardClose();
    EXPECT_TRUE(clipboardEmptyIfOurs());
    EXPECT_TRUE(types().isEmpty());
}

TEST_F(QtClipboardTest, FileListsTravelAsUriLists)
{
    clip.ClipboardOpen(TestWindow);
    ASSERT_TRUE(clip.SetFileList(
        StringList(1, {QStringLiteral("/tmp/a b.txt"), QStringLiteral("/tmp/caf\u00E9")})));
    clip.ClipboardClose();
    EXPECT_EQ(mime()->urls(), (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/a b.txt")),
                                           QUrl::fromLocalFile(QStringLiteral("/tmp/caf\u00E9"))}));

    auto* theirs = new QMimeData;
    theirs->setUrls({QUrl(QStringLiteral("https://example.org/x")),
                     QUrl::fromLocalFile(QStringLiteral("/home/u/\u00FCber.txt")),
                     QUrl::fromLocalFile(QStringLiteral("/home/u/two"))});
    board()->setMimeData(theirs);
    clip.ClipboardOpen(TestWindow);
    StringList files;
    long count = 0;
    ASSERT_TRUE(clip.GetFileList(files, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(files.items, (QStringList{QStringLiteral("/home/u/\u00FCber.txt"),
                                        QStringLiteral("/home/u/two")}));
    clip.ClipboardClose();

    // Links without a local file are no file list.
    auto* links = new QMimeData;
    links->setUrls({QUrl(QStringLiteral("https://example.org/x"))});
    board()->setMimeData(links);
    EXPECT_FALSE(clip.IsDataAvailableForFormat(CF_HDROP).toBool());
}

TEST_F(QtClipboardTest, BitmapsAndOtherFormats)
{
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 30));
    auto* theirs = new QMimeData;
    theirs->setImageData(image);
    board()->setMimeData(theirs);
    EXPECT_TRUE(clip.IsDataAvailableForFormat(CF_DIB).toBool());

    clip.ClipboardOpen(TestWindow);
    ByteList dib;
    ASSERT_TRUE(clip.GetBinaryData(CF_DIB, dib));
    EXPECT_EQ(quint8(dib.bytes[0]), 40); // the bitmap header's size
    EXPECT_EQ(quint8(dib.bytes[4]), 3);  // width

    // The bitmap goes out as a picture again.
    clip.ClearClipboard();
    ASSERT_TRUE(clip.SetBinaryData(CF_DIB, dib));
    EXPECT_TRUE(mime()->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(mime()->imageData()).pixelColor(2, 1), QColor(10, 20, 30));

    // Any other registered name travels under the Windows MIME type of its name.
    const long mineFormat = clip.AddFormat(QStringLiteral("Wordlark Private"));
    ASSERT_TRUE(clip.SetBinaryData(mineFormat, ByteList(0, bytes({1, 2, 3}))));
    EXPECT_EQ(
        mime()->data(QStringLiteral("application/x-qt-windows-mime;value=\"Wordlark Private\"")),
        bytes({1, 2, 3}));
    EXPECT_EQ(ClipboardQtBackend::mimeTypeFor(mineFormat),
              QStringLiteral("application/x-qt-windows-mime;value=\"Wordlark Private\""));
    // A number that is neither standard nor registered cannot be carried.
    EXPECT_FALSE(clip.SetBinaryData(0x0200, ByteList(0, bytes({1}))));
    clip.ClipboardClose();

    // Another program's MIME type is read under its own name.
    placeAsAnotherProgram(QStringLiteral("text/html"), "<b>x</b>");
    const long html = clip.FormatIDForName(TestWindow, QStringLiteral("text/html"));
    EXPECT_GT(html, 0xC000);
    clip.ClipboardOpen(TestWindow);
    QString text;
    ASSERT_TRUE(clip.GetTextData(html, text));
    EXPECT_EQ(text, QStringLiteral("<b>x</b>") + QString(8, QChar(0)));

    // A registered MIME type goes out under that type itself, the bytes as they are.
    ASSERT_TRUE(clip.SetBinaryData(html, ByteList(0, QByteArray("<i>caf\xC3\xA9</i>"))));
    clip.ClipboardClose();
    EXPECT_EQ(ClipboardQtBackend::mimeTypeFor(html), QStringLiteral("text/html"));
    EXPECT_EQ(mime()->html(), QStringLiteral("<i>caf\u00E9</i>"));
}

TEST_F(QtClipboardTest, DataMadeLaterIsMadeOnceAndOnlyWhenAskedFor)
{
    int made = 0;
    const long html = clip.AddFormat(QStringLiteral("text/html"));
    ASSERT_TRUE(clip.ClipboardOpen(TestWindow));
    ASSERT_TRUE(clip.SetBinaryDataLater(html, [&made] {
        ++made;
        return QByteArray("<b>late</b>");
    }));
    // Formats set after it carry it over, still unmade; only formats the clipboard can carry as
    // bytes under one MIME type wait (plain text does not).
    ASSERT_TRUE(clip.SetTextData(rtf, QStringLiteral("{\\rtf1 late}")));
    EXPECT_FALSE(clip.SetBinaryDataLater(CF_UNICODETEXT, [] { return QByteArray("x\0\0\0", 4); }));
    clip.ClipboardClose();
    EXPECT_EQ(made, 0);
    EXPECT_TRUE(types().contains(QStringLiteral("text/html")));
    EXPECT_TRUE(types().contains(QStringLiteral("text/rtf")));

    // Another program asks: it is made now, once.
    EXPECT_EQ(mime()->data(QStringLiteral("text/html")), QByteArray("<b>late</b>"));
    EXPECT_EQ(mime()->data(QStringLiteral("text/html")), QByteArray("<b>late</b>"));
    EXPECT_EQ(made, 1);
    // This program reads it like any other format.
    ASSERT_TRUE(clip.ClipboardOpen(TestWindow));
    ByteList read;
    ASSERT_TRUE(clip.GetBinaryData(html, read));
    EXPECT_TRUE(read.bytes.startsWith("<b>late</b>"));
    clip.ClipboardClose();
    EXPECT_EQ(made, 1);
}

TEST_F(QtClipboardTest, TheClipboardObjectMustBeOpenLikeAnyOther)
{
    ClipboardQtBackend& desktop = static_cast<ClipboardQtBackend&>(clipboardBackend());
    EXPECT_EQ(desktop.GetClipboardData(CF_TEXT), 0u);
    EXPECT_EQ(desktop.EnumClipboardFormats(0), 0u);
    EXPECT_FALSE(desktop.EmptyClipboard());
    EXPECT_FALSE(desktop.CloseClipboard());
    const HGLOBAL block = globalAllocCopy("x");
    EXPECT_EQ(desktop.SetClipboardData(CF_TEXT, block), 0u);
    GlobalFree(block);
    EXPECT_TRUE(types().isEmpty());
}
