#include "shell/modForm.h"

#include "platform/core/Units.h"
#include "platform/dialogs/Forms.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace
{

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
    const Qt::WindowFlags flags = form->windowFlags();
    if (flags.testFlag(Qt::WindowStaysOnTopHint) != onTop) {
        const Qt::WindowFlags wanted =
            onTop ? flags | Qt::WindowStaysOnTopHint : flags & ~Qt::WindowStaysOnTopHint;
        if (QWindow* window = form->windowHandle()) {
            // A native window changes its band in place: no new window, no hide and show.
            form->overrideWindowFlags(wanted);
            window->setFlags(wanted);
        } else {
            form->setWindowFlags(wanted);
        }
    }
    if (!form->isVisible()) {
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
