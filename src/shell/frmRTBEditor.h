#pragma once

#include "platform/bars/ImageList.h"
#include "platform/control/RichTextBox.h"
#include "platform/dialogs/CommonDialog.h"
#include "platform/dialogs/Forms.h"

#include <QImage>
#include <QMainWindow>

#include <memory>

class PlatformError;
class RecoveryKeeper;
class cCustomClipboard;
class QAction;
class QTimer;
class StatusBar;
class Toolbar;
class ToolbarButton;
namespace recovery
{
class OrphanedCopy;
}

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
    QString m_sFileName;
    bool m_blnCancelExit = false;

    // The window's clipboard object, created on first use, and the identifier of the clipboard
    // format "Rich Text Format" in which the editor copies and pastes.
    std::shared_ptr<cCustomClipboard> m_cClip;
    long m_lId = 0;

    // The picture that picture insertion loaded last.
    QImage picTemp;

    // Controls.
    Toolbar* tbrStandard = nullptr;
    Toolbar* tbrFormatting = nullptr;
    RichTextBox* rtbEditor = nullptr;
    RichTextBox* rtbSaved = nullptr;
    RichTextBox* rtbTemp = nullptr;
    StatusBar* sbrMain = nullptr;
    CommonDialog dlgRTBEditor;
    QTimer* tmrDelay = nullptr;
    // The recovery copy of the document's unsaved changes.
    RecoveryKeeper* m_recovery = nullptr;

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

    // Document lifecycle and printing (shell).
    void mnuNew_Click();
    void mnuOpen_Click();
    void mnuSave_Click();
    void mnuSaveAs_Click();
    void mnuExit_Click();
    void Form_QueryUnload(int& cancel, int unloadMode);
    void mnuPrint_Click();
    // Loads `path` as Open does after its dialog: caption, file name, saved flag.
    void LoadDocument(const QString& path);
    // Loads a file named on the command line; a failure shows the error report "Open Error".
    void OpenFileFromCommandLine(const QString& path);
    // The error report: critical icon, the title of the failed operation, number and description.
    void ShowErrorReport(const QString& title, const PlatformError& error);
    // The document's name as the caption shows it: "Untitled" or the full path.
    QString DocumentName() const;
    // Before unsaved changes are replaced by another document: asks whether to save them. True
    // when they may be replaced (saved, or the user chose not to save), false on Cancel or a
    // failed save.
    bool ConfirmReplacingChanges();

    // Recovery (shell): offers back, one after the other, the unsaved documents of earlier runs
    // that ended abnormally. Yes puts one in the editor, unsaved, under its own file's name; No
    // deletes it.
    void OfferRecovery();
    void OfferOrphanedCopy(recovery::OrphanedCopy& orphan);
    void RestoreRecoveredDocument(const QByteArray& rtf, const QString& documentPath);

    // Undo (editing).
    void TakeUndoSnapshot();
    void mnuUndo_Click();

    // Selection state (editing).
    void rtbEditor_SelChange();
    void rtbEditor_Change();
    void rtbEditor_KeyUp(int keyCode, int shift);
    void rtbEditor_MouseUp(int button, int shift, float x, float y);
    void UpdateEditCommands();
    bool CanPaste();
    // Creates the clipboard object if needed and registers "Rich Text Format" into m_lId.
    void RegisterRichTextFormat();
    long GetColumnFromChar(const RichTextBox& box, long line, long position) const;

    // Keyboard and clipboard commands (editing).
    void rtbEditor_KeyDown(int& keyCode, int& shift);
    void InsertKeyDown(int& keyCode, int& shift);
    // The editor hook: C, V and X key-downs never reach the editor's own handling and every
    // paste request goes to ProcessPaste. Installed first at start-up, removed when closing.
    void InstallEditorHook();
    void RemoveEditorHook();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void ProcessPaste();
    void mnuDelete_Click();
    void mnuSelectAll_Click();

    // Drag and drop and the middle-click (editing): true when something was inserted.
    bool rtbEditor_Drop(const RichTextBox::Drop& drop);
    // Moves (or copies) the selection to `position`, taking the undo snapshot first.
    bool MoveSelectionTo(long position, bool copy);

    // Character and paragraph formatting, toolbar dispatch (formatting).
    void ToggleBold();
    void ToggleItalic();
    void ToggleUnderline();
    void SelectColor();
    void mnuFont_Click();
    void mnuSubscript_Click();
    void mnuSuperscript_Click();
    void mnuLowercase_Click();
    void mnuUpperCase_Click();
    void SelectAlignLeft();
    void SelectAlignCenter();
    void SelectAlignRight();
    void ToggleBullets();
    void mnuBullets_Click();
    void mnuParagraph_Click();
    void tbrFormatting_ButtonClick(ToolbarButton* button);
    void tbrStandard_ButtonClick(ToolbarButton* button);

    // Insertion.
    void mnuDateTime_Click();
    void mnuPicture_Click();

    // Find and replace.
    void mnuFind_Click();
    void mnuFindNext_Click();
    void mnuReplace_Click();

    // The client area between the menu bar and the window's bottom edge, in twips.
    float clientWidth() const;
    float clientHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createStandardToolbar();
    void createFormattingToolbar();
    void createStatusBar();
    void connectControls();
    void placeBars();
    void toggleToolbar(QAction* item, Toolbar* bar);
    void setCaption(const QString& documentName);
    // The document matches its file, or a new empty one replaced it: saved, no recovery copy.
    void setDocumentSettled();

    // Each subsystem connects its own menu items, toolbar and editor events.
    void connectDocumentCommands();
    void connectEditingCommands();
    void connectFormattingCommands();
    void connectInsertionCommands();
    void connectFindCommands();

    FormRegistration m_form{this, QStringLiteral("frmRTBEditor")};
    QWidget* m_client = nullptr;
    ImageList imlToolbarIcons;
    ImageList imlToolbarIconsDisabled;
};
