#include "platform/rtf/RtfCarriedGroups.h"

#include <QTextDocument>
#include <QVariant>

#include <algorithm>
#include <array>

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

bool isInlineObject(const QTextFormat& format)
{
    return format.objectType() == InlineObjectType;
}

} // namespace carried
