#pragma once

#include "platform/rtf/RtfPageSetup.h"

#include <QByteArray>
#include <QColor>
#include <QHash>
#include <QMetaType>
#include <QSet>
#include <QString>
#include <QTextCharFormat>
#include <QTextFormat>

#include <optional>
#include <string_view>
#include <vector>

class QTextDocument;

// What Wordlark keeps of a document that the editor cannot show: RTF groups carried through as the
// exact bytes that were read, and written back in their place.
//
// Document-level groups (the stylesheet, the document information, headers and footers, unknown
// destinations before the text) live in one document-wide value, together with the font and colour
// tables those bytes refer to and the page setup. Inline groups (footnotes, bookmarks, comments,
// index entries ...) ride on an object replacement character that stands where the group stood, so
// editing, the clipboard and the undo snapshot carry them with the text that holds them.
namespace carried
{

// The object type of a character that stands for inline groups.
constexpr int InlineObjectType = QTextFormat::UserObject + 1;

// Property numbers 50 and up, clear of the document's own (DocumentFormat.h).
// Properties of that character: the groups' bytes, how it is drawn and the label drawn for it.
constexpr int GroupBytes = QTextFormat::UserProperty + 50;
constexpr int LookProperty = QTextFormat::UserProperty + 51;
constexpr int Label = QTextFormat::UserProperty + 52;

// Character property of a field's result text: the field's instruction group as read
// (`{\*\fldinst ...}`), so that the text is written back as the same field.
constexpr int FieldInstruction = QTextFormat::UserProperty + 53;

// Image property: the object or shape group (`{\object ...}`, `{\shp ...}`) the picture was shown
// from, written back instead of the picture alone.
constexpr int ObjectBytes = QTextFormat::UserProperty + 54;

// Paragraph property of the first paragraph of a section after the first: the section's words as
// read (`\sbkpage\pgwsxn11906...`, empty for a plain new page), written back as
// `\sect\sectd` and those words before the paragraph.
constexpr int SectionWords = QTextFormat::UserProperty + 55;
// With it, a number that tells the section from the others: a paragraph split off the section's
// first one keeps the same number and does not begin another section.
constexpr int SectionNumber = QTextFormat::UserProperty + 59;

// Whether a paragraph with format `f` begins a section, after a paragraph of section `previous`:
// it carries section words under a number of its own.
inline bool beginsSection(const QTextFormat& f, int previous)
{
    return f.hasProperty(SectionWords) && f.intProperty(SectionNumber) != previous;
}

// Paragraph properties of the paragraphs of a text box: the shape's bytes before and after its
// text (`{\shp{\*\shpinst ... {\shptxt ` and `}}`, one QByteArray each; an old drawing object's
// `{\*\do ... {\dptxbxtext ` and its rest alike) and a number that tells one box from
// the next; consecutive paragraphs with the same number are written back inside one shape.
constexpr int TextBoxOpening = QTextFormat::UserProperty + 56;
constexpr int TextBoxClosing = QTextFormat::UserProperty + 57;
constexpr int TextBoxNumber = QTextFormat::UserProperty + 58;

// How an inline group shows in the text.
enum class Look : int {
    Hidden = 0,    // nothing: bookmarks, index entries, revision data
    Marker = 1,    // a small box: comments and groups of unknown meaning
    Reference = 2, // its label, raised: a footnote's or endnote's number
};

// Where a group that the editor cannot show goes.
enum class Placement {
    Drop,    // nothing is kept (its meaning is taken into the document, or it is a fallback)
    Tables,  // document-level, with the stylesheet and the information
    Section, // document-level, after the page setup: headers, footers, note separators
    Inline,  // at the character where it stood
};

// Where a group with destination word `name` goes; `documentLevel` when it stands directly in the
// document's group before any text.
Placement placementFor(std::string_view name, bool documentLevel);

// Whether a group with destination word `name` belongs to the document wherever it stands in the
// document's group (the information, the stylesheet, theme and data stores ...).
bool belongsToDocument(std::string_view name);

// How an inline group with destination word `name` shows.
Look lookFor(std::string_view name);

struct FontEntry {
    int number = 0;
    QString name;
    int charset = -1;
    int codePage = 0;
    bool operator==(const FontEntry&) const = default;
};

// The document-wide part of what is carried.
struct DocumentGroups {
    QByteArray tables;   // written after the colour table
    QByteArray sections; // written after the page setup
    // The font and colour tables as read: carried bytes name fonts and colours by number.
    std::vector<FontEntry> fonts;
    std::vector<QColor> colors; // entries 1.. (entry 0 is automatic); invalid = automatic
    int defaultFont = 0;
    int codePage = 1252;
    pagesetup::PageSetup page; // the document's own words
    // The first section's words as read (`\cols2\pgwsxn11906...`): its page is the document's
    // with these over it.
    QByteArray firstSection;

    bool carriesBytes() const { return !tables.isEmpty() || !sections.isEmpty(); }
};

// The document-wide value of `document`; none for a new document.
std::optional<DocumentGroups> documentGroups(const QTextDocument& document);
void setDocumentGroups(QTextDocument& document, const DocumentGroups& groups);
void clearDocumentGroups(QTextDocument& document);

// Where the font, colour and style numbers of one document's tables are in another's.
struct Renumbering {
    QHash<int, int> fonts;
    QHash<int, int> colors;
    QHash<int, int> styles;
    bool changesNothing() const;
};

// Adds to `target` the fonts and colours of `source` it lacks (a font by its name and character
// set, a colour by its value) and says where each of the source's numbers is in `target`.
Renumbering mergeTables(DocumentGroups& target, const DocumentGroups& source);

// `bytes` with the numbers of their font, colour and style words (\f, \af, \cf, \highlight, \s,
// \cs, \sbasedon ...) as `renumbering` says; numbers it does not know stay. \bin data and escaped
// characters are left alone.
QByteArray renumbered(const QByteArray& bytes, const Renumbering& renumbering);

// The style numbers that the style words of `bytes` name.
QSet<int> styleNumbersIn(const QByteArray& bytes);

// The text of the document's header (or footer) as one line, for printing: the header of every
// page when the document has one, else of the right-hand or the first page; empty when none.
QString headerFooterText(const DocumentGroups& groups, bool footer);

// The character format of a character that stands for the inline `bytes`.
QTextCharFormat inlineFormat(const QByteArray& bytes, Look look, const QString& label);

// Adds `bytes` after the groups `format` already stands for; the more visible look wins.
void appendInline(QTextCharFormat& format, const QByteArray& bytes, Look look,
                  const QString& label);

bool isInlineObject(const QTextFormat& format);

} // namespace carried

Q_DECLARE_METATYPE(carried::DocumentGroups)
