#pragma once

#include <QObject>

class frmRTBEditor;

// The hook in front of the editor's view. Key-downs of C, V and X never reach the editor's own
// handling (its clipboard shortcuts); the letters themselves are still typed. Paste requests
// reach the main window's ProcessPaste through the control's paste handler.
class EditorWndProc : public QObject
{
    Q_OBJECT
public:
    explicit EditorWndProc(QObject* parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
