#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A small, bounded player for Windows metafiles (WMF, with or without the placeable header):
// draws the common records onto an image, skips unknown ones and rejects malformed files.
//
// Bounds: the input is at most 256 MiB, the image at most 4096 x 4096 pixels, at most one million
// records are played and the drawing work is capped (past the cap nothing more is drawn, the rest
// is still checked, and the picture keeps what was drawn); SaveDC nests at most 256 deep; embedded
// bitmaps are at most 16384 pixels a side and 16 million pixels. Records whose size is below the
// minimum or reaches past the data, object indexes outside the object table, records too short for
// their parameters and empty placeable bounds reject the file.
//
// Shapes are drawn with hard edges at twice the picture's size and scaled down (pictures up to
// 2048 pixels a side), which smooths them. Text needs a QGuiApplication; without one it is not
// drawn. The background is opaque white.
namespace wmf
{

// True when the bytes start like a Windows metafile.
bool looksLikeMetafile(const QByteArray& bytes);

// Draws the metafile onto a new image. `targetSize`, when valid, is the size in pixels to draw at;
// otherwise the metafile's own extent decides (bounded). Returns a null image and sets `error`
// for bytes that are not a metafile or are malformed.
QImage render(const QByteArray& bytes, QSize targetSize = QSize(), QString* error = nullptr);

// The size `render` draws at when given no target size: the placeable header's bounds at 96 dots
// per inch, else the window extent, else the extent of what is drawn; at most 4096 pixels a side.
// An invalid size, and `error` set, for bytes that are not a metafile. Reads only what the size
// needs: a metafile it sizes may still be refused by `render`.
QSize naturalSize(const QByteArray& bytes, QString* error = nullptr);

} // namespace wmf
