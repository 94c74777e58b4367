#include "platform/rtf/Rtf.h"

#include "platform/document/DocumentFormat.h"

#include "platform/rtf/RtfBuilder.h"
#include "platform/rtf/RtfModel.h"
#include "platform/rtf/RtfStylesheet.h"
#include "platform/rtf/RtfWriter.h"

#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace rtf
{

namespace detail
{

namespace
{

void addResources(const Model& model, QTextDocument& document)
{
    for (const auto& [name, image] : model.images)
        document.addResource(QTextDocument::ImageResource, QUrl(name), image);
}

bool carriesBytes(const QTextFormat& format, std::initializer_list<int> properties)
{
    for (int property : properties)
        if (format.hasProperty(property))
            return true;
    return false;
}

void renumberProperties(QTextFormat& format, std::initializer_list<int> properties,
                        const carried::Renumbering& renumbering)
{
    for (int property : properties)
        if (format.hasProperty(property))
            format.setProperty(property, carried::renumbered(
                                             format.property(property).toByteArray(), renumbering));
}

constexpr std::initializer_list<int> CharacterBytes = {
    carried::GroupBytes, carried::FieldInstruction, carried::ObjectBytes};
constexpr std::initializer_list<int> ParagraphBytes = {carried::TextBoxOpening,
                                                       carried::TextBoxClosing};

bool carriesBytes(const Model& model)
{
    return std::any_of(model.charFormats.begin(), model.charFormats.end(),
                       [](const QTextCharFormat& f) { return carriesBytes(f, CharacterBytes); }) ||
           std::any_of(model.blockFormats.begin(), model.blockFormats.end(),
                       [](const QTextBlockFormat& f) { return carriesBytes(f, ParagraphBytes); });
}

void addStyleNumbers(QSet<int>& out, const QTextFormat& format, int styleProperty,
                     std::initializer_list<int> bytesProperties)
{
    if (format.hasProperty(styleProperty))
        out.insert(format.intProperty(styleProperty));
    for (int property : bytesProperties)
        if (format.hasProperty(property))
            out += carried::styleNumbersIn(format.property(property).toByteArray());
}

// The styles the model's paragraphs, runs and carried bytes name.
QSet<int> usedStyles(const Model& model)
{
    QSet<int> out;
    for (const QTextCharFormat& format : model.charFormats)
        addStyleNumbers(out, format, docformat::CharacterStyle, CharacterBytes);
    for (const QTextBlockFormat& format : model.blockFormats)
        addStyleNumbers(out, format, docformat::ParagraphStyle, ParagraphBytes);
    return out;
}

// A style property names the style it maps to; one that names no style of the source loses it.
void renumberStyle(QTextFormat& format, int property, const QHash<int, int>& styles)
{
    if (!format.hasProperty(property))
        return;
    const auto mapped = styles.constFind(format.intProperty(property));
    if (mapped == styles.constEnd())
        format.clearProperty(property);
    else
        format.setProperty(property, *mapped);
}

} // namespace

// Carried bytes name fonts, colours and styles by their numbers in the tables of the document they
// came from, and so do paragraphs and runs their styles: pasted into another document, they are
// made to name the same fonts, colours and styles in its tables, which gain what they lack.
void adoptCarriedBytes(Model& model, QTextDocument& document)
{
    const QSet<int> styles = usedStyles(model);
    if (!model.documentGroups) {
        // Without a stylesheet the style numbers name nothing.
        for (QTextCharFormat& format : model.charFormats)
            format.clearProperty(docformat::CharacterStyle);
        for (QTextBlockFormat& format : model.blockFormats)
            format.clearProperty(docformat::ParagraphStyle);
        return;
    }
    if (styles.isEmpty() && !carriesBytes(model))
        return;
    const std::optional<carried::DocumentGroups> existing = carried::documentGroups(document);
    carried::DocumentGroups target = existing.value_or(carried::DocumentGroups());
    const carried::DocumentGroups& source = *model.documentGroups;
    carried::Renumbering renumbering = carried::mergeTables(target, source);
    if (!existing)
        target.defaultFont = renumbering.fonts.value(source.defaultFont);
    carried::mergeStyles(target, source, styles, renumbering);
    carried::setDocumentGroups(document, target);
    for (QTextCharFormat& format : model.charFormats)
        renumberStyle(format, docformat::CharacterStyle, renumbering.styles);
    for (QTextBlockFormat& format : model.blockFormats)
        renumberStyle(format, docformat::ParagraphStyle, renumbering.styles);
    if (renumbering.changesNothing())
        return;
    for (QTextCharFormat& format : model.charFormats)
        renumberProperties(format, CharacterBytes, renumbering);
    for (QTextBlockFormat& format : model.blockFormats)
        renumberProperties(format, ParagraphBytes, renumbering);
}

namespace
{

// The number a pasted text box or section takes in the document pasted into.
class PastedNumbers
{
public:
    explicit PastedNumbers(int last) : m_last(last) {}
    // The same pasted number takes the same new one; `existing`, when not 0, is taken as it is.
    int numberFor(int pasted, int existing = 0)
    {
        auto it = m_numbers.constFind(pasted);
        if (it == m_numbers.constEnd())
            it = m_numbers.insert(pasted, existing ? existing : ++m_last);
        return *it;
    }

private:
    int m_last;
    QHash<int, int> m_numbers;
};

} // namespace

// Pasted text boxes and sections are told from the document's own by numbers of their own, so
// that one pasted next to a box or a section start of the document is not taken into it. Text
// pasted back into the shape it was copied from (a box of the same bytes) stays in that box.
void numberPastedBoxesAndSections(Model& model, const QTextDocument& document)
{
    int lastBox = 0;
    int lastSection = 0;
    QHash<QByteArray, int> boxes; // a box's opening bytes -> its number
    for (const QTextFormat& format : document.allFormats()) {
        if (!format.isBlockFormat())
            continue;
        lastSection = std::max(lastSection, format.intProperty(carried::SectionNumber));
        if (const int box = format.intProperty(carried::TextBoxNumber)) {
            lastBox = std::max(lastBox, box);
            boxes.insert(format.property(carried::TextBoxOpening).toByteArray(), box);
        }
    }
    PastedNumbers boxNumbers(lastBox);
    PastedNumbers sectionNumbers(lastSection);
    for (QTextBlockFormat& format : model.blockFormats) {
        if (const int box = format.intProperty(carried::TextBoxNumber))
            format.setProperty(
                carried::TextBoxNumber,
                boxNumbers.numberFor(
                    box, boxes.value(format.property(carried::TextBoxOpening).toByteArray())));
        if (const int section = format.intProperty(carried::SectionNumber))
            format.setProperty(carried::SectionNumber, sectionNumbers.numberFor(section));
    }
}

void replaceDocument(const Model& model, QTextDocument& document)
{
    const bool undo = document.isUndoRedoEnabled();
    document.setUndoRedoEnabled(false);
    // Clearing inside the edit block makes the whole document one change from empty, which a
    // shown document's layout lays out lazily (as setPlainText does); cleared outside it, the
    // layout would lay out every page before returning (seconds for 1,000 pages).
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    document.clear();
    cursor = QTextCursor(&document);
    addResources(model, document);
    if (model.documentGroups)
        carried::setDocumentGroups(document, *model.documentGroups);
    else
        carried::clearDocumentGroups(document);
    ContentBuilder(model, cursor).insertBlocks(0, static_cast<int>(model.blocks.size()));
    cursor.endEditBlock();
    document.setUndoRedoEnabled(undo);
}

void insertAt(const Model& model, QTextCursor& cursor)
{
    QTextDocument* document = cursor.document();
    if (!document)
        return;
    cursor.beginEditBlock();
    if (cursor.hasSelection()) {
        // The paragraph that survives a selection across paragraphs keeps the mark, and so the
        // format, of the last one (Qt would keep the first one's).
        const QTextBlock first = document->findBlock(cursor.selectionStart());
        const QTextBlock last = document->findBlock(cursor.selectionEnd());
        const bool acrossParagraphs = first != last;
        const QTextBlockFormat lastFormat = last.blockFormat();
        const QTextCharFormat lastCharFormat = last.charFormat();
        cursor.removeSelectedText();
        if (acrossParagraphs) {
            cursor.setBlockFormat(lastFormat);
            cursor.setBlockCharFormat(lastCharFormat);
        }
    }
    addResources(model, *document);
    // Paragraph properties belong to the paragraph mark: each pasted paragraph keeps its own, and
    // the text after the cursor keeps the mark, and so the format, it had. Text without a
    // paragraph mark joins the paragraph at the cursor.
    const int count = static_cast<int>(model.blocks.size());
    const QTextBlockFormat original = cursor.blockFormat();
    const QTextCharFormat originalChar = cursor.blockCharFormat();
    ContentBuilder builder(model, cursor);
    builder.keepFirstMarkFormat();
    if (!model.endsWithParagraphMark)
        builder.useFormatsFor(count - 1, original, originalChar);
    const bool endsAfterTable = builder.insertBlocks(0, count);
    if (model.endsWithParagraphMark && !endsAfterTable)
        cursor.insertBlock(original, originalChar);
    cursor.endEditBlock();
}

} // namespace detail

bool looksLikeRtf(const QByteArray& bytes)
{
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    if (n >= 3 && static_cast<uint8_t>(bytes[0]) == 0xEF &&
        static_cast<uint8_t>(bytes[1]) == 0xBB && static_cast<uint8_t>(bytes[2]) == 0xBF)
        i = 3;
    while (i < n && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r' || bytes[i] == '\n'))
        ++i;
    return n - i >= 5 && bytes[i] == '{' && bytes[i + 1] == '\\' && bytes[i + 2] == 'r' &&
           bytes[i + 3] == 't' && bytes[i + 4] == 'f';
}

void read(const QByteArray& bytes, QTextDocument& document)
{
    const detail::Model model = detail::parse(bytes);
    detail::replaceDocument(model, document);
}

void insert(const QByteArray& bytes, QTextCursor& cursor)
{
    detail::Model model = detail::parse(bytes);
    if (QTextDocument* document = cursor.document()) {
        detail::adoptCarriedBytes(model, *document);
        detail::numberPastedBoxesAndSections(model, *document);
    }
    detail::insertAt(model, cursor);
}

QByteArray write(const QTextDocument& document)
{
    return detail::writeDocument(document, 0, std::max(0, document.characterCount() - 1), true);
}

QByteArray writeRange(const QTextDocument& document, int start, int end)
{
    const int last = std::max(0, document.characterCount() - 1);
    start = std::clamp(start, 0, last);
    end = std::clamp(end, 0, last);
    if (start > end)
        std::swap(start, end);
    return detail::writeDocument(document, start, end, false);
}

} // namespace rtf
