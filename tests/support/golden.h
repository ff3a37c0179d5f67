#pragma once

#include "session_fixture.h"

// Compares bytes with a file in the test folder's golden/ (GOLDEN_DIR), both
// with their control bytes written out (\r, \x03) so that a failure reads as text.
#define COMPARE_GOLDEN(actual, name)                                                               \
    QCOMPARE(                                                                                      \
        visibleControls(QString::fromLatin1(actual)),                                              \
        visibleControls(QString::fromLatin1(readFile(QStringLiteral(GOLDEN_DIR "/") + (name)))))
