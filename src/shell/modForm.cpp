#include "shell/modForm.h"

#include "platform/Forms.h"
#include "platform/Units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

const char* const TopProperty = "wordlarkTopTwips";
const char* const LeftProperty = "wordlarkLeftTwips";

QSizeF screenSizeTwips()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen ? screen->geometry().size() : QSize(1024, 768);
    return {units::pixelsToTwips(pixels.width()), units::pixelsToTwips(pixels.height())};
}

QSizeF outerSizeTwips(const QWidget* form)
{
    const QSize pixels = form->frameGeometry().size();
    return {units::pixelsToTwips(pixels.width()), units::pixelsToTwips(pixels.height())};
}

void moveToTwips(QWidget* form, float left, float top)
{
    form->setProperty(LeftProperty, left);
    form->setProperty(TopProperty, top);
    form->move(units::twipsToPixels(left), units::twipsToPixels(top));
}

} // namespace

QPointF centeredPosition(QSizeF screen, QSizeF form)
{
    const float top = static_cast<float>(screen.height() - form.height()) / 2.0f;
    const float left = static_cast<float>(screen.width() - form.width()) / 2.0f;
    return {left, top};
}

void CenterForm(QWidget* form)
{
    const QPointF position = centeredPosition(screenSizeTwips(), outerSizeTwips(form));
    const float top = static_cast<float>(position.y());
    const float left = static_cast<float>(position.x());
    moveToTwips(form, formLeft(form), top);
    moveToTwips(form, left, top);
}

bool IsFormLoaded(const QString& name)
{
    const QList<QWidget*> forms = Forms::loaded();
    for (const QWidget* form : forms) {
        if (form->objectName() == name)
            return true;
    }
    return false;
}

void SetTopmost(QWidget* form, bool onTop)
{
    const bool changed = form->windowFlags().testFlag(Qt::WindowStaysOnTopHint) != onTop;
    const bool wasVisible = form->isVisible();
    if (changed)
        form->setWindowFlag(Qt::WindowStaysOnTopHint, onTop); // hides a native window
    if (changed || !wasVisible) {
        const bool noActivate = form->testAttribute(Qt::WA_ShowWithoutActivating);
        form->setAttribute(Qt::WA_ShowWithoutActivating, true);
        form->show();
        form->setAttribute(Qt::WA_ShowWithoutActivating, noActivate);
    }
}

float formTop(const QWidget* form)
{
    const QVariant stored = form->property(TopProperty);
    return stored.isValid() ? stored.toFloat() : units::pixelsToTwips(form->frameGeometry().top());
}

float formLeft(const QWidget* form)
{
    const QVariant stored = form->property(LeftProperty);
    return stored.isValid() ? stored.toFloat() : units::pixelsToTwips(form->frameGeometry().left());
}
