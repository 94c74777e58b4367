#pragma once

#include "platform/rtf/RtfCarriedGroups.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTextBlockFormat>
#include <QTextCharFormat>

#include <optional>
#include <utility>
#include <vector>

class QTextCursor;
class QTextDocument;

// What the reader makes of RTF bytes before any document is touched: the text in one string, cut
// into runs of one character format and blocks of one paragraph format. Building a QTextDocument
// from it is a separate, fast step, so a load either fails before the document changes or replaces
// it whole.
namespace rtf::detail
{

struct Run {
    int start = 0; // into Model::text
    int length = 0;
    int format = 0; // into Model::charFormats
};

struct Block {
    int runBegin = 0;
    int runEnd = 0;
    int blockFormat = 0; // into Model::blockFormats
    int charFormat = 0;  // the paragraph mark's format
    int bulletLevel = 0; // 0: no bullet; else the list indent (1 = first level)
};

struct Model {
    QString text;
    std::vector<Run> runs;
    std::vector<Block> blocks; // never empty after parse()
    std::vector<QTextCharFormat> charFormats;
    std::vector<QTextBlockFormat> blockFormats;
    std::vector<std::pair<QString, QImage>> images; // resources the image formats name
    bool endsWithParagraphMark = false;
    // What the document carries at its level; none when it carries nothing.
    std::optional<carried::DocumentGroups> documentGroups;
};

// Reads RTF bytes; throws rtf::FormatError when they are not RTF.
Model parse(const QByteArray& bytes);

// Replaces the whole content of `document` with the model.
void replaceDocument(const Model& model, QTextDocument& document);

// Replaces the selection of `cursor` with the model (pasting: the first paragraph joins the one at
// the cursor, the last joins the rest of it).
void insertAt(const Model& model, QTextCursor& cursor);

} // namespace rtf::detail
