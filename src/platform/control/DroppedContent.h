#pragma once

#include <QByteArray>
#include <QString>

class QMimeData;

// What a drop from another program, or the X11 primary selection, brings into the document: its
// RTF when it offers any (under any of the names RTF goes by), otherwise its plain text.
// Files are never content: a drop that carries local files brings nothing, not even their names.
struct DroppedContent {
    QByteArray rtf;
    QString text;

    bool isEmpty() const { return rtf.isEmpty() && text.isEmpty(); }
    // Whether `data` offers RTF or text and no files, judged by its formats alone (cheap enough
    // for every move of a drag).
    static bool isOffered(const QMimeData& data);
    // The RTF and text of `data`, copied out of it.
    static DroppedContent of(const QMimeData& data);
};
