// Fuzz entry point for the RTF reader (libFuzzer style). Whatever the bytes, reading must not
// crash, hang or exhaust memory; what was read must write as RTF that reads back to the same text;
// and pasting the bytes into a document must leave a document that writes and reads.

#include "platform/rtf/Rtf.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include "FuzzSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{

void ensureApplication()
{
    fuzz::ensureApplication();
}

[[noreturn]] void fail(const char* what)
{
    fuzz::fail("rtf_reader_fuzz", what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QTextDocument document;
    try {
        rtf::read(bytes, document);
    } catch (const rtf::FormatError&) {
        if (rtf::looksLikeRtf(bytes))
            fail("bytes that look like RTF were refused");
        return 0;
    }

    const QByteArray written = rtf::write(document);
    QTextDocument again;
    try {
        rtf::read(written, again);
    } catch (const rtf::FormatError&) {
        fail("the writer's output was refused");
    }
    if (again.toRawText() != document.toRawText())
        fail("written and read again, the text changed");
    if (rtf::write(again) != written)
        fail("written twice, the bytes changed");

    const int length = document.characterCount() - 1;
    (void)rtf::writeRange(document, length / 3, 2 * length / 3);
    QTextCursor cursor(&document);
    cursor.setPosition(length / 2);
    rtf::insert(bytes, cursor);
    (void)rtf::write(document);
    return 0;
}
