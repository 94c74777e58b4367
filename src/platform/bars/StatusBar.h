#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

// One keyed panel of the status bar. Enabled false greys its text.
class StatusPanel : public QObject
{
    Q_OBJECT
public:
    enum class Style { Text, Date, Time, CapsLock, NumLock, ScrollLock };

    // How wide the panel is: `widthTwips`, or for a spring panel the width the others leave, never
    // less than `minWidthTwips`.
    struct Width {
        float twips = 0;
        bool spring = false;
        float minTwips = 0;
    };

    StatusPanel(const QString& key, Style style, Width width, QLabel* label, QObject* parent);

    const QString& Key() const { return m_key; }
    Style style() const { return m_style; }
    QString Text() const;
    void setText(const QString& text);
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    QLabel* label() const { return m_label; }
    const Width& width() const { return m_width; }

private:
    QString m_key;
    Style m_style;
    Width m_width;
    QLabel* m_label;
    bool m_enabled = true;
};

// The status bar: keyed panels in a row; the date, time and lock-key panels keep themselves
// current. Panels keep their widths: those that do not fit are cut off at the bar's right end.
class StatusBar : public QWidget
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    // Adds a panel `widthTwips` wide; a spring panel takes the width the others leave, never less
    // than `minWidthTwips`.
    StatusPanel* addPanel(const QString& key, StatusPanel::Style style, const QString& text,
                          float widthTwips, bool spring = false, float minWidthTwips = 0);

    // The panel with this key; raises error 35601 "Element not found" for an unknown key.
    StatusPanel& Panels(const QString& key) const;

    float Height() const { return m_heightTwips; }
    void setHeightTwips(float twips);

    // Brings the date, time and lock-key panels up to date.
    void refreshSelfUpdatingPanels();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placePanels();

    QList<StatusPanel*> m_panels;
    QTimer* m_timer;
    float m_heightTwips = 375;
};
