#pragma once

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

class QTextBlock;
class QTextList;

// Draws the numbers of numbered paragraphs, which Qt's layout leaves undrawn (see
// docformat::setListNumberStyle): the number in front of the paragraph's first line as Qt places
// a list's number, but never left of the paragraph's frame, so a long one stays visible. It
// knows each outline's lists (noted as the document changes) and keeps their numbers until a
// change that can alter them.
class ListMarkers
{
public:
    // Notes the numbered lists of the paragraphs the change covers. A change to the text of one
    // paragraph keeps the numbers (typing in a long document changes no number); any other change
    // forgets them all.
    void noteChange(const QTextDocument& document, int from, int length);

    // Draws the numbers of the numbered paragraphs that lie in the context's clip.
    void draw(const QAbstractTextDocumentLayout& layout, QPainter* painter,
              const QAbstractTextDocumentLayout::PaintContext& context);

    // The text the numbered paragraph shows in front of it (empty for any other paragraph).
    QString numberOf(const QTextBlock& block);

private:
    void noteList(QTextList* list);
    void drawNumber(const QAbstractTextDocumentLayout& layout, QPainter* painter,
                    const QAbstractTextDocumentLayout::PaintContext& context,
                    const QTextBlock& block, const QRectF& blockRect);

    QHash<qint64, QList<QPointer<QTextList>>> m_outlines;
    QHash<qint64, QHash<int, QString>> m_numbers; // by outline, by paragraph number
    int m_blockCount = -1; // the document's paragraphs when the numbers were kept
};
