#include "platform/control/PrintedParts.h"

#include "platform/rtf/RtfCarriedGroups.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>

namespace documentprinting
{

namespace
{

// The layout of a section's page; none when neither the document nor the section says a thing
// about the page.
std::optional<QPageLayout> sectionLayout(const pagesetup::PageSetup& documentPage,
                                         const QByteArray& words)
{
    const pagesetup::PageSetup page = pagesetup::sectionPage(documentPage, words);
    if (!page.isGiven())
        return std::nullopt;
    return pagesetup::pageLayoutFor(page);
}

// Whether the paragraph stands directly in the document's frame, or begins a table that does:
// where a printed part can begin.
bool beginsInDocumentsFrame(const QTextDocument& document, const QTextBlock& block)
{
    return QTextCursor(block).currentFrame() == document.rootFrame() ||
           tableBegunBy(document, block);
}

} // namespace

std::vector<Part> sectionParts(const QTextDocument& document, const pagesetup::PageSetup& page)
{
    std::vector<Part> parts{Part()};
    // A section begins at the first paragraph with its number; one split off that paragraph
    // carries the number on and begins nothing.
    int lastSection = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const bool begins = carried::beginsSection(format, lastSection);
        lastSection = format.intProperty(carried::SectionNumber);
        if (!begins || block.position() == 0 || !beginsInDocumentsFrame(document, block))
            continue;
        const QByteArray words = format.property(carried::SectionWords).toByteArray();
        if (pagesetup::sectionBeginsPage(words))
            parts.push_back({block.position(), sectionLayout(page, words)});
    }
    return parts;
}

} // namespace documentprinting
