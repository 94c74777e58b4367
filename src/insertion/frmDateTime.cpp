#include "insertion/frmDateTime.h"

#include "platform/control/RichTextBox.h"
#include "platform/dialogs/TitleBarButtons.h"
#include "platform/dialogs/TwipsGeometry.h"
#include "shell/frmRTBEditor.h"
#include "shell/modForm.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

frmDateTime::frmDateTime(QWidget* parent)
    : QDialog(parent, closeOnlyDialogFlags(Qt::Dialog)),
      Label1(new QLabel(QStringLiteral("Available formats:"), this)),
      lstDateTime(new QListWidget(this)), cmdOK(new QPushButton(QStringLiteral("OK"), this)),
      cmdCancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setWindowTitle(QStringLiteral("Date and Time"));
    setClientSizeTwips(this, 4515, 3390);
    useFormFont(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    lstDateTime->setObjectName(QStringLiteral("lstDateTime"));
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(Label1, 120, 120, 1515, 315);
    placeTwips(lstDateTime, 120, 420, 2835, 2790);
    placeTwips(cmdOK, 3120, 420, 1275, 435);
    placeTwips(cmdCancel, 3120, 960, 1275, 435);
    lstDateTime->setSelectionMode(QAbstractItemView::SingleSelection);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel->setAutoDefault(false);
    setTabOrder(lstDateTime, cmdCancel);
    setTabOrder(cmdCancel, cmdOK);

    connect(cmdOK, &QPushButton::clicked, this, &frmDateTime::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmDateTime::cmdCancel_Click);
    connect(lstDateTime, &QListWidget::itemDoubleClicked, this, &frmDateTime::lstDateTime_DblClick);
    askForCloseButtonOnly(this);
    Form_Load();
}

std::function<QDateTime()>& frmDateTime::clock()
{
    static std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    return now;
}

std::function<DateTimeLocale()>& frmDateTime::locale()
{
    static std::function<DateTimeLocale()> user = [] {
        return DateTimeLocale::fromLocale(QLocale());
    };
    return user;
}

void frmDateTime::Form_Load()
{
    CenterForm(this);
    lstDateTime->addItems(dateTimeEntries(clock(), locale()()));
    lstDateTime->setCurrentRow(0);
    lstDateTime->setFocus();
}

void frmDateTime::cmdOK_Click()
{
    frmRTBEditor* main = frmRTBEditor::instance();
    main->TakeUndoSnapshot();
    const QListWidgetItem* item = lstDateTime->currentItem();
    const QString text = item ? item->text() : QString();
    main->rtbEditor->setSelText(QLatin1Char(' ') + text + QLatin1Char(' '));
    main->gblnDocSaved = false;
    accept();
}

void frmDateTime::lstDateTime_DblClick()
{
    cmdOK_Click();
}

void frmDateTime::cmdCancel_Click()
{
    reject();
}
