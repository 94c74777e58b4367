// Destinations: what is skipped, what is shown, fields and objects.

#include "support/RtfTestSupport.h"

using namespace rtftest;

TEST(RtfDestinations, UnknownAndHiddenDestinationsAreNotShown)
{
    // {\*\unknown} is not shown, with everything in it, still tokenized: \bin data and escaped
    // braces do not end it early. What stands in the text is carried on a character that shows
    // nothing or a marker.
    auto d =
        readRtf(doc("a{\\*\\wlnothing x{y}\\}\\bin2 }}z}b"
                    "{\\*\\themedata 504b0304}{\\*\\datastore 0105}{\\*\\generator Gen;}"
                    "{\\info{\\title T}{\\author A}}{\\stylesheet{\\s0 Normal;}{\\s1 Heading;}}"
                    "{\\header Head\\par}{\\footerl Foot\\par}{\\footnote Note}"
                    "{\\*\\bkmkstart mark}c{\\*\\bkmkend mark}\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({QString::fromUtf16(u"a\uFFFCb\uFFFCc\uFFFC")}));

    // A known destination word after \* is read, an unknown word without \* is ignored and its
    // text shown, as readers of RTF are expected to do.
    d = readRtf(doc("{\\*\\fldinst x}{\\wlunknownword shown}\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"shown"}));

    // \upr: the Unicode version in \ud is shown, the other one not.
    d = readRtf(doc("{\\upr{ansi}{\\*\\ud{\\u20320?}}}\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf8("你"));

    // Hidden text is not shown, and kept.
    d = readRtf(doc("a{\\v hidden}b\\v c\\v0 d\\par"));
    EXPECT_EQ(d->toRawText(), QString::fromUtf16(u"a\uFFFCb\uFFFCd"));
    const QByteArray saved = rtf::write(*d);
    EXPECT_TRUE(saved.contains("a{\\v\\f0 hidden}")) << saved.constData();
    EXPECT_TRUE(saved.contains("b{\\v\\f0 c}")) << saved.constData();
}

TEST(RtfDestinations, FieldsShowTheirResultAndHyperlinksBecomeLinks)
{
    // Word and pandoc style hyperlinks, a switch-laden one, a page field, and an empty result.
    auto d = readRtf(doc(
        "See {\\field{\\*\\fldinst{HYPERLINK \"https://example.org/a?b=1\"}}{\\fldrslt{\\ul\\cf1 "
        "the "
        "site}}} now. "
        "{\\field{\\*\\fldinst { HYPERLINK \\\\l \"anchor\" \\\\o \"tip\" }}{\\fldrslt {inside}}} "
        "{\\field{\\*\\fldinst HYPERLINK http://bare.example }{\\fldrslt bare}} "
        "{\\field{\\*\\fldinst{ PAGE }}{\\fldrslt{7}}} "
        "{\\field{\\*\\fldinst{ DATE }}}.\\par"));
    // A field without a result is kept on a character that shows nothing.
    EXPECT_EQ(paragraphs(*d),
              QStringList({QString::fromUtf16(u"See the site now. inside bare 7 \uFFFC.")}));
    const QTextCharFormat link = formatOf(*d, "the site");
    EXPECT_TRUE(link.isAnchor());
    EXPECT_EQ(link.anchorHref(), QStringLiteral("https://example.org/a?b=1"));
    EXPECT_TRUE(link.fontUnderline());
    EXPECT_EQ(link.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(formatOf(*d, "inside").anchorHref(), QStringLiteral("#anchor"));
    EXPECT_EQ(formatOf(*d, "bare").anchorHref(), QStringLiteral("http://bare.example"));
    EXPECT_FALSE(formatOf(*d, "7").isAnchor());
    EXPECT_FALSE(formatOf(*d, " now").isAnchor());

    // Nested fields do not confuse the outer one.
    d = readRtf(doc("{\\field{\\*\\fldinst{HYPERLINK \"http://o\"}}{\\fldrslt{a"
                    "{\\field{\\*\\fldinst{PAGE}}{\\fldrslt 2}}b}}}c\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"a2bc"}));
    EXPECT_EQ(formatOf(*d, "b").anchorHref(), QStringLiteral("http://o"));
    EXPECT_FALSE(formatOf(*d, "c").isAnchor());
}

TEST(RtfDestinations, ObjectsShowTheirResultAndShapesTheirPicture)
{
    auto d =
        readRtf(doc("x{\\object\\objemb{\\*\\objclass Word.Document.8}{\\*\\objdata 0105000002}"
                    "{\\result{\\plain shown}}}y\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"xshowny"}));

    // A shape's instructions are not text; its text box is, as paragraphs of its own; its result
    // stands in only when the shape had no instructions.
    d = readRtf(doc("a{\\shp{\\*\\shpinst{\\sp{\\sn fillColor}{\\sv 255}}{\\shptxt box}}"
                    "{\\shprslt fallback}}b{\\shp{\\shprslt onlyresult}}c\\par"));
    EXPECT_EQ(paragraphs(*d), QStringList({"a", "box", "bonlyresultc"}));
}
