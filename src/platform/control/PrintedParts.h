#pragma once

#include "platform/control/DocumentPrinting.h"
#include "platform/rtf/RtfPageSetup.h"

#include <vector>

class QTextDocument;

namespace documentprinting
{

// The parts `document` prints in: the first on the page printing begins on, then one for each
// later section that begins a new page, on the document's `page` with what the section's words
// say over it. A section that runs on in the same page stays in the part before.
std::vector<Part> sectionParts(const QTextDocument& document, const pagesetup::PageSetup& page);

} // namespace documentprinting
