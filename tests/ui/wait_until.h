#pragma once

#include <QTest>

#include <gtest/gtest.h>

// Processes events until the condition holds; a timeout fails the test. Qt's own QTRY_
// checks only log outside Qt's test runner, so under GoogleTest a timeout there would
// end the test early and let it pass unseen.
#define WAIT_UNTIL(cond, ms)                                                                       \
    ASSERT_TRUE(QTest::qWaitFor([&]() -> bool { return static_cast<bool>(cond); }, (ms)))          \
        << "timed out waiting for: " #cond

// Waits until actual equals expected, then checks it, so a timeout shows both values.
#define WAIT_EQ(actual, expected, ms)                                                              \
    do {                                                                                           \
        (void)QTest::qWaitFor([&]() -> bool { return (actual) == (expected); }, (ms));             \
        ASSERT_EQ(actual, expected);                                                               \
    } while (false)
