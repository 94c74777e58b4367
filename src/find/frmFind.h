#pragma once

#include "platform/dialogs/Forms.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The Find and Replace dialog: one modeless, topmost window for both commands. Its caption,
// "Find" or "Replace", set before it is shown, selects the mode. Control geometry is kept in
// twips and can be read back with Left/Top/Width/Height.
class frmFind : public QDialog
{
    Q_OBJECT
public:
    // The one dialog; with `create`, a fresh one in the design layout when none exists.
    static frmFind* instance(bool create = true);

    QLabel* lblfindwhat = nullptr;
    QLineEdit* txtFindWhat = nullptr;
    QLabel* lblReplaceWith = nullptr;
    QLineEdit* txtReplaceWith = nullptr;
    QCheckBox* chkWholeWord = nullptr;
    QCheckBox* chkMatchCase = nullptr;
    QPushButton* cmdFindNext = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdReplaceAll = nullptr;
    QPushButton* cmdCancel = nullptr;

    // True once the first activation has set the dialog up.
    bool m_bActivated = false;

    // Shows the dialog as the active window with the keyboard focus in "Find what", so that what
    // the user types next goes there.
    void ShowActive();

    void Form_Activate();
    void Form_Unload();
    void txtFindWhat_Change();
    void cmdFindNext_Click();
    void cmdReplace_Click();
    void cmdReplaceAll_Click();
    void cmdCancel_Click();

    // Unloads the dialog: it stops being a loaded form at once, hides, and is deleted when
    // control returns to the event loop, so handlers still running on it stay safe.
    void Unload();
    bool isUnloaded() const { return m_unloaded; }

    // Geometry in twips: a control's place, and the dialog's client height.
    static float Left(const QWidget* control);
    static float Top(const QWidget* control);
    static float Width(const QWidget* control);
    static float Height(const QWidget* control);
    float ClientHeight() const { return m_clientHeight; }
    // The outer height (frame and caption included).
    float FormHeight() const;

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    frmFind();
    ~frmFind() override;
    void createControls();
    void setClientHeight(float twips);
    void layOutForFind();

    std::optional<FormRegistration> m_form;
    float m_clientHeight = 0;
    bool m_activating = false;
    bool m_unloaded = false;
};
