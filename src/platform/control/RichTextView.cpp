#include "platform/control/RichTextView.h"

#include "platform/control/IncrementalDocumentLayout.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Units.h"
#include "platform/core/VirtualKeys.h"
#include "platform/rtf/Rtf.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QTextCursor>
#include <QTextDocument>

#include <memory>

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
    QTextEdit::keyPressEvent(event);
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
    std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    // The menu's Cut and Copy go through the window's commands, like its keys do.
    for (QAction* action : menu->actions()) {
        const std::function<void()>* handler = nullptr;
        if (action->objectName() == QLatin1String("edit-copy"))
            handler = &m_box->copyHandler();
        else if (action->objectName() == QLatin1String("edit-cut"))
            handler = &m_box->cutHandler();
        if (handler && *handler) {
            disconnect(action, &QAction::triggered, nullptr, nullptr);
            connect(action, &QAction::triggered, this, [handler] { (*handler)(); });
        }
    }
    menu->exec(event->globalPos());
}

void RichTextView::dropEvent(QDropEvent* event)
{
    // A drop is a paste request: it goes to the paste handler at the drop point, and the dragged
    // text is never removed from where it came from.
    if (!m_box->pasteHandler()) {
        QTextEdit::dropEvent(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    setTextCursor(cursorForPosition(event->position().toPoint()));
    m_box->pasteHandler()();
}

void RichTextView::keyReleaseEvent(QKeyEvent* event)
{
    QTextEdit::keyReleaseEvent(event);
    m_box->raiseKeyUp(vk::keyCode(*event), vk::shiftState(*event));
}

void RichTextView::mouseReleaseEvent(QMouseEvent* event)
{
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
