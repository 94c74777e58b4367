#include "platform/document/PlainText.h"

#include "platform/document/CodePages.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <QTextTable>

namespace plaintext
{

namespace
{

// Length of the valid UTF-8 sequence at p (1..4), or 0 when the bytes there are not valid UTF-8.
int utf8SequenceLength(const uint8_t* p, qsizetype left)
{
    const uint8_t b = p[0];
    if (b < 0x80)
        return 1;
    int length;
    uint32_t min;
    uint32_t cp;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
        min = 0x80;
        cp = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        min = 0x800;
        cp = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        min = 0x10000;
        cp = b & 0x07;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

// CRLF and CR become LF.
QString normalizeLineEnds(QString text)
{
    if (!text.contains(u'\r'))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\r') {
            out += u'\n';
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

// The mark that begins a table ends the paragraph before it: a line end in the body, a space in
// a cell. A table that follows another, or that begins the document or a cell, has no paragraph
// of its own before it.
void markTableStart(const QTextTable& table, QString& text, QChar mark)
{
    constexpr char16_t FrameStart = 0xFDD0; // the characters Qt keeps where a frame begins and ends
    constexpr char16_t FrameEnd = 0xFDD1;
    const int at = table.firstPosition() - 1;
    if (at <= 0 || at >= text.size() || text[at] != FrameStart)
        return;
    const QChar before = text[at - 1];
    if (before != FrameStart && before != FrameEnd)
        text[at] = mark;
}

// Rewrites the marks that end the table's cells: a tab between the cells of a row, a line end
// after its last one; the paragraph ends inside a cell become spaces. Tables inside cells follow.
void writeTableMarks(const QTextTable& table, QString& text)
{
    for (int r = 0; r < table.rows(); ++r) {
        int lastEnd = -1;
        for (int c = 0; c < table.columns();) {
            const QTextTableCell cell = table.cellAt(r, c);
            c += std::max(1, cell.columnSpan());
            if (cell.row() != r)
                continue;
            const int end = cell.lastPosition();
            for (int i = cell.firstPosition(); i < end && i < text.size(); ++i)
                if (text[i] == QChar::ParagraphSeparator)
                    text[i] = u' ';
            if (end < text.size())
                text[end] = u'\t';
            lastEnd = end;
        }
        if (lastEnd >= 0 && lastEnd < text.size())
            text[lastEnd] = u'\n';
    }
    for (QTextFrame* child : table.childFrames()) {
        if (auto* nested = qobject_cast<QTextTable*>(child)) {
            markTableStart(*nested, text, u' ');
            writeTableMarks(*nested, text);
        }
    }
}

} // namespace

QString textOf(const QTextDocument& document)
{
    QString text = document.toRawText();
    for (QTextFrame* child : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            markTableStart(*table, text, u'\n');
            writeTableMarks(*table, text);
        }
    return text;
}

QString decode(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qsizetype n = bytes.size();
    if (n >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return normalizeLineEnds(decoder.decode(QByteArrayView(bytes).sliced(2)));
    }
    if (n >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        QStringDecoder decoder(QStringConverter::Utf16BE);
        return normalizeLineEnds(decoder.decode(QByteArrayView(bytes).sliced(2)));
    }
    qsizetype i = 0;
    if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
        i = 3;

    // Valid UTF-8 is read as UTF-8; every byte that is not part of a valid sequence is read as
    // Windows-1252, so nothing is lost.
    QString out;
    out.reserve(n - i);
    qsizetype validFrom = i;
    while (i < n) {
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        const int length = utf8SequenceLength(p + i, n - i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += QString::fromUtf8(reinterpret_cast<const char*>(p + validFrom), i - validFrom);
        out += QChar(codepage::windows1252(p[i]));
        ++i;
        validFrom = i;
    }
    out += QString::fromUtf8(reinterpret_cast<const char*>(p + validFrom), n - validFrom);
    return normalizeLineEnds(std::move(out));
}

QByteArray encode(const QString& text)
{
    QString normalized;
    normalized.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case u'\r':
            normalized += u'\n';
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            break;
        case 0x2028:
        case 0x2029:
            normalized += u'\n';
            break;
        case 0xFFFC:
        case 0xFDD0:
        case 0xFDD1:
            break;
        default:
            normalized += c;
            break;
        }
    }
    return normalized.toUtf8();
}

} // namespace plaintext
