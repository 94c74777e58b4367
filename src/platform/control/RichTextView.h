#pragma once

#include <QTextEdit>

class RichTextBox;

// The editing view of a visible rich text control. It raises the control's key and mouse events,
// sends every paste request to the control's paste handler, and builds clipboard data lazily.
class RichTextView : public QTextEdit
{
    Q_OBJECT
public:
    RichTextView(RichTextBox* box, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    bool runClipboardHandler(const QKeyEvent& event);

    RichTextBox* m_box;
};
