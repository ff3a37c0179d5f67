// The bare window of startup_bench: a QMainWindow of a given size in a
// program that links Qt Widgets alone, as little as a Qt window can cost.
//
//   startup_bare WIDTH HEIGHT SPAWNED_NS   SPAWNED_NS: the benchmark's
//                                          steady clock when it started this

#include "startup_watch.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdlib>

int main(int argc, char *argv[])
{
    if (argc != 4)
        return 2;
    StartupWatch watch(std::atoll(argv[3]));
    QApplication app(argc, argv);
    watch.mark("app");
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(std::atoi(argv[1]), std::atoi(argv[2]));
    watch.mark("built");
    watch.watch(window);
    window.show();
    return app.exec();
}
