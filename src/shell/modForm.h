#pragma once

#include <QPointF>
#include <QSizeF>
#include <QString>
#include <Qt>

class QWidget;

// Window utilities that the main window and the dialogs share.

// Centres the window on the whole primary screen: top first, then left. Positions are twips and
// keep half twips; a window larger than the screen gets a negative position.
void CenterForm(QWidget* form);

// True when a loaded form has exactly this name (case-sensitive), shown or hidden.
bool IsFormLoaded(const QString& name);

// The window flags of the program's own dialogs: of the given type, with a caption and a close
// button only; nothing to minimise or maximise (askForCloseButtonOnly does the rest for the
// window managers that look past the flags).
constexpr Qt::WindowFlags closeOnlyDialogFlags(Qt::WindowType type)
{
    return type | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
           Qt::MSWindowsFixedSizeDialogHint;
}

// Puts the window into the topmost band (true) or takes it out (false), keeping its size and
// position, without activating it, and shows it if it was hidden.
void SetTopmost(QWidget* form, bool onTop);

// The position (left, top) in twips that centres a window of `form` size on `screen`.
QPointF centeredPosition(QSizeF screen, QSizeF form);

// A form's outer position in twips as last set through these utilities (or measured).
float formTop(const QWidget* form);
float formLeft(const QWidget* form);
