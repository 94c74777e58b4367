#include "platform/bars/StatusBar.h"

#include "platform/bars/LockKeys.h"
#include "platform/core/Error.h"
#include "platform/core/Units.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QTimer>

#include <algorithm>

StatusPanel::StatusPanel(const QString& key, Style style, Width width, QLabel* label,
                         QObject* parent)
    : QObject(parent), m_key(key), m_style(style), m_width(width), m_label(label)
{
}

QString StatusPanel::Text() const
{
    return m_label->text();
}

void StatusPanel::setText(const QString& text)
{
    m_label->setText(text);
}

void StatusPanel::setEnabled(bool enabled)
{
    m_enabled = enabled;
    m_label->setEnabled(enabled);
}

namespace
{
constexpr int PanelMargin = 2;  // pixels around the row of panels
constexpr int PanelSpacing = 2; // pixels between panels
} // namespace

StatusBar::StatusBar(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this))
{
    setHeightTwips(m_heightTwips);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &StatusBar::refreshSelfUpdatingPanels);
    m_timer->start();
}

void StatusBar::setHeightTwips(float twips)
{
    m_heightTwips = twips;
    setFixedHeight(units::twipsToPixels(twips));
}

StatusPanel* StatusBar::addPanel(const QString& key, StatusPanel::Style style, const QString& text,
                                 float widthTwips, bool spring, float minWidthTwips)
{
    auto* label = new QLabel(text, this);
    label->setObjectName(key);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setIndent(3);
    if (style == StatusPanel::Style::CapsLock || style == StatusPanel::Style::NumLock ||
        style == StatusPanel::Style::ScrollLock || style == StatusPanel::Style::Date ||
        style == StatusPanel::Style::Time)
        label->setAlignment(Qt::AlignCenter);
    label->show();
    auto* panel = new StatusPanel(key, style, {widthTwips, spring, minWidthTwips}, label, this);
    m_panels.append(panel);
    placePanels();
    refreshSelfUpdatingPanels();
    return panel;
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placePanels();
}

void StatusBar::placePanels()
{
    int fixedWidth = PanelSpacing * (int(m_panels.size()) - 1);
    for (const StatusPanel* panel : m_panels) {
        if (!panel->width().spring)
            fixedWidth += units::twipsToPixels(panel->width().twips);
    }
    const int springWidth = width() - 2 * PanelMargin - fixedWidth;
    int x = PanelMargin;
    for (const StatusPanel* panel : m_panels) {
        const StatusPanel::Width& w = panel->width();
        const int pixels = w.spring ? std::max(units::twipsToPixels(w.minTwips), springWidth)
                                    : units::twipsToPixels(w.twips);
        panel->label()->setGeometry(x, PanelMargin, pixels, height() - 2 * PanelMargin);
        x += pixels + PanelSpacing;
    }
}

StatusPanel& StatusBar::Panels(const QString& key) const
{
    for (StatusPanel* panel : m_panels) {
        if (panel->Key() == key)
            return *panel;
    }
    throw PlatformError(35601, QStringLiteral("Element not found"));
}

void StatusBar::refreshSelfUpdatingPanels()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale;
    const LockKeyState keys = currentLockKeys();
    for (StatusPanel* panel : m_panels) {
        switch (panel->style()) {
        case StatusPanel::Style::Date:
            panel->setText(locale.toString(now.date(), QLocale::ShortFormat));
            break;
        case StatusPanel::Style::Time:
            panel->setText(locale.toString(now.time(), QLocale::ShortFormat));
            break;
        case StatusPanel::Style::CapsLock:
            panel->setEnabled(keys.capsLock);
            break;
        case StatusPanel::Style::NumLock:
            panel->setEnabled(keys.numLock);
            break;
        case StatusPanel::Style::ScrollLock:
            panel->setEnabled(keys.scrollLock);
            break;
        case StatusPanel::Style::Text:
            break;
        }
    }
}
