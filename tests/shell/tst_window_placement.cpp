// Where the window goes: centred with its frame, smaller on a small screen,
// never below its least size, and kept inside the usable part of the screen.

#include "shell/window_placement.h"

#include <QTest>

class WindowPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void windowIsCentredWithItsFrame_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("window");
        const QSize least(700, 480);
        // A window that would like 769 x 712, in a frame of 4, 32, 4, 4.
        QTest::newRow("room to spare") << QRect(0, 0, 1024, 768) << least
                                       << QRect(127, 42, 769, 712);
        QTest::newRow("odd room, single precision") << QRect(0, 0, 1025, 769) << least
                                                    << QRect(128, 42, 769, 712);
        QTest::newRow("shorter than it would like") << QRect(0, 0, 800, 600) << least
                                                    << QRect(15, 32, 769, 564);
        QTest::newRow("a panel above, a second screen left")
            << QRect(1280, 27, 1024, 741) << least << QRect(1407, 59, 769, 705);
        QTest::newRow("smaller than its least: title bar on the screen")
            << QRect(0, 0, 640, 480) << least << QRect(4, 32, 700, 480);
    }
    void windowIsCentredWithItsFrame()
    {
        QFETCH(QRect, area);
        QFETCH(QSize, minimum);
        QFETCH(QRect, window);
        QCOMPARE(centredWindow(area, QSize(769, 712), minimum, QMargins(4, 32, 4, 4)), window);
    }

    void windowIsMovedBackInside_data()
    {
        QTest::addColumn<QRect>("window");
        QTest::addColumn<QRect>("kept");
        QTest::newRow("inside stays") << QRect(10, 40, 700, 500) << QRect(10, 40, 700, 500);
        QTest::newRow("grown past the bottom") << QRect(10, 100, 700, 500)
                                               << QRect(10, 96, 700, 500);
        QTest::newRow("past the right edge") << QRect(200, 40, 700, 500)
                                             << QRect(96, 40, 700, 500);
        QTest::newRow("title bar above the top") << QRect(10, 5, 700, 500)
                                                 << QRect(10, 32, 700, 500);
        QTest::newRow("taller than the screen: the top wins") << QRect(10, 100, 700, 700)
                                                              << QRect(10, 32, 700, 700);
    }
    void windowIsMovedBackInside()
    {
        QFETCH(QRect, window);
        QFETCH(QRect, kept);
        QCOMPARE(windowKeptInside(QRect(0, 0, 800, 600), window, QMargins(4, 32, 4, 4)), kept);
    }
};

QTEST_MAIN(WindowPlacementTest)
#include "tst_window_placement.moc"
