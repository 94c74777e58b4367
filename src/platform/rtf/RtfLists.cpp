#include "platform/rtf/RtfLists.h"

#include "platform/document/DocumentFormat.h"
#include "platform/document/ListNumbering.h"

#include <QTextBlock>
#include <QTextList>

#include <algorithm>
#include <climits>

namespace rtf::detail
{

namespace
{

constexpr int MaxLists = 4096;
constexpr int MaxOverrides = 16384;
constexpr int MaxModelLists = 65536;
constexpr int MaxLevelText = 64;
constexpr int MaxStart = 32767;

QTextListFormat::Style styleFor(int nfc)
{
    switch (nfc) {
    case NfcUpperRoman:
        return QTextListFormat::ListUpperRoman;
    case NfcLowerRoman:
        return QTextListFormat::ListLowerRoman;
    case NfcUpperLetter:
        return QTextListFormat::ListUpperAlpha;
    case NfcLowerLetter:
        return QTextListFormat::ListLowerAlpha;
    case NfcBullet:
        return QTextListFormat::ListDisc;
    case NfcNone:
        return QTextListFormat::ListStyleUndefined;
    default:
        return QTextListFormat::ListDecimal;
    }
}

int nfcFor(QTextListFormat::Style style)
{
    switch (style) {
    case QTextListFormat::ListUpperRoman:
        return NfcUpperRoman;
    case QTextListFormat::ListLowerRoman:
        return NfcLowerRoman;
    case QTextListFormat::ListUpperAlpha:
        return NfcUpperLetter;
    case QTextListFormat::ListLowerAlpha:
        return NfcLowerLetter;
    case QTextListFormat::ListDisc:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListSquare:
        return NfcBullet;
    case QTextListFormat::ListStyleUndefined:
        return NfcNone;
    default:
        return NfcDecimal;
    }
}

bool isPlaceholder(QChar c)
{
    return c.unicode() < 9;
}

// The level text without its leading length and trailing ';'.
QString levelTextBody(const QString& raw)
{
    if (raw.isEmpty())
        return QString();
    const int length = raw.front().unicode();
    QString body = raw.mid(1, length);
    if (body.size() < length && body.endsWith(u';'))
        body.chop(1); // a length that claims more than there is
    return body;
}

// How many indent steps beyond its level a list needs so that its widest numbers stay clear of
// the window's edge: a step is 40 pixels, a character of the level text about 9 at the common
// sizes, a number about three; the level gives one step per level.
int extraIndentFor(const QString& body, int level)
{
    constexpr int Step = 40;
    constexpr int CharWidth = 9;
    qsizetype chars = 0;
    for (QChar c : body)
        chars += isPlaceholder(c) ? 3 : 1;
    const int needed = static_cast<int>(chars) * CharWidth + CharWidth / 2;
    return std::max(0, (needed + Step - 1) / Step - (level + 1));
}

// "%1.%2." for a body with placeholders 0 and 1.
QString templateOf(const QString& body)
{
    QString out;
    for (QChar c : body) {
        if (isPlaceholder(c))
            out += u'%' + QString::number(c.unicode() + 1);
        else if (c == u'%')
            out += QStringLiteral("%%");
        else
            out += c;
    }
    return out;
}

} // namespace

QTextListFormat listFormatFor(int nfc, const QString& body, int level, int start, int group)
{
    QTextListFormat f;
    const QTextListFormat::Style style = styleFor(nfc);
    if (style == QTextListFormat::ListDisc)
        f.setStyle(style);
    else
        docformat::setListNumberStyle(f, style);
    f.setProperty(docformat::ListLevel, level);
    f.setIndent(level + 1 + extraIndentFor(body, level));
    // The number's own placeholder and the text around it up to the next number are the prefix
    // and suffix; the whole level text is kept too, and drawn.
    const qsizetype own = body.indexOf(QChar(static_cast<char16_t>(level)));
    QString prefix;
    QString suffix;
    if (own >= 0) {
        qsizetype from = own;
        while (from > 0 && !isPlaceholder(body[from - 1]))
            --from;
        prefix = from == 0 ? body.left(own) : QString();
        qsizetype to = own + 1;
        while (to < body.size() && !isPlaceholder(body[to]))
            ++to;
        suffix = body.mid(own + 1, to - own - 1);
    }
    f.setNumberPrefix(prefix);
    f.setNumberSuffix(suffix);
    if (start != 1)
        f.setProperty(docformat::ListStart, start);
    if (!body.isEmpty())
        f.setProperty(docformat::ListLevelText, templateOf(body));
    f.setProperty(docformat::ListGroup, group);
    return f;
}

// ---- Reading -----------------------------------------------------------------------------------

void ListReader::beginList()
{
    m_currentList = -1;
    if (static_cast<int>(m_lists.size()) < MaxLists) {
        m_currentList = static_cast<int>(m_lists.size());
        m_lists.emplace_back();
    }
}

void ListReader::beginLevel()
{
    m_currentLevel = -1;
    if (m_currentList >= 0 && m_lists[static_cast<size_t>(m_currentList)].levels < 9)
        m_currentLevel = m_lists[static_cast<size_t>(m_currentList)].levels++;
}

void ListReader::onListWord(Kw kw, int param)
{
    if (m_currentList < 0)
        return;
    List& list = m_lists[static_cast<size_t>(m_currentList)];
    if (kw == Kw::ListId) {
        list.id = param;
        m_listById.insert(param, m_currentList);
        return;
    }
    if (m_currentLevel < 0)
        return;
    Level& level = list.level[m_currentLevel];
    switch (kw) {
    case Kw::LevelNfc:
    case Kw::LevelNfcN:
        level.nfc = std::clamp(param, 0, 255);
        break;
    case Kw::LevelStartAt:
        level.start = std::clamp(param, 0, MaxStart);
        level.startGiven = true;
        break;
    default:
        break;
    }
}

void ListReader::appendLevelText(QChar c)
{
    if (m_currentList < 0 || m_currentLevel < 0)
        return;
    Level& level = m_lists[static_cast<size_t>(m_currentList)].level[m_currentLevel];
    if (level.text.size() < MaxLevelText)
        level.text += c;
    level.hasText = true;
}

void ListReader::beginOverride()
{
    m_currentOverride = Override();
    m_overrideLevel = -1;
}

void ListReader::onOverrideWord(Kw kw, int param)
{
    switch (kw) {
    case Kw::ListId:
        m_currentOverride.listId = param;
        break;
    case Kw::Lfolevel:
        m_overrideLevel = std::min(m_overrideLevel + 1, 8);
        break;
    case Kw::LevelStartAt:
    case Kw::ListOverrideStartAt:
        if (kw == Kw::LevelStartAt && m_overrideLevel >= 0)
            m_currentOverride.start[m_overrideLevel] = std::clamp(param, 0, MaxStart) + 1;
        break;
    case Kw::Ls:
        if (m_overrides.size() < MaxOverrides)
            m_overrides.insert(param, m_currentOverride);
        break;
    default:
        break;
    }
}

const ListReader::Level* ListReader::levelOf(int ls, int ilvl, const Override** override) const
{
    if (ls <= 0 || ilvl < 0 || ilvl >= 9)
        return nullptr;
    auto o = m_overrides.constFind(ls);
    if (o == m_overrides.constEnd())
        return nullptr;
    auto list = m_listById.constFind(o.value().listId);
    if (list == m_listById.constEnd())
        return nullptr;
    if (override)
        *override = &o.value();
    return &m_lists[static_cast<size_t>(list.value())].level[ilvl];
}

bool ListReader::isBullet(int ls, int ilvl) const
{
    const Level* level = levelOf(ls, ilvl, nullptr);
    return level && level->nfc == NfcBullet;
}

int ListReader::addList(const QTextListFormat& format)
{
    if (static_cast<int>(m_model.lists.size()) >= MaxModelLists)
        return -1;
    m_model.lists.push_back(format);
    return static_cast<int>(m_model.lists.size()) - 1;
}

int ListReader::numberedList(int ls, int ilvl)
{
    const qint64 key = (static_cast<qint64>(ls) << 4) | ilvl;
    if (auto made = m_madeLists.constFind(key); made != m_madeLists.constEnd())
        return made.value();
    const Override* override = nullptr;
    const Level* level = levelOf(ls, ilvl, &override);
    if (!level || level->nfc == NfcBullet)
        return -1;
    const int start = override->start[ilvl] > 0 ? override->start[ilvl] - 1 : level->start;
    QString body = levelTextBody(level->text);
    if (!level->hasText)
        body = QString(QChar(static_cast<char16_t>(ilvl))) + u'.';
    const int index = addList(listFormatFor(level->nfc, body, ilvl, start, ls));
    m_madeLists.insert(key, index);
    return index;
}

void ListReader::beginPn(PnState& pn)
{
    pn = PnState();
    m_pnBefore.clear();
    m_pnAfter.clear();
}

void ListReader::onPnWord(Kw kw, int param, PnState& pn, int& ilvl)
{
    switch (kw) {
    case Kw::PnLvlBlt:
        pn.scheme = 1;
        break;
    case Kw::PnLvlBody:
        pn.scheme = 2;
        ilvl = 0;
        break;
    case Kw::PnLvl:
        pn.scheme = 2;
        ilvl = std::clamp(param - 1, 0, 8);
        break;
    case Kw::PnLvlCont:
        pn.scheme = 0;
        break;
    case Kw::PnDec:
        pn.nfc = NfcDecimal;
        break;
    case Kw::PnUcRm:
        pn.nfc = NfcUpperRoman;
        break;
    case Kw::PnLcRm:
        pn.nfc = NfcLowerRoman;
        break;
    case Kw::PnUcLtr:
        pn.nfc = NfcUpperLetter;
        break;
    case Kw::PnLcLtr:
        pn.nfc = NfcLowerLetter;
        break;
    case Kw::PnStart:
        pn.start = std::clamp(param, 0, MaxStart);
        break;
    default:
        break;
    }
}

void ListReader::appendPnText(bool before, QChar c)
{
    QString& text = before ? m_pnBefore : m_pnAfter;
    if (text.size() < MaxLevelText)
        text += c;
}

void ListReader::endPn(PnState& pn)
{
    if (m_pnBefore.isEmpty() && m_pnAfter.isEmpty())
        return;
    const std::pair<QString, QString> texts{m_pnBefore, m_pnAfter};
    auto found = std::find(m_pnTexts.begin(), m_pnTexts.end(), texts);
    if (found == m_pnTexts.end()) {
        if (m_pnTexts.size() >= static_cast<size_t>(MaxLists))
            return;
        found = m_pnTexts.insert(m_pnTexts.end(), texts);
    }
    pn.texts = static_cast<int>(found - m_pnTexts.begin());
}

int ListReader::pnList(const PnState& pn, int ilvl)
{
    QString before, after;
    if (pn.texts >= 0 && pn.texts < static_cast<int>(m_pnTexts.size()))
        std::tie(before, after) = m_pnTexts[static_cast<size_t>(pn.texts)];
    const QString key = QStringLiteral("%1|%2|%3|%4|%5")
                            .arg(ilvl)
                            .arg(pn.nfc)
                            .arg(pn.start)
                            .arg(pn.texts)
                            .arg(before.size());
    if (auto made = m_madePnLists.constFind(key); made != m_madePnLists.constEnd())
        return made.value();
    const QString body = before + QChar(static_cast<char16_t>(ilvl)) + after;
    const int index = addList(listFormatFor(pn.nfc, body, ilvl, pn.start, -1 - ilvl));
    m_madePnLists.insert(key, index);
    return index;
}

// ---- Writing -----------------------------------------------------------------------------------

ListTableWriter::Item ListTableWriter::itemFor(const QTextList& list)
{
    if (auto found = m_items.constFind(&list); found != m_items.constEnd())
        return found.value();
    const QTextListFormat format = list.format();
    const int level = docformat::listLevelOf(format);
    // Bullets need no numbering of their own: all of them are levels of one list. A numbered
    // list shares the RTF list its group names unless another list holds that level already.
    const bool bullet = nfcFor(docformat::listStyleOf(format)) == NfcBullet;
    const bool grouped = bullet || format.hasProperty(docformat::ListGroup);
    const int key = bullet ? INT_MIN : format.intProperty(docformat::ListGroup);
    int group = -1;
    if (grouped) {
        auto known = m_groupByKey.constFind(key);
        if (known != m_groupByKey.constEnd() &&
            (bullet || !m_groups[static_cast<size_t>(known.value())].used[level]))
            group = known.value();
    }
    if (group < 0) {
        group = static_cast<int>(m_groups.size());
        m_groups.emplace_back();
        m_groups.back().id = 1000 + group;
        if (grouped)
            m_groupByKey.insert(key, group);
    }
    Group& g = m_groups[static_cast<size_t>(group)];
    g.levels[level] = format;
    g.used[level] = true;
    const Item item{group + 1, level};
    m_items.insert(&list, item);
    return item;
}

namespace
{

void appendNumber(std::string& out, const char* word, int value)
{
    out += word;
    out += std::to_string(value);
}

void appendHexByte(std::string& out, int value)
{
    static constexpr char Digits[] = "0123456789abcdef";
    out += "\\'";
    out += Digits[(value >> 4) & 15];
    out += Digits[value & 15];
}

// {\leveltext ...}{\levelnumbers ...} for a template such as "%1.%2.".
void appendLevelText(std::string& out, const QString& pattern)
{
    std::string text;
    std::string numbers;
    int length = 0;
    for (qsizetype i = 0; i < pattern.size() && length < 255; ++i) {
        const QChar c = pattern[i];
        if (c == u'%' && i + 1 < pattern.size() && pattern[i + 1] >= u'1' &&
            pattern[i + 1] <= u'9') {
            appendHexByte(text, pattern[i + 1].unicode() - u'1');
            ++length;
            appendHexByte(numbers, length);
            ++i;
            continue;
        }
        if (c == u'%' && i + 1 < pattern.size() && pattern[i + 1] == u'%')
            ++i;
        const char16_t u = c.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            text += '\\';
            text += static_cast<char>(u);
        } else if (u >= 0x20 && u < 0x80) {
            text += static_cast<char>(u);
        } else {
            appendNumber(text, "\\u", static_cast<int16_t>(u));
            text += '?';
        }
        ++length;
    }
    out += "{\\leveltext";
    appendHexByte(out, length);
    out += text;
    out += ";}{\\levelnumbers";
    out += numbers;
    out += ";}";
}

} // namespace

std::string ListTableWriter::tables() const
{
    if (m_groups.empty())
        return std::string();
    std::string out = "{\\*\\listtable";
    for (const Group& g : m_groups) {
        out += "\n{\\list\\listtemplateid";
        out += std::to_string(g.id);
        for (int level = 0; level < 9; ++level) {
            const QTextListFormat& f = g.levels[level];
            const bool used = g.used[level];
            const int nfc = used ? nfcFor(docformat::listStyleOf(f)) : NfcDecimal;
            const int start = used ? docformat::listStartOf(f) : 1;
            QString pattern = used ? f.stringProperty(docformat::ListLevelText) : QString();
            if (nfc == NfcBullet)
                pattern = QString(QChar(0x2022));
            if (pattern.isEmpty()) {
                pattern = QStringLiteral("%1").arg(level + 1).prepend(u'%');
                if (used)
                    pattern = f.numberPrefix() + pattern + f.numberSuffix();
                else
                    pattern += u'.';
            }
            out += "{\\listlevel";
            appendNumber(out, "\\levelnfc", nfc);
            appendNumber(out, "\\levelnfcn", nfc);
            out += "\\leveljc0\\leveljcn0\\levelfollow0";
            appendNumber(out, "\\levelstartat", start);
            appendLevelText(out, pattern);
            appendNumber(out, "\\fi", -360);
            appendNumber(out, "\\li", 720 * (level + 1));
            out += '}';
        }
        appendNumber(out, "{\\listname ;}\\listid", g.id);
        out += '}';
    }
    out += "}\n{\\*\\listoverridetable";
    for (size_t i = 0; i < m_groups.size(); ++i) {
        appendNumber(out, "{\\listoverride\\listid", m_groups[i].id);
        appendNumber(out, "\\listoverridecount0\\ls", static_cast<int>(i) + 1);
        out += '}';
    }
    out += "}\n";
    return out;
}

} // namespace rtf::detail
