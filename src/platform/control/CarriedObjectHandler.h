#pragma once

#include <QObject>
#include <QTextObjectInterface>

class QTextDocument;

// Draws the characters that stand for groups the editor carries but cannot show: a footnote's
// reference as its number, raised; a comment or an unknown group as a small box; bookmarks and
// index entries as nothing at all.
class CarriedObjectHandler : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    // Makes `document`'s layout draw carried characters with a handler owned by the layout.
    static void install(QTextDocument& document);

    QSizeF intrinsicSize(QTextDocument* document, int positionInDocument,
                         const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document,
                    int positionInDocument, const QTextFormat& format) override;
};
