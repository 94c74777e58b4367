#pragma once

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// Prints a document page by page with a header line at the top of each page and a footer line at
// its foot, in the device's page layout; laid out as the editor shows it, with room for raised
// and lowered text, and cut into pages between lines.
void printWithHeaderAndFooter(const QTextDocument& document, QPagedPaintDevice& device,
                              const QString& header, const QString& footer);
