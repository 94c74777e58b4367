#include "formatting/frmParagraph.h"

#include "platform/dialogs/TitleBarButtons.h"
#include "platform/dialogs/TwipsGeometry.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

frmParagraph::frmParagraph(QWidget* parent) : QDialog(parent, closeOnlyDialogFlags(Qt::Dialog))
{
    setWindowTitle(QStringLiteral("Paragraph"));
    setModal(true);
    setClientSizeTwips(this, 5010, 1290);
    useFormFont(this);
    createControls();
    askForCloseButtonOnly(this);
    Form_Load();
}

void frmParagraph::createControls()
{
    Label1 = new QLabel(QStringLiteral("Alignment:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFocusPolicy(Qt::NoFocus);
    placeTwips(Label1, 180, 180, 975, 255);

    cboAlignment = new QComboBox(this);
    cboAlignment->setObjectName(QStringLiteral("cboAlignment"));
    cboAlignment->setEditable(false);
    placeTwips(cboAlignment, 1200, 180, 2235, 315);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    placeTwips(cmdOK, 3600, 120, 1275, 435);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);
    placeTwips(cmdCancel, 3600, 660, 1275, 435);

    setTabOrder(cboAlignment, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmParagraph::cmdOK_Click);
    // Esc and the close box reject the dialog as Cancel does.
    connect(cmdCancel, &QPushButton::clicked, this, &frmParagraph::cmdCancel_Click);
}

void frmParagraph::Form_Load()
{
    CenterForm(this);
    cboAlignment->addItems(
        {QStringLiteral("Left"), QStringLiteral("Center"), QStringLiteral("Right")});
    cboAlignment->setCurrentIndex(0);
    cboAlignment->setFocus();
}

void frmParagraph::cmdOK_Click()
{
    if (frmRTBEditor* window = frmRTBEditor::instance()) {
        window->TakeUndoSnapshot();
        const QString choice = cboAlignment->currentText();
        if (choice == QLatin1String("Left"))
            window->SelectAlignLeft();
        else if (choice == QLatin1String("Center"))
            window->SelectAlignCenter();
        else
            window->SelectAlignRight();
        window->gblnDocSaved = false;
    }
    accept();
}

void frmParagraph::cmdCancel_Click()
{
    reject();
}
