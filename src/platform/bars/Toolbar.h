#pragma once

#include <QList>
#include <QString>
#include <QToolBar>

class ImageList;
class QToolButton;

// One keyed button of a toolbar. Value 1 shows it pressed, 0 unpressed; only code sets it, except
// in the alignment-style group, where a click presses the button and releases the others.
class ToolbarButton : public QObject
{
    Q_OBJECT
public:
    enum class Style { Default, Group };

    ToolbarButton(const QString& key, Style style, QToolButton* widget, QObject* parent);

    const QString& Key() const { return m_key; }
    Style style() const { return m_style; }
    int Value() const { return m_value; }
    void setValue(int value);
    bool Enabled() const;
    void setEnabled(bool enabled);
    QString ToolTipText() const;
    QToolButton* widget() const { return m_widget; }

Q_SIGNALS:
    void valueChanged(ToolbarButton* button);

private:
    QString m_key;
    Style m_style;
    QToolButton* m_widget;
    int m_value = 0;
};

// A toolbar of keyed buttons, placed by the window in twips. A click on an enabled button raises
// ButtonClick with the button.
class Toolbar : public QToolBar
{
    Q_OBJECT
public:
    Toolbar(const QString& name, const ImageList& pictures, const ImageList& disabledPictures,
            QWidget* parent = nullptr);

    // Adds a button with its key, tool tip and picture key; an empty key adds a separator.
    ToolbarButton* addButton(const QString& key, const QString& toolTip, const QString& imageKey,
                             ToolbarButton::Style style = ToolbarButton::Style::Default);
    void addSeparatorButton();

    // The button with this key; raises error 35601 "Element not found" for an unknown key.
    ToolbarButton& Buttons(const QString& key) const;
    const QList<ToolbarButton*>& buttons() const { return m_buttons; }

    // Height in twips.
    float Height() const { return m_heightTwips; }
    void setHeightTwips(float twips);

    void Refresh() { update(); }

Q_SIGNALS:
    void ButtonClick(ToolbarButton* button);

private:
    void onClicked(ToolbarButton* button);
    void pressInGroup(ToolbarButton* pressed);

    const ImageList& m_pictures;
    const ImageList& m_disabledPictures;
    QList<ToolbarButton*> m_buttons;
    float m_heightTwips = 420;
};
