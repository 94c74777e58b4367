#include "platform/rtf/RtfPageSetup.h"

#include "platform/rtf/RtfTokenizer.h"

#include <QMarginsF>
#include <QPageSize>
#include <QSizeF>

#include <algorithm>
#include <vector>

namespace pagesetup
{

namespace
{

constexpr int MaxPaperTwips = 144000; // 100 inches
constexpr int MaxMarginTwips = 31680; // 22 inches
constexpr int DefaultPaperWidth = 12240;
constexpr int DefaultPaperHeight = 15840;
constexpr int DefaultSideMargin = 1800;
constexpr int DefaultTopMargin = 1440;

int paper(int param)
{
    return std::clamp(param, 0, MaxPaperTwips);
}

int margin(int param)
{
    return std::clamp(param, 0, MaxMarginTwips);
}

// The page's lengths: their document and section words, and the value that means "not said".
struct Length {
    std::string_view document;
    std::string_view section;
    int PageSetup::*field;
    bool isPaper;
    int unset;
};
constexpr Length Lengths[] = {
    {"paperw", "pgwsxn", &PageSetup::paperWidth, true, 0},
    {"paperh", "pghsxn", &PageSetup::paperHeight, true, 0},
    {"margl", "marglsxn", &PageSetup::left, false, -1},
    {"margr", "margrsxn", &PageSetup::right, false, -1},
    {"margt", "margtsxn", &PageSetup::top, false, -1},
    {"margb", "margbsxn", &PageSetup::bottom, false, -1},
    {"gutter", "guttersxn", &PageSetup::gutter, false, 0},
    // Section words only.
    {"headery", "headery", &PageSetup::headerDistance, false, -1},
    {"footery", "footery", &PageSetup::footerDistance, false, -1},
};

struct Switch {
    std::string_view name;
    bool PageSetup::*field;
    bool sectionWord;
};
constexpr Switch Switches[] = {
    {"landscape", &PageSetup::landscape, false},      {"lndscpsxn", &PageSetup::landscape, true},
    {"titlepg", &PageSetup::titlePage, true},         {"facingp", &PageSetup::facingPages, false},
    {"margmirror", &PageSetup::mirrorMargins, false},
};

// Appends the words for `page`, the document's or the section's, but for those named `omitted`.
void appendWords(std::string& out, const PageSetup& page, bool section,
                 const std::vector<std::string>& omitted = {})
{
    const auto isOmitted = [&omitted](std::string_view name) {
        return std::find(omitted.begin(), omitted.end(), name) != omitted.end();
    };
    for (const Length& length : Lengths) {
        const int value = page.*length.field;
        const std::string_view name = section ? length.section : length.document;
        if (value == length.unset || (!section && length.document == length.section) ||
            isOmitted(name))
            continue;
        out += '\\';
        out += name;
        out += std::to_string(value);
    }
    for (const Switch& each : Switches) {
        if (page.*each.field && each.sectionWord == section && !isOmitted(each.name)) {
            out += '\\';
            out += each.name;
        }
    }
}

// Calls `each(name, hasParam, param)` for every control word in `words`, as the RTF tokenizer
// reads them (names bounded, numbers clamped); other tokens are passed over.
template <typename Each> void forEachWord(const QByteArray& words, Each each)
{
    rtf::Tokenizer tokens(words.constData(), static_cast<size_t>(words.size()));
    rtf::Token token;
    for (tokens.next(token); token.type != rtf::TokenType::End; tokens.next(token))
        if (token.type == rtf::TokenType::Word && token.length <= rtf::Tokenizer::MaxWordLength)
            each(std::string_view(token.data, static_cast<size_t>(token.length)), token.hasParam,
                 token.param);
}

} // namespace

bool PageSetup::isGiven() const
{
    return *this != PageSetup();
}

bool isSectionWord(std::string_view name)
{
    for (const Length& length : Lengths)
        if (name == length.section)
            return true;
    for (const Switch& each : Switches)
        if (each.sectionWord && name == each.name)
            return true;
    static constexpr std::string_view Prefixes[] = {"sbk", "pgn", "col", "line", "vertal"};
    for (std::string_view prefix : Prefixes)
        if (name.starts_with(prefix) && name != "line")
            return true;
    static constexpr std::string_view Words[] = {"endnhere",  "ltrsect",      "rtlsect",
                                                 "stextflow", "sectunlocked", "sectlinegrid"};
    return std::find(std::begin(Words), std::end(Words), name) != std::end(Words);
}

WordEffect readWord(std::string_view name, bool hasParam, int param, bool sectionWords,
                    PageSetup& page)
{
    for (const Length& length : Lengths) {
        const bool document = name == length.document;
        if (!document && name != length.section)
            continue;
        if (hasParam && (document || sectionWords))
            page.*length.field = length.isPaper ? paper(param) : margin(param);
        return WordEffect::PageSetup;
    }
    for (const Switch& each : Switches) {
        if (name != each.name)
            continue;
        if (!each.sectionWord || sectionWords)
            page.*each.field = !hasParam || param != 0;
        return WordEffect::PageSetup;
    }
    return WordEffect::None;
}

PageSetup sectionPage(const PageSetup& document, const QByteArray& sectionWords)
{
    PageSetup page = document;
    forEachWord(sectionWords, [&page](std::string_view name, bool hasParam, int param) {
        // Only section words: a document word among them would not be the section's.
        if (isSectionWord(name))
            readWord(name, hasParam, param, true, page);
    });
    return page;
}

bool sectionBeginsPage(const QByteArray& sectionWords)
{
    bool beginsPage = true;
    forEachWord(sectionWords, [&beginsPage](std::string_view name, bool, int) {
        if (name == "sbknone" || name == "sbkcol")
            beginsPage = false;
    });
    return beginsPage;
}

void appendDocumentWords(std::string& out, const PageSetup& page)
{
    if (!page.isGiven())
        return;
    appendWords(out, page, false);
    out += '\n';
}

void appendSectionWords(std::string& out, const PageSetup& page, const QByteArray& firstSection)
{
    if (!page.isGiven() && firstSection.isEmpty())
        return;
    // The section names the page again where its own words do not, since some readers take the
    // page from the section alone; read back, those words are the section's own.
    std::vector<std::string> named;
    forEachWord(firstSection,
                [&named](std::string_view name, bool, int) { named.emplace_back(name); });
    out += "\\sectd";
    appendWords(out, page, true, named);
    out.append(firstSection.constData(), static_cast<size_t>(firstSection.size()));
    out += '\n';
}

QPageLayout pageLayoutFor(const PageSetup& page)
{
    int width = page.paperWidth > 0 ? page.paperWidth : DefaultPaperWidth;
    int height = page.paperHeight > 0 ? page.paperHeight : DefaultPaperHeight;
    // RTF gives the paper as it lies; a printer wants it upright and turned.
    const bool landscape = page.landscape || width > height;
    if (width > height)
        std::swap(width, height);
    const auto points = [](int twips) { return twips / 20.0; };
    const QPageSize size(QSizeF(points(width), points(height)), QPageSize::Point, QString(),
                         QPageSize::FuzzyMatch);
    const QMarginsF margins(points(page.left >= 0 ? page.left : DefaultSideMargin) +
                                points(page.gutter),
                            points(page.top >= 0 ? page.top : DefaultTopMargin),
                            points(page.right >= 0 ? page.right : DefaultSideMargin),
                            points(page.bottom >= 0 ? page.bottom : DefaultTopMargin));
    QPageLayout layout(size, landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(), QPageLayout::Point);
    layout.setMode(QPageLayout::StandardMode);
    layout.setMargins(margins);
    return layout;
}

} // namespace pagesetup
