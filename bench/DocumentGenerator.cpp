#include "DocumentGenerator.h"

#include "platform/document/DocumentFormat.h"

#include <QColor>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cstdint>
#include <string>
#include <vector>

namespace bench
{

namespace
{

constexpr int ParagraphCount = 7000;

// A small deterministic generator: the same numbers on every machine and compiler.
class Random
{
public:
    uint32_t next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 17;
        m_state ^= m_state << 5;
        return m_state;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

private:
    uint32_t m_state = 0x2545F491u;
};

struct RunFormat {
    int font = 0; // index into Fonts
    int halfPoints = 24;
    bool bold = false, italic = false, underline = false;
    int color = 0;  // 0 automatic, else index into Colors (1-based)
    int offset = 0; // half-points, + raised, - lowered
};

struct Run {
    QString text;
    RunFormat format;
};

struct Paragraph {
    int align = 0; // 0 left, 1 centre, 2 right, 3 justify
    bool bullet = false;
    bool heading = false;
    std::vector<Run> runs;
};

const char* const Fonts[] = {"Liberation Serif", "Liberation Sans", "DejaVu Sans Mono"};
const QColor Colors[] = {QColor(201, 33, 30), QColor(0, 0, 128), QColor(0, 128, 0),
                         QColor(114, 159, 207)};

const char* const Words[] = {"the",          "of",           "and",
                             "to",           "in",           "is",
                             "that",         "for",          "it",
                             "as",           "was",          "with",
                             "be",           "by",           "on",
                             "not",          "he",           "this",
                             "are",          "or",           "his",
                             "from",         "at",           "which",
                             "but",          "have",         "an",
                             "had",          "they",         "you",
                             "were",         "their",        "one",
                             "all",          "we",           "can",
                             "her",          "has",          "there",
                             "been",         "if",           "more",
                             "when",         "will",         "would",
                             "who",          "so",           "no",
                             "document",     "paragraph",    "formatting",
                             "character",    "printer",      "window",
                             "clipboard",    "selection",    "report",
                             "quarterly",    "revenue",      "northern",
                             "territory",    "committee",    "approximately",
                             "whenever",     "nevertheless", "implementation",
                             "considerable", "particularly", "straightforward"};
const char* const ForeignWords[] = {
    "café",   "naïve",    "Straße",  "façade", "Ångström", "señor",  "crème brûlée",
    "Zürich", "Ελληνικά", "Русский", "日本語", "中文",     "한국어", "Œuvre",
    "€42",    "“quoted”", "—",       "½",      "emoji 😀"};

std::vector<Paragraph> makeContent()
{
    Random random;
    std::vector<Paragraph> paragraphs;
    paragraphs.reserve(ParagraphCount);
    constexpr int wordCount = sizeof(Words) / sizeof(Words[0]);
    constexpr int foreignCount = sizeof(ForeignWords) / sizeof(ForeignWords[0]);
    for (int p = 0; p < ParagraphCount; ++p) {
        Paragraph paragraph;
        const int kind = random.below(100);
        paragraph.heading = kind < 4;
        paragraph.bullet = !paragraph.heading && kind < 16;
        paragraph.align = paragraph.heading ? 1
                                            : (kind % 10 == 7   ? 2
                                               : kind % 10 == 8 ? 3
                                               : kind % 10 == 9 ? 1
                                                                : 0);
        const int runCount = paragraph.heading ? 1 : 3 + random.below(9);
        const int wordsPerRun = paragraph.heading ? 5 : 8 + random.below(6);
        RunFormat base;
        base.font = paragraph.heading ? 1 : 0;
        base.halfPoints = paragraph.heading ? 32 : 24;
        base.bold = paragraph.heading;
        for (int r = 0; r < runCount; ++r) {
            Run run;
            run.format = base;
            if (!paragraph.heading && r % 2 == 1) {
                switch (random.below(8)) {
                case 0:
                    run.format.bold = true;
                    break;
                case 1:
                    run.format.italic = true;
                    break;
                case 2:
                    run.format.underline = true;
                    break;
                case 3:
                    run.format.color = 1 + random.below(4);
                    break;
                case 4:
                    run.format.font = 2;
                    run.format.halfPoints = 20;
                    break;
                case 5:
                    run.format.offset = random.below(2) ? 6 : -6;
                    run.format.halfPoints = 18;
                    break;
                case 6:
                    run.format.bold = run.format.italic = true;
                    break;
                default:
                    run.format.halfPoints = 28;
                    break;
                }
            }
            const int words = run.format.offset ? 1 : wordsPerRun;
            for (int w = 0; w < words; ++w) {
                if (!run.text.isEmpty() || r > 0)
                    run.text += u' ';
                if (random.below(14) == 0)
                    run.text += QString::fromUtf8(ForeignWords[random.below(foreignCount)]);
                else
                    run.text += QString::fromLatin1(Words[random.below(wordCount)]);
            }
            if (r == runCount - 1 && !paragraph.heading)
                run.text += u'.';
            paragraph.runs.push_back(std::move(run));
        }
        paragraphs.push_back(std::move(paragraph));
    }
    return paragraphs;
}

const std::vector<Paragraph>& content()
{
    static const std::vector<Paragraph> paragraphs = makeContent();
    return paragraphs;
}

void appendNumber(std::string& out, long value)
{
    out += std::to_string(value);
}

// Text as RTF: ASCII as is, other characters as \uN with a Windows-1252 (or '?') fallback.
void appendRtfText(std::string& out, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += "\\u";
            appendNumber(out, static_cast<int16_t>(c));
            if (c < 0x100) {
                static const char* hex = "0123456789abcdef";
                out += "\\'";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += '?';
            }
        }
    }
}

void appendRunProperties(std::string& out, const RunFormat& f)
{
    out += "\\f";
    appendNumber(out, f.font);
    out += "\\fs";
    appendNumber(out, f.halfPoints);
    if (f.bold)
        out += "\\b";
    if (f.italic)
        out += "\\i";
    if (f.underline)
        out += "\\ul";
    if (f.color) {
        out += "\\cf";
        appendNumber(out, f.color);
    }
    if (f.offset > 0) {
        out += "\\up";
        appendNumber(out, f.offset);
    } else if (f.offset < 0) {
        out += "\\dn";
        appendNumber(out, -f.offset);
    }
}

const char* alignWord(int align)
{
    static const char* const words[] = {"\\ql", "\\qc", "\\qr", "\\qj"};
    return words[align & 3];
}

} // namespace

void buildBenchmarkDocument(QTextDocument& document)
{
    document.clear();
    document.setUndoRedoEnabled(false);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    QTextList* list = nullptr;
    bool first = true;
    for (const Paragraph& p : content()) {
        QTextBlockFormat block;
        static const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                   Qt::AlignJustify};
        block.setAlignment(alignments[p.align]);
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        if (p.bullet) {
            if (list) {
                list->add(cursor.block());
            } else {
                QTextListFormat format;
                format.setStyle(QTextListFormat::ListDisc);
                format.setIndent(1);
                list = cursor.createList(format);
            }
        } else {
            list = nullptr;
        }
        for (const Run& run : p.runs) {
            QTextCharFormat f;
            f.setFontFamilies({QString::fromLatin1(Fonts[run.format.font])});
            f.setFontPointSize(run.format.halfPoints / 2.0);
            f.setFontWeight(run.format.bold ? QFont::Bold : QFont::Normal);
            f.setFontItalic(run.format.italic);
            f.setFontUnderline(run.format.underline);
            if (run.format.color)
                f.setForeground(Colors[run.format.color - 1]);
            if (run.format.offset)
                docformat::setCharOffsetTwips(f, run.format.offset * 10.0,
                                              run.format.halfPoints / 2.0);
            cursor.insertText(run.text, f);
        }
    }
    cursor.endEditBlock();
}

namespace
{

// What a document carries besides its text: a stylesheet, the document information, a page setup,
// headers and footers.
constexpr const char* DocumentHeader =
    "{\\stylesheet{\\ql \\f0\\fs24 \\snext0 Normal;}{\\s1\\ql\\keepn\\b\\f1\\fs32 \\sbasedon0 "
    "\\snext0 heading 1;}}\n"
    "{\\info{\\title Benchmark}{\\author Wordlark}{\\creatim\\yr2024\\mo5\\dy6\\hr7\\min8}}\n"
    "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1417\\margb1134\\sectd\\titlepg\n"
    "{\\header \\pard\\plain \\qc\\f0\\fs20 Benchmark document, page {\\field{\\*\\fldinst PAGE}"
    "{\\fldrslt 2}}\\par}\n{\\headerf \\pard\\plain \\qc\\f0\\fs20 First page\\par}\n"
    "{\\footer \\pard\\plain \\qc\\f0\\fs20 Footer of every page\\par}\n";

// A footnote at the end of every tenth paragraph.
void appendFootnote(std::string& out, int paragraphNumber)
{
    if (paragraphNumber % 10 != 0)
        return;
    out +=
        "{\\super\\chftn}{\\footnote \\pard\\plain \\f0\\fs20 {\\super\\chftn} Note on paragraph ";
    appendNumber(out, paragraphNumber);
    out += ".}";
}

} // namespace

QByteArray generateBenchmarkRtf()
{
    std::string out;
    out.reserve(5 * 1024 * 1024);
    out += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1{\\fonttbl";
    for (int i = 0; i < 3; ++i) {
        out += "{\\f";
        appendNumber(out, i);
        out += "\\fnil\\fcharset0 ";
        out += Fonts[i];
        out += ";}";
    }
    out += "{\\f3\\ftech\\fcharset2 Symbol;}}\n{\\colortbl;";
    for (const QColor& c : Colors) {
        out += "\\red" + std::to_string(c.red()) + "\\green" + std::to_string(c.green()) +
               "\\blue" + std::to_string(c.blue()) + ";";
    }
    out += "}\n";
    out += DocumentHeader;
    int number = 0;
    for (const Paragraph& p : content()) {
        out += "\\pard";
        out += alignWord(p.align);
        if (p.bullet)
            out += "{\\pntext\\f3\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf3\\pnindent0{\\pntxtb\\'b7}}"
                   "\\fi-360\\li720";
        out += ' ';
        for (const Run& run : p.runs) {
            out += "\\plain";
            appendRunProperties(out, run.format);
            out += ' ';
            appendRtfText(out, run.text);
        }
        appendFootnote(out, ++number);
        out += "\\par\n";
    }
    out += "}";
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

QByteArray generateLibreOfficeStyleRtf()
{
    std::string out;
    out.reserve(10 * 1024 * 1024);
    out += "{\\rtf1\\ansi\\deff3\\adeflang1025\n"
           "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Liberation Serif{\\*\\falt Times New Roman};}"
           "{\\f1\\fswiss\\fprq2\\fcharset0 Liberation Sans{\\*\\falt Arial};}"
           "{\\f2\\fmodern\\fprq1\\fcharset0 DejaVu Sans Mono;}{\\f3\\froman\\fprq2\\fcharset0 "
           "Liberation Serif;}"
           "{\\f4\\fnil\\fprq2\\fcharset0 OpenSymbol{\\*\\falt Arial Unicode MS};}"
           "{\\f5\\fnil\\fprq2\\fcharset0 Noto Sans CJK SC;}{\\f6\\fnil\\fprq2\\fcharset0 Noto "
           "Sans Devanagari;}}\n"
           "{\\colortbl;\\red0\\green0\\blue0;";
    for (const QColor& c : Colors) {
        out += "\\red" + std::to_string(c.red()) + "\\green" + std::to_string(c.green()) +
               "\\blue" + std::to_string(c.blue()) + ";";
    }
    out +=
        "}\n{\\stylesheet{\\s0\\snext0\\rtlch\\af6\\afs24\\alang1081 "
        "\\ltrch\\lang1033\\langfe2052\\hich\\af3"
        "\\loch\\widctlpar\\hyphpar0\\ltrpar\\cf0\\f3\\fs24\\lang1033\\kerning1\\dbch\\af5\\langfe2"
        "052 Normal;}\n"
        "{\\s1\\sbasedon17\\snext18\\ilvl0\\outlinelevel0\\rtlch\\af6\\afs36\\ab "
        "\\ltrch\\hich\\af4\\loch"
        "\\sb240\\sa120\\keepn\\f4\\fs36\\b\\dbch\\af5 Heading 1;}\n"
        "{\\*\\cs15\\snext15\\rtlch\\af6 \\ltrch\\hich\\af6\\loch\\f6 Bullets;}\n"
        "{\\s17\\sbasedon0\\snext18\\rtlch\\af6\\afs28 "
        "\\ltrch\\hich\\af4\\loch\\sb240\\sa120\\keepn\\f4\\fs28"
        "\\dbch\\af5 Heading;}\n"
        "{\\s18\\sbasedon0\\snext18\\loch\\sl276\\slmult1\\sb0\\sa140 Text Body;}\n"
        "}{\\*\\listtable{\\list\\listtemplateid1\n"
        "{\\listlevel\\levelnfc23\\leveljc0\\levelstartat1\\levelfollow0{\\leveltext \\'01\\u8226 "
        "?;}"
        "{\\levelnumbers;}\\f4\\fi-360\\li720}\\listid1}\n"
        "}{\\*\\listoverridetable{\\listoverride\\listid1\\listoverridecount0\\ls1}}"
        "{\\*\\rsidtbl\\rsid2097152\\rsid4980041\\rsid7146821}"
        "{\\*\\generator LibreOffice/7.4.7.2$Linux_X86_64 LibreOffice_project/40$Build-2}"
        "{\\info{\\creatim\\yr2024\\mo5\\dy6\\hr7\\min8}{\\revtim\\yr2024\\mo5\\dy6\\hr7\\min9}"
        "{\\printim\\yr0\\mo0\\dy0\\hr0\\min0}}{\\*\\userprops}\\deftab709\n"
        "\\hyphauto1\\viewscale100\\formshade\\paperh16838\\paperw11906\\margl1134\\margr1134\\marg"
        "t1134"
        "\\margb1134\\sectd\\sbknone\\sftnnar\\saftnnrlc\\sectunlocked1\\pgwsxn11906\\pghsxn16838"
        "\\marglsxn1134\\margrsxn1134\\margtsxn1134\\margbsxn1134\\ftnbj\\ftnstart1\\ftnrstcont\\ft"
        "nnar"
        "\\aenddoc\\aftnrstcont\\aftnstart1\\aftnnrlc\n{\\*\\ftnsep\\chftnsep}"
        "{\\header \\pard\\plain \\qc\\f3\\fs20 Benchmark document, page {\\field{\\*\\fldinst "
        "PAGE}"
        "{\\fldrslt 1}}\\par}{\\footer \\pard\\plain \\qc\\f3\\fs20 Footer of every page\\par}";
    int number = 0;
    const char* const paragraphStart = "\\pard\\plain \\s18\\rtlch\\af6\\afs24\\alang1081 "
                                       "\\ltrch\\lang1033\\langfe2052\\hich\\af3\\loch"
                                       "\\widctlpar\\hyphpar0\\ltrpar\\cf0\\f3\\fs24\\lang1033\\ker"
                                       "ning1\\dbch\\af5\\langfe2052\\sl276"
                                       "\\slmult1\\sb0\\sa140\\rsid4980041";
    const char* const headingStart =
        "\\pard\\plain \\s1\\ilvl0\\outlinelevel0\\rtlch\\af6\\afs36\\ab "
        "\\ltrch\\hich\\af4\\loch\\sb240"
        "\\sa120\\keepn\\f4\\fs36\\b\\dbch\\af5\\rsid2097152";
    const char* const bulletStart =
        "\\pard\\plain \\s18\\rtlch\\af6\\afs24\\alang1081 "
        "\\ltrch\\lang1033\\langfe2052\\hich\\af3\\loch"
        "\\widctlpar\\hyphpar0\\ltrpar\\cf0\\f3\\fs24\\lang1033\\kerning1\\dbch\\af5\\langfe2052\\i"
        "lvl0\\ls1"
        "\\fi-360\\li720\\lin720\\sl276\\slmult1\\sb0\\sa0\\rsid7146821";
    for (const Paragraph& p : content()) {
        out += p.heading ? headingStart : p.bullet ? bulletStart : paragraphStart;
        out += alignWord(p.align);
        if (p.bullet)
            out += "{\\listtext\\pard\\plain \\rtlch\\af6 \\ltrch\\hich\\af4\\loch\\f4 "
                   "\\u8226\\'95\\tab}";
        for (const Run& run : p.runs) {
            out += "{\\rtlch";
            if (run.format.bold)
                out += "\\ab";
            if (run.format.italic)
                out += "\\ai";
            out += " \\ltrch\\loch";
            if (run.format.font != (p.heading ? 1 : 0) ||
                run.format.halfPoints != (p.heading ? 36 : 24)) {
                out += "\\f";
                appendNumber(out, run.format.font == 0 ? 3 : run.format.font == 1 ? 4 : 2);
                out += "\\fs";
                appendNumber(out, run.format.halfPoints);
            }
            if (run.format.bold)
                out += "\\b";
            if (run.format.italic)
                out += "\\i";
            if (run.format.underline)
                out += "\\ul\\ulc0";
            if (run.format.color) {
                out += "\\cf";
                appendNumber(out, run.format.color + 1);
            }
            if (run.format.offset) {
                out += run.format.offset > 0 ? "\\super" : "\\sub";
            }
            out += "\\dbch\\af5\\langfe2052\\hich\\af3\\lang1033\\kerning1\\insrsid4980041\\charrsi"
                   "d7146821\n";
            appendRtfText(out, run.text);
            out += '}';
        }
        appendFootnote(out, ++number);
        out += "\n\\par ";
    }
    out += "}";
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace bench
