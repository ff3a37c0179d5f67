#pragma once

#include <QApplication>
#include <QTest>

// Runs several test classes in one executable, so the suite links fewer
// programs. Each class is a fresh object; the result is non-zero if any fails.
// True unless the command line names test functions of which `test` has none
// (so "tst_x someFunction" runs only the class that has it).
inline bool namesAFunctionOf(const QObject &test, int argc, char *argv[])
{
    static const QList<QByteArray> optionsWithValue {"-o",        "-maxwarnings", "-eventdelay",
                                                     "-keydelay", "-mousedelay",  "-platform",
                                                     "-seed",     "-repeat"};
    bool namedAny = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg.startsWith('-')) {
            if (optionsWithValue.contains(arg))
                ++i;
            continue;
        }
        namedAny = true;
        const QByteArray function = arg.split(':').first() + "()";
        if (test.metaObject()->indexOfMethod(function.constData()) >= 0)
            return true;
    }
    return !namedAny;
}

template<typename... Tests> int runTests(int argc, char *argv[])
{
    QApplication app(argc, argv);
    int status = 0;
    auto run = [&](auto &&test) {
        if (namesAFunctionOf(test, argc, argv))
            status |= QTest::qExec(&test, argc, argv);
    };
    (run(Tests()), ...);
    return status;
}
