#include "platform/core/Error.h"

#include <gtest/gtest.h>

TEST(Errors, HandlersCatchAndIgnoreAsTheySay)
{
    long reported = 0;
    catchErrors([] { raiseError(ErrorNumber::FileNotFound); },
                [&](const PlatformError& e) {
                    reported = e.number();
                    EXPECT_EQ(e.description(), QStringLiteral("File not found"));
                });
    EXPECT_EQ(reported, 53);

    bool secondStepRan = false;
    ignoreErrors([] { raiseError(ErrorNumber::PathNotFound); });
    ignoreErrors([&] { secondStepRan = true; });
    EXPECT_TRUE(secondStepRan);

    catchErrors([] { throw std::runtime_error("boom"); },
                [&](const PlatformError& e) { reported = e.number(); });
    EXPECT_EQ(reported, 51);
}
