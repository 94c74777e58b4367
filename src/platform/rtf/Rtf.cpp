#include "platform/rtf/Rtf.h"

#include "platform/rtf/RtfModel.h"
#include "platform/rtf/RtfWriter.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QUrl>

#include <algorithm>

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

void insertRuns(const Model& model, const Block& block, QTextCursor& cursor)
{
    for (int r = block.runBegin; r < block.runEnd; ++r) {
        const Run& run = model.runs[static_cast<size_t>(r)];
        cursor.insertText(QString::fromRawData(model.text.constData() + run.start, run.length),
                          model.charFormats[static_cast<size_t>(run.format)]);
    }
}

// Puts the cursor's block into a bullet list: the list of the block before when that one is a
// bullet of the same level, else a new one.
void applyBullet(int level, QTextCursor& cursor, QTextList*& list, int& listLevel)
{
    if (level <= 0) {
        list = nullptr;
        return;
    }
    if (list && listLevel == level) {
        list->add(cursor.block());
        return;
    }
    QTextListFormat format;
    format.setStyle(QTextListFormat::ListDisc);
    format.setIndent(level);
    list = cursor.createList(format);
    listLevel = level;
}

} // namespace

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
    QTextList* list = nullptr;
    int listLevel = 0;
    for (size_t i = 0; i < model.blocks.size(); ++i) {
        const Block& block = model.blocks[i];
        const QTextBlockFormat& blockFormat =
            model.blockFormats[static_cast<size_t>(block.blockFormat)];
        const QTextCharFormat& charFormat =
            model.charFormats[static_cast<size_t>(block.charFormat)];
        if (i == 0) {
            cursor.setBlockFormat(blockFormat);
            cursor.setBlockCharFormat(charFormat);
        } else {
            cursor.insertBlock(blockFormat, charFormat);
        }
        insertRuns(model, block, cursor);
        applyBullet(block.bulletLevel, cursor, list, listLevel);
    }
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
    const size_t count = model.blocks.size();
    if (count == 1 && !model.endsWithParagraphMark) {
        insertRuns(model, model.blocks.front(), cursor);
        cursor.endEditBlock();
        return;
    }
    // Paragraph properties belong to the paragraph mark: each pasted paragraph keeps its own, and
    // the text after the cursor keeps the mark, and so the format, it had.
    const QTextBlockFormat original = cursor.blockFormat();
    const QTextCharFormat originalChar = cursor.blockCharFormat();
    QTextList* list = nullptr;
    int listLevel = 0;
    for (size_t i = 0; i < count; ++i) {
        const Block& block = model.blocks[i];
        const bool last = i + 1 == count;
        const bool takesOriginal = last && !model.endsWithParagraphMark;
        const QTextBlockFormat& blockFormat =
            takesOriginal ? original : model.blockFormats[static_cast<size_t>(block.blockFormat)];
        const QTextCharFormat& charFormat =
            takesOriginal ? originalChar : model.charFormats[static_cast<size_t>(block.charFormat)];
        if (i == 0) {
            cursor.setBlockFormat(blockFormat);
        } else {
            cursor.insertBlock(blockFormat, charFormat);
        }
        insertRuns(model, block, cursor);
        if (!takesOriginal)
            applyBullet(block.bulletLevel, cursor, list, listLevel);
    }
    if (model.endsWithParagraphMark)
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
    const detail::Model model = detail::parse(bytes);
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
