#pragma once

#include <QString>
#include <QStringView>

class QTextDocument;

// Forward text search over a document, with the option bits of the rich text control's Find:
// 2 whole word, 4 match case. Matches lie within one paragraph.
//
// Letters compare without case by Unicode's simple case folding (accented, Greek, Cyrillic and
// letters outside the Basic Multilingual Plane alike). A whole word is a match with no letter,
// combining mark or digit of any script right before or after it; a candidate that fails that
// test does not hide an overlapping one that passes.
namespace textsearch
{

constexpr int WholeWord = 2;
constexpr int MatchCase = 4;

// The first match of `what` in `text` at or after `from`, or -1.
qsizetype findInText(QStringView text, QStringView what, qsizetype from, int options);

// A match in a document: its first position and the position after its last character. A match
// may span characters that stand for carried groups (a bookmark inside a word): they are not part
// of the visible text, so the search looks through them.
struct Match {
    long start = -1;
    long end = -1;
    bool found() const { return start >= 0; }
};

// The first match of `what` at or after `start`; not found also for an empty search text and for
// a start outside the document.
Match findInDocument(const QTextDocument& document, const QString& what, long start, int options);

// True when the `length` characters at `position` of `text` are not joined to a letter, mark or
// digit on either side.
bool isWholeWordAt(QStringView text, qsizetype position, qsizetype length);

} // namespace textsearch
