#pragma once

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTextCursor>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMimeData;
class QPrinter;
class QTextCharFormat;
class QTextDocument;
class QWidget;
class RichTextView;

// The characters from `start` to `end` as plain text for other programs: "\n" between lines, and
// none of the marker characters that stand for pictures and kept RTF groups.
QString plainTextOfRange(const QTextDocument& document, int start, int end);

// The rich text control: one document with a selection, read and changed through its properties.
// A visible control has an editing view; a hidden one (the undo snapshot) has none and keeps RTF
// as bytes until its document is needed.
//
// Positions are zero-based character offsets, geometry is in twips. A selection attribute reads
// std::nullopt when the selected characters or paragraphs differ in it, and the value at the
// insertion point when nothing is selected.
class RichTextBox : public QObject
{
    Q_OBJECT
public:
    enum FileType { rtfRTF = 0, rtfText = 1 };
    enum FindOptions { rtfWholeWord = 2, rtfMatchCase = 4, rtfNoHighlight = 8 };
    enum Alignment { rtfLeft = 0, rtfRight = 1, rtfCenter = 2 };

    // A hidden control.
    explicit RichTextBox(QObject* parent = nullptr);
    // A visible control whose view is a child of `viewParent`.
    explicit RichTextBox(QWidget* viewParent);
    ~RichTextBox() override;

    RichTextView* view() const;
    QTextDocument* document() const;

    // Whole document and selection as RTF.
    QByteArray TextRTF() const;
    void setTextRTF(const QByteArray& rtf);
    QByteArray SelRTF() const;
    void setSelRTF(const QByteArray& rtf);

    QString Text() const;
    QString SelText() const;
    void setSelText(const QString& text);

    // The selection as plain text, as other programs take it from the clipboard (see
    // plainTextOfRange).
    QString SelPlainText() const;

    long SelStart() const;
    void setSelStart(long start);
    long SelLength() const;
    void setSelLength(long length);

    std::optional<bool> SelBold() const;
    void setSelBold(std::optional<bool> on);
    std::optional<bool> SelItalic() const;
    void setSelItalic(std::optional<bool> on);
    std::optional<bool> SelUnderline() const;
    void setSelUnderline(std::optional<bool> on);
    std::optional<bool> SelStrikeThru() const;
    void setSelStrikeThru(std::optional<bool> on);
    std::optional<QColor> SelColor() const;
    void setSelColor(std::optional<QColor> color);
    std::optional<QString> SelFontName() const;
    void setSelFontName(std::optional<QString> name);
    std::optional<double> SelFontSize() const;
    void setSelFontSize(std::optional<double> points);
    std::optional<double> SelCharOffset() const;
    void setSelCharOffset(std::optional<double> twips);
    std::optional<int> SelAlignment() const;
    void setSelAlignment(std::optional<int> alignment);
    std::optional<bool> SelBullet() const;
    void setSelBullet(std::optional<bool> on);

    // The right wrap margin in twips from the control's left edge; 0 wraps at the control's edge.
    float RightMargin() const { return m_rightMargin; }
    void setRightMargin(float twips);

    // The zero-based displayed line that holds the character at `position`.
    long GetLineFromChar(long position) const;
    // The position of the first character of the displayed line that holds `position`.
    long lineStartFromChar(long position) const;

    // Selects and returns the first match of `text` from `start` up to `end` (-1: the document's
    // end), or -1 when there is none. Options: 2 whole word, 4 match case, 8 no highlight.
    long Find(const QString& text, long start, long end = -1, int options = 0);

    // Runs `edit` as one change of the document: the view keeps its caret and scroll position
    // while the steps run (each step still reads and sets the control's selection), the layout
    // is updated once, and SelChange and Change are raised once at the end. For commands that
    // make many edits in a row, such as Replace All.
    void editAsOne(const std::function<void()>& edit);

    // Read or write the whole document; errors raise PlatformError with the classic numbers.
    void LoadFile(const QString& path, int fileType = rtfRTF);
    void SaveFile(const QString& path, int fileType = rtfRTF) const;

    // Prints the selection, or the whole document when nothing is selected.
    void SelPrint(QPrinter* printer) const;

    // Embeds the picture in `sourceFile` at the insertion point.
    void OLEObjectsAdd(const QString& sourceFile);

    // Placement on the window, in twips.
    float Left() const { return m_left; }
    float Top() const { return m_top; }
    float Width() const { return m_width; }
    float Height() const { return m_height; }
    void setLeft(float twips);
    void setTop(float twips);
    // Raise error 380 "Invalid property value" for a negative size.
    void setWidth(float twips);
    void setHeight(float twips);
    bool Visible() const { return m_visible; }
    void setVisible(bool visible);

    // A paste request that the view receives by any path (keys, the view's own paste) goes here
    // when set; so do the keys the view would copy or cut with itself.
    void setPasteHandler(std::function<void()> handler);
    const std::function<void()>& pasteHandler() const { return m_pasteHandler; }
    void setCopyHandler(std::function<void()> handler) { m_copyHandler = std::move(handler); }
    const std::function<void()>& copyHandler() const { return m_copyHandler; }
    void setCutHandler(std::function<void()> handler) { m_cutHandler = std::move(handler); }
    const std::function<void()>& cutHandler() const { return m_cutHandler; }

    // The commands the view's right-click menu offers, in order (nullptr: a separator). The
    // actions are shown as they are, enabled or not. Without any, the view offers Qt's own menu.
    void setContextMenuActions(QList<QAction*> actions)
    {
        m_contextMenuActions = std::move(actions);
    }
    const QList<QAction*>& contextMenuActions() const { return m_contextMenuActions; }

    // A drop on the view, or a middle-click that inserts the primary selection.
    struct Drop {
        const QMimeData* data; // what is dropped
        long position;         // where
        bool ownSelection;     // the control's own selection, dragged within the document
        bool copy;             // dragged with Ctrl: the selection also stays where it was
    };
    // Handles drops and middle-clicks when set (true: something was inserted); without one, the
    // view does what Qt does.
    void setDropHandler(std::function<bool(const Drop&)> handler)
    {
        m_dropHandler = std::move(handler);
    }
    const std::function<bool(const Drop&)>& dropHandler() const { return m_dropHandler; }

    // How the view treats a key before the window's shortcuts see it.
    enum class KeyClaim { Default, Claim, LeaveToShortcuts };
    void setKeyClaim(std::function<KeyClaim(int keyCode, int shift)> claim);
    KeyClaim keyClaim(int keyCode, int shift) const;

    // Raises the control's events (the view calls these).
    void raiseKeyDown(int& keyCode, int& shift);
    void raiseKeyUp(int keyCode, int shift);
    void raiseMouseUp(int button, int shift, float x, float y);

Q_SIGNALS:
    void Change();
    void SelChange();
    void KeyDown(int& keyCode, int& shift);
    void KeyUp(int keyCode, int shift);
    void MouseUp(int button, int shift, float x, float y);

private:
    void setUpDocument(QTextDocument* document);
    void materialize() const;
    QTextCursor cursor() const;
    void setCursor(const QTextCursor& cursor);
    void applyCharFormat(const QTextCharFormat& format);
    // Replaces the whole content with what `fill` puts into an empty document.
    void replaceContent(const std::function<void(QTextDocument&)>& fill);
    template <typename Read>
    auto readCharAttribute(Read read) const -> std::optional<decltype(read(QTextCharFormat()))>;
    void updateGeometry();
    void invalidateLineCache() const;
    void ensureLineCache() const;
    void onContentsChange(int position, int removed, int added);
    void onViewSelectionChange();
    void onLayoutCaughtUp();

    std::unique_ptr<QTextDocument> m_document;
    QPointer<RichTextView> m_view;
    mutable QTextCursor m_cursor;
    mutable QByteArray m_pendingRtf;
    mutable bool m_hasPendingRtf = false;
    bool m_suppressChange = false;
    bool m_editingAsOne = false;
    bool m_showCaretWhenLaidOut = false;
    bool m_selChangeWhenLaidOut = false;

    float m_left = 0, m_top = 0, m_width = 0, m_height = 0;
    bool m_visible = true;
    float m_rightMargin = 0;

    std::function<void()> m_pasteHandler;
    std::function<void()> m_copyHandler;
    std::function<void()> m_cutHandler;
    std::function<KeyClaim(int, int)> m_keyClaim;
    QList<QAction*> m_contextMenuActions;
    std::function<bool(const Drop&)> m_dropHandler;

    mutable std::vector<int> m_linesBeforeBlock;
    mutable bool m_lineCacheValid = false;
};
