#pragma once

#include "insertion/DateTimeFormat.h"
#include "platform/dialogs/Forms.h"

#include <QDialog>

#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

// The Date and Time dialog: fourteen renderings of the present date and time; the chosen one goes
// into the document at the caret with a blank on each side.
class frmDateTime : public QDialog
{
    Q_OBJECT
public:
    explicit frmDateTime(QWidget* parent = nullptr);

    QLabel* Label1;
    QListWidget* lstDateTime;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void Form_Load();
    void cmdOK_Click();
    void lstDateTime_DblClick();
    void cmdCancel_Click();

    // The clock and the locale the entries are made from (tests set their own).
    static std::function<QDateTime()>& clock();
    static std::function<DateTimeLocale()>& locale();

private:
    FormRegistration m_form{this, QStringLiteral("frmDateTime")};
};
