#include "platform/StatusBar.h"

#include "platform/Error.h"
#include "platform/LockKeys.h"
#include "platform/Units.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QTimer>

StatusPanel::StatusPanel(const QString& key, Style style, QLabel* label, QObject* parent)
    : QObject(parent), m_key(key), m_style(style), m_label(label)
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

StatusBar::StatusBar(QWidget* parent) : QWidget(parent), m_timer(new QTimer(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
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
    if (spring) {
        label->setMinimumWidth(units::twipsToPixels(minWidthTwips));
        label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    } else {
        label->setFixedWidth(units::twipsToPixels(widthTwips));
    }
    if (style == StatusPanel::Style::CapsLock || style == StatusPanel::Style::NumLock ||
        style == StatusPanel::Style::ScrollLock || style == StatusPanel::Style::Date ||
        style == StatusPanel::Style::Time)
        label->setAlignment(Qt::AlignCenter);
    layout()->addWidget(label);
    auto* panel = new StatusPanel(key, style, label, this);
    m_panels.append(panel);
    refreshSelfUpdatingPanels();
    return panel;
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
