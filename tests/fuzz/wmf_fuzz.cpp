// Fuzz entry point for the Windows metafile player (libFuzzer style). Whatever the bytes, playing
// must not crash, hang or exhaust memory; a refusal carries a message; a picture is never larger
// than the player's bound, at its own size or at a target size.

#include "platform/pictures/WindowsMetafile.h"

#include <QGuiApplication>

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
    fuzz::fail("wmf_fuzz", what);
}

void check(const QImage& image, const QString& error, QSize bound)
{
    if (image.isNull()) {
        if (error.isEmpty())
            fail("a refusal without a message");
        return;
    }
    if (image.width() < 1 || image.height() < 1 || image.width() > bound.width() ||
        image.height() > bound.height())
        fail("a picture outside the size bounds");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ensureApplication();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)wmf::looksLikeMetafile(bytes);

    QString error;
    const QImage natural = wmf::render(bytes, QSize(), &error);
    check(natural, error, QSize(4096, 4096));

    QString sizeError;
    const QSize measured = wmf::naturalSize(bytes, &sizeError);
    if (!natural.isNull() && measured != natural.size())
        fail("the natural size differs from the size drawn");

    QString smallError;
    const QImage small = wmf::render(bytes, QSize(64, 48), &smallError);
    check(small, smallError, QSize(64, 48));
    if (natural.isNull() != small.isNull())
        fail("a target size changed whether the metafile was accepted");
    return 0;
}
