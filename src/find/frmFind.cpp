#include "find/frmFind.h"

#include "find/modFind.h"
#include "platform/control/RichTextBox.h"
#include "platform/core/Units.h"
#include "platform/dialogs/DialogHost.h"
#include "platform/dialogs/TitleBarButtons.h"
#include "platform/dialogs/TwipsGeometry.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace
{

frmFind*& globalInstance()
{
    static frmFind* dialog = nullptr;
    return dialog;
}

constexpr float DesignClientWidth = 6315;
constexpr float DesignClientHeight = 2190;
constexpr float RowGap = 120;

template <typename Control>
Control* named(QWidget* parent, const char* name, const char* caption = nullptr)
{
    auto* control = new Control(parent);
    control->setObjectName(QString::fromLatin1(name));
    if constexpr (!std::is_same_v<Control, QLineEdit>) {
        if (caption)
            control->setText(QString::fromLatin1(caption));
    }
    return control;
}

bool ticked(const QCheckBox* box)
{
    return box->checkState() == Qt::Checked;
}

} // namespace

frmFind* frmFind::instance(bool create)
{
    frmFind*& dialog = globalInstance();
    if (!dialog && create)
        dialog = new frmFind;
    return dialog;
}

frmFind::frmFind() : QDialog(nullptr, closeOnlyDialogFlags(Qt::Tool))
{
    m_form.emplace(this, QStringLiteral("frmFind"));
    setModal(false);
    setSizeGripEnabled(false);
    createControls();
    setClientHeight(DesignClientHeight);
    useFormFont(this);
    askForCloseButtonOnly(this);
}

frmFind::~frmFind()
{
    if (globalInstance() == this)
        globalInstance() = nullptr;
}

void frmFind::createControls()
{
    lblfindwhat = named<QLabel>(this, "lblfindwhat", "Find what:");
    txtFindWhat = named<QLineEdit>(this, "txtFindWhat");
    lblReplaceWith = named<QLabel>(this, "lblReplaceWith", "Replace with");
    txtReplaceWith = named<QLineEdit>(this, "txtReplaceWith");
    chkWholeWord = named<QCheckBox>(this, "chkWholeWord", "Match Whole Word Only");
    chkMatchCase = named<QCheckBox>(this, "chkMatchCase", "Match Case");
    cmdFindNext = named<QPushButton>(this, "cmdFindNext", "Find Next");
    cmdReplace = named<QPushButton>(this, "cmdReplace", "&Replace");
    cmdReplaceAll = named<QPushButton>(this, "cmdReplaceAll", "Replace &All");
    cmdCancel = named<QPushButton>(this, "cmdCancel", "Cancel");

    placeTwips(lblfindwhat, 120, 120, 735, 195);
    placeTwips(txtFindWhat, 1200, 120, 3615, 285);
    placeTwips(lblReplaceWith, 120, 600, 930, 195);
    placeTwips(txtReplaceWith, 1200, 540, 3615, 285);
    placeTwips(chkWholeWord, 120, 960, 2415, 255);
    placeTwips(chkMatchCase, 120, 1320, 2415, 255);
    placeTwips(cmdFindNext, 4980, 120, 1215, 375);
    placeTwips(cmdReplace, 4980, 600, 1215, 375);
    placeTwips(cmdReplaceAll, 4980, 1080, 1215, 375);
    placeTwips(cmdCancel, 4980, 1560, 1215, 375);

    const QList<QWidget*> tabOrder = {lblfindwhat,   txtFindWhat,  lblReplaceWith, txtReplaceWith,
                                      chkWholeWord,  chkMatchCase, cmdFindNext,    cmdReplace,
                                      cmdReplaceAll, cmdCancel};
    for (qsizetype i = 0; i + 1 < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i], tabOrder[i + 1]);

    cmdFindNext->setEnabled(false);
    cmdReplace->setEnabled(false);
    cmdReplaceAll->setEnabled(false);
    cmdFindNext->setDefault(true);

    connect(txtFindWhat, &QLineEdit::textChanged, this, &frmFind::txtFindWhat_Change);
    connect(cmdFindNext, &QPushButton::clicked, this, &frmFind::cmdFindNext_Click);
    connect(cmdReplace, &QPushButton::clicked, this, &frmFind::cmdReplace_Click);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &frmFind::cmdReplaceAll_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFind::cmdCancel_Click);
}

float frmFind::Left(const QWidget* control)
{
    return static_cast<float>(twipsGeometry(control).left());
}

float frmFind::Top(const QWidget* control)
{
    return static_cast<float>(twipsGeometry(control).top());
}

float frmFind::Width(const QWidget* control)
{
    return static_cast<float>(twipsGeometry(control).width());
}

float frmFind::Height(const QWidget* control)
{
    return static_cast<float>(twipsGeometry(control).height());
}

float frmFind::FormHeight() const
{
    const int frame = frameGeometry().height() - geometry().height();
    return m_clientHeight + units::pixelsToTwips(std::max(0, frame));
}

void frmFind::setClientHeight(float twips)
{
    m_clientHeight = twips;
    setFixedSize(units::twipsToPixels(DesignClientWidth), units::twipsToPixels(twips));
}

void frmFind::setVisible(bool visible)
{
    QDialog::setVisible(visible);
    if (visible)
        Form_Activate();
}

bool frmFind::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

void frmFind::ShowActive()
{
    // Showing a tool window does not make it active under every window manager (under openbox
    // the main window kept the focus): ask for the activation explicitly.
    show();
    raise();
    activateWindow();
    txtFindWhat->setFocus(Qt::ActiveWindowFocusReason);
}

void frmFind::closeEvent(QCloseEvent* event)
{
    // The close box, and the main window closing, unload the dialog like Cancel.
    event->accept();
    Unload();
}

void frmFind::reject()
{
    // Esc.
    cmdCancel_Click();
}

void frmFind::Form_Activate()
{
    // Showing and changing the window band re-enter here: the set-up runs once per dialog.
    if (m_bActivated || m_activating || m_unloaded)
        return;
    m_activating = true;
    txtFindWhat->setText(gstrFindWhat);
    txtFindWhat->setSelection(0, static_cast<int>(gstrFindWhat.size()));
    txtReplaceWith->setText(gstrReplaceWith);
    chkWholeWord->setCheckState(gblnWholeWord ? Qt::Checked : Qt::Unchecked);
    chkMatchCase->setCheckState(gblnMatchCase ? Qt::Checked : Qt::Unchecked);
    if (windowTitle() == QStringLiteral("Find"))
        layOutForFind();
    CenterForm(this);
    SetTopmost(this, true);
    m_bActivated = true;
    m_activating = false;
}

void frmFind::layOutForFind()
{
    lblReplaceWith->hide();
    txtReplaceWith->hide();
    setTopTwips(chkWholeWord, Top(lblReplaceWith));
    setTopTwips(chkMatchCase, Top(chkWholeWord) + Height(chkWholeWord) + RowGap);
    cmdReplace->hide();
    cmdReplaceAll->hide();
    setTopTwips(cmdCancel, Top(cmdReplace));
    setClientHeight(m_clientHeight - (Height(cmdReplaceAll) + Height(cmdReplace) + RowGap));
}

void frmFind::txtFindWhat_Change()
{
    const bool searchable = txtFindWhat->text().size() >= 1;
    cmdFindNext->setEnabled(searchable);
    cmdReplace->setEnabled(searchable);
    cmdReplaceAll->setEnabled(searchable);
}

void frmFind::cmdFindNext_Click()
{
    const DialogHost::OwnerScope ownMessages(this);
    gstrFindWhat = txtFindWhat->text();
    gblnWholeWord = ticked(chkWholeWord);
    gblnMatchCase = ticked(chkMatchCase);
    for (;;) {
        // The restart prompt appears while the dialog is out of the topmost band.
        SetTopmost(this, false);
        SearchDocument();
        SetTopmost(this, true);
        if (gblnFound)
            return;
        if (gintFindResponse != MsgBoxResult::Yes) {
            Unload();
            return;
        }
        glngFindStart = 0;
    }
}

void frmFind::cmdReplace_Click()
{
    frmRTBEditor& main = *frmRTBEditor::instance();
    if (!gblnReplaceAll)
        main.TakeUndoSnapshot();
    gstrReplaceWith = txtReplaceWith->text();
    glngFindStart = static_cast<std::int32_t>(main.rtbEditor->SelStart());
    cmdFindNext_Click();
    // A failed search may have unloaded the dialog: its controls are read only after a match.
    if (gblnFound)
        main.rtbEditor->setSelText(txtReplaceWith->text());
}

void frmFind::cmdReplaceAll_Click()
{
    frmRTBEditor& main = *frmRTBEditor::instance();
    gblnReplaceAll = true;
    // Whatever happens, later searches are not silent.
    struct ReplaceAllFlag {
        ~ReplaceAllFlag() { gblnReplaceAll = false; }
    } resetFlag;
    main.TakeUndoSnapshot();
    main.rtbEditor->setSelStart(0);
    std::int32_t count = 0;
    // One edit of the document: the editor follows the selection and lays out once, at the end.
    main.rtbEditor->editAsOne([this, &count] {
        for (;;) {
            cmdReplace_Click();
            if (!gblnFound)
                break;
            ++count;
        }
    });
    const DialogHost::OwnerScope ownMessages(this);
    MsgBox(QStringLiteral("Done searching the document. ") + QString::number(count) +
               QStringLiteral(" replacements were made."),
           MsgBoxStyle::Information, QStringLiteral("Replace All"));
}

void frmFind::cmdCancel_Click()
{
    Unload();
}

void frmFind::Form_Unload()
{
    if (globalInstance() == this)
        globalInstance() = nullptr;
}

void frmFind::Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    m_form.reset();
    hide();
    deleteLater();
}
