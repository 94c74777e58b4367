#pragma once

#include "platform/dialogs/Forms.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;

// The modal Paragraph dialog: chooses the alignment of the selected paragraphs. It reads nothing
// from the document; it always opens showing "Left".
class frmParagraph : public QDialog
{
    Q_OBJECT
public:
    explicit frmParagraph(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QComboBox* cboAlignment = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();

private:
    void createControls();

    FormRegistration m_form{this, QStringLiteral("frmParagraph")};
};
