#pragma once

#include <QByteArray>
#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <functional>

// Tests on a real desktop: a private X server (Xvfb) with a window manager (openbox), the real
// wordlark program on it, and synthetic input (xdotool) and clipboard access (xclip) as another
// program has them. Every wait polls with a deadline; nothing sleeps for a fixed time.
namespace desktop
{

using namespace std::chrono_literals;

// Long enough for a loaded machine; a passing test waits only as long as the program needs.
constexpr std::chrono::milliseconds Patience = 20s;

// Polls `condition` until it holds or `timeout` has passed; returns whether it held.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = Patience);

// What a command-line tool did.
struct ToolResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    bool ok() const { return exitCode == 0; }
};

// Xvfb on a free display number, with openbox managing its windows; both end with the object.
class Desktop
{
public:
    Desktop();
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    // Whether the server runs and the window manager manages it; else why not.
    bool isReady() const { return m_problem.isEmpty(); }
    const QString& problem() const { return m_problem; }
    const QString& display() const { return m_display; }
    // The environment for a program on this display, with a state folder of its own.
    QProcessEnvironment environment() const;

    // Runs a tool on this display to its end.
    ToolResult run(const QString& program, const QStringList& arguments,
                   const QByteArray& input = {}) const;

    // --- Windows ---

    // The ids of the shown windows whose title is exactly `title`.
    QStringList windowsTitled(const QString& title) const;
    bool waitForWindow(const QString& title) const;
    // The title of the window that has the keyboard focus ("" when none).
    QString activeWindowTitle() const;
    bool waitForActiveWindow(const QString& title) const;
    // A text property of a window as the window manager reads it (WM_NAME, _NET_WM_NAME ...).
    QString windowProperty(const QString& window, const QString& property) const;
    // A list of atoms of a window (_NET_WM_WINDOW_TYPE, _NET_WM_ALLOWED_ACTIONS ...), in order.
    QStringList windowAtoms(const QString& window, const QString& property) const;
    // A list of numbers of a window (_MOTIF_WM_HINTS ...), in order.
    QList<quint32> windowNumbers(const QString& window, const QString& property) const;
    // Where the window lies on the screen, without the window manager's frame.
    QRect windowGeometry(const QString& window) const;
    // The managed windows from the bottom of the stack to its top.
    QStringList stackingOrder() const;
    // Makes the window the active one and waits until it is.
    bool activate(const QString& window) const;

    // --- Input, to the window that has the focus ---

    // Key combinations in xdotool's words: "ctrl+f", "Return", "alt+F4".
    void key(const QString& keys) const;
    void type(const QString& text) const;
    // Moves and clicks the mouse as a chain of xdotool's commands, in its words:
    // "mousemove --sync 10 20 click 1 mousedown 1".
    void mouse(const QString& commands) const;

    // --- The clipboard and the primary selection, as another program sees them ---

    // The targets the clipboard's owner offers; empty when nobody owns it.
    QStringList clipboardTargets() const;
    QByteArray clipboard(const QString& target = QStringLiteral("UTF8_STRING")) const;
    // Copies `text` as another program does (xclip stays the owner until someone else copies).
    void copyAsAnotherProgram(const QString& text);
    // The same for the primary selection, the text last selected in any program.
    QStringList primaryTargets() const;
    QByteArray primary(const QString& target = QStringLiteral("UTF8_STRING")) const;
    // Offers `bytes` as `target` only in `selection` ("clipboard", "primary") as another program.
    void offerAsAnotherProgram(const QString& selection, const QString& target,
                               const QByteArray& bytes);

private:
    bool startServer();
    bool startWindowManager();
    QStringList selectionTargets(const QString& selection) const;
    QByteArray selectionContent(const QString& selection, const QString& target) const;

    QProcess m_server;
    QProcess m_windowManager;
    QList<QProcess*> m_owners; // clipboard owners started for the tests
    QString m_display;
    QString m_problem;
    // The programs' state folder (recovery copies): their own, so that a program the tests end
    // leaves no copy that the next start would offer, and the user's own copies stay out of reach.
    QTemporaryDir m_state;
};

// The Debian package that holds each of `files`, by file ("" for a file no package holds).
QMap<QString, QString> packagesOwning(const QStringList& files);

// The real wordlark program on a desktop; killed at the end if it is still running.
class Wordlark
{
public:
    explicit Wordlark(const Desktop& desktop, const QStringList& arguments = {});
    ~Wordlark();
    Wordlark(const Wordlark&) = delete;
    Wordlark& operator=(const Wordlark&) = delete;

    // Waits for the main window titled exactly `title` to be shown and to have the focus.
    bool waitForMainWindow(const QString& title);
    // The id of that window.
    const QString& window() const { return m_window; }
    bool waitForExit();
    // The files of shared code the running program has loaded whose path contains `part`.
    QStringList loadedLibraries(const QString& part = QString()) const;
    // What the program wrote on standard error so far.
    QByteArray errors();

private:
    const Desktop& m_desktop;
    QProcess m_process;
    QString m_window;
};

} // namespace desktop
