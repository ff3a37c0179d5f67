// The window on the screen it is started on: whole, title bar and menus
// included, with and without the line monitor and the diagnostic readout.
// CTest runs this on three offscreen screens (800 x 600, 1024 x 768, and
// 1920 x 1080 scaled by two), each from its own screen file.

#include "platform/qt_platform.h"
#include "shell/frame.h"
#include "shell/window_placement.h"
#include "window_fixture.h"

#include <QAction>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace {

// The usable part of each screen, in the desktop's logical pixels.
QRect expectedArea(const QString &screen)
{
    if (screen == u"800x600")
        return {0, 0, 800, 600};
    if (screen == u"1024x768")
        return {0, 0, 1024, 768};
    if (screen == u"1920x1080_scale2")
        return {0, 0, 960, 540};
    return {};
}

// A window started on the fake platform, told the real screen's area.
struct ScreenFixture : WindowFixture {
    ScreenFixture()
    {
        fake.desktop.area = QtDesktop().screenArea();
        start();
        w().show();
        QVERIFY(QTest::qWaitForWindowExposed(&w()));
    }
    QRect area() const { return fake.desktop.area; }
    QDockWidget *lineMonitor() { return w().findChild<QDockWidget *>(QStringLiteral("lineMonitor")); }
};

} // namespace

class WindowGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void theDesktopReportsTheScreenItIsOn()
    {
        const QString screen = QGuiApplication::primaryScreen()->name();
        QVERIFY2(!expectedArea(screen).isNull(), qPrintable(QStringLiteral("no such screen: ") + screen));
        QCOMPARE(QtDesktop().screenArea(), expectedArea(screen));
    }

    void windowOpensWholeOnTheScreen()
    {
        ScreenFixture f;
        MainWindow &w = f.w();
        QVERIFY2(f.area().contains(w.frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                                .arg(w.frameGeometry().x())
                                .arg(w.frameGeometry().y())
                                .arg(w.frameGeometry().width())
                                .arg(w.frameGeometry().height())));
        // The least window, with a window manager's title bar and borders,
        // fits the smallest screen it is made for, and the scaled one.
        const QSize least = w.minimumSizeHint().grownBy(assumedWindowFrame);
        QVERIFY2(least.width() <= 800 && least.height() <= 540,
                 qPrintable(QStringLiteral("%1x%2").arg(least.width()).arg(least.height())));
        // On a screen with room the window takes the size it would like.
        if (f.area().height() >= 768)
            QCOMPARE(w.size(), w.sizeHint());
    }

    void theTrendGivesUpHeightFirst()
    {
        ScreenFixture f;
        MainWindow &w = f.w();
        auto *trend = w.findChild<QWidget *>(QStringLiteral("trendView"));
        const QList<QWidget *> fixed {w.CO2displayFrame, w.CalibrartionControlFrame,
                                      w.AmbientSettingsFrame, w.StatusFrame};
        w.resize(w.sizeHint());
        QCoreApplication::sendPostedEvents();
        QList<int> heights;
        for (QWidget *frame : fixed)
            heights << frame->height();
        const int trendHeight = trend->height();
        w.resize(w.minimumSizeHint());
        QCoreApplication::sendPostedEvents();
        for (qsizetype i = 0; i < fixed.size(); ++i)
            QCOMPARE(fixed[i]->height(), heights[i]);
        QVERIFY(trend->height() < trendHeight);
    }

    void panelsNeverPushTheWindowOff()
    {
        ScreenFixture f;
        MainWindow &w = f.w();
        QDockWidget *monitor = f.lineMonitor();
        const auto toggleMonitor = [&] {
            monitor->toggleViewAction()->trigger();
            QCoreApplication::sendPostedEvents();
        };
        const QRect before = w.geometry();
        // The line monitor opens below, or beside the window on a screen too
        // short for it below; the window may grow, and stays on the screen.
        toggleMonitor();
        QVERIFY(monitor->isVisible());
        QVERIFY(f.area().contains(w.frameGeometry()));
        QVERIFY(f.area().contains(monitor->frameGeometry()));
        QVERIFY(!monitor->isFloating());
        QCOMPARE(w.dockWidgetArea(monitor),
                 f.area().height() < 600 ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea);
        QVERIFY(w.height() >= before.height());
        // It closes: the window is as it was.
        toggleMonitor();
        QCOMPARE(w.geometry(), before);

        // The status frame holds one line until the readout's four rows join
        // it; the window grows for them, on the screen, the monitor open too.
        const int statusHeight = w.StatusFrame->height();
        QCOMPARE(statusHeight, w.StatusFrame->sizeHint().height());
        w.StatusFrame_DblClick();
        QCoreApplication::sendPostedEvents();
        QVERIFY(w.StatusFrame->height() > statusHeight + 2 * w.RxLabel->height());
        toggleMonitor();
        QVERIFY(f.area().contains(w.frameGeometry()));
        QVERIFY(f.area().contains(monitor->frameGeometry()));
    }

    void aPanelWithNoRoomInTheWindowFloatsOnTheScreen()
    {
        ScreenFixture f;
        MainWindow &w = f.w();
        // A desktop as wide as the smallest screen and shorter than it: no
        // room below the window's least height, nor beside it.
        f.fake.desktop.area = {0, 0, 800, w.minimumHeight() + 40};
        w.setGeometry(4, 32, w.minimumWidth(), w.minimumHeight());
        QCoreApplication::sendPostedEvents();
        const QRect before = w.geometry();
        QDockWidget *monitor = f.lineMonitor();
        monitor->toggleViewAction()->trigger();
        QCoreApplication::sendPostedEvents();
        QVERIFY(monitor->isFloating());
        QCOMPARE(w.geometry(), before);
        QVERIFY(f.area().contains(monitor->frameGeometry()));
    }
};

QTEST_MAIN(WindowGeometryTest)
#include "tst_window_geometry.moc"
