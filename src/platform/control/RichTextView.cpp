#include "platform/control/RichTextView.h"

#include "platform/control/DroppedContent.h"
#include "platform/control/IncrementalDocumentLayout.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Units.h"
#include "platform/core/VirtualKeys.h"
#include "platform/rtf/Rtf.h"
#include "platform/rtf/RtfCarriedGroups.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace
{

const QString RtfMime = QStringLiteral("text/rtf");
const QString TextMime = QStringLiteral("text/plain");

// The selection as clipboard data, built only when a program asks for it. Under X11 the view
// offers its selection on every selection change; building RTF there would write the document on
// every Shift+Arrow.
class LazySelectionMimeData : public QMimeData
{
public:
    LazySelectionMimeData(QTextDocument* document, int start, int end)
        : m_document(document), m_start(start), m_end(end), m_revision(document->revision())
    {
    }

    bool isOf(const QTextDocument* document) const { return m_document == document; }
    QStringList formats() const override { return {RtfMime, TextMime}; }
    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == RtfMime || mimeType == TextMime;
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType) const override
    {
        // A selection of a document that has changed since is gone.
        if (!m_document || m_document->revision() != m_revision)
            return QVariant();
        if (mimeType == RtfMime)
            return rtf::writeRange(*m_document, m_start, m_end);
        if (mimeType == TextMime)
            return plainTextOfRange(*m_document, m_start, m_end);
        return QVariant();
    }

private:
    QPointer<QTextDocument> m_document;
    int m_start;
    int m_end;
    int m_revision;
};

} // namespace

RichTextView::RichTextView(RichTextBox* box, QWidget* parent) : QTextEdit(parent), m_box(box)
{
    setAcceptRichText(true);
    setTabChangesFocus(false);
    connect(this, &QTextEdit::selectionChanged, this, &RichTextView::offerPrimarySelection);
}

void RichTextView::offerPrimarySelection()
{
    // Qt offers a selection made with the mouse or the keys; one made by a command (Select All,
    // Find) is offered here too. The data is built only when another program asks for it.
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (textCursor().hasSelection() && clipboard->supportsSelection())
        clipboard->setMimeData(createMimeDataFromSelection(), QClipboard::Selection);
}

bool RichTextView::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        auto* keyEvent = static_cast<QKeyEvent*>(event);
        switch (m_box->keyClaim(vk::keyCode(*keyEvent), vk::shiftState(*keyEvent))) {
        case RichTextBox::KeyClaim::Claim:
            keyEvent->accept();
            return true;
        case RichTextBox::KeyClaim::LeaveToShortcuts:
            keyEvent->ignore();
            return true;
        case RichTextBox::KeyClaim::Default:
            break;
        }
    }
    return QTextEdit::event(event);
}

namespace
{

// After Enter split a paragraph in two (the caret at the start of the second part): the page
// break before it and the section it begins stay with the first part, the page break after it
// goes with the second, as Qt gives both parts the same format.
void keepBreaksWithTheirPart(const QTextCursor& caret)
{
    const QTextBlock second = caret.block();
    const QTextBlock first = second.previous();
    if (!first.isValid())
        return;
    QTextBlockFormat firstFormat = first.blockFormat();
    QTextBlockFormat secondFormat = second.blockFormat();
    firstFormat.setPageBreakPolicy(firstFormat.pageBreakPolicy() &
                                   ~QTextFormat::PageBreak_AlwaysAfter);
    secondFormat.setPageBreakPolicy(secondFormat.pageBreakPolicy() &
                                    ~QTextFormat::PageBreak_AlwaysBefore);
    secondFormat.clearProperty(carried::SectionWords);
    secondFormat.clearProperty(carried::SectionNumber);
    if (firstFormat == first.blockFormat() && secondFormat == second.blockFormat())
        return;
    QTextCursor cursor(first);
    cursor.joinPreviousEditBlock();
    cursor.setBlockFormat(firstFormat);
    cursor.setPosition(second.position());
    cursor.setBlockFormat(secondFormat);
    cursor.endEditBlock();
}

} // namespace

void RichTextView::keyPressEvent(QKeyEvent* event)
{
    // Moving by lines needs the caret's paragraph laid out, also while a large paste is still
    // being laid out in the background.
    IncrementalDocumentLayout::ensureLaidOut(textCursor().block());
    int keyCode = vk::keyCode(*event);
    int shift = vk::shiftState(*event);
    const bool unconsumable = keyCode == 0 && shift == 0;
    m_box->raiseKeyDown(keyCode, shift);
    if (keyCode == 0 && shift == 0 && !unconsumable) {
        event->accept();
        return;
    }
    if (runClipboardHandler(*event)) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
        setOverwriteMode(!overwriteMode());
        event->accept();
        return;
    }
    const bool splitsParagraph = event->matches(QKeySequence::InsertParagraphSeparator);
    const int blocks = document()->blockCount();
    QTextEdit::keyPressEvent(event);
    if (splitsParagraph && document()->blockCount() == blocks + 1)
        keepBreaksWithTheirPart(textCursor());
}

bool RichTextView::runClipboardHandler(const QKeyEvent& event)
{
    if (event.matches(QKeySequence::Copy) && m_box->copyHandler()) {
        m_box->copyHandler()();
        return true;
    }
    if (event.matches(QKeySequence::Cut) && m_box->cutHandler()) {
        m_box->cutHandler()();
        return true;
    }
    return false;
}

void RichTextView::contextMenuEvent(QContextMenuEvent* event)
{
    // The program's own commands, enabled as its menu has them, instead of Qt's menu whose
    // commands bypass the program's clipboard and undo rules.
    const QList<QAction*>& actions = m_box->contextMenuActions();
    if (actions.isEmpty()) {
        QTextEdit::contextMenuEvent(event);
        return;
    }
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("editorMenu"));
    for (QAction* action : actions) {
        if (action)
            menu.addAction(action);
        else
            menu.addSeparator();
    }
    menu.exec(event->globalPos());
}

void RichTextView::dropEvent(QDropEvent* event)
{
    if (!m_box->dropHandler()) {
        QTextEdit::dropEvent(event);
        return;
    }
    // Qt takes its drop caret away when the drag leaves or drops.
    QDragLeaveEvent leave;
    QTextEdit::dragLeaveEvent(&leave);
    const bool copy = event->modifiers().testFlag(Qt::ControlModifier);
    const RichTextBox::Drop drop{event->mimeData(),
                                 cursorForPosition(event->position().toPoint()).position(),
                                 isOwnSelection(event->mimeData()), copy};
    if (!m_box->dropHandler()(drop)) {
        event->ignore();
        return;
    }
    // Qt's drag leaves the text where it was after a move onto its own view: the handler moved it.
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}

bool RichTextView::isOwnSelection(const QMimeData* data) const
{
    const auto* own = dynamic_cast<const LazySelectionMimeData*>(data);
    return own && own->isOf(document());
}

void RichTextView::insertPrimarySelection(const QPoint& at)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* primary =
        clipboard->supportsSelection() ? clipboard->mimeData(QClipboard::Selection) : nullptr;
    if (!primary)
        return;
    m_box->dropHandler()({primary, cursorForPosition(at).position(), false, true});
}

void RichTextView::keyReleaseEvent(QKeyEvent* event)
{
    QTextEdit::keyReleaseEvent(event);
    m_box->raiseKeyUp(vk::keyCode(*event), vk::shiftState(*event));
}

void RichTextView::mouseReleaseEvent(QMouseEvent* event)
{
    // Middle-click inserts the primary selection, as X11 programs do; Qt's view would take it as
    // a paste request, which inserts the clipboard.
    if (event->button() == Qt::MiddleButton && m_box->dropHandler())
        insertPrimarySelection(event->position().toPoint());
    else
        QTextEdit::mouseReleaseEvent(event);
    int button = 0;
    if (event->button() == Qt::LeftButton)
        button = 1;
    else if (event->button() == Qt::RightButton)
        button = 2;
    else if (event->button() == Qt::MiddleButton)
        button = 4;
    int shift = 0;
    if (event->modifiers() & Qt::ShiftModifier)
        shift |= vk::ShiftMask;
    if (event->modifiers() & Qt::ControlModifier)
        shift |= vk::CtrlMask;
    if (event->modifiers() & Qt::AltModifier)
        shift |= vk::AltMask;
    m_box->raiseMouseUp(button, shift, units::pixelsToTwips(qRound(event->position().x())),
                        units::pixelsToTwips(qRound(event->position().y())));
}

bool RichTextView::canInsertFromMimeData(const QMimeData* source) const
{
    if (!source || source->formats().isEmpty())
        return false;
    // Drags offer to drop what a drop can insert.
    if (m_box->dropHandler())
        return isOwnSelection(source) || DroppedContent::isOffered(*source);
    return m_box->pasteHandler() ? true : QTextEdit::canInsertFromMimeData(source);
}

void RichTextView::insertFromMimeData(const QMimeData* source)
{
    // Qt 6.4 crashes on empty data, which Ctrl+V with an empty clipboard delivers on X11.
    if (!source || source->formats().isEmpty())
        return;
    if (m_box->pasteHandler()) {
        m_box->pasteHandler()();
        return;
    }
    QTextEdit::insertFromMimeData(source);
}

QMimeData* RichTextView::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    return new LazySelectionMimeData(document(), cursor.selectionStart(), cursor.selectionEnd());
}
