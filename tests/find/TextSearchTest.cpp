#include "find/TextSearch.h"

#include "platform/rtf/RtfCarriedGroups.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <gtest/gtest.h>

using namespace textsearch;

namespace
{

qsizetype find(const char* text, const char* what, int options, qsizetype from = 0)
{
    return findInText(QString::fromUtf8(text), QString::fromUtf8(what), from, options);
}

QString ucs4(std::u32string_view text)
{
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TEST(TextSearch, LettersOfEveryScriptCompareWithoutCaseUnlessMatchCaseIsOn)
{
    EXPECT_EQ(find("Une école", "ÉCOLE", 0), 4);
    EXPECT_EQ(find("Une école", "ÉCOLE", MatchCase), -1);
    EXPECT_EQ(find("Скажи привет", "ПРИВЕТ", 0), 6);
    EXPECT_EQ(find("Скажи привет", "ПРИВЕТ", MatchCase), -1);
    EXPECT_EQ(find("η ΣΟΦΊΑ", "σοφία", 0), 2);
    EXPECT_EQ(find("Straße", "STRASSE", 0), -1) << "simple folding keeps the length";
    // Deseret capital and small long I, outside the Basic Multilingual Plane.
    EXPECT_EQ(findInText(ucs4(U"x \U00010400"), ucs4(U"\U00010428"), 0, 0), 2);
    EXPECT_EQ(findInText(ucs4(U"x \U00010400"), ucs4(U"\U00010428"), 0, MatchCase), -1);
    EXPECT_EQ(find("abc", "b", 0, 2), -1) << "the search starts at the given position";
}

TEST(TextSearch, WholeWordsAreBoundedByLettersMarksAndDigitsOfAnyScript)
{
    EXPECT_EQ(find("écoles, l'école", "école", WholeWord), 10);
    EXPECT_EQ(find("éa a", "a", WholeWord), 3) << "é is a letter";
    EXPECT_EQ(find("мирный мир", "мир", WholeWord), 7);
    EXPECT_EQ(find("x2 x", "x", WholeWord), 3) << "a digit joins the word";
    EXPECT_EQ(find("(word) word", "word", WholeWord), 1);
    // A decomposed é: the combining accent belongs to the word before it.
    EXPECT_EQ(find("cafe\u0301 cafe", "cafe", WholeWord), 6);
    // A mathematical bold capital A is a letter even though it takes two UTF-16 units.
    EXPECT_EQ(findInText(ucs4(U"\U0001D400ab ab"), u"ab", 0, WholeWord), 5);
    // A candidate that is not a whole word does not hide an overlapping one that is.
    EXPECT_EQ(find("ba a a", "a a", WholeWord), 3);
    EXPECT_EQ(find("Ab ab", "AB", WholeWord | MatchCase), -1);
}

TEST(TextSearch, DocumentPositionsCountEveryParagraphAndMatchesStayInOne)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("one two\nthree two\nfour"));
    EXPECT_EQ(findInDocument(document, QStringLiteral("two"), 0, 0).start, 4);
    EXPECT_EQ(findInDocument(document, QStringLiteral("two"), 5, 0).start, 14);
    EXPECT_EQ(findInDocument(document, QStringLiteral("two"), 15, 0).start, -1);
    EXPECT_EQ(findInDocument(document, QStringLiteral("two\nthree"), 0, 0).start, -1);
    EXPECT_EQ(findInDocument(document, QStringLiteral("four"), 22, 0).start, -1);
    EXPECT_EQ(findInDocument(document, QStringLiteral("four"), 23, 0).start, -1) << "past the end";
    EXPECT_EQ(findInDocument(document, QString(), 0, 0).start, -1);

    document.setPlainText(QStringLiteral("a\u00a0b"));
    EXPECT_EQ(findInDocument(document, QStringLiteral("a b"), 0, 0).start, 0)
        << "a non-breaking space matches a typed space";
}

TEST(TextSearch, MatchesLookThroughCarriedCharactersButNotPictures)
{
    QTextDocument document;
    QTextCursor cursor(&document);
    cursor.insertText(QStringLiteral("one wo"));
    // A bookmark inside the word, and a hidden group right after it.
    cursor.insertText(QString(QChar::ObjectReplacementCharacter),
                      carried::inlineFormat("{\\*\\bkmkstart b}", carried::Look::Hidden, {}));
    cursor.insertText(QStringLiteral("rd"));
    cursor.insertText(QString(QChar::ObjectReplacementCharacter),
                      carried::inlineFormat("{\\v x}", carried::Look::Hidden, {}));
    cursor.insertText(QStringLiteral("s pic"));
    QTextImageFormat picture;
    picture.setName(QStringLiteral("p"));
    cursor.insertImage(picture);
    cursor.insertText(QStringLiteral("ture"));

    const Match word = findInDocument(document, QStringLiteral("words"), 0, 0);
    EXPECT_EQ(word.start, 4);
    EXPECT_EQ(word.end, 11) << "the match spans both carried characters";
    EXPECT_EQ(findInDocument(document, QStringLiteral("word"), 0, WholeWord).start, -1)
        << "the letter after the hidden group still joins the word";
    EXPECT_EQ(findInDocument(document, QStringLiteral("rds"), 6, 0).start, 7)
        << "a start on the carried character finds the text after it";
    EXPECT_EQ(findInDocument(document, QStringLiteral("picture"), 0, 0).start, -1)
        << "a picture is part of the text";
}
