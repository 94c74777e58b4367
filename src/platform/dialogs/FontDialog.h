#pragma once

#include "platform/dialogs/DialogHost.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;
class QPushButton;

// The font dialog: face, size, bold and italic, and, when asked for the effects, strikeout,
// underline and text colour. An Apply button is offered when asked for; it does nothing.
class FontDialog : public QDialog
{
    Q_OBJECT
public:
    // Option bits of the font dialog that this dialog honours; others are ignored.
    static constexpr long ShowEffects = 0x100;
    static constexpr long ShowApply = 0x200;

    FontDialog(const FontChoice& initial, long flags, QWidget* parent = nullptr);

    // The choice as the controls show it now.
    FontChoice choice() const;

    QFontComboBox* fontName() const { return m_name; }
    QComboBox* fontSize() const { return m_size; }
    QCheckBox* bold() const { return m_bold; }
    QCheckBox* italic() const { return m_italic; }
    QCheckBox* underline() const { return m_underline; }
    QCheckBox* strikeout() const { return m_strikeout; }
    QPushButton* colorButton() const { return m_colorButton; }
    QPushButton* applyButton() const { return m_apply; }
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

private:
    void chooseColor();
    void updateSample();

    QFontComboBox* m_name = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeout = nullptr;
    QPushButton* m_colorButton = nullptr;
    QPushButton* m_apply = nullptr;
    QLabel* m_sample = nullptr;
    QColor m_color = Qt::black;
    bool m_effects = false;
};
