#pragma once

#include "platform/control/DocumentPrinting.h"

#include <QString>

#include <vector>

class QPagedPaintDevice;
class QTextDocument;

// Prints a document page by page with a header line at the top of each page and a footer line at
// its foot, each part in its page layout; laid out as the editor shows it, with room for raised
// and lowered text, and cut into pages between lines.
void printWithHeaderAndFooter(const QTextDocument& document,
                              const std::vector<documentprinting::Part>& parts,
                              QPagedPaintDevice& device, const QString& header,
                              const QString& footer);
