#pragma once

#include <QTextCharFormat>
#include <QTextFormat>
#include <QTextImageFormat>

// How a Wordlark document keeps what QTextDocument has no property for. The RTF reader and writer,
// the rich text control and the commands all go through these, so each rule lives here once.
namespace docformat
{

// Character property: the baseline offset in twips (positive raises, negative lowers). Drawn
// through QTextCharFormat::baselineOffset, which Qt measures in percent of the font's height.
constexpr int CharOffsetTwips = QTextFormat::UserProperty + 1;

// Character property: the kind of underline RTF asked for (an int, see rtf::underlineWord; absent
// or 1 = single). The underline itself is always QTextCharFormat::fontUnderline, so the editor
// reads every kind as underlined; the kind only lets saving write the same control word back.
constexpr int UnderlineKind = QTextFormat::UserProperty + 2;

// Character property: the size of raised or lowered text relative to the text around it, as RTF
// gives it in {\*\updnpropN} (an int: hundredths of a percent, a last digit 1 marking an automatic
// offset). The shown size (fontPointSize) is already reduced; saving writes the full size back.
constexpr int UpDownProportion = QTextFormat::UserProperty + 3;
constexpr int FullProportion = 10000;

// The factor an UpDownProportion value shrinks the text by (whole percents; 0 and out of range: 1).
double proportionOf(int upDownProportion);

// Image properties: the bytes the picture came from and their kind ("png", "jpeg", "wmf", "emf",
// "dib", "bmp"), so saving writes what was read; and the size the picture is shown at, in twips.
constexpr int ImageOriginalBytes = QTextFormat::UserProperty + 10;
constexpr int ImageOriginalKind = QTextFormat::UserProperty + 11;
constexpr int ImageGoalWidthTwips = QTextFormat::UserProperty + 12;
constexpr int ImageGoalHeightTwips = QTextFormat::UserProperty + 13;
// Set (true) when the picture could not be drawn and a placeholder box stands in for it; saving
// then writes the original bytes back as they were.
constexpr int ImageIsPlaceholder = QTextFormat::UserProperty + 14;

// Paragraph properties Qt has no place for: keep with the next paragraph (bool), keep the
// paragraph's lines on one page (bool; not Qt's nonBreakableLines, which stops the lines from
// wrapping at all), and the leader of each tab stop (a string with one character per tab
// position, ' ' for none).
constexpr int KeepWithNext = QTextFormat::UserProperty + 30;
constexpr int KeepTogether = QTextFormat::UserProperty + 34;
constexpr int TabLeaders = QTextFormat::UserProperty + 31;
// Paragraph property: the number of the paragraph's style in the stylesheet the document carries.
constexpr int ParagraphStyle = QTextFormat::UserProperty + 33;
// Character property: the number of the run's character style in the stylesheet the document
// carries.
constexpr int CharacterStyle = QTextFormat::UserProperty + 35;
// Character property: what a run's background is (an int; absent = highlighting). Highlighting
// and character shading look alike in the editor but are different things to other programs.
constexpr int BackgroundKind = QTextFormat::UserProperty + 36;
enum BackgroundKindValue : uint8_t {
    Highlight = 0,  // \highlight
    Shading = 1,    // \chcbpat: character shading
    OldShading = 2, // \cb: the older form of character shading
};
// Character properties of shading: its percentage in hundredths (an int, \chshdng) and its
// pattern colour (a QColor, \chcfpat).
constexpr int ShadingPercent = QTextFormat::UserProperty + 37;
constexpr int ShadingPattern = QTextFormat::UserProperty + 38;
// Character property: the strike-through is double (bool).
constexpr int DoubleStrike = QTextFormat::UserProperty + 32;
// Table cell property: the height of the cell's row in twips (RTF \trrh: positive at least,
// negative exactly), which Qt's tables have no property for.
constexpr int CellRowHeightTwips = QTextFormat::UserProperty + 40;
// List properties: the number of the first item (an int; absent = 1), the level text with the
// numbers of levels as %1..%9 (a QString, e.g. "%1.%2."), and the RTF list the list is a level
// of (an int; lists with the same value are levels of one list, told apart by their indent).
constexpr int ListStart = QTextFormat::UserProperty + 41;
constexpr int ListLevelText = QTextFormat::UserProperty + 42;
constexpr int ListGroup = QTextFormat::UserProperty + 43;
// List property: the level of the list in its outline, 0..8 (an int; absent = the indent less
// one). The indent may be larger, to give a wide number room.
constexpr int ListLevel = QTextFormat::UserProperty + 44;
// List property: the number style of a numbered list (a QTextListFormat::Style: decimal, letters,
// Roman numerals, or ListStyleUndefined for a level that shows its text without a number).
constexpr int ListNumberStyle = QTextFormat::UserProperty + 45;

// A resource name for a picture that no other picture of this process has.
QString newImageName();

// The font a new document starts with.
inline constexpr const char* DefaultFontName = "Courier New";
constexpr double DefaultFontPointSize = 9.0;

double charOffsetTwips(const QTextCharFormat& format);

// Sets the offset and the matching drawn baseline shift for the format's font size
// (`pointSize` when the format carries none).
void setCharOffsetTwips(QTextCharFormat& format, double twips, double pointSize);

// The baseline shift in percent that draws `twips` for a font of `pointSize` points.
double baselinePercentFor(double twips, double pointSize);

} // namespace docformat
