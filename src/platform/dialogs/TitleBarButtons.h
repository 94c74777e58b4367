#pragma once

#include <QString>

class QWidget;

// The buttons a window manager draws on a dialog's title bar.

// The name the running window manager gives itself on the X11 display ("Openbox", "KWin" ...);
// empty without X11 or when no window manager runs.
QString windowManagerName();

// Asks the window manager for a title bar with a close button only. The dialog's flags ask for
// it already and most window managers follow them (a fixed size takes maximise away); openbox
// keeps a minimise button on every dialog and utility window whatever the flags say, and leaves
// it off only toolbar windows, which it otherwise treats as it treats utility windows. Under
// openbox the dialog is therefore declared a toolbar window as well, ahead of its own type.
// Call it from the dialog's constructor, before it is first shown.
void askForCloseButtonOnly(QWidget* dialog);
