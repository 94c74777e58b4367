#include "platform/rtf/RtfCarriedGroups.h"

#include "platform/rtf/Rtf.h"

#include <QTextDocument>
#include <QVariant>

#include <algorithm>
#include <array>
#include <cctype>

namespace carried
{

namespace
{

constexpr char DocumentProperty[] = "wordlarkDocumentGroups";

template <size_t N>
bool isOneOf(std::string_view name, const std::array<std::string_view, N>& names)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Groups whose meaning the reader takes into the document, or that only stand in for what the
// document holds otherwise (list tags name lists the writer writes its own way): writing them
// back would say something twice.
constexpr std::array<std::string_view, 9> Dropped = {
    "defchp", "defpap",         "generator", "nonesttables", "pntxta",
    "pntxtb", "nesttableprops", "listtag",   "abilistid",
};

// Document-level groups that belong to the section: they follow the page setup.
constexpr std::array<std::string_view, 14> SectionGroups = {
    "header",  "headerl", "headerr", "headerf", "footer",  "footerl",  "footerr",
    "footerf", "ftnsep",  "ftnsepc", "ftncn",   "aftnsep", "aftnsepc", "aftncn",
};

// Groups that describe the whole document wherever they stand in its group.
constexpr std::array<std::string_view, 20> DocumentGroupNames = {
    "info",        "stylesheet",   "themedata",        "colorschememapping",
    "datastore",   "latentstyles", "xmlnstbl",         "rsidtbl",
    "mmathPr",     "userprops",    "docvar",           "wgrffmtfilter",
    "pgdsctbl",    "revtbl",       "pnseclvl",         "template",
    "protusertbl", "background",   "expandedcolortbl", "filetbl",
};

// Inline groups that show something: a comment, drawings, and headers of later sections.
constexpr std::array<std::string_view, 12> MarkedGroups = {
    "annotation", "do",      "header",  "headerl", "headerr", "headerf",
    "footer",     "footerl", "footerr", "footerf", "object",  "shp",
};

// The content of the first group in `bytes` that starts with the destination `word`, without its
// braces and word; empty when there is none.
QByteArray groupContent(const QByteArray& bytes, const QByteArray& word)
{
    const QByteArray opening = "{\\" + word;
    for (qsizetype at = bytes.indexOf(opening); at >= 0; at = bytes.indexOf(opening, at + 1)) {
        const qsizetype start = at + opening.size();
        if (start < bytes.size() && std::isalpha(static_cast<unsigned char>(bytes[start])))
            continue; // a longer word
        int depth = 1;
        for (qsizetype i = start; i < bytes.size(); ++i) {
            if (bytes[i] == '\\')
                ++i;
            else if (bytes[i] == '{')
                ++depth;
            else if (bytes[i] == '}' && --depth == 0)
                return bytes.mid(start, i - start);
        }
        return QByteArray();
    }
    return QByteArray();
}

// The font table the carried bytes refer to, as RTF.
QByteArray fontTable(const DocumentGroups& groups)
{
    QByteArray out = "{\\fonttbl";
    for (const FontEntry& font : groups.fonts) {
        out += "{\\f" + QByteArray::number(font.number) + "\\fcharset" +
               QByteArray::number(std::max(0, font.charset)) + ' ';
        QString name = font.name;
        name.remove(u';');
        out += name.toLatin1() + ";}";
    }
    return out + '}';
}

// Control words whose number names a font, and those whose number names a colour.
constexpr auto FontWords = std::to_array<std::string_view>({"f", "af"});
constexpr auto ColorWords = std::to_array<std::string_view>({
    "cf",         "cb",    "highlight", "chcbpat", "chcfpat", "ulc",      "brdrcf",
    "cbpat",      "cfpat", "clcbpat",   "clcfpat", "trcbpat", "trcfpat",  "clcbpatraw",
    "clcfpatraw", "pncf",  "levelcf",   "tscbpat", "tscfpat", "tsbrdrcf",
});

// Control words whose number names a style.
constexpr auto StyleWords =
    std::to_array<std::string_view>({"s", "cs", "ds", "ts", "sbasedon", "snext", "slink"});

// `bytes` with the number of each control word replaced by what `newNumber(word, number)` says
// (nothing: it stays). Text, braces, control symbols (\\, \{, \'xx) and \bin data pass as they are.
template <typename NewNumber>
QByteArray rewriteNumbers(const QByteArray& bytes, NewNumber&& newNumber)
{
    QByteArray out;
    out.reserve(bytes.size() + 16);
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        if (bytes[i] != '\\' || i + 1 >= n ||
            !std::isalpha(static_cast<unsigned char>(bytes[i + 1]))) {
            const qsizetype length = bytes[i] == '\\' && i + 1 < n ? 2 : 1;
            out.append(bytes.constData() + i, length);
            i += length;
            continue;
        }
        qsizetype end = i + 1;
        while (end < n && std::isalpha(static_cast<unsigned char>(bytes[end])))
            ++end;
        const std::string_view word(bytes.constData() + i + 1, static_cast<size_t>(end - i - 1));
        qsizetype digits = end;
        if (digits < n && bytes[digits] == '-')
            ++digits;
        while (digits < n && std::isdigit(static_cast<unsigned char>(bytes[digits])))
            ++digits;
        const QByteArray number = bytes.mid(end, digits - end);
        bool ok = false;
        const int value = number.toInt(&ok);
        const std::optional<int> replaced = ok ? newNumber(word, value) : std::nullopt;
        out.append(bytes.constData() + i, end - i);
        out += replaced ? QByteArray::number(*replaced) : number;
        i = digits;
        if (word == "bin" && ok && value > 0) {
            // Binary data follows the word's delimiting space.
            const qsizetype data = std::min(n, i + (i < n && bytes[i] == ' ' ? 1 : 0) + value);
            out.append(bytes.constData() + i, data - i);
            i = data;
        }
    }
    return out;
}

int appendFont(DocumentGroups& target, const FontEntry& font)
{
    int number = 0;
    for (const FontEntry& each : target.fonts)
        number = std::max(number, each.number + 1);
    target.fonts.push_back(font);
    target.fonts.back().number = number;
    return number;
}

int lookRank(Look look)
{
    return static_cast<int>(look);
}

} // namespace

Placement placementFor(std::string_view name, bool documentLevel)
{
    if (isOneOf(name, Dropped))
        return Placement::Drop;
    if (!documentLevel)
        return Placement::Inline;
    return isOneOf(name, SectionGroups) ? Placement::Section : Placement::Tables;
}

bool belongsToDocument(std::string_view name)
{
    return isOneOf(name, DocumentGroupNames);
}

Look lookFor(std::string_view name)
{
    if (name == "footnote")
        return Look::Reference;
    // Bookmarks, index entries, revision data, hidden text and whatever the reader does not know
    // show nothing.
    return isOneOf(name, MarkedGroups) ? Look::Marker : Look::Hidden;
}

std::optional<DocumentGroups> documentGroups(const QTextDocument& document)
{
    const QVariant value = document.property(DocumentProperty);
    if (!value.canConvert<DocumentGroups>())
        return std::nullopt;
    return value.value<DocumentGroups>();
}

void setDocumentGroups(QTextDocument& document, const DocumentGroups& groups)
{
    document.setProperty(DocumentProperty, QVariant::fromValue(groups));
}

void clearDocumentGroups(QTextDocument& document)
{
    document.setProperty(DocumentProperty, QVariant());
}

QString headerFooterText(const DocumentGroups& groups, bool footer)
{
    const char* const kinds[] = {"", "r", "f", "l"};
    for (const char* kind : kinds) {
        const QByteArray content =
            groupContent(groups.sections, QByteArray(footer ? "footer" : "header") + kind);
        if (content.isEmpty())
            continue;
        const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg" + QByteArray::number(groups.codePage) +
                               "\\deff" + QByteArray::number(groups.defaultFont) +
                               fontTable(groups) + ' ' + content + '}';
        QTextDocument document;
        try {
            rtf::read(rtf, document);
        } catch (const rtf::FormatError&) {
            continue;
        }
        QString text = document.toPlainText();
        text.remove(QChar::ObjectReplacementCharacter);
        return text.simplified();
    }
    return QString();
}

QTextCharFormat inlineFormat(const QByteArray& bytes, Look look, const QString& label)
{
    QTextCharFormat format;
    format.setObjectType(InlineObjectType);
    format.setProperty(GroupBytes, bytes);
    format.setProperty(LookProperty, static_cast<int>(look));
    if (!label.isEmpty())
        format.setProperty(Label, label);
    return format;
}

void appendInline(QTextCharFormat& format, const QByteArray& bytes, Look look, const QString& label)
{
    format.setProperty(GroupBytes, format.property(GroupBytes).toByteArray() + bytes);
    const Look now = static_cast<Look>(format.intProperty(LookProperty));
    if (lookRank(look) > lookRank(now)) {
        format.setProperty(LookProperty, static_cast<int>(look));
        format.setProperty(Label, label);
    }
}

bool Renumbering::changesNothing() const
{
    for (auto it = fonts.constBegin(); it != fonts.constEnd(); ++it)
        if (it.key() != it.value())
            return false;
    for (auto it = colors.constBegin(); it != colors.constEnd(); ++it)
        if (it.key() != it.value())
            return false;
    for (auto it = styles.constBegin(); it != styles.constEnd(); ++it)
        if (it.key() != it.value())
            return false;
    return true;
}

Renumbering mergeTables(DocumentGroups& target, const DocumentGroups& source)
{
    Renumbering out;
    for (const FontEntry& font : source.fonts) {
        const auto same =
            std::find_if(target.fonts.begin(), target.fonts.end(), [&font](const FontEntry& each) {
                // A font without a character set is written back with the default one, 0.
                return each.name == font.name &&
                       std::max(0, each.charset) == std::max(0, font.charset);
            });
        out.fonts.insert(font.number,
                         same != target.fonts.end() ? same->number : appendFont(target, font));
    }
    out.colors.insert(0, 0);
    for (size_t i = 0; i < source.colors.size(); ++i) {
        const QColor& color = source.colors[i];
        auto same = std::find(target.colors.begin(), target.colors.end(), color);
        if (same == target.colors.end()) {
            target.colors.push_back(color);
            same = target.colors.end() - 1;
        }
        out.colors.insert(static_cast<int>(i) + 1,
                          static_cast<int>(same - target.colors.begin()) + 1);
    }
    return out;
}

QByteArray renumbered(const QByteArray& bytes, const Renumbering& renumbering)
{
    return rewriteNumbers(bytes, [&renumbering](std::string_view word, int value) {
        const QHash<int, int>* table = isOneOf(word, FontWords)    ? &renumbering.fonts
                                       : isOneOf(word, ColorWords) ? &renumbering.colors
                                       : isOneOf(word, StyleWords) ? &renumbering.styles
                                                                   : nullptr;
        return table && table->contains(value) ? std::optional<int>(table->value(value))
                                               : std::nullopt;
    });
}

QSet<int> styleNumbersIn(const QByteArray& bytes)
{
    QSet<int> out;
    rewriteNumbers(bytes, [&out](std::string_view word, int value) {
        if (isOneOf(word, StyleWords))
            out.insert(value);
        return std::optional<int>();
    });
    return out;
}

bool isInlineObject(const QTextFormat& format)
{
    return format.objectType() == InlineObjectType;
}

} // namespace carried
