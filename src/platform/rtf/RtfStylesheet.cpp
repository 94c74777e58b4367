#include "platform/rtf/RtfStylesheet.h"

#include "platform/rtf/RtfTokenizer.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <limits>
#include <string_view>

namespace carried
{

namespace
{

constexpr std::string_view StylesheetOpening = "{\\stylesheet";

struct StyleEntry {
    std::string_view kind = "s"; // s: paragraph, cs: character, ts: table, ds: section
    int number = 0;
    QByteArray name;
    QByteArray bytes; // the entry's group, braces included
};

bool isStyleKind(std::string_view word)
{
    return word == "s" || word == "cs" || word == "ts" || word == "ds";
}

// Where the stylesheet group starts in `tables`, or -1.
qsizetype stylesheetStart(const QByteArray& tables)
{
    const QByteArray opening(StylesheetOpening.data(), qsizetype(StylesheetOpening.size()));
    for (qsizetype at = tables.indexOf(opening); at >= 0; at = tables.indexOf(opening, at + 1)) {
        const qsizetype next = at + opening.size();
        if (next >= tables.size() || !std::isalpha(static_cast<unsigned char>(tables[next])))
            return at;
    }
    return -1;
}

// The byte after the group that opens at `start`, or -1 when it does not close.
qsizetype groupEnd(const QByteArray& bytes, qsizetype start)
{
    rtf::Tokenizer tokens(bytes.constData() + start, size_t(bytes.size() - start));
    rtf::Token token;
    int depth = 0;
    for (tokens.next(token); token.type != rtf::TokenType::End; tokens.next(token)) {
        if (token.type == rtf::TokenType::GroupStart)
            ++depth;
        else if (token.type == rtf::TokenType::GroupEnd && --depth == 0)
            return tokens.position() - bytes.constData();
    }
    return -1;
}

// The kind, number and name of one entry: its first style word, and its text up to the `;`.
StyleEntry entryOf(const QByteArray& bytes)
{
    StyleEntry entry;
    entry.bytes = bytes;
    bool numbered = false;
    rtf::Tokenizer tokens(bytes.constData(), size_t(bytes.size()));
    rtf::Token token;
    int depth = 0;
    for (tokens.next(token); token.type != rtf::TokenType::End; tokens.next(token)) {
        if (token.type == rtf::TokenType::GroupStart)
            ++depth;
        else if (token.type == rtf::TokenType::GroupEnd)
            --depth;
        else if (depth != 1)
            continue;
        else if (token.type == rtf::TokenType::Word && !numbered && token.hasParam) {
            const std::string_view word(token.data, size_t(token.length));
            if (isStyleKind(word)) {
                entry.kind = word == "s" ? "s" : word == "cs" ? "cs" : word == "ts" ? "ts" : "ds";
                entry.number = token.param;
                numbered = true;
            }
        } else if (token.type == rtf::TokenType::Text) {
            entry.name.append(token.data, token.length);
        } else if (token.type == rtf::TokenType::HexByte) {
            entry.name.append(char(token.byte));
        }
    }
    const qsizetype end = entry.name.indexOf(';');
    if (end >= 0)
        entry.name.truncate(end);
    entry.name = entry.name.trimmed();
    return entry;
}

// The entries of the stylesheet in `tables`, in order.
QList<StyleEntry> entriesOf(const QByteArray& tables)
{
    QList<StyleEntry> out;
    const QByteArray sheet = stylesheetOf(tables);
    qsizetype at = qsizetype(StylesheetOpening.size());
    while ((at = sheet.indexOf('{', at)) >= 0) {
        const qsizetype end = groupEnd(sheet, at);
        if (end < 0)
            break;
        out.append(entryOf(sheet.mid(at, end - at)));
        at = end;
    }
    return out;
}

// Where a stylesheet's entries are found by number and by kind and name. Names are compared as
// word processors do: "heading 1" is "Heading 1".
class StyleIndex
{
public:
    explicit StyleIndex(const QList<StyleEntry>& entries)
    {
        for (const StyleEntry& entry : entries) {
            m_byNumber.insert(entry.number, &entry);
            m_byName.insert(nameKey(entry), entry.number);
            m_last = std::max(m_last, entry.number);
        }
    }
    const StyleEntry* withNumber(int number) const { return m_byNumber.value(number); }
    // The number of the entry of the same kind and name as `style`, or -1.
    int numberOfSame(const StyleEntry& style) const { return m_byName.value(nameKey(style), -1); }
    bool has(int number) const { return m_byNumber.contains(number); }
    int lastNumber() const { return m_last; }

private:
    static QByteArray nameKey(const StyleEntry& entry)
    {
        return QByteArray(entry.kind.data(), qsizetype(entry.kind.size())) + ' ' +
               entry.name.toLower();
    }
    QHash<int, const StyleEntry*> m_byNumber;
    QHash<QByteArray, int> m_byName;
    int m_last = 0;
};

// `tables` with `entries` added at the end of its stylesheet, which is made when there is none.
QByteArray withEntries(const QByteArray& tables, const QByteArray& entries)
{
    const qsizetype start = stylesheetStart(tables);
    const qsizetype end = start >= 0 ? groupEnd(tables, start) : -1;
    if (end < 0)
        return QByteArray(StylesheetOpening.data(), qsizetype(StylesheetOpening.size())) + entries +
               "}\n" + tables;
    QByteArray out = tables;
    out.insert(end - 1, entries);
    return out;
}

} // namespace

QByteArray stylesheetOf(const QByteArray& tables)
{
    const qsizetype start = stylesheetStart(tables);
    const qsizetype end = start >= 0 ? groupEnd(tables, start) : -1;
    return end >= 0 ? tables.mid(start, end - start) : QByteArray();
}

void mergeStyles(DocumentGroups& target, const DocumentGroups& source, const QSet<int>& used,
                 Renumbering& renumbering)
{
    const QList<StyleEntry> fromEntries = entriesOf(source.tables);
    const QList<StyleEntry> intoEntries = entriesOf(target.tables);
    const StyleIndex from(fromEntries);
    const StyleIndex into(intoEntries);
    int last = into.lastNumber();
    QList<const StyleEntry*> added;
    QList<int> pending(used.begin(), used.end());
    std::sort(pending.begin(), pending.end());
    renumbering.styles.insert(0, 0);
    while (!pending.isEmpty()) {
        const int number = pending.takeFirst();
        if (renumbering.styles.contains(number))
            continue;
        const StyleEntry* style = from.withNumber(number);
        if (!style)
            continue;
        if (const int same = into.numberOfSame(*style); same >= 0) {
            renumbering.styles.insert(number, same);
            continue;
        }
        if (last == std::numeric_limits<int>::max())
            continue; // no number left: the style is not taken over
        renumbering.styles.insert(number, ++last);
        added.append(style);
        // The styles it names come with it.
        QList<int> named = styleNumbersIn(style->bytes).values();
        std::sort(named.begin(), named.end());
        pending += named;
    }
    if (added.isEmpty())
        return;
    // A stylesheet made here begins with the default paragraph style the others are based on.
    if (!into.has(0))
        if (const StyleEntry* normal = from.withNumber(0))
            added.prepend(normal);
    QByteArray entries;
    for (const StyleEntry* style : added)
        entries += renumbered(style->bytes, renumbering);
    target.tables = withEntries(target.tables, entries);
}

} // namespace carried
