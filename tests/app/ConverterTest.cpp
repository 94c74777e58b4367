// The headless converter: exit codes, outputs, and nothing written on failure.

#include "app/Converter.h"

#include "platform/rtf/Rtf.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>

#include <gtest/gtest.h>

namespace
{

struct Converter {
    QTemporaryDir dir;
    QString errors;

    QString path(const QString& name) const { return dir.filePath(name); }

    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QByteArray get(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    int run(const QString& in, const QString& out)
    {
        errors.clear();
        QTextStream err(&errors);
        const int status = runConversion(in.startsWith(u'/') ? in : path(in),
                                         out.startsWith(u'/') ? out : path(out), err);
        err.flush();
        return status;
    }

    QStringList filesExcept(const QStringList& names) const
    {
        QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        for (const QString& n : names)
            files.removeAll(n);
        return files;
    }
};

const QByteArray Sample =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}"
    "\\pard\\qc {\\b Title}\\par\\pard caf\\'e9 {\\up6 up}\\tab x\\line y\\par}";

} // namespace

TEST(Converter, ConvertsRtfToEveryOutputType)
{
    Converter c;
    c.put("in.rtf", Sample);

    ASSERT_EQ(c.run("in.rtf", "out.txt"), 0) << c.errors.toStdString();
    EXPECT_EQ(c.get("out.txt"), QByteArray("Title\ncaf\xc3\xa9 up\tx\ny"));
    EXPECT_TRUE(c.errors.isEmpty());

    ASSERT_EQ(c.run("in.rtf", "out.rtf"), 0);
    QTextDocument back;
    rtf::read(c.get("out.rtf"), back);
    EXPECT_EQ(back.toPlainText(), QString::fromUtf8("Title\ncafé up\tx\ny"));

    ASSERT_EQ(c.run("in.rtf", "out.html"), 0);
    EXPECT_TRUE(c.get("out.html").contains("Title"));
    EXPECT_TRUE(c.get("out.html").contains("font-weight"));

    ASSERT_EQ(c.run("in.rtf", "out.md"), 0);
    EXPECT_TRUE(c.get("out.md").contains("**Title**"));

    ASSERT_EQ(c.run("in.rtf", "out.odt"), 0);
    EXPECT_TRUE(c.get("out.odt").startsWith("PK")); // a zip package
    EXPECT_TRUE(c.get("out.odt").contains("application/vnd.oasis.opendocument.text"));

    // Upper-case extensions pick the writer too; nothing else is left in the folder.
    ASSERT_EQ(c.run("in.rtf", "OUT.TXT"), 0);
    EXPECT_EQ(
        c.filesExcept({"in.rtf", "out.txt", "out.rtf", "out.html", "out.md", "out.odt", "OUT.TXT"}),
        QStringList());
}

TEST(Converter, TextOutputsHoldTheVisibleTextOnly)
{
    // A bookmark inside a word, a note and hidden text: none of them is part of the text.
    Converter c;
    c.put("in.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}wo{\\*\\bkmkstart b}rd"
                    "{\\*\\bkmkend b}s{\\footnote \\pard A note.}{\\v hidden} end\\par}");
    for (const char* out : {"out.txt", "out.md", "out.html"}) {
        ASSERT_EQ(c.run("in.rtf", out), 0);
        const QString text = QString::fromUtf8(c.get(out));
        // HTML puts the two halves of the word in spans of their own.
        EXPECT_TRUE(text.contains(u"words") || QByteArray(out) == "out.html") << out;
        EXPECT_FALSE(text.contains(QChar::ObjectReplacementCharacter)) << out;
        EXPECT_FALSE(text.contains(u"hidden")) << out;
    }
}

TEST(Converter, NumberedListsAreOrderedListsInHtmlAndMarkdown)
{
    Converter c;
    c.put("in.rtf", "{\\rtf1\\ansi{\\*\\listtable{\\list{\\listlevel\\levelnfc4"
                    "{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}\\listid1}}"
                    "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                    "\\pard\\ls1 first\\par\\pard\\ls1 second\\par}");
    ASSERT_EQ(c.run("in.rtf", "out.html"), 0);
    EXPECT_TRUE(c.get("out.html").contains("<ol")) << c.get("out.html").constData();
    EXPECT_TRUE(c.get("out.html").contains("<ol type=\"a\"")) << c.get("out.html").constData();
    ASSERT_EQ(c.run("in.rtf", "out.md"), 0);
    EXPECT_TRUE(c.get("out.md").contains("1.")) << c.get("out.md").constData();
}

TEST(Converter, ReadsPlainTextUnlessTheNameEndsExactlyInRtf)
{
    Converter c;
    c.put("notes.RTF", Sample); // not ".rtf": plain text
    ASSERT_EQ(c.run("notes.RTF", "a.txt"), 0);
    EXPECT_EQ(c.get("a.txt"), Sample);

    c.put("plain.txt", "caf\xe9\r\nline\n");
    ASSERT_EQ(c.run("plain.txt", "b.rtf"), 0);
    QTextDocument back;
    rtf::read(c.get("b.rtf"), back);
    EXPECT_EQ(back.toPlainText(), QString::fromUtf8("café\nline\n"));
}

TEST(Converter, FailuresReportOneLineAndWriteNothing)
{
    Converter c;
    c.put("in.rtf", Sample);
    c.put("keep.txt", "old contents");

    // A missing input.
    EXPECT_EQ(c.run("missing.rtf", "keep.txt"), 1);
    EXPECT_EQ(c.errors.count(u'\n'), 1);
    EXPECT_TRUE(c.errors.contains(c.path("missing.rtf")));
    EXPECT_TRUE(c.errors.contains(QStringLiteral("File not found")));
    EXPECT_EQ(c.get("keep.txt"), QByteArray("old contents"));

    // Something that is not RTF given as .rtf.
    c.put("fake.rtf", "just text");
    EXPECT_EQ(c.run("fake.rtf", "keep.txt"), 1);
    EXPECT_EQ(c.errors, c.path("fake.rtf") + QStringLiteral(": Invalid file format\n"));
    EXPECT_EQ(c.get("keep.txt"), QByteArray("old contents"));

    // A folder as input, an unknown output type, an output in a missing folder.
    EXPECT_EQ(c.run(c.dir.path(), "x.txt"), 1);
    EXPECT_EQ(c.errors.count(u'\n'), 1);
    EXPECT_EQ(c.run("in.rtf", "out.pdf"), 1);
    EXPECT_TRUE(c.errors.contains(c.path("out.pdf")));
    EXPECT_EQ(c.errors.count(u'\n'), 1);
    EXPECT_EQ(c.run("in.rtf", "no/such/folder/out.txt"), 1);
    EXPECT_TRUE(c.errors.contains(c.path("no/such/folder/out.txt")));
    EXPECT_EQ(c.errors.count(u'\n'), 1);
    // An output that is a folder.
    QDir(c.dir.path()).mkdir(QStringLiteral("folder.txt"));
    EXPECT_EQ(c.run("in.rtf", "folder.txt"), 1);
    EXPECT_EQ(c.errors.count(u'\n'), 1);

    // Nothing half-written or temporary is left behind.
    EXPECT_EQ(c.filesExcept({"in.rtf", "keep.txt", "fake.rtf"}), QStringList());
}
