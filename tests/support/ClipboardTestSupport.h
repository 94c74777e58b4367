#pragma once

#include "clipboard/cCustomClipboard.h"
#include "platform/clipboard/ClipboardLayer.h"
#include "platform/clipboard/ClipboardMemoryBackend.h"

#include <gtest/gtest.h>

#include <functional>

// A window handle for the tests; any non-zero number serves.
constexpr quintptr TestWindow = 0x1001;
constexpr quintptr OtherWindow = 0x2002;

// Installs a fresh in-memory clipboard for the duration of a test.
class MemoryClipboardTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_before = setClipboardBackend(&board);
        m_granularity = win32::globalSizeGranularity();
    }
    void TearDown() override
    {
        setClipboardBackend(m_before);
        win32::setGlobalSizeGranularity(m_granularity);
    }

    ClipboardMemoryBackend board;

private:
    ClipboardBackend* m_before = nullptr;
    std::size_t m_granularity = 16;
};

// Runs `body` and returns the error it raised (a test failure when it raised none).
inline PlatformError raisedBy(const std::function<void()>& body)
{
    try {
        body();
    } catch (const PlatformError& e) {
        return e;
    }
    ADD_FAILURE() << "no error was raised";
    return PlatformError(0, QString());
}

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
