// The real program on an X server with a window manager, used as a person uses it: keys go to
// whichever window has the focus, titles are read as the window manager reads them, and the
// clipboard is read by another program.
#include "Desktop.h"

#include <QFile>
#include <QPoint>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace desktop;

namespace
{

const QString Untitled = QStringLiteral("BW Wordlark - Untitled");

class DesktopTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(screen.isReady()) << screen.problem().toStdString(); }

    // Starts the program and waits for its main window to have the focus.
    std::unique_ptr<Wordlark> start(const QStringList& arguments, const QString& title)
    {
        auto app = std::make_unique<Wordlark>(screen, arguments);
        EXPECT_TRUE(app->waitForMainWindow(title))
            << "no focused window titled " << title.toStdString()
            << "; active: " << screen.activeWindowTitle().toStdString() << "; "
            << app->errors().toStdString();
        return app;
    }

    // Presses `keys` until the clipboard holds `expected`, for keys that copy and do nothing more
    // when pressed again: a key pressed while the program has not yet taken the focus the
    // window manager gave it is lost, as it would be for a person.
    bool pressUntilClipboardHolds(const QString& keys, const QByteArray& expected)
    {
        return waitUntil([&] {
            screen.key(keys);
            return waitUntil([&] { return screen.clipboard() == expected; }, 2s);
        });
    }

    // Selects the whole document and copies it; true once the clipboard holds `expected`.
    bool copyAllAndExpect(const QString& expected)
    {
        screen.key(QStringLiteral("ctrl+a ctrl+c"));
        return waitUntil([&] { return screen.clipboard() == expected.toUtf8(); });
    }

    // The document's text as Select All and Copy give it to other programs, its paragraphs one
    // a line; another program's copy before it tells the fresh copy from an earlier one.
    QString documentText()
    {
        const QByteArray before = "(before the copy)";
        screen.copyAsAnotherProgram(QString::fromLatin1(before));
        screen.key(QStringLiteral("ctrl+a ctrl+c"));
        waitUntil([&] { return screen.clipboard() != before; });
        return QString::fromUtf8(screen.clipboard());
    }

    // A point left of the first letters of a line well inside the document (below the menu bar
    // and both toolbars, above the status bar).
    QPoint documentPoint(const Wordlark& app) const
    {
        return screen.windowGeometry(app.window()).topLeft() + QPoint(20, 160);
    }

    static QString at(const QPoint& point)
    {
        return QStringLiteral("%1 %2").arg(point.x()).arg(point.y());
    }

    Desktop screen;
};

} // namespace

TEST_F(DesktopTest, WindowTitlesAreExactlyTheCaptions)
{
    auto app = start({}, Untitled);
    ASSERT_FALSE(app->window().isEmpty());
    EXPECT_EQ(screen.windowProperty(app->window(), QStringLiteral("WM_NAME")), Untitled);
    EXPECT_EQ(screen.windowProperty(app->window(), QStringLiteral("_NET_WM_NAME")), Untitled);

    // Insert > Date and Time, a modal dialog.
    screen.key(QStringLiteral("alt+i d"));
    EXPECT_TRUE(screen.waitForActiveWindow(QStringLiteral("Date and Time")))
        << screen.activeWindowTitle().toStdString();
    screen.key(QStringLiteral("Escape"));
    EXPECT_TRUE(screen.waitForActiveWindow(Untitled));
}

TEST_F(DesktopTest, FindAndReplaceOpenWithTheFocusInFindWhat)
{
    auto app = start({}, Untitled);
    screen.type(QStringLiteral("alpha beta gamma"));
    screen.key(QStringLiteral("Home ctrl+f"));
    ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("Find")))
        << "active: " << screen.activeWindowTitle().toStdString();
    // Typing goes into "Find what"; Enter runs Find Next, whose changes of the window band
    // leave the focus where it is.
    screen.type(QStringLiteral("beta"));
    screen.key(QStringLiteral("Return"));
    EXPECT_TRUE(screen.waitForActiveWindow(QStringLiteral("Find")));
    screen.key(QStringLiteral("Escape"));
    ASSERT_TRUE(screen.waitForActiveWindow(Untitled));
    EXPECT_TRUE(pressUntilClipboardHolds(QStringLiteral("ctrl+c"), "beta"))
        << "the search found the typed word; clipboard: " << screen.clipboard().toStdString();
    EXPECT_TRUE(copyAllAndExpect(QStringLiteral("alpha beta gamma")))
        << "nothing typed for the dialog reached the document: "
        << screen.clipboard().toStdString();

    // Replace opens with the last search text selected: typing replaces it.
    screen.key(QStringLiteral("ctrl+h"));
    ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("Replace")));
    screen.type(QStringLiteral("gamma"));
    screen.key(QStringLiteral("Tab"));
    screen.type(QStringLiteral("delta"));
    screen.key(QStringLiteral("alt+a"));
    // Replace All reports in a message box; Enter closes it.
    ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("Replace All")));
    screen.key(QStringLiteral("Return"));
    ASSERT_TRUE(screen.waitForActiveWindow(Untitled));
    EXPECT_TRUE(copyAllAndExpect(QStringLiteral("alpha beta delta")))
        << screen.clipboard().toStdString();
}

TEST_F(DesktopTest, DialogTitleBarsOfferTheCloseButtonOnly)
{
    auto app = start({}, Untitled);
    // Each dialog with its keys, its own type under openbox, and the keys that close it.
    struct Dialog {
        const char* title;
        const char* keys;
        const char* ownType;
    };
    const Dialog dialogs[] = {
        {"Find", "ctrl+f", "_NET_WM_WINDOW_TYPE_UTILITY"},
        {"Replace", "ctrl+h", "_NET_WM_WINDOW_TYPE_UTILITY"},
        {"Date and Time", "alt+i d", "_NET_WM_WINDOW_TYPE_DIALOG"},
        // Format's last item.
        {"Paragraph", "alt+o Up Return", "_NET_WM_WINDOW_TYPE_DIALOG"},
    };
    for (const Dialog& dialog : dialogs) {
        SCOPED_TRACE(dialog.title);
        const QString title = QString::fromLatin1(dialog.title);
        screen.key(QString::fromLatin1(dialog.keys));
        ASSERT_TRUE(screen.waitForActiveWindow(title)) << screen.activeWindowTitle().toStdString();
        const QString window = screen.windowsTitled(title).value(0);
        // What the window manager lets the user do is what its title bar shows.
        const QStringList actions =
            screen.windowAtoms(window, QStringLiteral("_NET_WM_ALLOWED_ACTIONS"));
        EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE")))
            << actions.join(' ').toStdString();
        for (const QString& action : actions)
            EXPECT_FALSE(action.contains(QLatin1String("MINIMIZE")) ||
                         action.contains(QLatin1String("MAXIMIZE")))
                << action.toStdString();
        // The Motif hints ask for neither (a window manager that follows them draws neither):
        // flags, functions (minimise 0x8, maximise 0x10), decorations (0x20, 0x40).
        const QList<quint32> motif =
            screen.windowNumbers(window, QStringLiteral("_MOTIF_WM_HINTS"));
        ASSERT_GE(motif.size(), 3);
        EXPECT_EQ(motif[1] & 0x18, 0u) << motif[1];
        EXPECT_EQ(motif[2] & 0x60, 0u) << motif[2];
        // Openbox leaves the minimise button off toolbar windows only; the dialog's own type
        // follows for the window managers that go further down the list.
        const QStringList types = screen.windowAtoms(window, QStringLiteral("_NET_WM_WINDOW_TYPE"));
        EXPECT_EQ(types.value(0), QStringLiteral("_NET_WM_WINDOW_TYPE_TOOLBAR"))
            << types.join(' ').toStdString();
        EXPECT_EQ(types.value(1), QString::fromLatin1(dialog.ownType))
            << types.join(' ').toStdString();
        screen.key(QStringLiteral("Escape"));
        ASSERT_TRUE(screen.waitForActiveWindow(Untitled));
    }
}

TEST_F(DesktopTest, DraggingTheSelectionWithTheMouseMovesItAndUndoPutsItBack)
{
    auto app = start({}, Untitled);
    for (int line = 0; line < 12; ++line) {
        screen.type(QStringLiteral("alpha"));
        screen.key(QStringLiteral("Return"));
    }
    const QString original = documentText();
    ASSERT_EQ(original.count(QStringLiteral("alpha")), 12) << original.toStdString();

    // Select the word of one line with the keys, after a click far enough away from the word
    // that the press on it below does not make a double-click.
    const QPoint word = documentPoint(*app);
    screen.mouse(QStringLiteral("mousemove --sync ") + at(word + QPoint(200, 0)) +
                 QStringLiteral(" click 1"));
    screen.key(QStringLiteral("shift+Home"));
    ASSERT_TRUE(waitUntil([&] { return screen.primary() == "alpha"; }))
        << "the selection is offered as the primary selection: " << screen.primary().toStdString();
    // Drag it three lines down, past that line's end, in steps the program sees one by one.
    QString drag = QStringLiteral("mousemove --sync ") + at(word) + QStringLiteral(" mousedown 1");
    for (int step = 1; step <= 10; ++step)
        drag += QStringLiteral(" sleep 0.03 mousemove --sync ") +
                at(word + QPoint(step * 30, step * 4));
    screen.mouse(drag + QStringLiteral(" mouseup 1"));

    QStringList lines;
    EXPECT_TRUE(waitUntil([&] {
        lines = documentText().split(QLatin1Char('\n'));
        return lines.count(QStringLiteral("alphaalpha")) == 1;
    })) << "the dragged word was not moved: "
        << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines.join(QString()).count(QStringLiteral("alpha")), 12)
        << "the drop inserted something else: " << lines.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(lines.size(), original.split(QLatin1Char('\n')).size());
    EXPECT_EQ(lines.count(QString()), original.split(QLatin1Char('\n')).count(QString()) + 1)
        << "the dragged word left its line empty";

    screen.key(QStringLiteral("ctrl+z"));
    EXPECT_EQ(documentText(), original) << "Undo puts the dragged word back";
}

TEST_F(DesktopTest, MiddleClickInsertsThePrimarySelectionNeverTheClipboard)
{
    auto app = start({}, Untitled);
    screen.type(QStringLiteral("start "));
    screen.offerAsAnotherProgram(QStringLiteral("clipboard"), QStringLiteral("text/rtf"),
                                 "{\\rtf1\\ansi CLIPBOARD}");
    screen.offerAsAnotherProgram(QStringLiteral("primary"), QStringLiteral("UTF8_STRING"),
                                 "PRIMARY");
    screen.mouse(QStringLiteral("mousemove --sync ") + at(documentPoint(*app)) +
                 QStringLiteral(" click 2"));
    // The keys that copy come after the click: the copy holds what the click did. The clipboard
    // offers no plain text until the program copies.
    screen.key(QStringLiteral("ctrl+a ctrl+c"));
    ASSERT_TRUE(waitUntil([&] { return !screen.clipboard().isEmpty(); }));
    const QString text = QString::fromUtf8(screen.clipboard());
    EXPECT_TRUE(text.contains(QStringLiteral("PRIMARY"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("CLIPBOARD"))) << text.toStdString();

    // The program offers its own selection (Select All just now) as the primary selection.
    EXPECT_TRUE(waitUntil([&] { return screen.primary() == text.toUtf8(); }))
        << screen.primary().toStdString();
    EXPECT_TRUE(screen.primaryTargets().contains(QStringLiteral("text/rtf")))
        << screen.primaryTargets().join(' ').toStdString();
    EXPECT_TRUE(screen.primary(QStringLiteral("text/rtf")).startsWith("{\\rtf1"));
}

TEST_F(DesktopTest, AfterTheFindRestartPromptTheKeyboardIsInTheDialog)
{
    auto app = start({}, Untitled);
    screen.type(QStringLiteral("one vox two"));
    screen.key(QStringLiteral("ctrl+f"));
    ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("Find")));
    const QString dialog = screen.windowsTitled(QStringLiteral("Find")).value(0);
    const auto findWindows = [&] { return screen.windowsTitled(QStringLiteral("Find")).size(); };

    screen.type(QStringLiteral("vox"));
    // From the caret at the end there is no "vox": the prompt to go on from the beginning.
    screen.key(QStringLiteral("Return"));
    ASSERT_TRUE(waitUntil([&] { return findWindows() == 2; })) << "no restart prompt";
    // The dialog stays above the main window while the prompt is up.
    const QStringList stack = screen.stackingOrder();
    EXPECT_GT(stack.indexOf(dialog), stack.indexOf(app->window())) << stack.join(' ').toStdString();

    // Yes: the search from the top finds the word and selects it; the dialog has the keys again.
    screen.key(QStringLiteral("Return"));
    ASSERT_TRUE(waitUntil([&] { return findWindows() == 1; })) << "the prompt did not close";
    EXPECT_TRUE(waitUntil([&] { return screen.primary() == "vox"; }))
        << screen.primary().toStdString();
    EXPECT_TRUE(screen.waitForActiveWindow(QStringLiteral("Find")))
        << screen.activeWindowTitle().toStdString();
    // Enter is the dialog's Find Next again, not a line break in the document.
    screen.key(QStringLiteral("Return"));
    ASSERT_TRUE(waitUntil([&] { return findWindows() == 2; })) << "Enter did not search again";
    screen.key(QStringLiteral("Escape")); // No: the dialog closes
    EXPECT_TRUE(waitUntil([&] { return findWindows() == 0; }));

    ASSERT_TRUE(screen.activate(app->window()));
    EXPECT_EQ(documentText(), QStringLiteral("one vox two"));
}

TEST_F(DesktopTest, TheKeysQtTakesForCopyAndCutRunTheCommands)
{
    auto app = start({}, Untitled);
    screen.type(QStringLiteral("keep cut"));
    // F20 is Cut and F16 Copy for Qt on X11 (the Sun keyboard's keys); the key table names
    // neither. The display's keyboard has no key for them: xdotool lends one a key code for the
    // moment of the press, which a busy program may read with the keyboard's old map. Pressing
    // again is harmless (with the selection cut once, a second press finds nothing to cut).
    // Cut takes its undo snapshot first, as the command does.
    screen.key(QStringLiteral("ctrl+shift+Left"));
    ASSERT_TRUE(pressUntilClipboardHolds(QStringLiteral("F20"), "cut"))
        << screen.clipboard().toStdString();
    EXPECT_EQ(documentText(), QStringLiteral("keep "));
    screen.key(QStringLiteral("ctrl+z"));
    EXPECT_EQ(documentText(), QStringLiteral("keep cut")) << "Undo takes the cut back";

    screen.key(QStringLiteral("End ctrl+shift+Left"));
    EXPECT_TRUE(pressUntilClipboardHolds(QStringLiteral("F16"), "cut"))
        << screen.clipboard().toStdString();
    EXPECT_TRUE(screen.clipboardTargets().contains(QStringLiteral("text/rtf")));
}

TEST_F(DesktopTest, CopyMakesWordlarkTheClipboardsOnlyOwner)
{
    screen.copyAsAnotherProgram(QStringLiteral("old words"));
    ASSERT_EQ(screen.clipboard(), "old words");

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("copy.rtf"));
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("{\\rtf1\\ansi new {\\b words}}");
    }
    auto app = start({path}, QStringLiteral("BW Wordlark - ") + path);
    ASSERT_TRUE(copyAllAndExpect(QStringLiteral("new words")))
        << "plain text readers get the copy; clipboard: " << screen.clipboard().toStdString();

    const QStringList targets = screen.clipboardTargets();
    for (const char* target :
         {"text/rtf", "application/rtf", "text/richtext", "text/html", "text/plain", "UTF8_STRING"})
        EXPECT_TRUE(targets.contains(QString::fromLatin1(target))) << target;
    EXPECT_TRUE(screen.clipboard(QStringLiteral("text/rtf")).startsWith("{\\rtf1"));
    EXPECT_EQ(screen.clipboard(QStringLiteral("application/rtf")),
              screen.clipboard(QStringLiteral("text/rtf")));
    EXPECT_TRUE(screen.clipboard(QStringLiteral("text/html")).contains("words"));
    EXPECT_EQ(screen.clipboard(QStringLiteral("text/plain")), "new words");

    // Leaving the program takes back what it placed: nothing of it is left to paste.
    screen.key(QStringLiteral("alt+F4"));
    ASSERT_TRUE(app->waitForExit());
    EXPECT_TRUE(waitUntil([&] { return screen.clipboardTargets().isEmpty(); }))
        << screen.clipboardTargets().join(QLatin1Char(' ')).toStdString();
}

TEST_F(DesktopTest, SaveAsThroughTheFileDialogThenReopenFromTheCommandLine)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("saved.rtf"));
    {
        auto app = start({}, Untitled);
        screen.type(QStringLiteral("Saved on a desktop"));
        // Save of an untitled document asks for a name.
        screen.key(QStringLiteral("ctrl+s"));
        ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("Save As")))
            << screen.activeWindowTitle().toStdString();
        screen.key(QStringLiteral("ctrl+a"));
        screen.type(path);
        screen.key(QStringLiteral("Return"));
        ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("BW Wordlark - ") + path))
            << screen.activeWindowTitle().toStdString();
        screen.key(QStringLiteral("alt+F4"));
        ASSERT_TRUE(app->waitForExit()) << "a saved document closes without a question";
    }
    QFile saved(path);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_TRUE(bytes.startsWith("{\\rtf1")) << bytes.left(40).toStdString();
    EXPECT_TRUE(bytes.contains("Saved on a desktop"));

    auto again = start({path}, QStringLiteral("BW Wordlark - ") + path);
    EXPECT_TRUE(copyAllAndExpect(QStringLiteral("Saved on a desktop")))
        << screen.clipboard().toStdString();
}

TEST_F(DesktopTest, EveryPluginItLoadsComesFromAPackageThePackageDependsOn)
{
    auto app = start({}, Untitled);
    // The toolbars' pictures are drawn by now; a dialog with its icons loads the rest.
    screen.key(QStringLiteral("alt+i d"));
    ASSERT_TRUE(screen.waitForActiveWindow(QStringLiteral("Date and Time")));
    const QStringList plugins = app->loadedLibraries(QStringLiteral("/qt6/plugins/"));
    screen.key(QStringLiteral("Escape"));
    ASSERT_FALSE(plugins.isEmpty());

    // The libraries the program links come with the package through dpkg-shlibdeps, and with
    // them the packages they depend on; every other package is named in Depends by hand.
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(WORDLARK_BINARY)});
    ASSERT_TRUE(ldd.waitForFinished());
    QStringList linkedFiles;
    for (const QByteArray& line : ldd.readAllStandardOutput().split('\n')) {
        const qsizetype arrow = line.indexOf("=> /");
        if (arrow >= 0)
            linkedFiles.append(QString::fromUtf8(line.mid(arrow + 3).split(' ').constFirst()));
    }
    const QStringList linked = packagesOwning(linkedFiles).values();
    ASSERT_TRUE(linked.contains(QStringLiteral("libqt6gui6"))) << linked.join(' ').toStdString();
    const QStringList declared =
        QString::fromLatin1(WORDLARK_RUNTIME_PACKAGES).split(QLatin1Char(' '));
    const QMap<QString, QString> owners = packagesOwning(plugins);
    for (auto it = owners.begin(); it != owners.end(); ++it) {
        EXPECT_TRUE(linked.contains(it.value()) || declared.contains(it.value()))
            << it.key().toStdString() << " comes from \"" << it.value().toStdString()
            << "\", which the package does not depend on";
    }
}
