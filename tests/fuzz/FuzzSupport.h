#pragma once

// What the fuzz entry points share: a Qt application for fonts and images when the fuzzer itself
// provides none, and a loud stop when a check fails.

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

namespace fuzz
{

inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "wordlark_fuzz";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}

[[noreturn]] inline void fail(const char* fuzzer, const char* what)
{
    std::fprintf(stderr, "%s: %s\n", fuzzer, what);
    std::abort();
}

} // namespace fuzz
