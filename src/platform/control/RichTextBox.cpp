#include "platform/control/RichTextBox.h"

#include "platform/control/CarriedObjectHandler.h"
#include "platform/control/DocumentPrinting.h"
#include "platform/control/IncrementalDocumentLayout.h"
#include "platform/control/PagePrinting.h"
#include "platform/control/PrintedParts.h"
#include "platform/control/RichTextView.h"
#include "platform/core/Error.h"
#include "platform/core/FileIO.h"
#include "platform/core/Units.h"
#include "platform/document/DocumentFormat.h"
#include "platform/document/PlainText.h"
#include "platform/rtf/Rtf.h"
#include "platform/rtf/RtfCarriedGroups.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QImageReader>
#include <QPrinter>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace
{

constexpr long InvalidPropertyValue = 380;
// Pictures larger than this many pixels are refused before they are decoded.
constexpr qint64 MaxPicturePixels = 64LL * 1024 * 1024;

QFont defaultDocumentFont()
{
    QFont font(QString::fromLatin1(docformat::DefaultFontName));
    font.setPointSizeF(docformat::DefaultFontPointSize);
    return font;
}

bool isBulleted(const QTextBlock& block)
{
    const QTextList* list = block.textList();
    return list && list->format().style() == QTextListFormat::ListDisc;
}

int alignmentCode(Qt::Alignment alignment)
{
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    if (horizontal & Qt::AlignRight)
        return RichTextBox::rtfRight;
    if (horizontal & Qt::AlignHCenter)
        return RichTextBox::rtfCenter;
    return RichTextBox::rtfLeft;
}

Qt::Alignment qtAlignment(int code)
{
    switch (code) {
    case RichTextBox::rtfRight:
        return Qt::AlignRight;
    case RichTextBox::rtfCenter:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

// Reads one attribute over every block the selection touches; nullopt when they differ.
template <typename Read>
auto readBlockAttribute(const QTextDocument& document, const QTextCursor& cursor, Read read)
    -> std::optional<decltype(read(QTextBlock()))>
{
    QTextBlock block = document.findBlock(cursor.selectionStart());
    const QTextBlock last = document.findBlock(cursor.selectionEnd());
    auto value = read(block);
    while (block.isValid() && block != last) {
        block = block.next();
        if (read(block) != value)
            return std::nullopt;
    }
    return value;
}

QString plainFromSelection(QString text)
{
    for (QChar& c : text) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
    }
    return text;
}

void copyImageResources(const QTextDocument& from, QTextDocument& to)
{
    for (QTextBlock block = from.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            const QVariant image = from.resource(QTextDocument::ImageResource, QUrl(name));
            if (image.isValid())
                to.addResource(QTextDocument::ImageResource, QUrl(name), image);
        }
    }
}

} // namespace

RichTextBox::RichTextBox(QObject* parent) : QObject(parent)
{
    setUpDocument(new QTextDocument(this));
}

RichTextBox::RichTextBox(QWidget* viewParent) : QObject(viewParent)
{
    m_view = new RichTextView(this, viewParent);
    setUpDocument(new QTextDocument(this));
    m_view->setDocument(m_document.get());
    m_view->setObjectName(QStringLiteral("rtbEditorView"));
    connect(m_view, &QTextEdit::cursorPositionChanged, this, &RichTextBox::onViewSelectionChange);
    connect(m_view, &QTextEdit::selectionChanged, this, &RichTextBox::onViewSelectionChange);
    connect(m_view, &QTextEdit::currentCharFormatChanged, this,
            &RichTextBox::onViewSelectionChange);
}

RichTextBox::~RichTextBox()
{
    // The view may outlive the control while its window is torn down: detach it first, quietly.
    blockSignals(true);
    if (m_view) {
        disconnect(m_view, nullptr, this, nullptr);
        m_view->setDocument(nullptr);
    }
    m_document.release(); // owned by this QObject as its child
}

RichTextView* RichTextBox::view() const
{
    return m_view.data();
}

void RichTextBox::setUpDocument(QTextDocument* document)
{
    m_document.reset(document);
    document->setUndoRedoEnabled(false);
    document->setDefaultFont(defaultDocumentFont());
    // A paragraph runs left to right unless its format says otherwise, as in RTF. Left to Qt,
    // each paragraph's direction would be guessed from its first letters, paragraph by paragraph
    // on every layout.
    QTextOption option = document->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    document->setDefaultTextOption(option);
    if (m_view) {
        auto* layout = new IncrementalDocumentLayout(document);
        document->setDocumentLayout(layout);
        connect(layout, &IncrementalDocumentLayout::layoutCaughtUp, this,
                &RichTextBox::onLayoutCaughtUp);
        CarriedObjectHandler::install(*document);
    }
    m_cursor = QTextCursor(document);
    connect(document, &QTextDocument::contentsChange, this, &RichTextBox::onContentsChange);
}

void RichTextBox::onContentsChange(int position, int, int)
{
    if (m_lineCacheValid) {
        const int changedBlock = m_document->findBlock(position).blockNumber();
        if (changedBlock >= 0 && changedBlock + 1 < static_cast<int>(m_linesBeforeBlock.size()))
            m_linesBeforeBlock.resize(changedBlock + 1);
    }
    if (!m_suppressChange)
        Q_EMIT Change();
}

void RichTextBox::materialize() const
{
    if (!m_hasPendingRtf)
        return;
    m_hasPendingRtf = false;
    const QByteArray bytes = std::exchange(m_pendingRtf, QByteArray());
    auto* self = const_cast<RichTextBox*>(this);
    self->m_suppressChange = true;
    if (bytes.isEmpty() || !rtf::looksLikeRtf(bytes))
        m_document->setPlainText(QString::fromLatin1(bytes));
    else
        rtf::read(bytes, *m_document);
    self->m_suppressChange = false;
    m_cursor = QTextCursor(m_document.get());
}

QTextDocument* RichTextBox::document() const
{
    materialize();
    return m_document.get();
}

QTextCursor RichTextBox::cursor() const
{
    materialize();
    return m_view && !m_editingAsOne ? m_view->textCursor() : m_cursor;
}

void RichTextBox::setCursor(const QTextCursor& cursor)
{
    if (m_view && !m_editingAsOne) {
        if (IncrementalDocumentLayout::waitsForLayout(cursor.block())) {
            const QTextCursor shown = m_view->textCursor();
            if (shown.position() == cursor.position() && shown.anchor() == cursor.anchor()) {
                // The view has this caret already, after a large change laid out in the
                // background: it scrolls there when the layout has reached it.
                m_showCaretWhenLaidOut = true;
                return;
            }
            IncrementalDocumentLayout::ensureLaidOut(cursor.block());
        }
        m_view->setTextCursor(cursor);
        m_view->ensureCursorVisible();
    } else {
        m_cursor = cursor;
    }
}

void RichTextBox::onViewSelectionChange()
{
    // The caret's line and column come from the layout: while a background layout has not
    // reached the caret, they are reported once it has.
    if (IncrementalDocumentLayout::waitsForLayout(m_view->textCursor().block())) {
        m_selChangeWhenLaidOut = true;
        return;
    }
    Q_EMIT SelChange();
}

void RichTextBox::onLayoutCaughtUp()
{
    if (std::exchange(m_showCaretWhenLaidOut, false))
        m_view->ensureCursorVisible();
    if (std::exchange(m_selChangeWhenLaidOut, false))
        Q_EMIT SelChange();
}

QByteArray RichTextBox::TextRTF() const
{
    if (m_hasPendingRtf)
        return m_pendingRtf;
    return rtf::write(*m_document);
}

void RichTextBox::setTextRTF(const QByteArray& rtf)
{
    if (!m_view) {
        // A hidden control keeps the bytes; its document is read only when somebody needs it.
        m_pendingRtf = rtf;
        m_hasPendingRtf = true;
        return;
    }
    replaceContent([&rtf](QTextDocument& document) {
        if (rtf.isEmpty())
            return;
        try {
            if (!rtf::looksLikeRtf(rtf))
                throw rtf::FormatError("not RTF");
            rtf::read(rtf, document);
        } catch (const rtf::FormatError&) {
            document.setPlainText(QString::fromLatin1(rtf));
        }
    });
}

void RichTextBox::replaceContent(const std::function<void(QTextDocument&)>& fill)
{
    materialize();
    m_hasPendingRtf = false;
    if (!m_view) {
        fill(*m_document);
        m_cursor = QTextCursor(m_document.get());
        invalidateLineCache();
        return;
    }
    // The new content is built in a document of its own and then handed to the view whole: the
    // view lays out one finished document instead of following every insertion, and a failure
    // leaves the shown document as it was.
    auto fresh = std::make_unique<QTextDocument>();
    fresh->setUndoRedoEnabled(false);
    fresh->setDefaultFont(defaultDocumentFont());
    fill(*fresh);
    QTextDocument* old = m_document.release();
    disconnect(old, nullptr, this, nullptr);
    fresh->setParent(this);
    setUpDocument(fresh.release());
    m_view->setDocument(m_document.get());
    delete old;
    setCursor(QTextCursor(m_document.get()));
    invalidateLineCache();
    if (!m_suppressChange)
        Q_EMIT Change();
    Q_EMIT SelChange();
}

QByteArray RichTextBox::SelRTF() const
{
    const QTextCursor c = cursor();
    return rtf::writeRange(*m_document, c.selectionStart(), c.selectionEnd());
}

void RichTextBox::setSelRTF(const QByteArray& rtf)
{
    QTextCursor c = cursor();
    c.beginEditBlock();
    try {
        rtf::insert(rtf, c);
    } catch (const rtf::FormatError&) {
        c.insertText(QString::fromLatin1(rtf));
    }
    c.endEditBlock();
    setCursor(c);
}

QString plainTextOfRange(const QTextDocument& document, int start, int end)
{
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    QString text = plainFromSelection(cursor.selectedText());
    text.remove(QChar::ObjectReplacementCharacter);
    return text;
}

QString RichTextBox::SelPlainText() const
{
    const QTextCursor c = cursor();
    return plainTextOfRange(*document(), c.selectionStart(), c.selectionEnd());
}

QString RichTextBox::Text() const
{
    return document()->toPlainText();
}

QString RichTextBox::SelText() const
{
    return plainFromSelection(cursor().selectedText());
}

void RichTextBox::setSelText(const QString& text)
{
    QTextCursor c = cursor();
    c.insertText(text);
    c.clearSelection();
    setCursor(c);
}

long RichTextBox::SelStart() const
{
    return cursor().selectionStart();
}

void RichTextBox::setSelStart(long start)
{
    QTextCursor c = cursor();
    const long length = document()->characterCount() - 1;
    c.setPosition(static_cast<int>(std::clamp(start, 0L, length)));
    setCursor(c);
}

long RichTextBox::SelLength() const
{
    const QTextCursor c = cursor();
    return c.selectionEnd() - c.selectionStart();
}

void RichTextBox::setSelLength(long length)
{
    QTextCursor c = cursor();
    const long start = c.selectionStart();
    const long documentLength = document()->characterCount() - 1;
    c.setPosition(static_cast<int>(start));
    c.setPosition(static_cast<int>(std::clamp(start + std::max(0L, length), start, documentLength)),
                  QTextCursor::KeepAnchor);
    setCursor(c);
}

template <typename Read>
auto RichTextBox::readCharAttribute(Read read) const
    -> std::optional<decltype(read(QTextCharFormat()))>
{
    const QTextCursor c = cursor();
    if (!c.hasSelection())
        return read(c.charFormat());
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    std::optional<decltype(read(QTextCharFormat()))> value;
    for (QTextBlock block = m_document->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() + fragment.length() <= start)
                continue;
            if (fragment.position() >= end)
                break;
            const auto fragmentValue = read(fragment.charFormat());
            if (!value)
                value = fragmentValue;
            else if (*value != fragmentValue)
                return std::nullopt;
        }
    }
    if (!value)
        return read(c.charFormat());
    return value;
}

void RichTextBox::applyCharFormat(const QTextCharFormat& format)
{
    QTextCursor c = cursor();
    if (m_view && !c.hasSelection()) {
        m_view->mergeCurrentCharFormat(format);
        return;
    }
    c.mergeCharFormat(format);
    setCursor(c);
}

std::optional<bool> RichTextBox::SelBold() const
{
    return readCharAttribute(
        [](const QTextCharFormat& f) { return f.fontWeight() >= QFont::Bold; });
}

void RichTextBox::setSelBold(std::optional<bool> on)
{
    if (!on)
        return;
    QTextCharFormat format;
    format.setFontWeight(*on ? QFont::Bold : QFont::Normal);
    applyCharFormat(format);
}

std::optional<bool> RichTextBox::SelItalic() const
{
    return readCharAttribute([](const QTextCharFormat& f) { return f.fontItalic(); });
}

void RichTextBox::setSelItalic(std::optional<bool> on)
{
    if (!on)
        return;
    QTextCharFormat format;
    format.setFontItalic(*on);
    applyCharFormat(format);
}

std::optional<bool> RichTextBox::SelUnderline() const
{
    return readCharAttribute([](const QTextCharFormat& f) { return f.fontUnderline(); });
}

void RichTextBox::setSelUnderline(std::optional<bool> on)
{
    if (!on)
        return;
    QTextCharFormat format;
    format.setFontUnderline(*on);
    applyCharFormat(format);
}

std::optional<bool> RichTextBox::SelStrikeThru() const
{
    return readCharAttribute([](const QTextCharFormat& f) { return f.fontStrikeOut(); });
}

void RichTextBox::setSelStrikeThru(std::optional<bool> on)
{
    if (!on)
        return;
    QTextCharFormat format;
    format.setFontStrikeOut(*on);
    applyCharFormat(format);
}

std::optional<QColor> RichTextBox::SelColor() const
{
    auto rgb = readCharAttribute([](const QTextCharFormat& f) {
        return f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color().rgb()
                                                           : QColor(Qt::black).rgb();
    });
    if (!rgb)
        return std::nullopt;
    return QColor::fromRgb(*rgb);
}

void RichTextBox::setSelColor(std::optional<QColor> color)
{
    if (!color)
        return;
    QTextCharFormat format;
    format.setForeground(*color);
    applyCharFormat(format);
}

std::optional<QString> RichTextBox::SelFontName() const
{
    const QString fallback = m_document->defaultFont().family();
    return readCharAttribute([&fallback](const QTextCharFormat& f) {
        const QStringList families = f.fontFamilies().toStringList();
        return families.isEmpty() ? fallback : families.constFirst();
    });
}

void RichTextBox::setSelFontName(std::optional<QString> name)
{
    if (!name)
        return;
    QTextCharFormat format;
    format.setFontFamilies({*name});
    applyCharFormat(format);
}

std::optional<double> RichTextBox::SelFontSize() const
{
    const double fallback = m_document->defaultFont().pointSizeF();
    return readCharAttribute([fallback](const QTextCharFormat& f) {
        return f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : fallback;
    });
}

void RichTextBox::setSelFontSize(std::optional<double> points)
{
    if (!points || *points <= 0)
        return;
    const std::optional<double> offset = SelCharOffset();
    QTextCharFormat format;
    format.setFontPointSize(*points);
    // The drawn shift of raised or lowered text is relative to the size: keep the twips.
    if (offset && *offset != 0)
        docformat::setCharOffsetTwips(format, *offset, *points);
    applyCharFormat(format);
}

std::optional<double> RichTextBox::SelCharOffset() const
{
    return readCharAttribute(
        [](const QTextCharFormat& f) { return docformat::charOffsetTwips(f); });
}

void RichTextBox::setSelCharOffset(std::optional<double> twips)
{
    if (!twips)
        return;
    const std::optional<double> size = SelFontSize();
    QTextCharFormat format;
    docformat::setCharOffsetTwips(format, *twips, size.value_or(docformat::DefaultFontPointSize));
    if (*twips == 0) {
        format.setProperty(docformat::CharOffsetTwips, 0.0);
        format.setBaselineOffset(0);
    }
    applyCharFormat(format);
}

std::optional<int> RichTextBox::SelAlignment() const
{
    return readBlockAttribute(*document(), cursor(), [](const QTextBlock& block) {
        return alignmentCode(block.blockFormat().alignment());
    });
}

void RichTextBox::setSelAlignment(std::optional<int> alignment)
{
    if (!alignment)
        return;
    QTextBlockFormat format;
    format.setAlignment(qtAlignment(*alignment));
    QTextCursor c = cursor();
    c.mergeBlockFormat(format);
    setCursor(c);
}

std::optional<bool> RichTextBox::SelBullet() const
{
    return readBlockAttribute(*document(), cursor(), &isBulleted);
}

void RichTextBox::setSelBullet(std::optional<bool> on)
{
    if (!on)
        return;
    QTextCursor c = cursor();
    QTextDocument& doc = *document();
    const QTextBlock first = doc.findBlock(c.selectionStart());
    const QTextBlock last = doc.findBlock(c.selectionEnd());
    c.beginEditBlock();
    if (*on) {
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        format.setIndent(1);
        QTextList* list = nullptr;
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (!isBulleted(block)) {
                if (!list) {
                    QTextCursor blockCursor(block);
                    list = blockCursor.createList(format);
                } else {
                    list->add(block);
                }
            }
            if (block == last)
                break;
        }
    } else {
        for (QTextBlock block = first; block.isValid(); block = block.next()) {
            if (QTextList* list = block.textList())
                list->remove(block);
            QTextCursor blockCursor(block);
            QTextBlockFormat format = block.blockFormat();
            format.setIndent(0);
            blockCursor.setBlockFormat(format);
            if (block == last)
                break;
        }
    }
    c.endEditBlock();
    setCursor(c);
}

void RichTextBox::setRightMargin(float twips)
{
    m_rightMargin = twips;
    if (m_view) {
        if (twips > 0) {
            m_view->setLineWrapMode(QTextEdit::FixedPixelWidth);
            m_view->setLineWrapColumnOrWidth(std::max(1, units::twipsToPixels(twips)));
        } else {
            m_view->setLineWrapMode(QTextEdit::WidgetWidth);
        }
    }
    invalidateLineCache();
}

void RichTextBox::invalidateLineCache() const
{
    m_lineCacheValid = false;
    m_linesBeforeBlock.clear();
}

void RichTextBox::ensureLineCache() const
{
    // linesBefore[i] is the number of displayed lines in blocks 0 .. i-1; entries are kept for
    // the blocks before the last change, so typing recounts only what follows the change.
    if (!m_lineCacheValid) {
        m_linesBeforeBlock.assign(1, 0);
        m_lineCacheValid = true;
    }
}

long RichTextBox::GetLineFromChar(long position) const
{
    QTextDocument& doc = *document();
    const long length = doc.characterCount() - 1;
    position = std::clamp(position, 0L, std::max(0L, length));
    const QTextBlock target = doc.findBlock(static_cast<int>(position));
    if (!target.isValid())
        return 0;
    auto linesIn = [](const QTextBlock& block) {
        if (!block.isVisible())
            return 0;
        IncrementalDocumentLayout::ensureLaidOut(block);
        return std::max(1, block.layout()->lineCount());
    };
    ensureLineCache();
    const int targetNumber = target.blockNumber();
    int known = static_cast<int>(m_linesBeforeBlock.size()) - 1;
    if (known < targetNumber) {
        QTextBlock block = doc.findBlockByNumber(known);
        int lines = m_linesBeforeBlock.back();
        while (block.isValid() && block.blockNumber() < targetNumber) {
            lines += linesIn(block);
            m_linesBeforeBlock.push_back(lines);
            block = block.next();
        }
    }
    linesIn(target);
    const QTextLine line =
        target.layout()->lineForTextPosition(static_cast<int>(position) - target.position());
    const int lineInBlock = line.isValid() ? line.lineNumber() : 0;
    return m_linesBeforeBlock[targetNumber] + lineInBlock;
}

long RichTextBox::lineStartFromChar(long position) const
{
    QTextDocument& doc = *document();
    position = std::clamp(position, 0L, std::max(0L, static_cast<long>(doc.characterCount() - 1)));
    const QTextBlock block = doc.findBlock(static_cast<int>(position));
    if (!block.isValid())
        return 0;
    IncrementalDocumentLayout::ensureLaidOut(block);
    const QTextLine line =
        block.layout()->lineForTextPosition(static_cast<int>(position) - block.position());
    return block.position() + (line.isValid() ? line.textStart() : 0);
}

long RichTextBox::Find(const QString& text, long start, long end, int options)
{
    QTextDocument& doc = *document();
    const long length = doc.characterCount() - 1;
    if (text.isEmpty() || start < 0 || start > length)
        return -1;
    QTextDocument::FindFlags flags;
    if (options & rtfWholeWord)
        flags |= QTextDocument::FindWholeWords;
    if (options & rtfMatchCase)
        flags |= QTextDocument::FindCaseSensitively;
    const QTextCursor match = doc.find(text, static_cast<int>(start), flags);
    if (match.isNull() || (end >= 0 && match.selectionEnd() > end))
        return -1;
    if (!(options & rtfNoHighlight))
        setCursor(match);
    return match.selectionStart();
}

void RichTextBox::editAsOne(const std::function<void()>& edit)
{
    if (m_editingAsOne) {
        edit();
        return;
    }
    m_cursor = cursor();
    bool changed = false;
    const QMetaObject::Connection noteChange = connect(
        m_document.get(), &QTextDocument::contentsChange, this, [&changed] { changed = true; });
    auto finish = [&] {
        m_editingAsOne = false;
        disconnect(noteChange);
    };
    QTextCursor whole(m_document.get());
    {
        const QSignalBlocker quiet(this);
        whole.beginEditBlock();
        m_editingAsOne = true;
        try {
            edit();
        } catch (...) {
            whole.endEditBlock();
            finish();
            setCursor(m_cursor);
            throw;
        }
        whole.endEditBlock();
        finish();
    }
    setCursor(m_cursor);
    if (changed && !m_suppressChange)
        Q_EMIT Change();
    Q_EMIT SelChange();
}

void RichTextBox::LoadFile(const QString& path, int fileType)
{
    const QByteArray bytes = fileio::readWholeFile(path);
    replaceContent([&bytes, fileType](QTextDocument& document) {
        if (fileType != rtfRTF) {
            document.setPlainText(plaintext::decode(bytes));
            return;
        }
        try {
            rtf::read(bytes, document);
        } catch (const rtf::FormatError&) {
            raiseError(ErrorNumber::InvalidFileFormat);
        }
    });
}

void RichTextBox::SaveFile(const QString& path, int fileType) const
{
    const QByteArray bytes =
        fileType == rtfRTF ? TextRTF() : plaintext::encode(plaintext::textOf(*document()));
    fileio::writeWholeFileAtomically(path, bytes);
}

void RichTextBox::SelPrint(QPrinter* printer) const
{
    if (!printer)
        raiseError(ErrorNumber::PrinterError);
    // The document's own page where the printer allows it; without one, the printer's. Each later
    // section that begins a new page prints on its own page. The header and footer, when the
    // document carries them, are printed on every page.
    const auto groups = carried::documentGroups(*document());
    const pagesetup::PageSetup page = groups ? groups->page : pagesetup::PageSetup();
    const pagesetup::PageSetup firstPage =
        groups ? pagesetup::sectionPage(page, groups->firstSection) : page;
    if (firstPage.isGiven())
        printer->setPageLayout(pagesetup::pageLayoutFor(firstPage));
    const QString header = groups ? carried::headerFooterText(*groups, false) : QString();
    const QString footer = groups ? carried::headerFooterText(*groups, true) : QString();
    const QTextCursor c = cursor();
    QTextDocument printed;
    printed.setDefaultFont(m_document->defaultFont());
    printed.setDefaultTextOption(m_document->defaultTextOption());
    copyImageResources(*m_document, printed);
    if (!c.hasSelection()) {
        printed.rootFrame()->setFrameFormat(m_document->rootFrame()->frameFormat());
        QTextCursor(&printed).insertFragment(QTextDocumentFragment(m_document.get()));
    } else {
        QTextCursor(&printed).insertFragment(c.selection());
    }
    // A selection prints on the first page whatever sections it crosses.
    const std::vector<documentprinting::Part> parts =
        c.hasSelection() ? std::vector<documentprinting::Part>{documentprinting::Part()}
                         : documentprinting::sectionParts(printed, page);
    if (header.isEmpty() && footer.isEmpty())
        documentprinting::print(printed, parts, *printer);
    else
        printWithHeaderAndFooter(printed, parts, *printer, header, footer);
    if (printer->printerState() == QPrinter::Error)
        raiseError(ErrorNumber::PrinterError);
}

void RichTextBox::OLEObjectsAdd(const QString& sourceFile)
{
    const QByteArray bytes = fileio::readWholeFile(sourceFile);
    QImageReader reader(sourceFile);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > MaxPicturePixels)
        throw PlatformError(ErrorNumber::InvalidPicture,
                            QStringLiteral("Invalid picture: %1 x %2 pixels is too large")
                                .arg(size.width())
                                .arg(size.height()));
    const QImage image = reader.read();
    if (image.isNull())
        raiseError(ErrorNumber::InvalidPicture);

    static int pictureCounter = 0;
    const QString name = QStringLiteral("wordlark-picture:%1").arg(++pictureCounter);
    QTextDocument& doc = *document();
    doc.addResource(QTextDocument::ImageResource, QUrl(name), image);

    QSizeF shown = image.size();
    const qreal pageWidth = doc.textWidth() > 0 ? doc.textWidth() - 2 * doc.documentMargin() : 0;
    if (pageWidth > 0 && shown.width() > pageWidth)
        shown = shown * (pageWidth / shown.width());
    QTextImageFormat format;
    format.setName(name);
    format.setWidth(shown.width());
    format.setHeight(shown.height());
    const QByteArray kind = reader.format();
    if (kind == "png" || kind == "jpeg" || kind == "jpg") {
        format.setProperty(docformat::ImageOriginalBytes, bytes);
        format.setProperty(docformat::ImageOriginalKind, kind == "png" ? "png" : "jpeg");
    }
    format.setProperty(docformat::ImageGoalWidthTwips, units::pixelsToTwips(qRound(shown.width())));
    format.setProperty(docformat::ImageGoalHeightTwips,
                       units::pixelsToTwips(qRound(shown.height())));
    QTextCursor c = cursor();
    c.insertImage(format);
    setCursor(c);
}

void RichTextBox::updateGeometry()
{
    if (!m_view)
        return;
    m_view->setGeometry(units::twipsToPixels(m_left), units::twipsToPixels(m_top),
                        units::twipsToPixels(m_width), units::twipsToPixels(m_height));
}

void RichTextBox::setLeft(float twips)
{
    m_left = twips;
    updateGeometry();
}

void RichTextBox::setTop(float twips)
{
    m_top = twips;
    updateGeometry();
}

void RichTextBox::setWidth(float twips)
{
    if (twips < 0)
        throw PlatformError(InvalidPropertyValue, QStringLiteral("Invalid property value"));
    m_width = twips;
    updateGeometry();
}

void RichTextBox::setHeight(float twips)
{
    if (twips < 0)
        throw PlatformError(InvalidPropertyValue, QStringLiteral("Invalid property value"));
    m_height = twips;
    updateGeometry();
}

void RichTextBox::setVisible(bool visible)
{
    m_visible = visible;
    if (m_view)
        m_view->setVisible(visible);
}

void RichTextBox::setPasteHandler(std::function<void()> handler)
{
    m_pasteHandler = std::move(handler);
}

void RichTextBox::setKeyClaim(std::function<KeyClaim(int, int)> claim)
{
    m_keyClaim = std::move(claim);
}

RichTextBox::KeyClaim RichTextBox::keyClaim(int keyCode, int shift) const
{
    return m_keyClaim ? m_keyClaim(keyCode, shift) : KeyClaim::Default;
}

void RichTextBox::raiseKeyDown(int& keyCode, int& shift)
{
    Q_EMIT KeyDown(keyCode, shift);
}

void RichTextBox::raiseKeyUp(int keyCode, int shift)
{
    Q_EMIT KeyUp(keyCode, shift);
}

void RichTextBox::raiseMouseUp(int button, int shift, float x, float y)
{
    Q_EMIT MouseUp(button, shift, x, y);
}
