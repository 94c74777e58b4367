#include "Desktop.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

namespace desktop
{

namespace
{

constexpr int PollMilliseconds = 40;

int milliseconds(std::chrono::milliseconds duration)
{
    return int(duration.count());
}

// Ends a process this test started: asks first, then insists.
void stop(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(2000);
    }
}

// `text` as a POSIX extended regular expression that matches it literally.
QString literalPattern(const QString& text)
{
    QString pattern;
    for (const QChar c : text) {
        if (QStringLiteral(".[]{}()\\*+?^$|").contains(c))
            pattern += QLatin1Char('\\');
        pattern += c;
    }
    return pattern;
}

// The value of one line of xprop's output, `NAME(TYPE) = "value"`; null when it has none.
QString quotedValue(const QByteArray& line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    const qsizetype first = text.indexOf(QLatin1Char('"'));
    const qsizetype last = text.lastIndexOf(QLatin1Char('"'));
    if (first < 0 || last <= first)
        return QString();
    return text.mid(first + 1, last - first - 1);
}

} // namespace

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (condition())
            return true;
        if (clock.elapsed() > timeout.count())
            return false;
        QThread::msleep(PollMilliseconds);
    }
}

// --- Desktop ---

Desktop::Desktop()
{
    // Desktops of tests running side by side can get in each other's way while they start (a
    // window manager that finds the display taken gives up): a failed start is tried again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_problem.clear();
        if (startServer() && startWindowManager())
            return;
        stop(m_windowManager);
        stop(m_server);
    }
}

Desktop::~Desktop()
{
    for (QProcess* owner : m_owners) {
        stop(*owner);
        delete owner;
    }
    stop(m_windowManager);
    stop(m_server);
}

bool Desktop::startServer()
{
    // -displayfd: the server takes the first free display number and writes it on its output
    // once it accepts connections.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted()) {
        m_problem = QStringLiteral("Xvfb cannot be started (is it installed?)");
        return false;
    }
    QByteArray number;
    waitUntil([&] {
        m_server.waitForReadyRead(PollMilliseconds);
        number += m_server.readAllStandardOutput();
        return number.contains('\n') || m_server.state() == QProcess::NotRunning;
    });
    if (!number.contains('\n')) {
        m_problem = QStringLiteral("Xvfb did not start: ") +
                    QString::fromLocal8Bit(m_server.readAllStandardError());
        return false;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    return true;
}

bool Desktop::startWindowManager()
{
    m_windowManager.setProcessEnvironment(environment());
    m_windowManager.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
    if (!m_windowManager.waitForStarted()) {
        m_problem = QStringLiteral("openbox cannot be started (is it installed?)");
        return false;
    }
    // The window manager is at work once it has announced itself on the root window.
    const bool managing = waitUntil(
        [&] {
            return run(QStringLiteral("xprop"),
                       {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                .out.contains("window id");
        },
        8s);
    if (!managing)
        m_problem = QStringLiteral("openbox did not take over the display ") + m_display;
    return managing;
}

QProcessEnvironment Desktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), m_state.path());
    return env;
}

ToolResult Desktop::run(const QString& program, const QStringList& arguments,
                        const QByteArray& input) const
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    ToolResult result;
    if (!process.waitForStarted()) {
        result.err = program.toUtf8() + " cannot be started";
        return result;
    }
    if (!input.isEmpty()) {
        process.write(input);
        process.waitForBytesWritten();
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(milliseconds(Patience))) {
        stop(process);
        result.err = program.toUtf8() + " did not finish";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QStringList Desktop::windowsTitled(const QString& title) const
{
    const ToolResult found =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), literalPattern(title)});
    QStringList exact;
    for (const QByteArray& line : found.out.split('\n')) {
        const QString id = QString::fromLatin1(line.trimmed());
        if (!id.isEmpty() && windowProperty(id, QStringLiteral("_NET_WM_NAME")) == title)
            exact.append(id);
    }
    return exact;
}

bool Desktop::waitForWindow(const QString& title) const
{
    return waitUntil([&] { return !windowsTitled(title).isEmpty(); });
}

QString Desktop::activeWindowTitle() const
{
    const ToolResult active = run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow"),
                                                              QStringLiteral("getwindowname")});
    return active.ok() ? QString::fromUtf8(active.out).chopped(active.out.endsWith('\n') ? 1 : 0)
                       : QString();
}

bool Desktop::waitForActiveWindow(const QString& title) const
{
    return waitUntil([&] { return activeWindowTitle() == title; });
}

QString Desktop::windowProperty(const QString& window, const QString& property) const
{
    return quotedValue(run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, property}).out);
}

QStringList Desktop::windowAtoms(const QString& window, const QString& property) const
{
    // xprop writes `NAME(ATOM) = FIRST, SECOND`.
    const QString line = QString::fromUtf8(
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, property}).out);
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (!line.contains(QLatin1String("(ATOM)")) || equals < 0)
        return {};
    QStringList atoms = line.mid(equals + 1).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& atom : atoms)
        atom = atom.trimmed();
    return atoms;
}

QList<quint32> Desktop::windowNumbers(const QString& window, const QString& property) const
{
    // xprop writes `NAME(TYPE) = 0x3, 0x26, 0x1e`.
    const QString line = QString::fromUtf8(
        run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, property}).out);
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    QList<quint32> numbers;
    if (equals < 0)
        return numbers;
    for (const QString& item : line.mid(equals + 1).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const quint32 number = item.trimmed().toUInt(&ok, 0);
        if (ok)
            numbers.append(number);
    }
    return numbers;
}

QRect Desktop::windowGeometry(const QString& window) const
{
    // `--shell` writes X=, Y=, WIDTH= and HEIGHT= lines.
    const ToolResult shell = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                                             QStringLiteral("--shell"), window});
    QMap<QString, int> values;
    for (const QByteArray& line : shell.out.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(QString::fromLatin1(line.left(equals)), line.mid(equals + 1).toInt());
    }
    return QRect(values.value(QStringLiteral("X")), values.value(QStringLiteral("Y")),
                 values.value(QStringLiteral("WIDTH")), values.value(QStringLiteral("HEIGHT")));
}

QStringList Desktop::stackingOrder() const
{
    // The root window's list is in hexadecimal; xdotool names windows in decimal.
    const QString line = QString::fromLatin1(
        run(QStringLiteral("xprop"),
            {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")})
            .out);
    QStringList windows;
    const qsizetype hash = line.indexOf(QLatin1Char('#'));
    if (hash < 0)
        return windows;
    for (const QString& item : line.mid(hash + 1).split(QLatin1Char(','), Qt::SkipEmptyParts))
        windows.append(QString::number(item.trimmed().toULong(nullptr, 16)));
    return windows;
}

bool Desktop::activate(const QString& window) const
{
    run(QStringLiteral("xdotool"),
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
    return waitUntil([&] {
        return QString::fromLatin1(
                   run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")})
                       .out.trimmed()) == window;
    });
}

void Desktop::mouse(const QString& commands) const
{
    run(QStringLiteral("xdotool"), commands.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

void Desktop::key(const QString& keys) const
{
    QStringList arguments = {QStringLiteral("key"), QStringLiteral("--delay"),
                             QStringLiteral("20")};
    arguments += keys.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    run(QStringLiteral("xdotool"), arguments);
}

void Desktop::type(const QString& text) const
{
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                    QStringLiteral("10"), QStringLiteral("--"), text});
}

QStringList Desktop::selectionTargets(const QString& selection) const
{
    const ToolResult targets =
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection, QStringLiteral("-o"),
                                      QStringLiteral("-t"), QStringLiteral("TARGETS")});
    if (!targets.ok())
        return {};
    return QString::fromLatin1(targets.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray Desktop::selectionContent(const QString& selection, const QString& target) const
{
    return run(QStringLiteral("xclip"), {QStringLiteral("-selection"), selection,
                                         QStringLiteral("-o"), QStringLiteral("-t"), target})
        .out;
}

QStringList Desktop::clipboardTargets() const
{
    return selectionTargets(QStringLiteral("clipboard"));
}

QByteArray Desktop::clipboard(const QString& target) const
{
    return selectionContent(QStringLiteral("clipboard"), target);
}

QStringList Desktop::primaryTargets() const
{
    return selectionTargets(QStringLiteral("primary"));
}

QByteArray Desktop::primary(const QString& target) const
{
    return selectionContent(QStringLiteral("primary"), target);
}

void Desktop::copyAsAnotherProgram(const QString& text)
{
    offerAsAnotherProgram(QStringLiteral("clipboard"), QStringLiteral("UTF8_STRING"),
                          text.toUtf8());
}

void Desktop::offerAsAnotherProgram(const QString& selection, const QString& target,
                                    const QByteArray& bytes)
{
    // -quiet keeps xclip in the foreground, so that it stays this test's process.
    auto* owner = new QProcess;
    owner->setProcessEnvironment(environment());
    owner->start(QStringLiteral("xclip"),
                 {QStringLiteral("-selection"), selection, QStringLiteral("-t"), target,
                  QStringLiteral("-quiet"), QStringLiteral("-i")});
    owner->waitForStarted();
    owner->write(bytes);
    owner->waitForBytesWritten(); // no event loop runs here to write it
    owner->closeWriteChannel();
    m_owners.append(owner);
    waitUntil([&] { return selectionContent(selection, target) == bytes; });
}

QMap<QString, QString> packagesOwning(const QStringList& files)
{
    // A merged /usr lets a library be found under /lib while its package lists it under /usr/lib,
    // or the other way round: both names are asked for.
    auto otherName = [](const QString& file) {
        return file.startsWith(QLatin1String("/usr/")) ? file.mid(4)
                                                       : QStringLiteral("/usr") + file;
    };
    QStringList names;
    for (const QString& file : files)
        names << file << otherName(file);
    QProcess dpkg;
    dpkg.start(QStringLiteral("dpkg"), QStringList{QStringLiteral("-S")} + names);
    dpkg.waitForFinished();
    QMap<QString, QString> byName; // "package: file" lines
    for (const QByteArray& line : dpkg.readAllStandardOutput().split('\n')) {
        const qsizetype colon = line.indexOf(": ");
        if (colon > 0)
            byName.insert(QString::fromUtf8(line.mid(colon + 2)),
                          QString::fromLatin1(line.left(colon)).section(QLatin1Char(':'), 0, 0));
    }
    QMap<QString, QString> owners;
    for (const QString& file : files)
        owners.insert(file, byName.value(file, byName.value(otherName(file))));
    return owners;
}

// --- Wordlark ---

Wordlark::Wordlark(const Desktop& desktop, const QStringList& arguments) : m_desktop(desktop)
{
    m_process.setProcessEnvironment(desktop.environment());
    m_process.start(QStringLiteral(WORDLARK_BINARY), arguments);
}

Wordlark::~Wordlark()
{
    stop(m_process);
}

bool Wordlark::waitForMainWindow(const QString& title)
{
    return waitUntil([&] {
               if (m_process.state() == QProcess::NotRunning)
                   return true; // it will not come
               const QStringList windows = m_desktop.windowsTitled(title);
               if (windows.isEmpty() || m_desktop.activeWindowTitle() != title)
                   return false;
               m_window = windows.constFirst();
               return true;
           }) &&
           !m_window.isEmpty();
}

bool Wordlark::waitForExit()
{
    return m_process.waitForFinished(milliseconds(Patience));
}

QStringList Wordlark::loadedLibraries(const QString& part) const
{
    QFile maps(QStringLiteral("/proc/%1/maps").arg(m_process.processId()));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    QStringList files;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const qsizetype slash = line.indexOf('/');
        if (slash < 0 || !line.contains(".so"))
            continue;
        const QString file = QString::fromUtf8(line.mid(slash));
        if (file.contains(part) && !files.contains(file))
            files.append(file);
    }
    return files;
}

QByteArray Wordlark::errors()
{
    return m_process.readAllStandardError();
}

} // namespace desktop
