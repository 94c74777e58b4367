// The RTF reader: one flat loop over the tokens with an explicit stack of group states. It never
// recurses on the input's nesting and bounds everything the input can make large.

#include "platform/document/CodePages.h"
#include "platform/document/DocumentFormat.h"
#include "platform/rtf/Rtf.h"
#include "platform/rtf/RtfCarriedGroups.h"
#include "platform/rtf/RtfFields.h"
#include "platform/rtf/RtfKeywords.h"
#include "platform/rtf/RtfLists.h"
#include "platform/rtf/RtfModel.h"
#include "platform/rtf/RtfPageSetup.h"
#include "platform/rtf/RtfPictures.h"
#include "platform/rtf/RtfTables.h"
#include "platform/rtf/RtfTokenizer.h"

#include <QColor>
#include <QHash>
#include <QTextOption>

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>

namespace rtf::detail
{

namespace
{

constexpr int MaxDepth = 1000;
constexpr int MaxFonts = 4096;
constexpr int MaxColors = 4096;
constexpr int MaxTabs = 32;
constexpr int MaxFontNameLength = 256;
constexpr int MaxFieldInstruction = 4096;
constexpr int MaxLinks = 65536;
constexpr int MaxUnicodeSkip = 16;
constexpr qsizetype MaxCarriedBytes = 256 * 1024 * 1024;
constexpr int MaxCarriedObjects = 1 << 20;
constexpr int MaxSections = 65536;
constexpr size_t MaxSectionWords = 4096;
constexpr size_t MaxHiddenBytes = 16 * 1024 * 1024;
constexpr int NoFont = INT_MIN;

enum class Dest : uint8_t {
    Body,
    FontTable,
    ColorTable,
    FieldInst,
    Pict,
    ListTable,
    List,
    ListLevel,
    ListOverrideTable,
    ListOverride,
    Pn,
    ShapeInst,
    Object,
    Upr,
    LevelText,
    PnTextBefore,
    PnTextAfter,
    Ignore, // text dropped, control words still read
};

struct CharState {
    int font = NoFont;
    int halfPoints = 24;
    int color = 0;
    int background = 0;
    int offsetCenti = 0; // hundredths of a twip
    int upDnProp = 0;    // size of raised or lowered text, in hundredths of a percent
    int link = -1;
    int field = -1; // the field whose result this is (written back as that field)
    uint8_t bold = 0;
    uint8_t italic = 0;
    uint8_t underline = 0; // 0 none, else the kind (1 = single)
    uint8_t strike = 0;
    uint8_t vertical = 0; // 1 superscript, 2 subscript
    uint8_t caps = 0;     // 1 all caps, 2 small caps
    uint8_t hidden = 0;
    int eastAsianFont = NoFont; // \dbch\afN: the font of Chinese, Japanese and Korean text
    int spacingTwips = 0;       // \expndtw: added between characters
    int style = -1;             // \csN: the run's character style; -1 for none
    // What the background came from (docformat::BackgroundKind), and the shading's pattern.
    uint8_t backgroundKind = docformat::Highlight;
    int shadingPattern = 0; // \chcfpatN
    int shading = -1;       // \chshdngN, hundredths of a percent; -1 when not given
    bool operator==(const CharState&) const = default;
};

struct CharStateHash {
    size_t operator()(const CharState& s) const noexcept
    {
        size_t h = static_cast<size_t>(s.font) * 0x9E3779B97F4A7C15ull;
        auto mix = [&h](size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
        mix(static_cast<size_t>(s.halfPoints));
        mix(static_cast<size_t>(s.color) | (static_cast<size_t>(s.background) << 20));
        mix(static_cast<size_t>(s.offsetCenti) ^ (static_cast<size_t>(s.upDnProp) << 32));
        mix(static_cast<size_t>(s.link) ^ (static_cast<size_t>(s.field) << 24));
        mix(s.bold | (s.italic << 1) | (s.strike << 2) | (s.hidden << 3) | (s.vertical << 4) |
            (s.caps << 6) | (static_cast<size_t>(s.underline) << 8));
        mix(static_cast<size_t>(s.eastAsianFont) ^ (static_cast<size_t>(s.spacingTwips) << 32));
        mix(static_cast<size_t>(s.style) ^ (static_cast<size_t>(s.backgroundKind) << 20) ^
            (static_cast<size_t>(s.shadingPattern) << 24) ^ (static_cast<size_t>(s.shading) << 40));
        return h;
    }
};

struct Tab {
    int position = 0;
    uint8_t kind = 0; // 0 left, 1 right, 2 centre, 3 decimal
    char leader = 0;  // the character that fills the space before it, 0 for none
    bool operator==(const Tab&) const = default;
};

struct ParaState {
    uint8_t align = 0; // 0 left, 1 centre, 2 right, 3 justify
    uint8_t rtl = 0;
    uint8_t pageBreakBefore = 0;
    uint8_t inTable = 0;
    uint8_t itap = 0; // table nesting level (\itap); 0 with \intbl means 1
    uint8_t slMult = 0;
    uint8_t tabCount = 0;
    uint8_t pendingTabKind = 0;
    uint8_t bulletLevel = 0; // \wlbulletlevel: the level Wordlark wrote, 0 when not given
    uint8_t keep = 0;        // \keep: the paragraph's lines stay on one page
    uint8_t keepNext = 0;    // \keepn: the paragraph stays on the page of the next one
    char pendingTabLeader = 0;
    int style = 0; // \sN: the paragraph's style in the document's stylesheet
    int li = 0, ri = 0, fi = 0, sb = 0, sa = 0, sl = 0;
    int ls = 0, ilvl = 0;
    Tab tabs[MaxTabs];
    PnState pn;
    bool operator==(const ParaState&) const = default;
};

struct BlockKey {
    ParaState para;
    int bulletLevel = 0;
    bool pageBreak = false;
    int section = -1; // the paragraph begins a section: into Reader::m_sections
    bool operator==(const BlockKey&) const = default;
};

struct BlockKeyHash {
    size_t operator()(const BlockKey& k) const noexcept
    {
        size_t h = static_cast<size_t>(k.bulletLevel) * 31 + k.pageBreak +
                   (static_cast<size_t>(k.section + 1) << 8);
        auto mix = [&h](size_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
        const ParaState& p = k.para;
        mix(p.align | (p.rtl << 2) | (p.pageBreakBefore << 3) | (p.pn.scheme << 4) |
            (p.slMult << 6) | (static_cast<size_t>(p.tabCount) << 8));
        mix(static_cast<size_t>(p.li));
        mix(static_cast<size_t>(p.ri));
        mix(static_cast<size_t>(p.fi));
        mix(static_cast<size_t>(p.sb) ^ (static_cast<size_t>(p.sa) << 20));
        mix(static_cast<size_t>(p.sl));
        mix(static_cast<size_t>(p.ls) ^ (static_cast<size_t>(p.ilvl) << 16));
        for (int i = 0; i < p.tabCount; ++i)
            mix(static_cast<size_t>(p.tabs[i].position) * 4 + p.tabs[i].kind +
                (static_cast<size_t>(p.tabs[i].leader) << 40));
        mix(static_cast<size_t>(p.keep) | (static_cast<size_t>(p.keepNext) << 1) |
            (static_cast<size_t>(p.style) << 2));
        return h;
    }
};

struct Group {
    CharState chr;
    ParaState para;
    Dest dest = Dest::Body;
    Dest outer = Dest::Body; // where \result, \ud and \shptxt lead back to
    uint8_t uc = 1;
    // Where associated properties (\afs, \ab, \ai) go: right-to-left (\rtlch) and \hich runs
    // have their own; otherwise they are the run's, as LibreOffice reads them.
    bool assocRtl = false;
    bool assocHich = false;
    bool assocDbch = false; // after \dbch, \af names the East Asian font
    bool star = false;
    // Set on the group that began the thing, never inherited by inner groups:
    bool pictOwner = false;
    bool fieldOwner = false;
    bool listTextOwner = false;
    bool shapeHadInst = false;
    bool nestTableProps = false; // in \nesttableprops: row words are for the nested table
    bool fieldInstOwner = false;
    bool textBoxOwner = false;   // \shptxt: the text of a text box
    int carrierRunBegin = -1;    // an \object or \shp begun in this group: its first run
    bool defaultsOwner = false;  // \defchp, \defpap: the document's default formatting
    const char* begin = nullptr; // the group's opening brace in the bytes
};

struct FontEntry {
    QString name;
    std::string nameBytes;
    int charset = -1;
    int cpg = 0;
    bool named = false;
};

struct Field {
    QString instruction;
    QByteArray instructionGroup; // the {\*\fldinst ...} group as read
    int textStart = 0;           // where its result starts in the text
};

bool isDestination(Kw kw)
{
    switch (kw) {
    case Kw::FontTbl:
    case Kw::ColorTbl:
    case Kw::SkipDest:
    case Kw::Pict:
    case Kw::Field:
    case Kw::FldInst:
    case Kw::FldRslt:
    case Kw::Object:
    case Kw::Result:
    case Kw::Shp:
    case Kw::ShpInst:
    case Kw::ShpRslt:
    case Kw::ShpTxt:
    case Kw::ShpPict:
    case Kw::NonShpPict:
    case Kw::Pn:
    case Kw::PnText:
    case Kw::ListText:
    case Kw::ListTable:
    case Kw::List:
    case Kw::ListLevel:
    case Kw::ListOverrideTable:
    case Kw::ListOverride:
    case Kw::Upr:
    case Kw::Ud:
    case Kw::NestTableProps:
    case Kw::LevelText:
    case Kw::PnTxtB:
    case Kw::PnTxtA:
        return true;
    default:
        return false;
    }
}

// The target of a HYPERLINK field instruction, or an empty string.
QString hyperlinkTarget(const QString& instruction)
{
    QStringView s(instruction);
    s = s.trimmed();
    if (!s.startsWith(u"HYPERLINK", Qt::CaseInsensitive))
        return QString();
    s = s.mid(9);
    QString url;
    QString fragment;
    bool nextIsFragment = false;
    bool nextIsSwitchArgument = false;
    qsizetype i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i].isSpace())
            ++i;
        if (i >= s.size())
            break;
        QString arg;
        bool isSwitch = false;
        if (s[i] == u'"') {
            ++i;
            while (i < s.size() && s[i] != u'"')
                arg += s[i++];
            ++i;
        } else {
            isSwitch = s[i] == u'\\';
            while (i < s.size() && !s[i].isSpace())
                arg += s[i++];
        }
        if (isSwitch) {
            // \l names a bookmark; \o (tip) and \t (target frame) take an argument; \m, \n none.
            nextIsFragment = arg == u"\\l";
            nextIsSwitchArgument = arg == u"\\o" || arg == u"\\t";
            continue;
        }
        if (nextIsSwitchArgument) {
            nextIsSwitchArgument = false;
        } else if (nextIsFragment) {
            fragment = arg;
            nextIsFragment = false;
        } else if (url.isEmpty()) {
            url = arg;
        }
    }
    if (!fragment.isEmpty())
        url += u'#' + fragment;
    // What a document cannot hold in text cannot be in a link either.
    url.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != '\t') || u == 0x7F || u == 0x2029 || u == 0xFFFC || u == 0xFDD0 ||
               u == 0xFDD1;
    });
    return url;
}

class Reader
{
public:
    explicit Reader(const QByteArray& bytes)
        : m_bytes(bytes), m_tokens(bytes.constData(), static_cast<size_t>(bytes.size()))
    {
    }

    Model run();
    void finishDocument();

private:
    // Groups
    void pushGroup();
    void popGroup();
    Group& top() { return m_stack.back(); }
    Group* parentGroup() { return m_stack.size() >= 2 ? &m_stack[m_stack.size() - 2] : nullptr; }
    bool skipGroup();
    QByteArray bytesOf(const Group& group) const;

    // What the editor cannot show, carried as bytes
    void carryGroup(std::string_view name);
    void keepCarried(const QByteArray& bytes, carried::Placement placement, std::string_view name);
    void carryInline(const QByteArray& bytes, carried::Look look, const QString& label);
    void onOtherWord(std::string_view name, const Token& token);
    bool onFormattingWord(std::string_view name, const Token& token);
    void finishField(const Group& popped);
    void insertSymbol(const SymbolField& symbol);
    void finishDocumentGroups();
    void startCarrier(Group& group);
    void finishCarrier(const Group& popped);
    void beginTextBox(Group& group);
    void endTextBox();
    bool finishTextBox(const Group& popped);
    void keepHiddenBytes(const char* data, int length);
    void keepHiddenChar(char32_t c);
    void flushHidden();

    // Tokens
    void onWord(const Token& token);
    void onSymbol(char symbol);
    void onText(const char* data, int length, bool raw);
    void onHexByte(uint8_t byte);
    void onBinary(const char* data, int length);
    void onDestination(Kw kw, std::string_view name);
    bool consumeSkipUnit();

    // Text
    const codepage::CodePage& pageForFont(int fontNumber);
    const codepage::CodePage& bodyPage() { return pageForFont(top().chr.font); }
    void ensureRun();
    void closeRun();
    void flushPending();
    void appendBodyBytes(const char* data, int length, bool raw);
    void appendUnicode(char32_t c);
    void appendBodyChar(char16_t c);
    void appendDecoded(const QString& decoded);
    void appendListText(QChar c);

    // Paragraphs
    bool paragraphIsEmpty() const;
    bool paragraphHoldsOnlyCarriedGroups() const;
    void endParagraph(int tableLevel = -1);
    static int tableLevelOf(const ParaState& para);
    void endCell(int level);
    void endRow(int level);
    int blockFormatFor(const BlockKey& key);
    int charFormatFor(const CharState& state);

    // Tables, fonts, colours, fields, pictures
    void finishFontEntry();
    void decodeFontName(FontEntry& font);
    void onFontTableText(const char* data, int length);
    void onColorTableText(const char* data, int length);
    void finishPicture();

    const QByteArray& m_bytes;
    Tokenizer m_tokens;
    std::vector<Group> m_stack;
    Model m_model;

    int m_documentCodePage = codepage::Windows1252;
    int m_defaultFont = NoFont;
    std::vector<FontEntry> m_fonts;
    QHash<int, int> m_fontIndex; // font number -> m_fonts
    int m_currentFont = -1;
    int m_fontEntryDepth = 0;
    int m_cachedFontNumber = INT_MIN + 1;
    const codepage::CodePage* m_cachedPage = nullptr;

    std::vector<QColor> m_colors; // invalid = automatic
    int m_red = 0, m_green = 0, m_blue = 0;
    bool m_colorHasValue = false;

    ListReader m_listReader{m_model};

    std::vector<Field> m_fields;
    QStringList m_links;
    std::vector<QByteArray> m_fieldGroups; // CharState::field -> instruction group

    carried::DocumentGroups m_documentGroups;
    qsizetype m_carriedBytes = 0;
    int m_carriedObjects = 0;
    int m_lastCarriedRun = -1; // the run of the last inline carried character
    int m_lastCarriedEnd = -1; // the text position after it
    int m_footnotes = 0;
    int m_endnotes = 0;
    bool m_firstSection = true;
    bool m_bodyStarted = false;   // the text or its first paragraph has begun
    bool m_poppedAtBrace = false; // the group being popped was closed by its brace
    ParaState m_defaultPara;
    CharState m_defaultChar;
    std::string m_hidden; // hidden text (\v) read since the last shown text, as RTF
    int m_hiddenFont = NoFont;

    TableReader m_tables{m_model, m_colors};

    // The run being filled.
    bool m_runOpen = false;
    int m_runStart = 0;
    CharState m_runState;
    std::string m_pending; // bytes of a multi-byte code page, decoded late
    const codepage::CodePage* m_pendingPage = nullptr;
    bool m_leadOpen = false;
    char16_t m_highSurrogate = 0;

    // The paragraph being filled.
    int m_paraRunBegin = 0;
    int m_paraTextBegin = 0;
    int m_listTextRunBegin = -1, m_listTextRunEnd = -1;
    int m_listTextBegin = -1, m_listTextEnd = -1;
    bool m_pageBreakPending = false;
    // A section after the first has begun (\sect) and waits for its first paragraph; its words
    // (break, page, columns, numbering) as read, written back where the section begins.
    bool m_sectionPending = false;
    std::string m_firstSectionWords;
    std::string m_sectionWords;
    std::vector<QByteArray> m_sections;

    // The text box being read: the stack index of its shape's group, its first paragraph, and
    // where its text group begins and ends in the bytes (-1 until it ends).
    struct TextBoxRead {
        size_t shapeDepth = 0;
        int blockBegin = 0;
        qsizetype textBegin = 0;
        qsizetype textEnd = -1;
        int tableLevel = 0; // of the paragraph that holds the shape: the box's paragraphs share it
    };
    std::optional<TextBoxRead> m_textBox;
    int m_textBoxes = 0;

    int m_skipUnits = 0;

    std::unordered_map<CharState, int, CharStateHash> m_charFormatIndex;
    std::unordered_map<BlockKey, int, BlockKeyHash> m_blockFormatIndex;

    Picture m_picture;
    int m_picNibble = -1;
    bool m_pictureActive = false;
    PictureBudget m_pictureBudget;
};

Model Reader::run()
{
    if (!looksLikeRtf(m_bytes))
        throw FormatError("The bytes are not RTF");
    m_stack.reserve(64);
    m_stack.emplace_back();
    // Text is usually a third of the bytes or less (pictures, control words); it grows as needed.
    m_model.text.reserve(std::min<qsizetype>(m_bytes.size() / 3 + 16, 4 * 1024 * 1024));
    m_model.runs.reserve(1024);

    Token token;
    bool started = false;
    for (;;) {
        m_tokens.next(token);
        if (token.type == TokenType::End)
            break;
        switch (token.type) {
        case TokenType::GroupStart:
            started = true;
            m_skipUnits = 0;
            if (m_stack.size() >= MaxDepth) {
                skipGroup();
                break;
            }
            pushGroup();
            top().begin = m_tokens.position() - 1;
            break;
        case TokenType::GroupEnd:
            m_skipUnits = 0;
            if (m_stack.size() == 2) {
                // The document's outer group closes: the last paragraph has its properties yet.
                finishDocument();
                return std::move(m_model);
            }
            m_poppedAtBrace = true;
            popGroup();
            m_poppedAtBrace = false;
            break;
        case TokenType::Word:
            onWord(token);
            break;
        case TokenType::Symbol:
            onSymbol(token.symbol);
            break;
        case TokenType::HexByte:
            onHexByte(token.byte);
            break;
        case TokenType::Text:
            onText(token.data, token.length, true);
            break;
        case TokenType::Binary:
            onBinary(token.data, token.length);
            break;
        case TokenType::End:
            break;
        }
        if (started && m_stack.size() <= 1)
            break; // the document's outer group closed (skipped whole)
    }
    // A truncated document: close what is open, so pictures and fields still end; the last
    // paragraph takes the properties in force where the bytes ended.
    const ParaState para = top().para;
    while (m_stack.size() > 2)
        popGroup();
    top().para = para;
    finishDocument();
    return std::move(m_model);
}

void Reader::finishDocument()
{
    flushHidden();
    flushPending();
    if (!m_model.blocks.empty() && paragraphIsEmpty()) {
        // The last paragraph mark ends the document: no empty paragraph after it.
        m_model.endsWithParagraphMark = true;
    } else {
        endParagraph();
        m_model.endsWithParagraphMark = false;
    }
    finishDocumentGroups();
    m_tables.finish();
}

// ---- Groups ------------------------------------------------------------------------------------

void Reader::pushGroup()
{
    m_stack.push_back(m_stack.back());
    Group& g = m_stack.back();
    g.star = false;
    g.pictOwner = false;
    g.fieldOwner = false;
    g.listTextOwner = false;
    g.shapeHadInst = false;
    g.fieldInstOwner = false;
    g.textBoxOwner = false;
    g.defaultsOwner = false;
    g.carrierRunBegin = -1;
}

void Reader::popGroup()
{
    if (m_stack.size() <= 1)
        return;
    flushPending();
    const Group popped = m_stack.back();
    m_stack.pop_back();
    Group& now = m_stack.back();

    if (popped.pictOwner)
        finishPicture();
    if (popped.fieldInstOwner && !m_fields.empty() && m_poppedAtBrace)
        m_fields.back().instructionGroup = bytesOf(popped);
    if (popped.fieldOwner && !m_fields.empty()) {
        finishField(popped);
        m_fields.pop_back();
    }
    if (popped.textBoxOwner)
        endTextBox();
    if (popped.carrierRunBegin >= 0 && m_poppedAtBrace)
        finishCarrier(popped);
    if (popped.defaultsOwner) {
        // The defaults are what \pard and \plain start from.
        m_defaultPara = popped.para;
        m_defaultChar = popped.chr;
        now.para = popped.para;
        now.chr = popped.chr;
    }
    if (popped.dest == Dest::FontTable) {
        // An entry ends with its own group (or the table's), not with a group inside it.
        if (m_stack.size() + 1 == static_cast<size_t>(m_fontEntryDepth) ||
            now.dest != Dest::FontTable)
            finishFontEntry();
        if (now.dest != Dest::FontTable) {
            m_cachedFontNumber = INT_MIN + 1;
            m_currentFont = -1;
        }
    }
    if (popped.dest == Dest::Pn && now.dest != Dest::Pn) {
        now.para.pn = popped.para.pn;
        m_listReader.endPn(now.para.pn);
        now.para.ilvl = popped.para.ilvl;
    }
    if (popped.listTextOwner && popped.dest == Dest::Body) {
        closeRun();
        m_listTextRunEnd = static_cast<int>(m_model.runs.size());
        m_listTextEnd = static_cast<int>(m_model.text.size());
    }
}

// Skips the group whose opening brace was just read, still tokenizing (\bin data, escaped braces).
// False when the bytes end before the group does.
bool Reader::skipGroup()
{
    int depth = 1;
    Token token;
    while (depth > 0) {
        m_tokens.next(token);
        if (token.type == TokenType::End)
            return false;
        if (token.type == TokenType::GroupStart)
            ++depth;
        else if (token.type == TokenType::GroupEnd)
            --depth;
    }
    return true;
}

// The bytes of a group that has just been read up to its closing brace.
QByteArray Reader::bytesOf(const Group& group) const
{
    if (!group.begin || group.begin < m_bytes.constData() || group.begin >= m_tokens.position())
        return QByteArray();
    return QByteArray(group.begin, m_tokens.position() - group.begin);
}

// ---- Control words -----------------------------------------------------------------------------

bool Reader::consumeSkipUnit()
{
    if (m_skipUnits > 0) {
        --m_skipUnits;
        return true;
    }
    return false;
}

void Reader::onWord(const Token& token)
{
    int variant = 0;
    const Kw kw =
        lookupKeyword(std::string_view(token.data, static_cast<size_t>(token.length)), &variant);
    Group& g = top();

    if (g.star) {
        g.star = false;
        if (kw == Kw::UpDnProp && m_stack.size() > 1) {
            // {\*\updnpropN} sizes the raised or lowered text of the group around it.
            m_stack[m_stack.size() - 2].chr.upDnProp =
                token.hasParam ? std::clamp(token.param, 0, docformat::FullProportion) : 0;
            skipGroup();
            popGroup();
            return;
        }
        if (!isDestination(kw)) {
            // An optional destination we do not know: carry the group, or skip it.
            carryGroup(std::string_view(token.data, static_cast<size_t>(token.length)));
            return;
        }
    }
    if (kw != Kw::U && kw != Kw::Uc && consumeSkipUnit())
        return;
    if (kw == Kw::Unknown) {
        onOtherWord(std::string_view(token.data, static_cast<size_t>(token.length)), token);
        return;
    }
    if (isDestination(kw)) {
        onDestination(kw, std::string_view(token.data, static_cast<size_t>(token.length)));
        return;
    }

    const int param = token.param;
    const bool has = token.hasParam;
    const bool on = !has || param != 0;
    CharState& c = g.chr;
    ParaState& p = g.para;

    if (kw >= Kw::TRowD && kw <= Kw::BrdrStyle && g.dest == Dest::Body &&
        m_tables.onKeyword(kw, param, has, g.nestTableProps ? std::max(2, tableLevelOf(p)) : 1))
        return;

    // Unicode characters are text in every destination that keeps text.
    if (kw == Kw::U) {
        int v = param;
        if (v < 0)
            v += 65536;
        if (v < 0 || v > 0xFFFF)
            v = 0xFFFD;
        appendUnicode(static_cast<char32_t>(v));
        m_skipUnits = g.uc;
        return;
    }
    if (kw == Kw::Uc) {
        g.uc = static_cast<uint8_t>(std::clamp(param, 0, MaxUnicodeSkip));
        return;
    }

    switch (g.dest) {
    case Dest::FontTable:
        if (kw == Kw::F) {
            finishFontEntry();
            m_currentFont = -1;
            m_fontEntryDepth = static_cast<int>(m_stack.size());
            auto found = m_fontIndex.constFind(param);
            if (found != m_fontIndex.constEnd()) {
                m_currentFont = found.value();
                m_fonts[m_currentFont] = FontEntry();
            } else if (static_cast<int>(m_fonts.size()) < MaxFonts) {
                m_currentFont = static_cast<int>(m_fonts.size());
                m_fonts.emplace_back();
                m_fontIndex.insert(param, m_currentFont);
            }
        } else if (kw == Kw::FCharset && m_currentFont >= 0) {
            m_fonts[m_currentFont].charset = param;
        } else if (kw == Kw::Cpg && m_currentFont >= 0) {
            m_fonts[m_currentFont].cpg = param;
        }
        return;
    case Dest::ColorTable:
        if (kw == Kw::Red || kw == Kw::Green || kw == Kw::Blue) {
            const int v = std::clamp(param, 0, 255);
            (kw == Kw::Red ? m_red : kw == Kw::Green ? m_green : m_blue) = v;
            m_colorHasValue = true;
        }
        return;
    case Dest::Pict:
        switch (kw) {
        case Kw::PngBlip:
            m_picture.kind = PictureKind::Png;
            break;
        case Kw::JpegBlip:
            m_picture.kind = PictureKind::Jpeg;
            break;
        case Kw::EmfBlip:
            m_picture.kind = PictureKind::Emf;
            break;
        case Kw::WMetafile:
            m_picture.kind = PictureKind::Wmf;
            break;
        case Kw::DiBitmap:
            m_picture.kind = PictureKind::Dib;
            break;
        case Kw::WBitmap:
            m_picture.kind = PictureKind::WBitmap;
            break;
        case Kw::MacPict:
            m_picture.kind = PictureKind::MacPict;
            break;
        case Kw::PmMetafile:
            m_picture.kind = PictureKind::PmMetafile;
            break;
        case Kw::PicW:
            m_picture.picW = param;
            break;
        case Kw::PicH:
            m_picture.picH = param;
            break;
        case Kw::PicWGoal:
            m_picture.goalW = param;
            break;
        case Kw::PicHGoal:
            m_picture.goalH = param;
            break;
        case Kw::PicScaleX:
            m_picture.scaleX = param;
            break;
        case Kw::PicScaleY:
            m_picture.scaleY = param;
            break;
        case Kw::WbmBitsPixel:
            m_picture.bitsPerPixel = param;
            break;
        case Kw::WbmWidthBytes:
            m_picture.widthBytes = param;
            break;
        default:
            break;
        }
        return;
    case Dest::List:
    case Dest::ListLevel:
        m_listReader.onListWord(kw, param);
        return;
    case Dest::ListOverride:
        m_listReader.onOverrideWord(kw, param);
        return;
    case Dest::Pn:
        m_listReader.onPnWord(kw, param, p.pn, p.ilvl);
        return;
    default:
        break;
    }

    switch (kw) {
    // Header
    case Kw::Ansi:
        m_documentCodePage = codepage::Windows1252;
        m_cachedFontNumber = INT_MIN + 1;
        break;
    case Kw::Mac:
        m_documentCodePage = 10000;
        m_cachedFontNumber = INT_MIN + 1;
        break;
    case Kw::Pc:
        m_documentCodePage = 437;
        m_cachedFontNumber = INT_MIN + 1;
        break;
    case Kw::Pca:
        m_documentCodePage = 850;
        m_cachedFontNumber = INT_MIN + 1;
        break;
    case Kw::AnsiCpg:
        if (param > 0)
            m_documentCodePage = param;
        m_cachedFontNumber = INT_MIN + 1;
        break;
    case Kw::Deff:
        m_defaultFont = param;
        for (Group& each : m_stack)
            if (each.chr.font == NoFont)
                each.chr.font = param;
        break;

    // Character formatting
    case Kw::Plain: {
        const int link = c.link;
        const int field = c.field;
        c = m_defaultChar;
        if (c.font == NoFont)
            c.font = m_defaultFont;
        c.link = link;
        c.field = field;
        g.assocRtl = g.assocHich = g.assocDbch = false;
        break;
    }
    case Kw::F:
        c.font = param;
        break;
    case Kw::Fs:
        c.halfPoints = has && param > 0 ? std::min(param, 3276) : 24;
        break;
    case Kw::B:
        c.bold = on;
        break;
    case Kw::I:
        c.italic = on;
        break;
    case Kw::Ul:
        c.underline = on ? 1 : 0;
        break;
    case Kw::UlVariant:
        c.underline = on ? static_cast<uint8_t>(variant) : 0;
        break;
    case Kw::UlNone:
        c.underline = 0;
        break;
    case Kw::Strike:
        c.strike = on;
        break;
    case Kw::StrikeD:
        c.strike = on ? 2 : 0;
        break;
    case Kw::Cf:
        c.color = std::max(0, param);
        break;
    case Kw::Cb:
        c.background = std::max(0, param);
        c.backgroundKind = token.length == 2 ? docformat::OldShading : docformat::Shading;
        break;
    case Kw::Highlight:
        c.background = std::max(0, param);
        c.backgroundKind = docformat::Highlight;
        break;
    case Kw::Up:
        c.offsetCenti = (has ? std::clamp(param, -3276, 3276) : 6) * 1000;
        break;
    case Kw::Dn:
        c.offsetCenti = -(has ? std::clamp(param, -3276, 3276) : 6) * 1000;
        break;
    case Kw::WlCharOffset:
        c.offsetCenti = std::clamp(param, -3276000, 3276000);
        break;
    case Kw::Super:
        c.vertical = on ? 1 : 0;
        break;
    case Kw::Sub:
        c.vertical = on ? 2 : 0;
        break;
    case Kw::NoSuperSub:
        c.vertical = 0;
        break;
    case Kw::Caps:
        c.caps = on ? 1 : 0;
        break;
    case Kw::SCaps:
        c.caps = on ? 2 : 0;
        break;
    case Kw::V:
        c.hidden = on;
        break;
    case Kw::RtlCh:
        g.assocRtl = true;
        break;
    case Kw::LtrCh:
        g.assocRtl = false;
        break;
    case Kw::HiCh:
        g.assocHich = true;
        g.assocDbch = false;
        break;
    case Kw::LoCh:
        g.assocHich = g.assocDbch = false;
        break;
    case Kw::DbCh:
        g.assocHich = false;
        g.assocDbch = true;
        break;
    case Kw::AFs:
        if (!g.assocRtl && !g.assocHich)
            c.halfPoints = has && param > 0 ? std::min(param, 3276) : 24;
        break;
    case Kw::AB:
        if (!g.assocRtl && !g.assocHich)
            c.bold = on;
        break;
    case Kw::AI:
        if (!g.assocRtl && !g.assocHich)
            c.italic = on;
        break;

    // Paragraph formatting
    case Kw::Pard:
        // A text box's paragraphs start from no formatting: the document's paragraph defaults
        // are the body's, as LibreOffice reads them.
        p = m_textBox && m_textBox->textEnd < 0 ? ParaState() : m_defaultPara;
        if (m_stack.size() == 2)
            m_bodyStarted = true;
        break;
    case Kw::Ql:
        p.align = 0;
        break;
    case Kw::Qc:
        p.align = 1;
        break;
    case Kw::Qr:
        p.align = 2;
        break;
    case Kw::Qj:
    case Kw::Qd:
        p.align = 3;
        break;
    case Kw::Li:
        p.li = clampTwips(param);
        break;
    case Kw::Ri:
        p.ri = clampTwips(param);
        break;
    case Kw::Fi:
        p.fi = clampTwips(param);
        break;
    case Kw::Sb:
        p.sb = std::clamp(param, 0, MaxTwips);
        break;
    case Kw::Sa:
        p.sa = std::clamp(param, 0, MaxTwips);
        break;
    case Kw::Sl:
        p.sl = clampTwips(param);
        break;
    case Kw::SlMult:
        p.slMult = on ? 1 : 0;
        break;
    case Kw::PageBb:
        p.pageBreakBefore = on;
        break;
    case Kw::RtlPar:
        p.rtl = 1;
        break;
    case Kw::LtrPar:
        p.rtl = 0;
        break;
    case Kw::InTbl:
        p.inTable = on;
        break;
    case Kw::ITap:
        p.itap = static_cast<uint8_t>(std::clamp(param, 0, MaxTableDepth));
        break;
    case Kw::Tqr:
        p.pendingTabKind = 1;
        break;
    case Kw::Tqc:
        p.pendingTabKind = 2;
        break;
    case Kw::Tqdec:
        p.pendingTabKind = 3;
        break;
    case Kw::Tx:
    case Kw::Tb:
        if (p.tabCount < MaxTabs && param >= 0 && param <= MaxTwips) {
            p.tabs[p.tabCount].position = param;
            p.tabs[p.tabCount].kind = kw == Kw::Tx ? p.pendingTabKind : 0;
            p.tabs[p.tabCount].leader = p.pendingTabLeader;
            ++p.tabCount;
        }
        p.pendingTabKind = 0;
        p.pendingTabLeader = 0;
        break;
    case Kw::Ls:
        p.ls = param;
        break;
    case Kw::Ilvl:
        p.ilvl = std::clamp(param, 0, 8);
        break;
    case Kw::WlBulletLevel:
        p.bulletLevel = static_cast<uint8_t>(std::clamp(param, 0, 9));
        break;

    // Text
    case Kw::Par:
        if (g.dest == Dest::Body)
            endParagraph();
        break;
    case Kw::Sect:
        // A new section starts on a new page unless it says otherwise (\sbknone, \sbkcol).
        if (g.dest == Dest::Body) {
            if (!paragraphIsEmpty())
                endParagraph();
            m_pageBreakPending = true;
            m_firstSection = false;
            m_sectionPending = true;
            m_sectionWords.clear();
        }
        break;
    case Kw::Column:
        if (g.dest == Dest::Body && !paragraphIsEmpty())
            endParagraph();
        break;
    case Kw::Page:
        if (g.dest == Dest::Body) {
            if (!paragraphIsEmpty())
                endParagraph();
            m_pageBreakPending = true;
        }
        break;
    case Kw::Line:
        appendUnicode(0x2028);
        break;
    case Kw::Tab:
        appendUnicode('\t');
        break;
    case Kw::Cell:
    case Kw::NestCell:
        if (g.dest == Dest::Body)
            endCell(kw == Kw::Cell ? 1 : std::max(2, tableLevelOf(p)));
        break;
    case Kw::Row:
    case Kw::NestRow:
        if (g.dest == Dest::Body)
            endRow(kw == Kw::Row ? 1 : std::max(2, tableLevelOf(p)));
        break;
    case Kw::EmDash:
        appendUnicode(0x2014);
        break;
    case Kw::EnDash:
        appendUnicode(0x2013);
        break;
    case Kw::EmSpace:
        appendUnicode(0x2003);
        break;
    case Kw::EnSpace:
        appendUnicode(0x2002);
        break;
    case Kw::QmSpace:
        appendUnicode(0x2005);
        break;
    case Kw::Bullet:
        appendUnicode(0x2022);
        break;
    case Kw::LQuote:
        appendUnicode(0x2018);
        break;
    case Kw::RQuote:
        appendUnicode(0x2019);
        break;
    case Kw::LDblQuote:
        appendUnicode(0x201C);
        break;
    case Kw::RDblQuote:
        appendUnicode(0x201D);
        break;
    case Kw::Zwj:
        appendUnicode(0x200D);
        break;
    case Kw::Zwnj:
        appendUnicode(0x200C);
        break;
    case Kw::LtrMark:
        appendUnicode(0x200E);
        break;
    case Kw::RtlMark:
        appendUnicode(0x200F);
        break;
    default:
        break;
    }
}

void Reader::onDestination(Kw kw, std::string_view name)
{
    flushPending();
    Group& g = top();
    const Dest dest = g.dest;
    const bool bodyContext =
        dest == Dest::Body ||
        ((dest == Dest::ShapeInst || dest == Dest::Object) && g.outer == Dest::Body);
    auto skip = [this]() {
        skipGroup();
        popGroup();
    };
    switch (kw) {
    case Kw::SkipDest:
        if (name == "defpap" || name == "defchp") {
            g.dest = Dest::Ignore;
            g.defaultsOwner = true;
            return;
        }
        if (name == "do" && dest == Dest::Body && m_stack.size() >= 3) {
            // An old drawing object: a picture in it shows like other pictures, and the object
            // is written back whole; one without a picture is carried on a character.
            g.outer = Dest::Body;
            g.dest = Dest::ShapeInst;
            startCarrier(g);
            return;
        }
        carryGroup(name);
        return;
    case Kw::NonShpPict:
        skip();
        return;
    case Kw::FontTbl:
        g.dest = Dest::FontTable;
        m_currentFont = -1;
        return;
    case Kw::ColorTbl:
        g.dest = Dest::ColorTable;
        m_colors.clear();
        m_colorHasValue = false;
        m_red = m_green = m_blue = 0;
        return;
    case Kw::Pict:
        if (!bodyContext || m_pictureActive) {
            skip();
            return;
        }
        g.dest = Dest::Pict;
        g.pictOwner = true;
        m_picture = Picture();
        m_picNibble = -1;
        m_pictureActive = true;
        return;
    case Kw::Field:
        if (dest == Dest::Body) {
            g.fieldOwner = true;
            m_fields.emplace_back();
            m_fields.back().textStart = static_cast<int>(m_model.text.size());
        }
        return;
    case Kw::FldInst:
        if (dest != Dest::Body || m_fields.empty()) {
            skip();
            return;
        }
        g.dest = Dest::FieldInst;
        g.fieldInstOwner = true;
        return;
    case Kw::FldRslt:
        if (dest == Dest::Body && !m_fields.empty()) {
            const Field& field = m_fields.back();
            const QString target = hyperlinkTarget(field.instruction);
            if (!target.isEmpty() && m_links.size() < MaxLinks) {
                m_links.append(target);
                g.chr.link = static_cast<int>(m_links.size()) - 1;
            } else if (target.isEmpty() && !field.instructionGroup.isEmpty() &&
                       static_cast<int>(m_fieldGroups.size()) < MaxLinks) {
                m_fieldGroups.push_back(field.instructionGroup);
                g.chr.field = static_cast<int>(m_fieldGroups.size()) - 1;
            }
        }
        return;
    case Kw::Object:
        if (dest == Dest::Body) {
            g.outer = dest;
            g.dest = Dest::Object;
            startCarrier(g);
        } else {
            skip();
        }
        return;
    case Kw::Result:
        if (dest == Dest::Object)
            g.dest = g.outer;
        return;
    case Kw::Shp:
        if (dest == Dest::Body)
            startCarrier(g);
        return;
    case Kw::ShpInst:
        if (Group* parent = parentGroup())
            parent->shapeHadInst = true;
        g.outer = dest == Dest::ShapeInst ? g.outer : dest;
        g.dest = Dest::ShapeInst;
        return;
    case Kw::ShpRslt:
        if (Group* parent = parentGroup(); parent && parent->shapeHadInst)
            skip();
        return;
    case Kw::ShpTxt:
        if (dest == Dest::ShapeInst) {
            g.dest = g.outer;
            beginTextBox(g);
        }
        return;
    case Kw::ShpPict:
        return;
    case Kw::Pn:
        if (dest == Dest::Body) {
            g.dest = Dest::Pn;
            m_listReader.beginPn(g.para.pn);
            return;
        }
        skip();
        return;
    case Kw::PnText:
    case Kw::ListText:
        if (dest == Dest::Body) {
            closeRun();
            g.listTextOwner = true;
            m_listTextRunBegin = static_cast<int>(m_model.runs.size());
            m_listTextBegin = static_cast<int>(m_model.text.size());
            m_listTextRunEnd = m_listTextEnd = -1;
        }
        return;
    case Kw::ListTable:
        g.dest = Dest::ListTable;
        return;
    case Kw::List:
        if (dest != Dest::ListTable) {
            g.dest = Dest::Ignore;
            return;
        }
        g.dest = Dest::List;
        m_listReader.beginList();
        return;
    case Kw::ListLevel:
        if (dest != Dest::List) {
            g.dest = Dest::Ignore;
            return;
        }
        g.dest = Dest::ListLevel;
        m_listReader.beginLevel();
        return;
    case Kw::LevelText:
        g.dest = dest == Dest::ListLevel ? Dest::LevelText : Dest::Ignore;
        return;
    case Kw::PnTxtB:
    case Kw::PnTxtA:
        g.dest = dest != Dest::Pn   ? Dest::Ignore
                 : kw == Kw::PnTxtB ? Dest::PnTextBefore
                                    : Dest::PnTextAfter;
        return;
    case Kw::ListOverrideTable:
        g.dest = Dest::ListOverrideTable;
        return;
    case Kw::ListOverride:
        g.dest = dest == Dest::ListOverrideTable ? Dest::ListOverride : Dest::Ignore;
        m_listReader.beginOverride();
        return;
    case Kw::Upr:
        g.outer = dest;
        g.dest = Dest::Upr;
        return;
    case Kw::NestTableProps:
        g.nestTableProps = true;
        return;
    case Kw::Ud:
        if (dest == Dest::Upr)
            g.dest = g.outer;
        return;
    default:
        return;
    }
}

void Reader::onSymbol(char symbol)
{
    Group& g = top();
    if (symbol == '*') {
        g.star = true;
        return;
    }
    if (consumeSkipUnit())
        return;
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        onText(&symbol, 1, false);
        break;
    case '~':
        appendUnicode(0x00A0);
        break;
    case '-':
        appendUnicode(0x00AD);
        break;
    case '_':
        appendUnicode(0x2011);
        break;
    case '\r':
    case '\n':
        if (g.dest == Dest::Body)
            endParagraph();
        break;
    case '\t':
        appendUnicode('\t');
        break;
    default:
        break;
    }
}

void Reader::onHexByte(uint8_t byte)
{
    if (consumeSkipUnit())
        return;
    const char c = static_cast<char>(byte);
    onText(&c, 1, false);
}

void Reader::onBinary(const char* data, int length)
{
    if (consumeSkipUnit())
        return;
    if (top().dest == Dest::Pict) {
        if (m_picture.data.size() + length <= MaxPictureBytes)
            m_picture.data.append(data, length);
    }
}

// ---- Text --------------------------------------------------------------------------------------

void Reader::onText(const char* data, int length, bool raw)
{
    if (m_skipUnits > 0) {
        const int n = std::min(m_skipUnits, length);
        m_skipUnits -= n;
        data += n;
        length -= n;
        if (length <= 0)
            return;
    }
    Group& g = top();
    switch (g.dest) {
    case Dest::Body:
        if (m_stack.size() > 1 && g.chr.hidden)
            keepHiddenBytes(data, length);
        else if (m_stack.size() > 1)
            appendBodyBytes(data, length, raw);
        return;
    case Dest::FontTable:
        onFontTableText(data, length);
        return;
    case Dest::ColorTable:
        onColorTableText(data, length);
        return;
    case Dest::LevelText:
    case Dest::PnTextBefore:
    case Dest::PnTextAfter: {
        QString decoded;
        for (int i = 0; i < length; ++i) {
            // In a level text, bytes below 9 stand for the numbers of the levels, and the first
            // byte is the text's length.
            if (static_cast<uint8_t>(data[i]) < 0x20)
                decoded += QChar(static_cast<char16_t>(data[i]));
            else
                bodyPage().decodeAppend(data + i, 1, decoded);
        }
        for (QChar ch : decoded)
            appendListText(ch);
        return;
    }
    case Dest::FieldInst: {
        if (m_fields.empty())
            return;
        QString& instruction = m_fields.back().instruction;
        if (instruction.size() < MaxFieldInstruction) {
            QString decoded;
            bodyPage().decodeAppend(data, std::min(length, MaxFieldInstruction), decoded);
            instruction += decoded;
        }
        return;
    }
    case Dest::Pict:
        for (int i = 0; i < length; ++i) {
            const uint8_t ch = static_cast<uint8_t>(data[i]);
            int v;
            if (ch >= '0' && ch <= '9')
                v = ch - '0';
            else if ((ch | 0x20) >= 'a' && (ch | 0x20) <= 'f')
                v = (ch | 0x20) - 'a' + 10;
            else
                continue;
            if (m_picNibble < 0) {
                m_picNibble = v;
            } else {
                if (m_picture.data.size() < MaxPictureBytes)
                    m_picture.data.append(static_cast<char>((m_picNibble << 4) | v));
                m_picNibble = -1;
            }
        }
        return;
    default:
        return;
    }
}

const codepage::CodePage& Reader::pageForFont(int fontNumber)
{
    if (fontNumber == m_cachedFontNumber && m_cachedPage)
        return *m_cachedPage;
    int number = m_documentCodePage;
    auto found = m_fontIndex.constFind(fontNumber);
    if (found != m_fontIndex.constEnd()) {
        const FontEntry& font = m_fonts[found.value()];
        if (font.cpg > 0)
            number = font.cpg;
        else if (font.charset >= 0)
            number = codepage::forCharset(font.charset, m_documentCodePage);
        if (number == codepage::SymbolFont && !font.name.startsWith(u"Symbol", Qt::CaseInsensitive))
            number = codepage::Windows1252;
    }
    m_cachedFontNumber = fontNumber;
    m_cachedPage = &codepage::forNumber(number);
    return *m_cachedPage;
}

void Reader::ensureRun()
{
    m_bodyStarted = true;
    if (!m_hidden.empty())
        flushHidden();
    const CharState& state = top().chr;
    if (m_runOpen && state == m_runState)
        return;
    closeRun();
    m_runOpen = true;
    m_runState = state;
    m_runStart = static_cast<int>(m_model.text.size());
}

void Reader::closeRun()
{
    flushPending();
    if (!m_runOpen)
        return;
    m_runOpen = false;
    const int end = static_cast<int>(m_model.text.size());
    if (end > m_runStart)
        m_model.runs.push_back(Run{m_runStart, end - m_runStart, charFormatFor(m_runState)});
}

void Reader::flushPending()
{
    if (m_highSurrogate) {
        m_highSurrogate = 0;
        appendBodyChar(0xFFFD);
    }
    if (m_pending.empty())
        return;
    QString decoded;
    m_pendingPage->decodeAppend(m_pending.data(), static_cast<qsizetype>(m_pending.size()),
                                decoded);
    m_pending.clear();
    m_leadOpen = false;
    appendDecoded(decoded);
}

// Appends decoded text of a multi-byte page, leaving out what a document cannot hold.
void Reader::appendDecoded(const QString& decoded)
{
    QString& text = m_model.text;
    for (QChar ch : decoded) {
        const char16_t u = ch.unicode();
        if ((u < 0x20 && u != '\t') || u == 0x7F || u == 0xFDD0 || u == 0xFDD1 || u == 0xFFFC ||
            u == 0x2029)
            continue;
        text.append(ch);
    }
}

void Reader::appendBodyBytes(const char* data, int length, bool raw)
{
    const codepage::CodePage& page = bodyPage();
    if (m_highSurrogate)
        flushPending();
    ensureRun();
    if (!page.isMultiByte()) {
        page.decodeAppend(data, length, m_model.text);
        return;
    }
    if (m_pendingPage != &page && !m_pending.empty())
        flushPending();
    m_pendingPage = &page;
    bool lastLeadRaw = false;
    for (int i = 0; i < length; ++i) {
        const uint8_t b = static_cast<uint8_t>(data[i]);
        m_pending.push_back(static_cast<char>(b));
        if (m_leadOpen) {
            m_leadOpen = false;
            lastLeadRaw = false;
        } else if (page.isLeadByte(b)) {
            m_leadOpen = true;
            lastLeadRaw = raw;
        }
    }
    // A raw lead byte whose trail byte looks like syntax (a backslash or a brace): take it as text.
    if (m_leadOpen && lastLeadRaw) {
        const int next = m_tokens.peek();
        if (next == '\\' || next == '{' || next == '}') {
            m_pending.push_back(static_cast<char>(m_tokens.takeRawByte()));
            m_leadOpen = false;
        }
    }
}

void Reader::appendListText(QChar c)
{
    const Dest dest = top().dest;
    if (dest == Dest::LevelText)
        m_listReader.appendLevelText(c);
    else
        m_listReader.appendPnText(dest == Dest::PnTextBefore, c);
}

void Reader::appendBodyChar(char16_t c)
{
    ensureRun();
    m_model.text.append(QChar(c));
}

void Reader::appendUnicode(char32_t c)
{
    Group& g = top();
    if (c == '\n' || c == '\r' || c == 0x2029)
        c = 0x2028;
    if ((c < 0x20 && c != '\t') || c == 0x7F || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC)
        return;
    switch (g.dest) {
    case Dest::Body: {
        if (m_stack.size() <= 1)
            return;
        if (g.chr.hidden) {
            keepHiddenChar(c);
            return;
        }
        if (c >= 0xDC00 && c <= 0xDFFF) {
            if (m_highSurrogate) {
                const char16_t high = m_highSurrogate;
                m_highSurrogate = 0;
                flushPending();
                ensureRun();
                m_model.text.append(QChar(high));
                m_model.text.append(QChar(static_cast<char16_t>(c)));
                return;
            }
            c = 0xFFFD;
        }
        flushPending();
        if (c >= 0xD800 && c <= 0xDBFF) {
            ensureRun();
            m_highSurrogate = static_cast<char16_t>(c);
            return;
        }
        appendBodyChar(static_cast<char16_t>(c));
        return;
    }
    case Dest::FontTable:
        if (m_currentFont >= 0 && !m_fonts[m_currentFont].named) {
            FontEntry& font = m_fonts[m_currentFont];
            decodeFontName(font);
            if (font.name.size() < MaxFontNameLength)
                font.name.append(QChar(static_cast<char16_t>(c)));
        }
        return;
    case Dest::LevelText:
    case Dest::PnTextBefore:
    case Dest::PnTextAfter:
        appendListText(QChar(static_cast<char16_t>(c)));
        return;
    case Dest::FieldInst:
        if (!m_fields.empty() && m_fields.back().instruction.size() < MaxFieldInstruction)
            m_fields.back().instruction.append(QChar(static_cast<char16_t>(c)));
        return;
    default:
        return;
    }
}

// ---- Paragraphs --------------------------------------------------------------------------------

bool Reader::paragraphIsEmpty() const
{
    return m_model.text.size() == m_paraTextBegin && m_pending.empty() && !m_highSurrogate;
}

// Whether the paragraph so far is one character that stands for carried groups.
bool Reader::paragraphHoldsOnlyCarriedGroups() const
{
    const qsizetype end = m_model.text.size();
    return end == m_paraTextBegin + 1 && m_lastCarriedEnd == end && m_pending.empty() &&
           !m_highSurrogate;
}

int Reader::tableLevelOf(const ParaState& para)
{
    return para.itap > 0 ? para.itap : para.inTable;
}

// A cell ends: its last paragraph ends with it.
void Reader::endCell(int level)
{
    level = std::max(1, m_tables.clampLevel(level));
    endParagraph(level);
    m_tables.endCell(level);
}

// A row ends; text after its last cell is one more cell, so no text is left outside the row.
// Groups kept for other readers that stand alone there (AbiWord's cell marks) are no cell: they
// stay with the paragraph that follows.
void Reader::endRow(int level)
{
    level = std::min(level, m_tables.depth());
    if (!paragraphIsEmpty() && !paragraphHoldsOnlyCarriedGroups())
        endCell(std::max(level, 1));
    if (level >= 1)
        m_tables.endRow(level);
}

void Reader::endParagraph(int tableLevel)
{
    flushHidden();
    closeRun();
    Group& g = top();
    ParaState para = g.para;
    // A text box's paragraphs stand in the table cell that holds the box, whatever they say.
    if (tableLevel < 0 && m_textBox && m_textBox->textEnd < 0)
        tableLevel = m_textBox->tableLevel;
    const int level = m_tables.clampLevel(tableLevel >= 0 ? tableLevel : tableLevelOf(para));
    // A section begins at a paragraph of the body, or at the first paragraph of a table it
    // begins with; one that begins inside a table is not kept apart: its page break stays.
    const bool beginsSection = level == 0 || (level == 1 && m_tables.depth() == 0);
    m_tables.beforeParagraph(level);

    const bool bullet = para.pn.scheme == 1 || m_listReader.isBullet(para.ls, para.ilvl);
    int list = -1;
    if (!bullet && para.ls > 0)
        list = m_listReader.numberedList(para.ls, para.ilvl);
    if (!bullet && list < 0 && para.pn.scheme == 2)
        list = m_listReader.pnList(para.pn, para.ilvl);
    if ((bullet || list >= 0) && m_listTextRunBegin >= 0 &&
        m_listTextRunEnd >= m_listTextRunBegin && m_listTextBegin >= m_paraTextBegin &&
        m_listTextEnd >= m_listTextBegin) {
        // The list is understood: its number or bullet text is not part of the paragraph.
        const int removed = m_listTextEnd - m_listTextBegin;
        m_model.text.remove(m_listTextBegin, removed);
        auto& runs = m_model.runs;
        runs.erase(runs.begin() + m_listTextRunBegin, runs.begin() + m_listTextRunEnd);
        for (size_t i = static_cast<size_t>(m_listTextRunBegin); i < runs.size(); ++i)
            runs[i].start -= removed;
    }
    m_listTextRunBegin = m_listTextRunEnd = m_listTextBegin = m_listTextEnd = -1;

    // Properties that do not change how the paragraph looks stay out of the key.
    para.inTable = 0;
    para.itap = 0;
    para.pendingTabKind = 0;
    BlockKey key;
    if (bullet && para.pn.scheme == 1) {
        // The \pn scheme has one bullet level; deeper bullets are told by their indent.
        key.bulletLevel = para.bulletLevel ? para.bulletLevel : std::clamp(para.li / 720, 1, 9);
        para.ilvl = key.bulletLevel - 1;
        para.bulletLevel = 0;
    } else {
        key.bulletLevel = bullet || list >= 0 ? para.ilvl + 1 : 0;
    }
    para.bulletLevel = 0;
    key.pageBreak = para.pageBreakBefore || m_pageBreakPending;
    if (m_sectionPending && beginsSection) {
        m_sectionPending = false;
        if (m_sections.size() < MaxSections) {
            m_sections.emplace_back(m_sectionWords.data(),
                                    static_cast<qsizetype>(m_sectionWords.size()));
            key.section = static_cast<int>(m_sections.size()) - 1;
        }
    }
    para.pageBreakBefore = 0;
    para.pn = PnState();
    para.ls = 0;
    if (!bullet && list < 0)
        para.ilvl = 0;
    key.para = para;

    Block block;
    block.runBegin = m_paraRunBegin;
    block.runEnd = static_cast<int>(m_model.runs.size());
    block.blockFormat = blockFormatFor(key);
    block.charFormat = charFormatFor(g.chr);
    block.bulletLevel = bullet ? key.bulletLevel : 0;
    block.list = list;
    m_model.blocks.push_back(block);

    m_pageBreakPending = false;
    m_paraRunBegin = static_cast<int>(m_model.runs.size());
    m_paraTextBegin = static_cast<int>(m_model.text.size());
}

int Reader::blockFormatFor(const BlockKey& key)
{
    auto found = m_blockFormatIndex.find(key);
    if (found != m_blockFormatIndex.end())
        return found->second;

    const ParaState& p = key.para;
    QTextBlockFormat f;
    static constexpr Qt::Alignment Alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                                   Qt::AlignJustify};
    f.setAlignment(Alignments[p.align & 3]);
    if (key.bulletLevel > 0) {
        const int margin = p.li - 720 * key.bulletLevel;
        if (margin > 0)
            f.setLeftMargin(margin / 15.0);
        const int indent = p.fi + 360;
        if (indent > 0)
            f.setTextIndent(indent / 15.0);
    } else {
        if (p.li)
            f.setLeftMargin(p.li / 15.0);
        if (p.fi)
            f.setTextIndent(p.fi / 15.0);
    }
    if (p.ri)
        f.setRightMargin(p.ri / 15.0);
    if (p.sb)
        f.setTopMargin(p.sb / 15.0);
    if (p.sa)
        f.setBottomMargin(p.sa / 15.0);
    if (p.sl != 0) {
        if (p.slMult) {
            if (p.sl > 0 && p.sl != 240)
                f.setLineHeight(p.sl * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
        } else if (p.sl > 0) {
            f.setLineHeight(p.sl / 15.0, QTextBlockFormat::MinimumHeight);
        } else {
            f.setLineHeight(-p.sl / 15.0, QTextBlockFormat::FixedHeight);
        }
    }
    if (key.pageBreak)
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (key.section >= 0) {
        f.setProperty(carried::SectionWords, m_sections[static_cast<size_t>(key.section)]);
        f.setProperty(carried::SectionNumber, key.section + 1);
    }
    if (p.keep)
        f.setProperty(docformat::KeepTogether, true);
    if (p.keepNext)
        f.setProperty(docformat::KeepWithNext, true);
    if (p.style > 0)
        f.setProperty(docformat::ParagraphStyle, p.style);
    if (p.rtl)
        f.setLayoutDirection(Qt::RightToLeft);
    if (p.tabCount) {
        QList<QTextOption::Tab> tabs;
        tabs.reserve(p.tabCount);
        for (int i = 0; i < p.tabCount; ++i) {
            const Tab& t = p.tabs[i];
            switch (t.kind) {
            case 1:
                tabs.append(QTextOption::Tab(t.position / 15.0, QTextOption::RightTab));
                break;
            case 2:
                tabs.append(QTextOption::Tab(t.position / 15.0, QTextOption::CenterTab));
                break;
            case 3:
                tabs.append(QTextOption::Tab(t.position / 15.0, QTextOption::DelimiterTab, u'.'));
                break;
            default:
                tabs.append(QTextOption::Tab(t.position / 15.0, QTextOption::LeftTab));
                break;
            }
        }
        f.setTabPositions(tabs);
        QString leaders;
        for (int i = 0; i < p.tabCount; ++i)
            leaders += QChar(p.tabs[i].leader ? p.tabs[i].leader : ' ');
        if (!leaders.trimmed().isEmpty())
            f.setProperty(docformat::TabLeaders, leaders);
    }
    const int index = static_cast<int>(m_model.blockFormats.size());
    m_model.blockFormats.push_back(f);
    m_blockFormatIndex.emplace(key, index);
    return index;
}

int Reader::charFormatFor(const CharState& s)
{
    auto found = m_charFormatIndex.find(s);
    if (found != m_charFormatIndex.end())
        return found->second;

    QTextCharFormat f;
    int fontNumber = s.font;
    auto font = m_fontIndex.constFind(fontNumber);
    if (font == m_fontIndex.constEnd())
        font = m_fontIndex.constFind(m_defaultFont);
    QStringList families;
    if (font != m_fontIndex.constEnd() && !m_fonts[font.value()].name.isEmpty())
        families << m_fonts[font.value()].name;
    // Chinese, Japanese and Korean characters fall back to the font the document names for them.
    if (auto eastAsian = m_fontIndex.constFind(s.eastAsianFont);
        eastAsian != m_fontIndex.constEnd() && !families.isEmpty() &&
        !m_fonts[eastAsian.value()].name.isEmpty() &&
        m_fonts[eastAsian.value()].name != families.first())
        families << m_fonts[eastAsian.value()].name;
    if (!families.isEmpty())
        f.setFontFamilies(families);
    if (s.field >= 0 && s.field < static_cast<int>(m_fieldGroups.size()))
        f.setProperty(carried::FieldInstruction, m_fieldGroups[static_cast<size_t>(s.field)]);
    // Raised or lowered text with a proportional size is shown at that size.
    const bool proportional = s.offsetCenti != 0 && s.upDnProp > 0;
    const double points =
        s.halfPoints / 2.0 * (proportional ? docformat::proportionOf(s.upDnProp) : 1.0);
    f.setFontPointSize(points);
    if (proportional)
        f.setProperty(docformat::UpDownProportion, s.upDnProp);
    f.setFontWeight(s.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(s.italic);
    f.setFontUnderline(s.underline != 0);
    if (s.underline > 1)
        f.setProperty(docformat::UnderlineKind, static_cast<int>(s.underline));
    f.setFontStrikeOut(s.strike);
    if (s.strike == 2)
        f.setProperty(docformat::DoubleStrike, true);
    if (s.spacingTwips) {
        f.setFontLetterSpacingType(QFont::AbsoluteSpacing);
        f.setFontLetterSpacing(s.spacingTwips / 15.0);
    }
    if (s.color > 0 && s.color < static_cast<int>(m_colors.size()) && m_colors[s.color].isValid())
        f.setForeground(m_colors[s.color]);
    if (s.background > 0 && s.background < static_cast<int>(m_colors.size()) &&
        m_colors[s.background].isValid()) {
        f.setBackground(m_colors[s.background]);
        if (s.backgroundKind != docformat::Highlight)
            f.setProperty(docformat::BackgroundKind, static_cast<int>(s.backgroundKind));
    }
    if (s.shading >= 0)
        f.setProperty(docformat::ShadingPercent, s.shading);
    if (s.shadingPattern > 0 && s.shadingPattern < static_cast<int>(m_colors.size()) &&
        m_colors[s.shadingPattern].isValid())
        f.setProperty(docformat::ShadingPattern, m_colors[s.shadingPattern]);
    if (s.style >= 0)
        f.setProperty(docformat::CharacterStyle, s.style);
    if (s.offsetCenti)
        docformat::setCharOffsetTwips(f, s.offsetCenti / 100.0, points);
    if (s.vertical == 1)
        f.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    else if (s.vertical == 2)
        f.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    if (s.caps == 1)
        f.setFontCapitalization(QFont::AllUppercase);
    else if (s.caps == 2)
        f.setFontCapitalization(QFont::SmallCaps);
    if (s.link >= 0 && s.link < m_links.size()) {
        f.setAnchor(true);
        f.setAnchorHref(m_links.at(s.link));
    }
    const int index = static_cast<int>(m_model.charFormats.size());
    m_model.charFormats.push_back(f);
    m_charFormatIndex.emplace(s, index);
    return index;
}

// ---- Font and colour tables --------------------------------------------------------------------

void Reader::decodeFontName(FontEntry& font)
{
    if (font.nameBytes.empty())
        return;
    int number = font.cpg > 0 ? font.cpg : codepage::forCharset(font.charset, m_documentCodePage);
    if (number == codepage::SymbolFont)
        number = codepage::Windows1252;
    codepage::forNumber(number).decodeAppend(
        font.nameBytes.data(), static_cast<qsizetype>(font.nameBytes.size()), font.name);
    font.nameBytes.clear();
}

void Reader::finishFontEntry()
{
    if (m_currentFont < 0)
        return;
    FontEntry& font = m_fonts[m_currentFont];
    if (font.named)
        return;
    decodeFontName(font);
    font.name.removeIf([](QChar c) {
        return c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0x2028 ||
               c.unicode() == 0x2029;
    });
    font.name = font.name.trimmed();
    if (font.name.size() > MaxFontNameLength)
        font.name.truncate(MaxFontNameLength);
    font.named = true;
    m_cachedFontNumber = INT_MIN + 1;
}

void Reader::onFontTableText(const char* data, int length)
{
    if (m_currentFont < 0)
        return;
    for (int i = 0; i < length; ++i) {
        FontEntry& font = m_fonts[m_currentFont];
        if (font.named)
            return;
        if (data[i] == ';') {
            finishFontEntry();
            return;
        }
        if (font.nameBytes.size() < static_cast<size_t>(MaxFontNameLength) * 2)
            font.nameBytes.push_back(data[i]);
    }
}

void Reader::onColorTableText(const char* data, int length)
{
    for (int i = 0; i < length; ++i) {
        if (data[i] != ';')
            continue;
        if (static_cast<int>(m_colors.size()) < MaxColors)
            m_colors.push_back(m_colorHasValue ? QColor(m_red, m_green, m_blue) : QColor());
        m_colorHasValue = false;
        m_red = m_green = m_blue = 0;
    }
}

// ---- Pictures ----------------------------------------------------------------------------------

void Reader::finishPicture()
{
    m_pictureActive = false;
    Picture picture = std::move(m_picture);
    m_picture = Picture();
    if (picture.data.isEmpty())
        return;
    // The picture goes where the group that held it sits: the body.
    Group& g = top();
    const bool body =
        g.dest == Dest::Body ||
        ((g.dest == Dest::ShapeInst || g.dest == Dest::Object) && g.outer == Dest::Body);
    if (!body || m_stack.size() <= 1)
        return;

    DecodedPicture decoded = decodePicture(picture, m_pictureBudget);
    flushPending();
    closeRun();
    const int formatIndex = static_cast<int>(m_model.charFormats.size());
    m_model.charFormats.push_back(decoded.format);
    m_model.images.emplace_back(decoded.format.name(), decoded.image);
    const int start = static_cast<int>(m_model.text.size());
    m_model.text.append(QChar::ObjectReplacementCharacter);
    m_model.runs.push_back(Run{start, 1, formatIndex});
}

// ---- What the editor cannot show ---------------------------------------------------------------

// Keeps the group whose destination word `name` was just read as the bytes it was read from, or
// skips it: it stands where it will be written back, in the document's header or in the text.
void Reader::carryGroup(std::string_view name)
{
    flushPending();
    const Group& g = top();
    const bool inBody = g.dest == Dest::Body && m_stack.size() >= 3;
    const bool documentLevel =
        m_stack.size() == 3 && (!m_bodyStarted || carried::belongsToDocument(name));
    const Group group = g;
    const bool complete = skipGroup();
    const QByteArray bytes = complete && inBody ? bytesOf(group) : QByteArray();
    popGroup();
    if (bytes.isEmpty())
        return;
    keepCarried(bytes, carried::placementFor(name, documentLevel), name);
}

void Reader::keepCarried(const QByteArray& bytes, carried::Placement placement,
                         std::string_view name)
{
    if (placement == carried::Placement::Drop || m_carriedBytes + bytes.size() > MaxCarriedBytes)
        return;
    m_carriedBytes += bytes.size();
    switch (placement) {
    case carried::Placement::Tables:
        m_documentGroups.tables += bytes + '\n';
        return;
    case carried::Placement::Section:
        m_documentGroups.sections += bytes + '\n';
        return;
    default:
        break;
    }
    carried::Look look = carried::lookFor(name);
    QString label;
    if (look == carried::Look::Reference) {
        if (!bytes.contains("\\chftn"))
            look = carried::Look::Hidden; // a mark of its own, which the text shows already
        else if (bytes.contains("\\ftnalt"))
            label = QString::number(++m_endnotes);
        else
            label = QString::number(++m_footnotes);
    }
    carryInline(bytes, look, label);
}

// Adds inline groups at the end of the text: to the character that stands for the groups just
// before, or on a character of their own.
void Reader::carryInline(const QByteArray& bytes, carried::Look look, const QString& label)
{
    flushHidden();
    closeRun();
    const int at = static_cast<int>(m_model.text.size());
    // Never across a paragraph's end: the groups stand at the start of the new paragraph.
    if (m_lastCarriedEnd == at && at > m_paraTextBegin && m_lastCarriedRun >= 0 &&
        m_lastCarriedRun + 1 == static_cast<int>(m_model.runs.size())) {
        const Run& run = m_model.runs[static_cast<size_t>(m_lastCarriedRun)];
        carried::appendInline(m_model.charFormats[static_cast<size_t>(run.format)], bytes, look,
                              label);
        return;
    }
    if (m_carriedObjects >= MaxCarriedObjects)
        return;
    ++m_carriedObjects;
    QTextCharFormat format = carried::inlineFormat(bytes, look, label);
    // Inside a link or a field the character belongs to it, so the link stays one link.
    const CharState& state = top().chr;
    if (state.link >= 0 && state.link < m_links.size()) {
        format.setAnchor(true);
        format.setAnchorHref(m_links.at(state.link));
    }
    if (state.field >= 0 && state.field < static_cast<int>(m_fieldGroups.size()))
        format.setProperty(carried::FieldInstruction,
                           m_fieldGroups[static_cast<size_t>(state.field)]);
    const int formatIndex = static_cast<int>(m_model.charFormats.size());
    m_model.charFormats.push_back(format);
    m_model.text.append(QChar::ObjectReplacementCharacter);
    m_model.runs.push_back(Run{at, 1, formatIndex});
    m_lastCarriedRun = static_cast<int>(m_model.runs.size()) - 1;
    m_lastCarriedEnd = at + 1;
}

// Hidden text is not shown; it is kept as RTF, in its font, on a character of its own.
void Reader::keepHiddenBytes(const char* data, int length)
{
    if (m_hidden.size() + static_cast<size_t>(length) * 4 > MaxHiddenBytes)
        return;
    if (m_hidden.empty())
        m_hiddenFont = top().chr.font;
    static constexpr char Digits[] = "0123456789abcdef";
    for (int i = 0; i < length; ++i) {
        const auto b = static_cast<uint8_t>(data[i]);
        if (b == '\\' || b == '{' || b == '}') {
            m_hidden += '\\';
            m_hidden += static_cast<char>(b);
        } else if (b >= 0x80 || b < 0x20) {
            m_hidden += "\\'";
            m_hidden += Digits[b >> 4];
            m_hidden += Digits[b & 15];
        } else {
            m_hidden += static_cast<char>(b);
        }
    }
}

void Reader::keepHiddenChar(char32_t c)
{
    if (m_hidden.size() > MaxHiddenBytes)
        return;
    if (m_hidden.empty())
        m_hiddenFont = top().chr.font;
    if (c == '\t') {
        m_hidden += "\\tab ";
    } else if (c == 0x2028) {
        m_hidden += "\\line ";
    } else if (c < 0x80) {
        const char ascii = static_cast<char>(c);
        keepHiddenBytes(&ascii, 1);
    } else {
        m_hidden += "\\u" + std::to_string(static_cast<int16_t>(c)) + '?';
    }
}

void Reader::flushHidden()
{
    if (m_hidden.empty())
        return;
    QByteArray bytes("{\\v");
    if (m_hiddenFont != NoFont)
        bytes += "\\f" + QByteArray::number(m_hiddenFont);
    bytes += ' ';
    bytes.append(m_hidden.data(), static_cast<qsizetype>(m_hidden.size()));
    bytes += '}';
    m_hidden.clear();
    keepCarried(bytes, carried::Placement::Inline, "v");
}

// An object or a shape begins: the picture it shows, if any, is written back as the whole group.
void Reader::startCarrier(Group& group)
{
    closeRun();
    group.carrierRunBegin = static_cast<int>(m_model.runs.size());
}

// A text box's text begins in a shape of the body or of a table cell: its paragraphs are shown
// where the shape stands, apart from the paragraph that holds the shape.
void Reader::beginTextBox(Group& group)
{
    if (group.outer != Dest::Body || m_textBox || !group.begin)
        return;
    size_t shape = m_stack.size() - 1;
    while (shape > 0 && m_stack[shape].carrierRunBegin < 0)
        --shape;
    if (m_stack[shape].carrierRunBegin < 0 || !m_stack[shape].begin)
        return;
    flushPending();
    if (!paragraphIsEmpty())
        endParagraph();
    group.textBoxOwner = true;
    // The shape's bytes before the text run to the end of the text's destination word.
    m_textBox =
        TextBoxRead{shape, static_cast<int>(m_model.blocks.size()),
                    m_tokens.position() - m_bytes.constData(), -1, tableLevelOf(group.para)};
}

// The text box's text ends: a last paragraph without its mark is ended too.
void Reader::endTextBox()
{
    if (!m_textBox || !m_poppedAtBrace)
        return;
    if (!paragraphIsEmpty())
        endParagraph();
    m_textBox->textEnd = m_tokens.position() - m_bytes.constData();
}

// The shape of a text box ends: its paragraphs keep the shape's bytes around the text, so that
// they are written back inside the same shape. False when the shape is not a text box's.
bool Reader::finishTextBox(const Group& popped)
{
    if (!m_textBox || m_textBox->shapeDepth != m_stack.size())
        return false;
    const TextBoxRead box = *m_textBox;
    m_textBox.reset();
    const qsizetype shapeBegin = popped.begin - m_bytes.constData();
    const qsizetype shapeEnd = m_tokens.position() - m_bytes.constData();
    const int blockEnd = static_cast<int>(m_model.blocks.size());
    if (box.textEnd < 0 || blockEnd == box.blockBegin ||
        m_carriedBytes + (shapeEnd - shapeBegin) > MaxCarriedBytes)
        return false;
    m_carriedBytes += shapeEnd - shapeBegin;
    ++m_carriedObjects;
    const QByteArray opening = m_bytes.mid(shapeBegin, box.textBegin - shapeBegin);
    const QByteArray closing = m_bytes.mid(box.textEnd, shapeEnd - box.textEnd);
    const int number = ++m_textBoxes;
    std::unordered_map<int, int> marked; // block format -> the same, marked as the box's
    for (int b = box.blockBegin; b < blockEnd; ++b) {
        Block& block = m_model.blocks[static_cast<size_t>(b)];
        auto [it, fresh] = marked.try_emplace(block.blockFormat, 0);
        if (fresh) {
            QTextBlockFormat format = m_model.blockFormats[static_cast<size_t>(block.blockFormat)];
            format.setProperty(carried::TextBoxOpening, opening);
            format.setProperty(carried::TextBoxClosing, closing);
            format.setProperty(carried::TextBoxNumber, number);
            it->second = static_cast<int>(m_model.blockFormats.size());
            m_model.blockFormats.push_back(format);
        }
        block.blockFormat = it->second;
    }
    return true;
}

// An object or a shape ends. One that showed a single picture keeps its bytes on the picture; one
// that showed nothing is carried on a character of its own; one that showed text (a text box)
// leaves its text as paragraphs.
void Reader::finishCarrier(const Group& popped)
{
    closeRun();
    if (finishTextBox(popped))
        return;
    const int runs = static_cast<int>(m_model.runs.size()) - popped.carrierRunBegin;
    const bool paragraphEnded =
        !m_model.blocks.empty() && m_model.blocks.back().runEnd > popped.carrierRunBegin;
    if (runs > 1 || paragraphEnded)
        return;
    const QByteArray bytes = bytesOf(popped);
    if (bytes.isEmpty() || m_carriedBytes + bytes.size() > MaxCarriedBytes)
        return;
    if (runs == 0) {
        keepCarried(bytes, carried::Placement::Inline, "object");
        return;
    }
    const Run& run = m_model.runs.back();
    QTextCharFormat& format = m_model.charFormats[static_cast<size_t>(run.format)];
    if (run.length != 1 || !format.isImageFormat())
        return;
    m_carriedBytes += bytes.size();
    ++m_carriedObjects;
    format.setProperty(carried::ObjectBytes, bytes);
}

// Control words the keyword table does not know: the page setup, section breaks and the
// reference marks of notes and comments.
void Reader::onOtherWord(std::string_view name, const Token& token)
{
    // Each section's words are kept as read, the first section's with the document.
    std::string& sectionWords = m_firstSection ? m_firstSectionWords : m_sectionWords;
    if ((m_firstSection || m_sectionPending) && top().dest == Dest::Body &&
        pagesetup::isSectionWord(name) && sectionWords.size() < MaxSectionWords) {
        sectionWords += '\\';
        sectionWords += name;
        if (token.hasParam)
            sectionWords += std::to_string(token.param);
    }
    if (pagesetup::readWord(name, token.hasParam, token.param, false, m_documentGroups.page) !=
        pagesetup::WordEffect::None)
        return;
    if (onFormattingWord(name, token))
        return;
    if (top().dest != Dest::Body || m_stack.size() < 2)
        return;
    if (name == "sbknone" || name == "sbkcol") {
        m_pageBreakPending = false;
    } else if (name == "chftn") {
        // The note's number: written back before the note that follows it.
        keepCarried(QByteArrayLiteral("{\\super\\chftn}"), carried::Placement::Inline, "chftn");
    } else if (name == "chatn") {
        keepCarried(QByteArrayLiteral("{\\chatn}"), carried::Placement::Inline, "chatn");
    }
}

// Paragraph and character words the keyword table does not know: keeping, tab leaders, character
// spacing and the East Asian font. False for any other word.
bool Reader::onFormattingWord(std::string_view name, const Token& token)
{
    Group& g = top();
    const bool on = !token.hasParam || token.param != 0;
    static constexpr std::pair<std::string_view, char> Leaders[] = {
        {"tldot", '.'}, {"tlmdot", '.'}, {"tlhyph", '-'},
        {"tlul", '_'},  {"tlth", '_'},   {"tleq", '='}};
    for (const auto& [word, leader] : Leaders) {
        if (name == word) {
            g.para.pendingTabLeader = leader;
            return true;
        }
    }
    if (name == "s") {
        g.para.style = std::clamp(token.param, 0, 32767);
    } else if (name == "cs") {
        g.chr.style = std::clamp(token.param, 0, 32767);
    } else if (name == "chshdng") {
        g.chr.shading = std::clamp(token.param, 0, 10000);
    } else if (name == "chcfpat") {
        g.chr.shadingPattern = std::max(0, token.param);
    } else if (name == "keep") {
        g.para.keep = on;
    } else if (name == "keepn") {
        g.para.keepNext = on;
    } else if (name == "expndtw") {
        g.chr.spacingTwips = clampTwips(token.param);
    } else if (name == "expnd") {
        g.chr.spacingTwips = clampTwips(token.param * 5); // quarter points
    } else if (name == "af") {
        if (g.assocDbch)
            g.chr.eastAsianFont = token.param;
    } else {
        return false;
    }
    return true;
}

// A field ends. One whose result showed nothing is kept whole (a SYMBOL field shows its
// character), so that it is written back.
void Reader::finishField(const Group& popped)
{
    flushPending();
    const Field& field = m_fields.back();
    if (m_model.text.size() != field.textStart || !m_poppedAtBrace)
        return;
    if (const auto symbol = symbolField(field.instruction);
        symbol && !field.instructionGroup.isEmpty()) {
        insertSymbol(*symbol);
        return;
    }
    const QByteArray bytes = bytesOf(popped);
    if (!bytes.isEmpty())
        keepCarried(bytes, carried::Placement::Inline, "field");
}

void Reader::insertSymbol(const SymbolField& symbol)
{
    if (static_cast<int>(m_fieldGroups.size()) >= MaxLinks)
        return;
    m_fieldGroups.push_back(m_fields.back().instructionGroup);
    CharState state = top().chr;
    state.field = static_cast<int>(m_fieldGroups.size()) - 1;
    QTextCharFormat format = m_model.charFormats[static_cast<size_t>(charFormatFor(state))];
    if (!symbol.font.isEmpty())
        format.setFontFamilies(QStringList{symbol.font});
    if (symbol.pointSize > 0)
        format.setFontPointSize(symbol.pointSize);
    closeRun();
    const int at = static_cast<int>(m_model.text.size());
    const int formatIndex = static_cast<int>(m_model.charFormats.size());
    m_model.charFormats.push_back(format);
    m_model.text.append(symbol.character);
    m_model.runs.push_back(Run{at, static_cast<int>(symbol.character.size()), formatIndex});
}

// The document-wide part: kept when the document carries something, with the font and colour
// tables that carried bytes refer to.
void Reader::finishDocumentGroups()
{
    carried::DocumentGroups& groups = m_documentGroups;
    groups.firstSection =
        QByteArray(m_firstSectionWords.data(), static_cast<qsizetype>(m_firstSectionWords.size()));
    const bool carriesBytes =
        groups.carriesBytes() || m_carriedObjects > 0 || !m_fieldGroups.empty();
    if (!carriesBytes && !groups.page.isGiven() && groups.firstSection.isEmpty())
        return;
    if (carriesBytes) {
        QList<int> numbers = m_fontIndex.keys();
        std::sort(numbers.begin(), numbers.end());
        for (int number : numbers) {
            FontEntry& font = m_fonts[static_cast<size_t>(m_fontIndex.value(number))];
            decodeFontName(font);
            groups.fonts.push_back(carried::FontEntry{number, font.name, font.charset, font.cpg});
        }
        for (size_t i = 1; i < m_colors.size(); ++i)
            groups.colors.push_back(m_colors[i]);
        groups.defaultFont = m_defaultFont == NoFont ? 0 : m_defaultFont;
        groups.codePage = m_documentCodePage;
    }
    m_model.documentGroups = std::move(groups);
}

} // namespace

Model parse(const QByteArray& bytes)
{
    Reader reader(bytes);
    return reader.run();
}

} // namespace rtf::detail
