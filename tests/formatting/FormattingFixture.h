#pragma once

#include "platform/bars/Toolbar.h"
#include "platform/control/RichTextBox.h"
#include "platform/control/RichTextView.h"
#include "shell/frmRTBEditor.h"
#include "support/ScriptedDialogHost.h"

#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

// A shown main window with a scripted dialog host, and helpers to fill and select its document.
class FormattingTest : public ::testing::Test
{
protected:
    FormattingTest()
    {
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.rtbEditor->view()->setFocus();
    }

    RichTextBox& editor() { return *window.rtbEditor; }
    ToolbarButton& button(const char* key)
    {
        return window.tbrFormatting->Buttons(QString::fromLatin1(key));
    }

    // Types `text` into the document through real key events, then counts it as saved.
    void type(const QString& text)
    {
        QTest::keyClicks(editor().view(), text);
        window.gblnDocSaved = true;
    }
    void select(long start, long length)
    {
        editor().setSelStart(start);
        editor().setSelLength(length);
    }

    // Puts a marker into the undo snapshot, so a test can see whether a command replaced it.
    void markSnapshot() { window.rtbSaved->setTextRTF(QByteArrayLiteral("marker")); }
    bool snapshotTaken() const { return window.rtbSaved->TextRTF() != QByteArrayLiteral("marker"); }

    ScriptedDialogHost host;
    frmRTBEditor window;
};
