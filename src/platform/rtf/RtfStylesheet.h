#pragma once

#include "platform/rtf/RtfCarriedGroups.h"

#include <QByteArray>
#include <QSet>

// The stylesheet a document carries, kept as the bytes that were read. Styles are named by number,
// and two documents number theirs differently: pasted paragraphs and runs must name the style of
// the same kind and name in the document they are pasted into, which gains the styles it lacks.
namespace carried
{

// The `{\stylesheet ...}` group of a document's carried tables, braces included; empty when there
// is none.
QByteArray stylesheetOf(const QByteArray& tables);

// Makes the styles numbered `used` in `source`'s stylesheet available in `target`'s and fills
// `renumbering.styles` with where each is there. A style the target has of the same kind and name
// takes the target's number; any other is added to the target's stylesheet under a free number,
// together with the styles it is based on, followed by and linked to, its fonts and colours
// renumbered as `renumbering` says. Style 0, the default paragraph style of every document, stays
// 0. A number the source's stylesheet does not define is left out of the map.
void mergeStyles(DocumentGroups& target, const DocumentGroups& source, const QSet<int>& used,
                 Renumbering& renumbering);

} // namespace carried
