#include "platform/bars/Toolbar.h"

#include "platform/bars/ImageList.h"
#include "platform/core/Error.h"
#include "platform/core/Units.h"

#include <QIcon>
#include <QToolButton>

ToolbarButton::ToolbarButton(const QString& key, Style style, QToolButton* widget, QObject* parent)
    : QObject(parent), m_key(key), m_style(style), m_widget(widget)
{
}

void ToolbarButton::setValue(int value)
{
    m_value = value ? 1 : 0;
    m_widget->setChecked(m_value == 1);
    Q_EMIT valueChanged(this);
}

bool ToolbarButton::Enabled() const
{
    return m_widget->isEnabled();
}

void ToolbarButton::setEnabled(bool enabled)
{
    m_widget->setEnabled(enabled);
}

QString ToolbarButton::ToolTipText() const
{
    return m_widget->toolTip();
}

Toolbar::Toolbar(const QString& name, const ImageList& pictures, const ImageList& disabledPictures,
                 QWidget* parent)
    : QToolBar(parent), m_pictures(pictures), m_disabledPictures(disabledPictures)
{
    setObjectName(name);
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    setHeightTwips(m_heightTwips);
}

void Toolbar::setHeightTwips(float twips)
{
    m_heightTwips = twips;
    setFixedHeight(units::twipsToPixels(twips));
}

ToolbarButton* Toolbar::addButton(const QString& key, const QString& toolTip,
                                  const QString& imageKey, ToolbarButton::Style style)
{
    auto* widget = new QToolButton(this);
    QIcon icon;
    icon.addPixmap(m_pictures.picture(imageKey), QIcon::Normal);
    icon.addPixmap(m_disabledPictures.picture(imageKey), QIcon::Disabled);
    widget->setIcon(icon);
    widget->setToolTip(toolTip);
    widget->setAccessibleName(toolTip);
    widget->setObjectName(key);
    widget->setCheckable(true);
    widget->setAutoRaise(true);
    widget->setFocusPolicy(Qt::NoFocus);
    addWidget(widget);

    auto* button = new ToolbarButton(key, style, widget, this);
    m_buttons.append(button);
    connect(widget, &QToolButton::clicked, this, [this, button] { onClicked(button); });
    connect(button, &ToolbarButton::valueChanged, this, [this](ToolbarButton* changed) {
        if (changed->style() == ToolbarButton::Style::Group && changed->Value() == 1)
            pressInGroup(changed);
    });
    return button;
}

void Toolbar::addSeparatorButton()
{
    addSeparator();
}

ToolbarButton& Toolbar::Buttons(const QString& key) const
{
    for (ToolbarButton* button : m_buttons) {
        if (button->Key() == key)
            return *button;
    }
    throw PlatformError(35601, QStringLiteral("Element not found"));
}

void Toolbar::pressInGroup(ToolbarButton* pressed)
{
    for (ToolbarButton* button : m_buttons) {
        if (button != pressed && button->style() == ToolbarButton::Style::Group && button->Value())
            button->setValue(0);
    }
}

void Toolbar::onClicked(ToolbarButton* button)
{
    // The widget toggled itself; the pressed look is the button's Value, which only code and the
    // group rule change.
    if (button->style() == ToolbarButton::Style::Group)
        button->setValue(1);
    else
        button->widget()->setChecked(button->Value() == 1);
    Q_EMIT ButtonClick(button);
}
