#pragma once

#include <QByteArray>
#include <QPageLayout>

#include <string>
#include <string_view>

// A document's page: paper size, orientation, margins and gutter, as RTF gives them in twips.
// Read from the document's (or its first section's) control words, written back as document
// words and used when printing.
namespace pagesetup
{

struct PageSetup {
    int paperWidth = 0; // twips; 0 when the document does not say
    int paperHeight = 0;
    int left = -1; // margins in twips; -1 when the document does not say
    int right = -1;
    int top = -1;
    int bottom = -1;
    int gutter = 0;
    int headerDistance = -1; // from the paper's top edge to the header, twips; -1 when not said
    int footerDistance = -1;
    bool landscape = false;
    bool titlePage = false;   // the first page has a header and footer of its own
    bool facingPages = false; // left and right pages have headers and footers of their own
    bool mirrorMargins = false;

    bool isGiven() const;
    bool operator==(const PageSetup&) const = default;
};

// What a control word did to the page setup.
enum class WordEffect { None, PageSetup };

// Takes a page setup control word into `page`. Section words (\pgwsxn, \marglsxn, ...) count
// only when `sectionWords` is true: the document's page is its own words', each section's is
// that with its own words over it. Returns None for words that are not about the page.
WordEffect readWord(std::string_view name, bool hasParam, int param, bool sectionWords,
                    PageSetup& page);

// Whether `name` is a word about a section's layout: its break, page, margins, columns, page
// numbers, line numbers and vertical alignment.
bool isSectionWord(std::string_view name);

// The page of a section: the document's page (a section starts from it, as after \sectd)
// with what the section's words as read (`\sbkpage\lndscpsxn\pgwsxn16838...`) say of the paper,
// orientation, margins and gutter. Words about anything else, and bytes that are not words, are
// passed over.
PageSetup sectionPage(const PageSetup& document, const QByteArray& sectionWords);

// Whether a section with these words begins a new page (it does unless it runs on in the same
// page or column).
bool sectionBeginsPage(const QByteArray& sectionWords);

// Appends the document words for `page` (nothing when it is not given).
void appendDocumentWords(std::string& out, const PageSetup& page);

// Appends the first section's words: \sectd, the document's page again (some readers take the
// page from the section alone), then the words the first section had as read (`firstSection`).
void appendSectionWords(std::string& out, const PageSetup& page, const QByteArray& firstSection);

// The printer page layout for `page`; the default values of RTF (US Letter, 1.25 inch left and
// right margins, 1 inch top and bottom) stand in for what it does not say.
QPageLayout pageLayoutFor(const PageSetup& page);

} // namespace pagesetup
