#pragma once

#include <QTextEdit>

class RichTextBox;

// The editing view of a visible rich text control. It raises the control's key and mouse events,
// sends every paste request to the control's paste handler, drops and middle-clicks to its drop
// handler, and builds clipboard data lazily.
class RichTextView : public QTextEdit
{
    Q_OBJECT
public:
    RichTextView(RichTextBox* box, QWidget* parent);

    // The selection as the view offers it to a drag, the clipboard or the primary selection.
    QMimeData* createMimeDataFromSelection() const override;
    // Whether a drag may drop `source` here.
    bool canInsertFromMimeData(const QMimeData* source) const override;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    bool runClipboardHandler(const QKeyEvent& event);
    bool isOwnSelection(const QMimeData* data) const;
    void insertPrimarySelection(const QPoint& at);
    void offerPrimarySelection();

    RichTextBox* m_box;
};
