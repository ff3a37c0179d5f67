// The window on the screen it is started on: whole, title bar and menus
// included, with and without the line monitor and the diagnostic readout,
// and a focus that shows at every Tab stop in each style. CTest runs this on
// three offscreen screens (800 x 600, 1024 x 768, and 1920 x 1080 scaled by
// two), each from its own screen file.

#include "platform/qt_platform.h"
#include "shell/frame.h"
#include "shell/screen_fit.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QStyleFactory>

namespace {

// A window started on the fake platform, told the real screen's area.
struct ScreenFixture : WindowFixture {
    ScreenFixture()
    {
        fake.desktop.area = QtDesktop().screenArea();
        start();
        w().show();
    }
    bool whole(const QWidget *p) const { return fake.desktop.area.contains(p->frameGeometry()); }
    QDockWidget *monitor() { return w().findChild<QDockWidget *>(QStringLiteral("lineMonitor")); }
    void toggleMonitor()
    {
        monitor()->toggleViewAction()->trigger();
        QCoreApplication::sendPostedEvents();
    }
};

} // namespace

class WindowGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void windowOpensWholeAndTheTrendGivesWay()
    {
        const QMap<QString, QRect> areas {{"800x600", {0, 0, 800, 600}},
                                          {"1024x768", {0, 0, 1024, 768}},
                                          {"1920x1080_scale2", {0, 0, 960, 540}}};
        QCOMPARE(QtDesktop().screenArea(), areas.value(QGuiApplication::primaryScreen()->name()));
        ScreenFixture f;
        MainWindow &w = f.w();
        QVERIFY(f.whole(&w));
        // The least window, in a window manager's frame, fits the smallest
        // screen it is made for, and the scaled one.
        const QSize least = w.minimumSizeHint().grownBy(assumedWindowFrame);
        QVERIFY(least.width() <= 800 && least.height() <= 540);
        // From the size it would like down to its least, only the trend gives.
        const QList<QWidget *> frames {w.CO2displayFrame, w.CalibrartionControlFrame,
                                       w.AmbientSettingsFrame, w.StatusFrame,
                                       w.findChild<QWidget *>(QStringLiteral("trendView"))};
        QList<int> heights;
        for (const QSize size : {w.sizeHint(), w.minimumSizeHint()}) {
            w.resize(size);
            QCoreApplication::sendPostedEvents();
            for (QWidget *frame : frames)
                heights << frame->height();
        }
        QCOMPARE(heights.mid(5, 4), heights.mid(0, 4));
        QVERIFY(heights[9] < heights[4]);
    }

    void panelsNeverPushTheWindowOff()
    {
        ScreenFixture f;
        MainWindow &w = f.w();
        const QRect before = w.geometry();
        // The line monitor opens below, or beside the window on a screen too
        // short for it there; closing it gives the window's height back.
        f.toggleMonitor();
        QVERIFY(f.whole(&w) && f.whole(f.monitor()) && !f.monitor()->isFloating());
        QCOMPARE(w.dockWidgetArea(f.monitor()),
                 f.fake.desktop.area.height() < 600 ? Qt::RightDockWidgetArea
                                                    : Qt::BottomDockWidgetArea);
        f.toggleMonitor();
        QCOMPARE(w.geometry(), before);
        // The status frame is one line tall until the readout's rows join it.
        const int statusHeight = w.StatusFrame->height();
        w.StatusFrame_DblClick();
        QCoreApplication::sendPostedEvents();
        QVERIFY(w.StatusFrame->height() > statusHeight + 2 * w.RxLabel->height());
        f.toggleMonitor();
        QVERIFY(f.whole(&w) && f.whole(f.monitor()));
    }

    void aPanelWithNoRoomInTheWindowFloatsOnTheScreen()
    {
        ScreenFixture f;
        MainWindow &w = f.w();
        // As wide as the smallest screen and shorter: no room below the
        // window's least height, nor beside it.
        f.fake.desktop.area = {0, 0, 800, w.minimumHeight() + 40};
        w.setGeometry(4, 32, w.minimumWidth(), w.minimumHeight());
        QCoreApplication::sendPostedEvents();
        const QRect before = w.geometry();
        f.toggleMonitor();
        QVERIFY(f.monitor()->isFloating() && f.whole(f.monitor()));
        QCOMPARE(w.geometry(), before);
    }

    void aFrameLargerThanAssumedIsFittedOnceShown()
    {
        // The frame is known only once the window is on the screen, and no
        // window manager need move the window to frame it. A window placed
        // for no frame at all ends on the screen all the same.
        struct Large : QWidget {
            QSize sizeHint() const override { return {4000, 4000}; }
        };
        QMainWindow window;
        window.setCentralWidget(new Large);
        const QRect area = QtDesktop().screenArea();
        (new ScreenFit(
             &window, [area] { return area; }, QMargins()))
            ->centre();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(!window.windowHandle()->frameMargins().isNull());
        QVERIFY(area.contains(window.frameGeometry()));
    }

    void everyTabStopShowsTheFocus_data()
    {
        QTest::addColumn<QString>("style");
        for (const QString &style : QStyleFactory::keys())
            QTest::newRow(qPrintable(style)) << style;
    }
    void everyTabStopShowsTheFocus()
    {
        QFETCH(QString, style);
        QApplication::setStyle(style);
        QApplication::setCursorFlashTime(0); // a caret is there whenever grabbed
        ScreenFixture f;
        f.toggleMonitor();
        f.w().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.w()));
        // The technician's Tab once round the window: each stop as it looks
        // with the focus, then with the focus on the next one.
        QList<QWidget *> stops;
        QList<QImage> focused;
        for (QTest::keyClick(&f.w(), Qt::Key_Tab); !stops.contains(QApplication::focusWidget());
             QTest::keyClick(stops.last(), Qt::Key_Tab)) {
            stops << QApplication::focusWidget();
            focused << stops.last()->grab().toImage();
        }
        QStringList unmarked;
        for (qsizetype i = 0; i < stops.size(); ++i) {
            if (stops[i]->hasFocus())
                QTest::keyClick(stops[i], Qt::Key_Tab);
            if (stops[i]->grab().toImage() == focused[i])
                unmarked << QLatin1String(stops[i]->metaObject()->className());
        }
        QCOMPARE(unmarked, QStringList());
    }
};

QTEST_MAIN(WindowGeometryTest)
#include "tst_window_geometry.moc"
