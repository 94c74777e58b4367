#include "shell/frmRTBEditor.h"

#include "platform/bars/StatusBar.h"
#include "platform/bars/Toolbar.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "platform/core/Error.h"
#include "platform/core/Units.h"
#include "platform/dialogs/DialogHost.h"
#include "shell/DocumentRecovery.h"
#include "shell/modForm.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QMenuBar>
#include <QResizeEvent>
#include <QTimer>

namespace
{

frmRTBEditor*& mainWindow()
{
    static frmRTBEditor* window = nullptr;
    return window;
}

// The window's design: client area, bar heights and the editor's place, in twips.
constexpr float DesignClientWidth = 12105;
constexpr float DesignClientHeight = 8190;
constexpr float ToolbarHeight = 420;
constexpr float StatusBarHeight = 375;
constexpr float EditorDesignTop = 840;
constexpr float EditorDesignWidth = 12075;
constexpr float EditorDesignHeight = 6975;
constexpr float RightMarginAllowance = 400;
constexpr double EditorFontSize = 9;

} // namespace

frmRTBEditor::frmRTBEditor()
    : imlToolbarIcons(ImageList::toolbarIcons()),
      imlToolbarIconsDisabled(ImageList::toolbarIconsDisabled())
{
    mainWindow() = this;
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/wordlark.svg")));
    DialogHost::setParentWindow(this);
    createControls();
    createMenus();
    connectControls();
    resize(units::twipsToPixels(DesignClientWidth),
           units::twipsToPixels(DesignClientHeight) + menuBar()->sizeHint().height());
    Form_Load();
}

frmRTBEditor::~frmRTBEditor()
{
    if (mainWindow() == this)
        mainWindow() = nullptr;
}

frmRTBEditor* frmRTBEditor::instance()
{
    return mainWindow();
}

void frmRTBEditor::createControls()
{
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(m_client);

    createStandardToolbar();
    createFormattingToolbar();

    rtbEditor = new RichTextBox(m_client);
    rtbEditor->setObjectName(QStringLiteral("rtbEditor"));
    QFont editorFont(QStringLiteral("Courier New"));
    editorFont.setPointSizeF(EditorFontSize);
    rtbEditor->view()->setFont(editorFont);
    rtbEditor->setLeft(0);
    rtbEditor->setTop(EditorDesignTop);
    rtbEditor->setWidth(EditorDesignWidth);
    rtbEditor->setHeight(EditorDesignHeight);
    setTabOrder(rtbEditor->view(), rtbEditor->view());

    rtbSaved = new RichTextBox(static_cast<QObject*>(this));
    rtbSaved->setObjectName(QStringLiteral("rtbSaved"));
    rtbTemp = new RichTextBox(static_cast<QObject*>(this));
    rtbTemp->setObjectName(QStringLiteral("rtbTemp"));

    createStatusBar();

    m_recovery = new RecoveryKeeper([this] { return rtbEditor->TextRTF(); },
                                    [this] { return m_sFileName; }, this);

    tmrDelay = new QTimer(this);
    tmrDelay->setObjectName(QStringLiteral("tmrDelay"));
    tmrDelay->setInterval(100);
    connect(tmrDelay, &QTimer::timeout, this, &frmRTBEditor::tmrDelay_Timer);

    placeBars();
}

void frmRTBEditor::createStandardToolbar()
{
    tbrStandard = new Toolbar(QStringLiteral("tbrStandard"), imlToolbarIcons,
                              imlToolbarIconsDisabled, m_client);
    tbrStandard->setHeightTwips(ToolbarHeight);
    auto add = [this](const char* key, const char* tip) {
        tbrStandard->addButton(QString::fromLatin1(key), QString::fromLatin1(tip),
                               QString::fromLatin1(key));
    };
    add("New", "New");
    add("Open", "Open");
    add("Save", "Save");
    tbrStandard->addSeparatorButton();
    add("Print", "Print");
    tbrStandard->addSeparatorButton();
    add("Find", "Find");
    tbrStandard->addSeparatorButton();
    add("Cut", "Cut");
    add("Copy", "Copy");
    add("Paste", "Paste");
    add("Undo", "Undo");
    tbrStandard->addSeparatorButton();
    add("DateTime", "Date/Time");
}

void frmRTBEditor::createFormattingToolbar()
{
    tbrFormatting = new Toolbar(QStringLiteral("tbrFormatting"), imlToolbarIcons,
                                imlToolbarIconsDisabled, m_client);
    tbrFormatting->setHeightTwips(ToolbarHeight);
    auto add = [this](const char* key, const char* tip, const char* image,
                      ToolbarButton::Style style = ToolbarButton::Style::Default) {
        tbrFormatting->addButton(QString::fromLatin1(key), QString::fromLatin1(tip),
                                 QString::fromLatin1(image), style);
    };
    add("Font", "Font", "Font");
    tbrFormatting->addSeparatorButton();
    add("Bold", "Bold", "Bold");
    add("Italic", "Italic", "Italic");
    add("Underline", "Underline", "Underline");
    add("Color", "Color", "Color");
    tbrFormatting->addSeparatorButton();
    add("Subscript", "Subscript", "Subscript");
    add("Superscript", "Superscript", "Superscript");
    add("Lowercase", "Lower Case", "Lowercase");
    add("Uppercase", "Upper Case", "Uppercase");
    tbrFormatting->addSeparatorButton();
    add("AlignLeft", "Align Left", "AlignLeft", ToolbarButton::Style::Group);
    add("AlignCenter", "Center", "Center", ToolbarButton::Style::Group);
    add("AlignRight", "Align Right", "AlignRight", ToolbarButton::Style::Group);
    tbrFormatting->addSeparatorButton();
    add("Bullets", "Bullets", "Bullets");
}

void frmRTBEditor::createStatusBar()
{
    sbrMain = new StatusBar(m_client);
    sbrMain->setObjectName(QStringLiteral("sbrMain"));
    sbrMain->setHeightTwips(StatusBarHeight);
    using Style = StatusPanel::Style;
    sbrMain->addPanel(QStringLiteral("MainText"), Style::Text, QString(), 9128, true, 2540);
    sbrMain->addPanel(QStringLiteral("FontInfo"), Style::Text, QString(), 4410);
    sbrMain->addPanel(QStringLiteral("Date"), Style::Date, QString(), 1764);
    sbrMain->addPanel(QStringLiteral("Time"), Style::Time, QString(), 1411);
    sbrMain->addPanel(QStringLiteral("CapsLock"), Style::CapsLock, QStringLiteral("CAPS"), 987);
    sbrMain->addPanel(QStringLiteral("NumLock"), Style::NumLock, QStringLiteral("NUM"), 987);
    sbrMain->addPanel(QStringLiteral("ScrollLock"), Style::ScrollLock, QStringLiteral("SCRL"), 987);
    StatusPanel* overwrite =
        sbrMain->addPanel(QStringLiteral("Overwrite"), Style::Text, QStringLiteral("OVR"), 987);
    overwrite->label()->setToolTip(QStringLiteral("OVR"));
    overwrite->setEnabled(false);
}

void frmRTBEditor::createMenus()
{
    auto item = [this](QMenu* menu, const char* name, const char* caption,
                       const QKeySequence& shortcut = QKeySequence()) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        return action;
    };
    auto separator = [](QMenu* menu, const char* name) {
        menu->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    mnuNew = item(file, "mnuNew", "&New", QKeySequence(Qt::CTRL | Qt::Key_N));
    mnuOpen = item(file, "mnuOpen", "&Open ...", QKeySequence(Qt::CTRL | Qt::Key_O));
    separator(file, "mnuFileSep1");
    mnuSave = item(file, "mnuSave", "&Save", QKeySequence(Qt::CTRL | Qt::Key_S));
    mnuSaveAs = item(file, "mnuSaveAs", "Save &As ...");
    separator(file, "mnuFileSep2");
    mnuPrint = item(file, "mnuPrint", "&Print ...");
    separator(file, "mnuFileSep3");
    mnuExit = item(file, "mnuExit", "E&xit");

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("mnuEdit"));
    mnuUndo = item(edit, "mnuUndo", "&Undo", QKeySequence(Qt::CTRL | Qt::Key_Z));
    separator(edit, "mnuEditSep1");
    mnuCut = item(edit, "mnuCut", "Cu&t", QKeySequence(Qt::CTRL | Qt::Key_X));
    mnuCopy = item(edit, "mnuCopy", "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C));
    mnuPaste = item(edit, "mnuPaste", "&Paste", QKeySequence(Qt::CTRL | Qt::Key_V));
    mnuDelete = item(edit, "mnuDelete", "Clear", QKeySequence(Qt::Key_Delete));
    mnuSelectAll = item(edit, "mnuSelectAll", "&Select All", QKeySequence(Qt::CTRL | Qt::Key_A));
    separator(edit, "mnuEditSep2");
    mnuFind = item(edit, "mnuFind", "&Find ...", QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFindNext = item(edit, "mnuFindNext", "Find Next", QKeySequence(Qt::Key_F3));
    mnuReplace = item(edit, "mnuReplace", "R&eplace ...", QKeySequence(Qt::CTRL | Qt::Key_H));

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("mnuView"));
    mnuToolbar = item(view, "mnuToolbar", "&Toolbar");
    mnuFormatBar = item(view, "mnuFormatBar", "&Format Bar");
    mnuStatusBar = item(view, "mnuStatusBar", "&Status Bar");
    for (QAction* toggle : {mnuToolbar, mnuFormatBar, mnuStatusBar}) {
        toggle->setCheckable(true);
        toggle->setChecked(true);
    }

    QMenu* insert = menuBar()->addMenu(QStringLiteral("&Insert"));
    insert->setObjectName(QStringLiteral("mnuInsert"));
    mnuDateTime = item(insert, "mnuDateTime", "&Date and Time ...");
    mnuPicture = item(insert, "mnuPicture", "&Picture");

    QMenu* format = menuBar()->addMenu(QStringLiteral("F&ormat"));
    format->setObjectName(QStringLiteral("mnuFormat"));
    mnuFont = item(format, "mnuFont", "&Font ...");
    mnuSubscript = item(format, "mnuSubscript", "Su&bscript");
    mnuSuperscript = item(format, "mnuSuperscript", "Su&perscript");
    mnuLowercase = item(format, "mnuLowercase", "&Lower Case");
    mnuUpperCase = item(format, "mnuUpperCase", "&Upper Case");
    mnuBullets = item(format, "mnuBullets", "Bullet Style");
    mnuParagraph = item(format, "mnuParagraph", "Paragraph ...");

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    mnuAbout = item(help, "mnuAbout", "&About");
}

void frmRTBEditor::connectControls()
{
    // The View toggles read the check mark and flip it themselves: undo the flip that a
    // checkable menu item makes on its own before it reports the click.
    auto connectToggle = [this](QAction* item, void (frmRTBEditor::*handler)()) {
        connect(item, &QAction::triggered, this, [this, item, handler] {
            item->setChecked(!item->isChecked());
            (this->*handler)();
        });
    };
    connectToggle(mnuToolbar, &frmRTBEditor::mnuToolbar_Click);
    connectToggle(mnuFormatBar, &frmRTBEditor::mnuFormatBar_Click);
    connectToggle(mnuStatusBar, &frmRTBEditor::mnuStatusBar_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmRTBEditor::mnuAbout_Click);
    connectDocumentCommands();
    connectEditingCommands();
    connectFormattingCommands();
    connectInsertionCommands();
    connectFindCommands();
}

void frmRTBEditor::Form_Load()
{
    InstallEditorHook();
    RegisterRichTextFormat();
    TakeUndoSnapshot();
    setCaption(QStringLiteral("Untitled"));
    CenterForm(this);
    gblnDocSaved = true;
    UpdateEditCommands();
    tmrDelay->start();
}

void frmRTBEditor::tmrDelay_Timer()
{
    rtbEditor_SelChange();
    tmrDelay->stop();
}

float frmRTBEditor::clientWidth() const
{
    return units::pixelsToTwips(m_client->width());
}

float frmRTBEditor::clientHeight() const
{
    return units::pixelsToTwips(m_client->height());
}

void frmRTBEditor::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    Form_Resize();
}

void frmRTBEditor::Form_Resize()
{
    // The editor fills the client area between the visible bars. The client area is measured,
    // so the editor fits exactly whatever the window frame's size; each step that would give a
    // negative size is skipped on its own.
    ignoreErrors([this] { rtbEditor->setWidth(clientWidth()); });
    ignoreErrors([this] { rtbEditor->setHeight(clientHeight()); });
    ignoreErrors([this] {
        if (!tbrStandard->isHidden())
            rtbEditor->setHeight(rtbEditor->Height() - tbrStandard->Height());
    });
    ignoreErrors([this] {
        if (!tbrFormatting->isHidden())
            rtbEditor->setHeight(rtbEditor->Height() - tbrFormatting->Height());
    });
    ignoreErrors([this] {
        if (!sbrMain->isHidden())
            rtbEditor->setHeight(rtbEditor->Height() - sbrMain->Height());
    });
    ignoreErrors([this] { rtbEditor->setRightMargin(rtbEditor->Width() - RightMarginAllowance); });
    placeBars();
}

void frmRTBEditor::placeBars()
{
    const int width = m_client->width();
    int top = 0;
    for (Toolbar* bar : {tbrStandard, tbrFormatting}) {
        bar->setGeometry(0, top, width, units::twipsToPixels(bar->Height()));
        if (!bar->isHidden())
            top += units::twipsToPixels(bar->Height());
    }
    const int statusHeight = units::twipsToPixels(sbrMain->Height());
    sbrMain->setGeometry(0, m_client->height() - statusHeight, width, statusHeight);
}

void frmRTBEditor::toggleToolbar(QAction* item, Toolbar* bar)
{
    const float height = bar->Height();
    const bool showing = !item->isChecked();
    item->setChecked(showing);
    bar->setVisible(showing);
    const float sign = showing ? -1.0f : 1.0f;
    // A bar shown over an editor shorter than the bar leaves the editor at zero height.
    rtbEditor->setHeight(std::max(0.0f, rtbEditor->Height() + sign * height));
    rtbEditor->setTop(rtbEditor->Top() - sign * height);
    placeBars();
}

void frmRTBEditor::mnuToolbar_Click()
{
    toggleToolbar(mnuToolbar, tbrStandard);
}

void frmRTBEditor::mnuFormatBar_Click()
{
    toggleToolbar(mnuFormatBar, tbrFormatting);
}

void frmRTBEditor::mnuStatusBar_Click()
{
    const float height = sbrMain->Height();
    const bool showing = !mnuStatusBar->isChecked();
    mnuStatusBar->setChecked(showing);
    sbrMain->setVisible(showing);
    const float sign = showing ? -1.0f : 1.0f;
    rtbEditor->setHeight(std::max(0.0f, rtbEditor->Height() + sign * height));
    placeBars();
}

void frmRTBEditor::mnuAbout_Click()
{
    MsgBox(QStringLiteral("Wordlark %1\nA rich-text word processor for the Linux desktop.")
               .arg(QApplication::applicationVersion()),
           MsgBoxStyle::Information, QStringLiteral("BW Wordlark"));
}
