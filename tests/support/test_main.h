#pragma once

#include <QApplication>
#include <QTest>

// Runs several test classes in one executable, so the suite links fewer
// programs. Each class is a fresh object; the result is non-zero if any fails.
template<typename... Tests> int runTests(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int status = 0;
    auto run = [&](auto &&test) { status |= QTest::qExec(&test, argc, argv); };
    (run(Tests()), ...);
    return status;
}
