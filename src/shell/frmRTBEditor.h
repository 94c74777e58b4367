#pragma once

#include "platform/CommonDialog.h"
#include "platform/Forms.h"
#include "platform/ImageList.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QTimer;
class RichTextBox;
class StatusBar;
class Toolbar;
class ToolbarButton;
class cCustomClipboard;

// The main window: the one document window, hub of every command. Its handlers are defined in the
// folders of the subsystems they belong to (shell, editing, formatting, insertion, find).
class frmRTBEditor : public QMainWindow
{
    Q_OBJECT
public:
    frmRTBEditor();
    ~frmRTBEditor() override;

    // The program's one main window, or nullptr before it exists and after it is gone.
    static frmRTBEditor* instance();

    // Document state.
    bool gblnDocSaved = true;

    // Controls.
    Toolbar* tbrStandard = nullptr;
    Toolbar* tbrFormatting = nullptr;
    RichTextBox* rtbEditor = nullptr;
    RichTextBox* rtbSaved = nullptr;
    RichTextBox* rtbTemp = nullptr;
    StatusBar* sbrMain = nullptr;
    CommonDialog dlgRTBEditor;
    QTimer* tmrDelay = nullptr;

    // Menu items.
    QAction* mnuNew = nullptr;
    QAction* mnuOpen = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveAs = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuExit = nullptr;
    QAction* mnuUndo = nullptr;
    QAction* mnuCut = nullptr;
    QAction* mnuCopy = nullptr;
    QAction* mnuPaste = nullptr;
    QAction* mnuDelete = nullptr;
    QAction* mnuSelectAll = nullptr;
    QAction* mnuFind = nullptr;
    QAction* mnuFindNext = nullptr;
    QAction* mnuReplace = nullptr;
    QAction* mnuToolbar = nullptr;
    QAction* mnuFormatBar = nullptr;
    QAction* mnuStatusBar = nullptr;
    QAction* mnuDateTime = nullptr;
    QAction* mnuPicture = nullptr;
    QAction* mnuFont = nullptr;
    QAction* mnuSubscript = nullptr;
    QAction* mnuSuperscript = nullptr;
    QAction* mnuLowercase = nullptr;
    QAction* mnuUpperCase = nullptr;
    QAction* mnuBullets = nullptr;
    QAction* mnuParagraph = nullptr;
    QAction* mnuAbout = nullptr;

    // Start-up, layout and the View menu.
    void Form_Load();
    void Form_Resize();
    void tmrDelay_Timer();
    void mnuToolbar_Click();
    void mnuFormatBar_Click();
    void mnuStatusBar_Click();
    void mnuAbout_Click();

    // Selection state.
    void rtbEditor_SelChange();
    void rtbEditor_Change();
    long GetColumnFromChar(const RichTextBox& box, long line, long position) const;

    // The client area between the menu bar and the window's bottom edge, in twips.
    float clientWidth() const;
    float clientHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createStandardToolbar();
    void createFormattingToolbar();
    void createStatusBar();
    void connectControls();
    void placeBars();
    void toggleToolbar(QAction* item, Toolbar* bar);

    FormRegistration m_form{this, QStringLiteral("frmRTBEditor")};
    QWidget* m_client = nullptr;
    ImageList imlToolbarIcons;
    ImageList imlToolbarIconsDisabled;
};
