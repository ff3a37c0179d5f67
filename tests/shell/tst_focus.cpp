// Every Tab stop of the window shows where the focus is, in each style the
// program may run with.

#include "window_fixture.h"

#include <QApplication>
#include <QDockWidget>
#include <QImage>
#include <QStyle>
#include <QStyleFactory>

class FocusTest : public QObject {
    Q_OBJECT

private slots:
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
        // A caret that does not blink is there whenever it is grabbed.
        QApplication::setCursorFlashTime(0);
        WindowFixture f;
        f.start();
        MainWindow &w = f.w();
        w.show();
        // The line monitor open, so that its stops are visited too.
        w.findChild<QDockWidget *>(QStringLiteral("lineMonitor"))->toggleViewAction()->trigger();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        // The technician's Tab, once round the window: each stop as it
        // looks with the focus, then as it looks with the focus elsewhere.
        QList<QWidget *> stops;
        QList<QImage> focused;
        QTest::keyClick(&w, Qt::Key_Tab);
        while (!stops.contains(QApplication::focusWidget())) {
            QWidget *stop = QApplication::focusWidget();
            stops << stop;
            focused << stop->grab().toImage();
            QTest::keyClick(stop, Qt::Key_Tab);
        }
        QVERIFY(stops.size() > 5);
        QStringList unmarked;
        for (qsizetype i = 0; i < stops.size(); ++i) {
            if (stops[i]->hasFocus())
                QTest::keyClick(stops[i], Qt::Key_Tab);
            if (stops[i]->grab().toImage() == focused[i])
                unmarked << stops[i]->objectName() + u' '
                        + QLatin1String(stops[i]->metaObject()->className());
        }
        QCOMPARE(unmarked, QStringList());
    }
};

QTEST_MAIN(FocusTest)
#include "tst_focus.moc"
