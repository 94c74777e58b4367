// The RTF writer: plain 7-bit RTF 1.x that other word processors read back with the same text and
// formatting. One pass over the blocks and fragments, appending to one reserved buffer.

#include "platform/rtf/RtfWriter.h"
#include "platform/document/DocumentFormat.h"
#include "platform/document/ListNumbering.h"
#include "platform/rtf/Rtf.h"
#include "platform/rtf/RtfCarriedGroups.h"
#include "platform/rtf/RtfKeywords.h"
#include "platform/rtf/RtfLists.h"
#include "platform/rtf/RtfPageSetup.h"
#include "platform/rtf/RtfStylesheet.h"
#include "platform/rtf/RtfTableWriter.h"

#include <QBuffer>
#include <QColor>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <QTextTable>
#include <QUrl>

#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <unordered_map>

namespace rtf::detail
{

namespace
{

void appendInt(std::string& out, long long value)
{
    char buffer[24];
    char* p = buffer + sizeof(buffer);
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value)
                                    : static_cast<unsigned long long>(value);
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (negative)
        *--p = '-';
    out.append(p, static_cast<size_t>(buffer + sizeof(buffer) - p));
}

// How each ASCII character is written: 0 as it is, 1 escaped with a backslash, 2 as \tab, 3 left
// out.
struct AsciiClass {
    uint8_t kind[128];
    constexpr AsciiClass() : kind()
    {
        for (int c = 0; c < 128; ++c)
            kind[c] = c < 0x20 ? 3 : 0;
        kind[static_cast<int>('\t')] = 2;
        kind[static_cast<int>('\\')] = 1;
        kind[static_cast<int>('{')] = 1;
        kind[static_cast<int>('}')] = 1;
        kind[0x7F] = 3;
    }
};
constexpr AsciiClass Ascii;

#ifdef __SSE2__
// Whether all eight characters stand for themselves in RTF: printable ASCII other than \, { and }.
bool eightPlain(__m128i units)
{
    const __m128i printable = _mm_and_si128(_mm_cmpgt_epi16(units, _mm_set1_epi16(0x1F)),
                                            _mm_cmplt_epi16(units, _mm_set1_epi16(0x7F)));
    const __m128i escaped = _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('\\')),
                                         _mm_or_si128(_mm_cmpeq_epi16(units, _mm_set1_epi16('{')),
                                                      _mm_cmpeq_epi16(units, _mm_set1_epi16('}'))));
    return _mm_movemask_epi8(_mm_andnot_si128(escaped, printable)) == 0xFFFF;
}
#endif

// Appends the run of characters from `i` that stand for themselves in RTF, in one pass; returns
// where it stopped. Most text is plain ASCII: it goes eight characters at a time where the
// processor allows.
qsizetype appendPlainRun(std::string& out, const char16_t* text, qsizetype i, qsizetype length)
{
    const size_t old = out.size();
    out.resize(old + static_cast<size_t>(length - i));
    char* const begin = out.data() + old;
    char* d = begin;
#ifdef __SSE2__
    for (; i + 8 <= length; i += 8, d += 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        if (!eightPlain(units))
            break;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_packus_epi16(units, units));
    }
#endif
    for (; i < length; ++i) {
        const char16_t c = text[i];
        if (c >= 0x80 || Ascii.kind[c] != 0)
            break;
        *d++ = static_cast<char>(c);
    }
    out.resize(old + static_cast<size_t>(d - begin));
    return i;
}

// Appends one character that does not stand for itself: escaped, as \tab, \line and the like,
// as \uN? above ASCII, or left out.
void appendSpecial(std::string& out, char16_t c)
{
    if (c < 0x80) {
        switch (Ascii.kind[c]) {
        case 1:
            out += '\\';
            out += static_cast<char>(c);
            break;
        case 2:
            out += "\\tab ";
            break;
        default:
            break;
        }
        return;
    }
    switch (c) {
    case 0x2028:
        out += "\\line ";
        return;
    case 0x00A0:
        out += "\\~";
        return;
    case 0x00AD:
        out += "\\-";
        return;
    case 0x2011:
        out += "\\_";
        return;
    case 0x2029:
    case 0xFFFC:
    case 0xFDD0:
    case 0xFDD1:
        return;
    default:
        break;
    }
    out += "\\u";
    appendInt(out, static_cast<int16_t>(c));
    out += '?';
}

// Appends text as 7-bit RTF: escapes, \tab, \line, \uN? for everything above ASCII.
void appendText(std::string& out, const QChar* text, qsizetype length)
{
    const auto* units = reinterpret_cast<const char16_t*>(text);
    for (qsizetype i = 0; i < length;) {
        i = appendPlainRun(out, units, i, length);
        if (i < length)
            appendSpecial(out, units[i++]);
    }
}

void appendHex(std::string& out, const QByteArray& bytes)
{
    static constexpr char Digits[] = "0123456789abcdef";
    const qsizetype n = bytes.size();
    out.reserve(out.size() + static_cast<size_t>(n) * 2 + static_cast<size_t>(n) / 64 + 2);
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    for (qsizetype i = 0; i < n; ++i) {
        if (i % 64 == 0)
            out += '\n';
        out += Digits[p[i] >> 4];
        out += Digits[p[i] & 15];
    }
}

uint32_t readLe32(const QByteArray& b, int at)
{
    const auto* u = reinterpret_cast<const uint8_t*>(b.constData() + at);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<uint32_t>(u[3]) << 24);
}

// Whether metafile bytes have a metafile's header. Other word processors refuse a whole document
// over a broken metafile, so bytes that fail this are not written back.
bool looksLikeMetafile(const QString& kind, const QByteArray& b)
{
    if (kind == u"emf")
        return b.size() >= 88 && readLe32(b, 0) == 1 && readLe32(b, 40) == 0x464D4520;
    if (kind == u"wmf") {
        int at = 0;
        if (b.size() >= 22 && readLe32(b, 0) == 0x9AC6CDD7)
            at = 22; // placeable header
        if (b.size() < at + 18)
            return false;
        const auto* u = reinterpret_cast<const uint8_t*>(b.constData() + at);
        const int type = u[0] | (u[1] << 8);
        const int headerWords = u[2] | (u[3] << 8);
        const int version = u[4] | (u[5] << 8);
        return (type == 1 || type == 2) && headerWords == 9 &&
               (version == 0x0100 || version == 0x0300);
    }
    return true;
}

// The word of a tab stop's leader.
void appendTabLeader(std::string& out, QChar leader)
{
    switch (leader.unicode()) {
    case '.':
        out += "\\tldot";
        break;
    case '-':
        out += "\\tlhyph";
        break;
    case '_':
        out += "\\tlul";
        break;
    case '=':
        out += "\\tleq";
        break;
    default:
        break;
    }
}

bool isBulletStyle(QTextListFormat::Style style)
{
    return style == QTextListFormat::ListDisc || style == QTextListFormat::ListCircle ||
           style == QTextListFormat::ListSquare;
}

QString familyOf(const QTextCharFormat& format, const QString& fallback)
{
    const QVariant families = format.property(QTextFormat::FontFamilies);
    if (families.isValid()) {
        const QStringList list = families.toStringList();
        if (!list.isEmpty() && !list.first().isEmpty())
            return list.first();
    }
    const QString family = format.property(QTextFormat::FontFamily).toString();
    return family.isEmpty() ? fallback : family;
}

// A font of the font table: its number, name and character set.
struct FontSlot {
    int number = 0;
    QString name;
    int charset = 0;
    int codePage = 0;
};

constexpr int SymbolCharset = 2;

class Writer : public TableSink
{
public:
    explicit Writer(const QTextDocument& document)
        : m_document(document), m_groups(carried::documentGroups(document))
    {
        const QFont font = document.defaultFont();
        m_defaultFamily = font.family();
        m_defaultPointSize =
            font.pointSizeF() > 0 ? font.pointSizeF() : docformat::DefaultFontPointSize;
        seedTables();
        m_defaultFont = fontNumber(m_defaultFamily);
    }

    QByteArray write(int start, int end, bool wholeDocument);

    std::string& out() override { return m_body; }
    int colorNumber(const QColor& color) override;
    void writeParagraph(const QTextBlock& block, const std::string& tableWords,
                        const char* ending) override;

private:
    void seedTables();
    void writeHeader(std::string& header, bool wholeDocument) const;
    void writeFontTable(std::string& header) const;
    void writeColorTable(std::string& header) const;
    int fontNumber(const QString& family);
    int symbolFont();
    void writeInline(const QTextCharFormat& format, int count);
    void openField(const QByteArray& instruction);
    void closeField();
    bool continuesField(const QTextBlock& next, int end) const;
    int propsFor(int formatIndex, const QTextCharFormat& format);
    void appendBackground(std::string& p, const QTextCharFormat& format);
    // Style numbers mean something only beside the stylesheet the document carries.
    bool carriesStylesheet() const { return m_groups && !m_groups->fonts.empty(); }
    void setProps(int props);
    void writeParagraphStart(const QTextBlock& block, const std::string& tableWords);
    // The paragraph's words after \\pard: alignment, indents, spacing, list, tabs and the like.
    void writeParagraphWords(std::string& out, const QTextBlockFormat& f, QTextList* list);
    static bool beginsPageSection(const QTextBlockFormat& f);
    void writeSectionAndTextBox(const QTextBlockFormat& f);
    void writeSectionStart(const QTextBlockFormat& f);
    bool writeTextBoxInCell(const QTextBlockFormat& f, const std::string& tableWords);
    void openTextBox(const QTextBlockFormat& f);
    void closeTextBox();
    void writeListNumber(const QTextList& list);
    void writeParagraphText(const QTextBlock& block, int textStart, int textEnd, int rangeEnd);
    struct RunKind;
    RunKind& runKindOf(const QTextFragment& fragment);
    QTextTable* tableToWrite(const QTextBlock& block, int start, int end);
    void writePicture(const QTextImageFormat& format);
    void openLink(const QString& href);
    void closeLink();

    const QTextDocument& m_document;
    const std::optional<carried::DocumentGroups> m_groups;
    std::string m_body;
    QString m_defaultFamily;
    qreal m_defaultPointSize;
    int m_defaultFont = 0;

    std::vector<FontSlot> m_fonts;
    QHash<QString, int> m_fontNumbers;
    int m_nextFontNumber = 0;
    int m_symbolFont = -1;
    std::vector<QRgb> m_colors;
    std::vector<bool> m_colorIsAutomatic; // entries a carried colour table left automatic
    QHash<QRgb, int> m_colorNumbers;

    bool m_fieldOpen = false;
    bool m_fieldIsSymbol = false;
    QByteArray m_field;
    int m_propsBeforeField = -1;

    // What a run's character format makes of it, worked out once per format: most documents
    // have a few dozen formats and a hundred thousand runs.
    struct RunKind {
        enum What { Text, CarriedGroup, CarriedObject, Picture } what = Text;
        QString link;     // the hyperlink the run belongs to, if any
        QByteArray field; // the instruction of the field the run is the result of, if any
        int props = -1;   // for text: its character properties, once written
    };
    std::vector<std::optional<RunKind>> m_runKinds;           // by format index
    std::vector<std::optional<std::string>> m_paragraphWords; // outside lists, by format index
    std::unordered_map<int, int> m_propsOfFormat;             // format index -> props id
    std::vector<std::string> m_props;
    std::vector<bool> m_propsGrouped; // written in a group of their own (see propsFor)
    std::unordered_map<std::string, int> m_propsIds;
    int m_currentProps = -1;

    bool m_linkOpen = false;
    QString m_link;
    int m_propsBeforeLink = -1;

    ListTableWriter m_listTable;
    docformat::ListNumberer m_numberer;
    QString m_raw; // the document's text
    bool m_hasTables = false;
    QList<QTextFrame*> m_topFrames; // the tables in the body, in document order
    qsizetype m_nextTopFrame = 0;

    int m_textBox = 0;     // the number of the text box being written, 0 outside one
    int m_lastSection = 0; // the section number of the body paragraph written last
    QByteArray m_textBoxClosing;
};

// A document that carries bytes keeps its font and colour tables as they were read, since the
// carried bytes name fonts and colours by their numbers there; what the text needs besides is
// added after them.
void Writer::seedTables()
{
    if (!m_groups)
        return;
    for (const carried::FontEntry& font : m_groups->fonts) {
        m_fonts.push_back(
            FontSlot{font.number, font.name, std::max(0, font.charset), font.codePage});
        m_nextFontNumber = std::max(m_nextFontNumber, font.number + 1);
        if (font.charset == SymbolCharset) {
            if (m_symbolFont < 0 && font.name == u"Symbol")
                m_symbolFont = font.number;
        } else if (!m_fontNumbers.contains(font.name)) {
            m_fontNumbers.insert(font.name, font.number);
        }
    }
    for (const QColor& color : m_groups->colors) {
        m_colors.push_back(color.isValid() ? color.rgb() | 0xFF000000u : 0xFF000000u);
        m_colorIsAutomatic.push_back(!color.isValid());
        if (color.isValid())
            m_colorNumbers.insert(m_colors.back(), static_cast<int>(m_colors.size()));
    }
}

int Writer::fontNumber(const QString& family)
{
    auto found = m_fontNumbers.constFind(family);
    if (found != m_fontNumbers.constEnd())
        return found.value();
    const int number = m_nextFontNumber++;
    m_fonts.push_back(FontSlot{number, family, 0, 0});
    m_fontNumbers.insert(family, number);
    return number;
}

int Writer::symbolFont()
{
    if (m_symbolFont < 0) {
        m_symbolFont = m_nextFontNumber++;
        m_fonts.push_back(FontSlot{m_symbolFont, QStringLiteral("Symbol"), SymbolCharset, 0});
    }
    return m_symbolFont;
}

int Writer::colorNumber(const QColor& color)
{
    const QRgb rgb = color.rgb() | 0xFF000000u;
    auto found = m_colorNumbers.constFind(rgb);
    if (found != m_colorNumbers.constEnd())
        return found.value();
    m_colors.push_back(rgb);
    m_colorIsAutomatic.push_back(false);
    const int number = static_cast<int>(m_colors.size()); // entry 0 is automatic
    m_colorNumbers.insert(rgb, number);
    return number;
}

// Highlighting as highlighting, character shading as shading with its pattern and percentage.
void Writer::appendBackground(std::string& p, const QTextCharFormat& format)
{
    if (format.hasProperty(docformat::ShadingPattern))
        appendWord(p, "\\chcfpat", colorNumber(format.colorProperty(docformat::ShadingPattern)));
    if (format.background().style() != Qt::NoBrush) {
        const int color = colorNumber(format.background().color());
        switch (format.intProperty(docformat::BackgroundKind)) {
        case docformat::Shading:
            appendWord(p, "\\chcbpat", color);
            break;
        case docformat::OldShading:
            appendWord(p, "\\cb", color);
            break;
        default:
            appendWord(p, "\\highlight", color);
            break;
        }
    }
    if (format.hasProperty(docformat::ShadingPercent))
        appendWord(p, "\\chshdng", format.intProperty(docformat::ShadingPercent));
}

int Writer::propsFor(int formatIndex, const QTextCharFormat& format)
{
    auto found = m_propsOfFormat.find(formatIndex);
    if (found != m_propsOfFormat.end())
        return found->second;

    std::string p = "\\plain";
    if (carriesStylesheet() && format.hasProperty(docformat::CharacterStyle))
        appendWord(p, "\\cs", format.intProperty(docformat::CharacterStyle));
    // A second family is the font of Chinese, Japanese and Korean text.
    const QStringList families = format.fontFamilies().toStringList();
    if (families.size() > 1 && !families.at(1).isEmpty()) {
        appendWord(p, "\\dbch\\af", fontNumber(families.at(1)));
        p += "\\loch";
    }
    appendWord(p, "\\f", fontNumber(familyOf(format, m_defaultFamily)));
    const double offset = docformat::charOffsetTwips(format);
    // Raised or lowered text read with a proportional size is written as it came: the full size,
    // then the proportion.
    const int proportion = offset != 0 ? format.intProperty(docformat::UpDownProportion) : 0;
    qreal points = format.fontPointSize() > 0 ? format.fontPointSize() : m_defaultPointSize;
    if (proportion > 0)
        points /= docformat::proportionOf(proportion);
    appendWord(p, "\\fs", std::max(1L, std::lround(points * 2)));
    if (format.fontWeight() >= QFont::DemiBold)
        p += "\\b";
    if (format.fontItalic())
        p += "\\i";
    if (format.fontUnderline()) {
        p += '\\';
        p += underlineWord(format.intProperty(docformat::UnderlineKind));
    }
    if (format.fontStrikeOut())
        p += format.boolProperty(docformat::DoubleStrike) ? "\\striked1" : "\\strike";
    if (format.fontLetterSpacingType() == QFont::AbsoluteSpacing &&
        format.hasProperty(QTextFormat::FontLetterSpacing) && format.fontLetterSpacing() != 0) {
        const int spacing = twips(format.fontLetterSpacing());
        appendWord(p, "\\expnd", spacing / 5);
        appendWord(p, "\\expndtw", spacing);
    }
    if (format.foreground().style() != Qt::NoBrush)
        appendWord(p, "\\cf", colorNumber(format.foreground().color()));
    appendBackground(p, format);
    if (offset != 0) {
        if (proportion > 0) {
            appendWord(p, "{\\*\\updnprop", proportion);
            p += '}';
        }
        const long halfPoints = std::lround(offset / 10.0);
        if (halfPoints > 0)
            appendWord(p, "\\up", halfPoints);
        else if (halfPoints < 0)
            appendWord(p, "\\dn", -halfPoints);
        if (halfPoints * 10.0 != offset)
            appendWord(p, "\\wlcharoffset", std::lround(offset * 100.0));
    }
    // Superscript and subscript runs go in a group of their own: LibreOffice does not end \super at
    // a following \plain and loses the rest of the paragraph.
    bool grouped = false;
    switch (format.verticalAlignment()) {
    case QTextCharFormat::AlignSuperScript:
        p += "\\super";
        grouped = true;
        break;
    case QTextCharFormat::AlignSubScript:
        p += "\\sub";
        grouped = true;
        break;
    default:
        break;
    }
    switch (format.fontCapitalization()) {
    case QFont::AllUppercase:
        p += "\\caps";
        break;
    case QFont::SmallCaps:
        p += "\\scaps";
        break;
    default:
        break;
    }
    p += ' ';

    int id;
    auto known = m_propsIds.find(p);
    if (known != m_propsIds.end()) {
        id = known->second;
    } else {
        id = static_cast<int>(m_props.size());
        m_propsIds.emplace(p, id);
        m_props.push_back(std::move(p));
        m_propsGrouped.push_back(grouped);
    }
    m_propsOfFormat.emplace(formatIndex, id);
    return id;
}

void Writer::setProps(int props)
{
    if (props == m_currentProps)
        return;
    m_body += m_props[static_cast<size_t>(props)];
    m_currentProps = props;
}

// A section whose start already is a new page: the paragraph needs no page break of its own.
bool Writer::beginsPageSection(const QTextBlockFormat& f)
{
    if (!f.hasProperty(carried::SectionWords))
        return false;
    return pagesetup::sectionBeginsPage(f.property(carried::SectionWords).toByteArray());
}

// Before a paragraph of the body: the text box it is not part of ends, the section it begins
// starts, the text box it is part of opens.
void Writer::writeSectionAndTextBox(const QTextBlockFormat& f)
{
    const int box = f.intProperty(carried::TextBoxNumber);
    if (box != m_textBox)
        closeTextBox();
    writeSectionStart(f);
    if (box != 0 && box != m_textBox)
        openTextBox(f);
}

// Before a paragraph of the body or a table: the section it begins starts.
void Writer::writeSectionStart(const QTextBlockFormat& f)
{
    if (carried::beginsSection(f, m_lastSection)) {
        const QByteArray words = f.property(carried::SectionWords).toByteArray();
        m_body += "\\sect\\sectd";
        m_body.append(words.constData(), static_cast<size_t>(words.size()));
        m_body += '\n';
    }
    m_lastSection = f.intProperty(carried::SectionNumber);
}

// Before a paragraph of a table cell: the text box it is not part of ends; the text box it is
// part of opens in an empty paragraph of the cell that holds the shape. True when the paragraph
// is a text box's: it is the box's own, not the cell's.
bool Writer::writeTextBoxInCell(const QTextBlockFormat& f, const std::string& tableWords)
{
    const int box = f.intProperty(carried::TextBoxNumber);
    if (box != m_textBox)
        closeTextBox();
    if (box != 0 && box != m_textBox) {
        m_body += "\\pard";
        m_body += tableWords;
        m_body += ' ';
        openTextBox(f);
    }
    return box != 0;
}

void Writer::openTextBox(const QTextBlockFormat& f)
{
    const QByteArray opening = f.property(carried::TextBoxOpening).toByteArray();
    m_body.append(opening.constData(), static_cast<size_t>(opening.size()));
    m_textBox = f.intProperty(carried::TextBoxNumber);
    m_textBoxClosing = f.property(carried::TextBoxClosing).toByteArray();
}

void Writer::closeTextBox()
{
    if (m_textBox == 0)
        return;
    m_body += '}';
    m_body.append(m_textBoxClosing.constData(), static_cast<size_t>(m_textBoxClosing.size()));
    m_body += '\n';
    m_textBox = 0;
}

void Writer::writeParagraphStart(const QTextBlock& block, const std::string& tableWords)
{
    const QTextBlockFormat f = block.blockFormat();
    bool inBox = false;
    if (tableWords.empty())
        writeSectionAndTextBox(f);
    else
        inBox = writeTextBoxInCell(f, tableWords);
    m_body += "\\pard";
    if (!inBox)
        m_body += tableWords;
    QTextList* list = block.textList();
    if (list) {
        writeParagraphWords(m_body, f, list);
        return;
    }
    // Outside lists the words follow from the paragraph's format alone: made once per format.
    const auto index = static_cast<size_t>(block.blockFormatIndex());
    if (index >= m_paragraphWords.size())
        m_paragraphWords.resize(index + 1);
    std::optional<std::string>& words = m_paragraphWords[index];
    if (!words) {
        words.emplace();
        writeParagraphWords(*words, f, nullptr);
    }
    m_body += *words;
}

void Writer::writeParagraphWords(std::string& out, const QTextBlockFormat& f, QTextList* list)
{
    // A style number means something only beside the stylesheet the document carries. Readers
    // that apply the style's own spacing and indents where the paragraph says nothing then get
    // the paragraph's, zero included.
    const bool styled = carriesStylesheet() && f.hasProperty(docformat::ParagraphStyle);
    if (styled)
        appendWord(out, "\\s", f.intProperty(docformat::ParagraphStyle));
    const Qt::Alignment align = f.alignment() & Qt::AlignHorizontal_Mask;
    if (align & Qt::AlignHCenter)
        out += "\\qc";
    else if (align & Qt::AlignJustify)
        out += "\\qj";
    else if (align & (Qt::AlignRight))
        out += "\\qr";
    else
        out += "\\ql";

    int li = twips(f.leftMargin());
    int fi = twips(f.textIndent());
    if (list) {
        li += 720 * (docformat::listLevelOf(list->format()) + 1);
        fi -= 360;
        const QTextListFormat::Style style = docformat::listStyleOf(list->format());
        const int sym = symbolFont();
        if (isBulletStyle(style)) {
            appendWord(out, "{\\pntext\\f", sym);
            out += "\\'b7\\tab}{\\*\\pn\\pnlvlblt";
            appendWord(out, "\\pnf", sym);
            out += "\\pnindent0{\\pntxtb\\'b7}}";
        } else {
            writeListNumber(*list);
        }
    }
    if (fi || styled)
        appendWord(out, "\\fi", fi);
    if (li || styled)
        appendWord(out, "\\li", li);
    if (list) {
        const ListTableWriter::Item item = m_listTable.itemFor(*list);
        appendWord(out, "\\ls", item.ls);
        appendWord(out, "\\ilvl", item.level);
    }
    // The \pn scheme has one bullet level; deeper ones are told by their indent, and our own
    // reader also by this word, which other readers ignore.
    if (list && isBulletStyle(docformat::listStyleOf(list->format()))) {
        const int level = docformat::listLevelOf(list->format()) + 1;
        if (std::clamp(li / 720, 1, 9) != level)
            appendWord(out, "\\wlbulletlevel", level);
    }
    if (const int ri = twips(f.rightMargin()); ri || styled)
        appendWord(out, "\\ri", ri);
    if (const int sb = twips(f.topMargin()); sb || styled)
        appendWord(out, "\\sb", sb);
    if (const int sa = twips(f.bottomMargin()); sa || styled)
        appendWord(out, "\\sa", sa);
    if (styled && !f.hasProperty(QTextFormat::LineHeightType))
        out += "\\sl240\\slmult1";
    if (f.hasProperty(QTextFormat::LineHeightType)) {
        switch (f.lineHeightType()) {
        case QTextBlockFormat::ProportionalHeight:
            if (std::lround(f.lineHeight() * 240 / 100) != 240) {
                appendWord(out, "\\sl", std::lround(f.lineHeight() * 240 / 100));
                out += "\\slmult1";
            }
            break;
        case QTextBlockFormat::MinimumHeight:
            appendWord(out, "\\sl", twips(f.lineHeight()));
            out += "\\slmult0";
            break;
        case QTextBlockFormat::FixedHeight:
            appendWord(out, "\\sl", -twips(f.lineHeight()));
            out += "\\slmult0";
            break;
        default:
            break;
        }
    }
    if ((f.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore) && !beginsPageSection(f))
        out += "\\pagebb";
    if (f.boolProperty(docformat::KeepTogether))
        out += "\\keep";
    if (f.boolProperty(docformat::KeepWithNext))
        out += "\\keepn";
    if (f.layoutDirection() == Qt::RightToLeft)
        out += "\\rtlpar";
    if (f.hasProperty(QTextFormat::TabPositions)) {
        const QString leaders = f.stringProperty(docformat::TabLeaders);
        int index = 0;
        for (const QTextOption::Tab& tab : f.tabPositions()) {
            appendTabLeader(out, index < leaders.size() ? leaders.at(index) : QChar(' '));
            ++index;
            switch (tab.type) {
            case QTextOption::RightTab:
                out += "\\tqr";
                break;
            case QTextOption::CenterTab:
                out += "\\tqc";
                break;
            case QTextOption::DelimiterTab:
                out += "\\tqdec";
                break;
            default:
                break;
            }
            appendWord(out, "\\tx", twips(tab.position));
        }
    }
    out += ' ';
}

// A numbered paragraph's number: as text for readers without lists (\listtext), and as the
// older paragraph numbering for readers that know only that.
void Writer::writeListNumber(const QTextList& list)
{
    std::string& out = m_body;
    const QString number = m_numberer.next(list);
    out += "{\\listtext ";
    appendText(out, number.constData(), number.size());
    out += "\\tab}{\\*\\pn";
    const QTextListFormat f = list.format();
    const int level = docformat::listLevelOf(f) + 1;
    if (level == 1)
        out += "\\pnlvlbody";
    else
        appendWord(out, "\\pnlvl", level);
    switch (docformat::listStyleOf(f)) {
    case QTextListFormat::ListUpperRoman:
        out += "\\pnucrm";
        break;
    case QTextListFormat::ListLowerRoman:
        out += "\\pnlcrm";
        break;
    case QTextListFormat::ListUpperAlpha:
        out += "\\pnucltr";
        break;
    case QTextListFormat::ListLowerAlpha:
        out += "\\pnlcltr";
        break;
    default:
        out += "\\pndec";
        break;
    }
    appendWord(out, "\\pnstart", docformat::listStartOf(f));
    out += "\\pnindent360";
    if (!f.numberPrefix().isEmpty()) {
        out += "{\\pntxtb ";
        appendText(out, f.numberPrefix().constData(), f.numberPrefix().size());
        out += '}';
    }
    if (!f.numberSuffix().isEmpty()) {
        out += "{\\pntxta ";
        appendText(out, f.numberSuffix().constData(), f.numberSuffix().size());
        out += '}';
    }
    out += '}';
}

void Writer::openLink(const QString& href)
{
    m_propsBeforeLink = m_currentProps;
    m_body += "{\\field{\\*\\fldinst{HYPERLINK \"";
    QString escaped = href;
    escaped.replace(u'"', QStringLiteral("%22"));
    appendText(m_body, escaped.constData(), escaped.size());
    m_body += "\"}}{\\fldrslt{";
    m_linkOpen = true;
    m_link = href;
}

void Writer::closeLink()
{
    if (!m_linkOpen)
        return;
    m_body += "}}}";
    m_linkOpen = false;
    m_link.clear();
    m_currentProps = m_propsBeforeLink;
}

// The groups an inline carried character stands for, as they were read.
void Writer::writeInline(const QTextCharFormat& format, int count)
{
    const QByteArray bytes = format.property(carried::GroupBytes).toByteArray();
    for (int i = 0; i < count; ++i)
        m_body.append(bytes.constData(), static_cast<size_t>(bytes.size()));
}

void Writer::openField(const QByteArray& instruction)
{
    m_propsBeforeField = m_currentProps;
    m_body += "{\\field";
    m_body.append(instruction.constData(), static_cast<size_t>(instruction.size()));
    m_body += "{\\fldrslt ";
    m_fieldOpen = true;
    m_field = instruction;
    // A SYMBOL field's result is its character, which readers make from the instruction: written
    // as a result too, it would show twice.
    m_fieldIsSymbol = instruction.contains("SYMBOL");
}

void Writer::closeField()
{
    if (!m_fieldOpen)
        return;
    closeLink();
    m_body += "}}";
    m_fieldOpen = false;
    m_fieldIsSymbol = false;
    m_field.clear();
    m_currentProps = m_propsBeforeField;
}

// Whether the open field goes on into `next` (a table of contents spans paragraphs): then the
// paragraph mark is part of its result.
bool Writer::continuesField(const QTextBlock& next, int end) const
{
    if (!m_fieldOpen || !next.isValid() || next.position() >= end)
        return false;
    const QTextBlock::iterator first = next.begin();
    if (first.atEnd())
        return false;
    return first.fragment().charFormat().property(carried::FieldInstruction).toByteArray() ==
           m_field;
}

void Writer::writePicture(const QTextImageFormat& format)
{
    const QString kind = format.property(docformat::ImageOriginalKind).toString();
    const QByteArray original = format.property(docformat::ImageOriginalBytes).toByteArray();
    const bool placeholder = format.boolProperty(docformat::ImageIsPlaceholder);

    QImage image;
    {
        const QVariant resource = const_cast<QTextDocument&>(m_document)
                                      .resource(QTextDocument::ImageResource, QUrl(format.name()));
        if (resource.canConvert<QImage>())
            image = resource.value<QImage>();
        if (image.isNull() && resource.canConvert<QPixmap>())
            image = resource.value<QPixmap>().toImage();
        if (image.isNull()) {
            const QUrl url(format.name());
            const QString path = url.isLocalFile() ? url.toLocalFile() : format.name();
            if (!path.isEmpty() && QFileInfo(path).isFile())
                image.load(path);
        }
    }

    int goalW = format.intProperty(docformat::ImageGoalWidthTwips);
    int goalH = format.intProperty(docformat::ImageGoalHeightTwips);
    if (format.hasProperty(QTextFormat::ImageWidth) && format.width() > 0 &&
        std::abs(twips(format.width()) - goalW) > 1)
        goalW = twips(format.width());
    if (format.hasProperty(QTextFormat::ImageHeight) && format.height() > 0 &&
        std::abs(twips(format.height()) - goalH) > 1)
        goalH = twips(format.height());
    if (goalW <= 0)
        goalW = image.width() * 15;
    if (goalH <= 0)
        goalH = image.height() * 15;

    const char* word = nullptr;
    QByteArray bytes;
    int picW = image.width(), picH = image.height();
    const bool metafile =
        kind == u"wmf" || kind == u"emf" || kind == u"macpict" || kind == u"pmmetafile";
    if (!original.isEmpty() && (kind == u"png" || kind == u"jpeg")) {
        word = kind == u"png" ? "\\pngblip" : "\\jpegblip";
        bytes = original;
    } else if (!original.isEmpty() && metafile && looksLikeMetafile(kind, original)) {
        word = kind == u"wmf"       ? "\\wmetafile8"
               : kind == u"emf"     ? "\\emfblip"
               : kind == u"macpict" ? "\\macpict"
                                    : "\\pmmetafile0";
        bytes = original;
        picW = static_cast<int>(static_cast<qint64>(goalW) * 2540 / 1440);
        picH = static_cast<int>(static_cast<qint64>(goalH) * 2540 / 1440);
    } else if (placeholder && !original.isEmpty() && kind == u"dib") {
        word = "\\dibitmap0";
        bytes = original;
        picW = goalW / 15;
        picH = goalH / 15;
    } else if (!image.isNull()) {
        // Everything else is written as PNG of what is shown (for a picture that could not be
        // drawn, its placeholder box), so no picture is ever lost from the text.
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        word = "\\pngblip";
    }
    if (!word || bytes.isEmpty())
        return;
    std::string& out = m_body;
    out += "{\\pict";
    out += word;
    appendWord(out, "\\picw", std::max(1, picW));
    appendWord(out, "\\pich", std::max(1, picH));
    appendWord(out, "\\picwgoal", std::max(1, goalW));
    appendWord(out, "\\pichgoal", std::max(1, goalH));
    out += ' ';
    appendHex(out, bytes);
    out += "\n}";
}

Writer::RunKind& Writer::runKindOf(const QTextFragment& fragment)
{
    const auto index = static_cast<size_t>(fragment.charFormatIndex());
    if (index >= m_runKinds.size())
        m_runKinds.resize(index + 1);
    std::optional<RunKind>& known = m_runKinds[index];
    if (!known) {
        const QTextCharFormat format = fragment.charFormat();
        RunKind kind;
        kind.link = format.isAnchor() ? format.anchorHref() : QString();
        kind.field = format.property(carried::FieldInstruction).toByteArray();
        if (carried::isInlineObject(format))
            kind.what = RunKind::CarriedGroup;
        else if (format.hasProperty(carried::ObjectBytes))
            kind.what = RunKind::CarriedObject;
        else if (format.isImageFormat())
            kind.what = RunKind::Picture;
        known = std::move(kind);
    }
    return *known;
}

void Writer::writeParagraphText(const QTextBlock& block, int textStart, int textEnd, int rangeEnd)
{
    bool wroteText = false;
    // A paragraph's runs follow one another from its first position.
    int position = block.position();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (!fragment.isValid())
            continue;
        const int fs = std::max(position, textStart);
        position += fragment.length();
        const int fe = std::min(position, textEnd);
        if (fs >= fe)
            continue;
        RunKind& kind = runKindOf(fragment);
        if (m_fieldOpen && kind.field != m_field)
            closeField();
        if (m_linkOpen && kind.link != m_link)
            closeLink();
        if (!kind.field.isEmpty() && !m_fieldOpen)
            openField(kind.field);
        wroteText = true;
        if (kind.what == RunKind::CarriedGroup) {
            writeInline(fragment.charFormat(), fe - fs);
            continue;
        }
        if (m_fieldIsSymbol)
            continue;
        if (kind.what == RunKind::CarriedObject) {
            const QByteArray bytes =
                fragment.charFormat().property(carried::ObjectBytes).toByteArray();
            for (int i = fs; i < fe; ++i)
                m_body.append(bytes.constData(), static_cast<size_t>(bytes.size()));
            continue;
        }
        if (kind.what == RunKind::Picture) {
            const QTextImageFormat image = fragment.charFormat().toImageFormat();
            for (int i = fs; i < fe; ++i)
                writePicture(image);
            continue;
        }
        if (!kind.link.isEmpty() && !m_linkOpen)
            openLink(kind.link);
        if (kind.props < 0)
            kind.props = propsFor(fragment.charFormatIndex(), fragment.charFormat());
        const auto props = static_cast<size_t>(kind.props);
        if (m_propsGrouped[props]) {
            m_body += '{';
            m_body += m_props[props];
            appendText(m_body, m_raw.constData() + fs, fe - fs);
            m_body += '}';
        } else {
            setProps(kind.props);
            appendText(m_body, m_raw.constData() + fs, fe - fs);
        }
    }
    closeLink();
    if (!continuesField(block.next(), rangeEnd))
        closeField();
    if (!wroteText) {
        // An empty paragraph: its mark's format is what typing there starts with.
        const QTextCharFormat markFormat = block.charFormat();
        setProps(propsFor(block.charFormatIndex(), markFormat));
    }
}

void Writer::writeParagraph(const QTextBlock& block, const std::string& tableWords,
                            const char* ending)
{
    writeParagraphStart(block, tableWords);
    const int end = block.position() + block.length() - 1;
    writeParagraphText(block, block.position(), end, end);
    if (m_textBox != 0 && std::string_view(ending) != ParagraphEnd) {
        // The cell ends after the text box, in the paragraph that holds its shape.
        m_body += ParagraphEnd;
        closeTextBox();
    }
    m_body += ending;
}

// The table to write as a table when the paragraph is the first one written of it: the outermost
// table around the paragraph, unless the range lies inside one of its cells (then the paragraphs
// are written as paragraphs).
QTextTable* Writer::tableToWrite(const QTextBlock& block, int start, int end)
{
    // Blocks come in document order: the body's tables are passed one after the other.
    const int at = block.position();
    while (m_nextTopFrame < m_topFrames.size() && m_topFrames[m_nextTopFrame]->lastPosition() < at)
        ++m_nextTopFrame;
    if (m_nextTopFrame >= m_topFrames.size() || m_topFrames[m_nextTopFrame]->firstPosition() > at)
        return nullptr;
    auto* outermost = qobject_cast<QTextTable*>(m_topFrames[m_nextTopFrame]);
    if (!outermost)
        return nullptr;
    const QTextTableCell first = outermost->cellAt(start);
    const QTextTableCell last = outermost->cellAt(end);
    if (first.isValid() && last.isValid() && first.row() == last.row() &&
        first.column() == last.column())
        return nullptr;
    return outermost;
}

QByteArray Writer::write(int start, int end, bool wholeDocument)
{
    m_raw = m_document.toRawText();
    m_topFrames = m_document.rootFrame()->childFrames();
    m_hasTables = !m_topFrames.isEmpty();
    // Formatted text takes up to about twice its characters; pages reserved but not written cost
    // nothing, a body that outgrows its reserve is copied whole.
    m_body.reserve(2 * static_cast<size_t>(end - start) + 4096);

    QTextBlock block = m_document.findBlock(start);
    while (block.isValid()) {
        const int blockStart = block.position();
        if (blockStart > end)
            break;
        if (QTextTable* table = m_hasTables ? tableToWrite(block, start, end) : nullptr) {
            // The rows the range reaches, whole.
            const int firstRow =
                wholeDocument ? 0 : table->cellAt(std::max(start, table->firstPosition())).row();
            const QTextTableCell lastCell = table->cellAt(std::min(end, table->lastPosition() - 1));
            const int lastRow = wholeDocument || !lastCell.isValid()
                                    ? table->rows() - 1
                                    : lastCell.row() + lastCell.rowSpan() - 1;
            closeTextBox();
            // A section may begin with the table: its first paragraph holds the section's words.
            if (firstRow <= 0)
                writeSectionStart(m_document.findBlock(table->firstPosition()).blockFormat());
            writeTable(*this, *table, 1, std::max(0, firstRow), lastRow);
            block = m_document.findBlock(table->lastPosition() + 1);
            continue;
        }
        if (blockStart == 0 && m_hasTables && startsWithTable(m_document.rootFrame()->begin())) {
            block = block.next();
            continue;
        }
        const int markAt = blockStart + block.length() - 1;
        const int textStart = std::max(start, blockStart);
        const int textEnd = std::min(end, markAt);
        const bool mark = wholeDocument || end > markAt;
        if (textStart < textEnd || mark) {
            writeParagraphStart(block, std::string());
            writeParagraphText(block, textStart, textEnd, end);
            if (mark)
                m_body += "\\par\n";
        }
        block = block.next();
    }

    closeTextBox();
    closeField();
    std::string header;
    header.reserve(1024);
    writeHeader(header, wholeDocument);

    QByteArray result;
    result.reserve(static_cast<qsizetype>(header.size() + m_body.size() + 2));
    result.append(header.data(), static_cast<qsizetype>(header.size()));
    result.append(m_body.data(), static_cast<qsizetype>(m_body.size()));
    result.append("}", 1);
    return result;
}

void Writer::writeFontTable(std::string& header) const
{
    header += "{\\fonttbl";
    for (const FontSlot& font : m_fonts) {
        appendWord(header, "{\\f", font.number);
        header += font.charset == SymbolCharset ? "\\ftech" : "\\fnil";
        appendWord(header, "\\fcharset", font.charset);
        if (font.codePage > 0)
            appendWord(header, "\\cpg", font.codePage);
        header += ' ';
        QString name = font.name;
        name.removeIf([](QChar c) {
            return c == u';' || c.unicode() < 0x20 || c.unicode() == 0x2028 ||
                   c.unicode() == 0x2029;
        });
        appendText(header, name.constData(), name.size());
        header += ";}";
    }
    header += "}\n";
}

void Writer::writeColorTable(std::string& header) const
{
    header += "{\\colortbl;";
    for (size_t i = 0; i < m_colors.size(); ++i) {
        if (!m_colorIsAutomatic[i]) {
            appendWord(header, "\\red", qRed(m_colors[i]));
            appendWord(header, "\\green", qGreen(m_colors[i]));
            appendWord(header, "\\blue", qBlue(m_colors[i]));
        }
        header += ';';
    }
    header += "}\n";
}

// The header: tables, then what the document carries at its level and its page (a whole document
// only; a range holds no more than its text).
void Writer::writeHeader(std::string& header, bool wholeDocument) const
{
    const bool carriesBytes = m_groups && !m_groups->fonts.empty();
    header += "{\\rtf1\\ansi";
    appendWord(header, "\\ansicpg", carriesBytes ? m_groups->codePage : 1252);
    appendWord(header, "\\deff", carriesBytes ? m_groups->defaultFont : m_defaultFont);
    header += "\\uc1\n";
    writeFontTable(header);
    writeColorTable(header);
    if (m_groups) {
        // A range carries the stylesheet its paragraphs' and runs' style numbers refer to.
        const QByteArray tables =
            wholeDocument ? m_groups->tables : carried::stylesheetOf(m_groups->tables);
        header.append(tables.constData(), static_cast<size_t>(tables.size()));
        if (!wholeDocument && !tables.isEmpty())
            header += '\n';
    }
    header += m_listTable.tables();
    if (!wholeDocument || !m_groups)
        return;
    pagesetup::appendDocumentWords(header, m_groups->page);
    pagesetup::appendSectionWords(header, m_groups->page, m_groups->firstSection);
    header.append(m_groups->sections.constData(), static_cast<size_t>(m_groups->sections.size()));
}

} // namespace

void appendWord(std::string& out, const char* word, long long value)
{
    out += word;
    appendInt(out, value);
}

int twips(qreal pixels)
{
    return static_cast<int>(std::lround(pixels * 15.0));
}

QByteArray writeDocument(const QTextDocument& document, int start, int end, bool wholeDocument)
{
    Writer writer(document);
    return writer.write(start, end, wholeDocument);
}

} // namespace rtf::detail
