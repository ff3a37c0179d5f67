// The span-gas concentration corrected for the ambient temperature and
// pressure, and the units those two are entered in.

#include "window_fixture.h"

#include <QAction>
#include <QMenu>

#include <cmath>

class AmbientCompensationTest : public QObject {
    Q_OBJECT

private slots:
    void labelFollowsEntriesAndUnits_data()
    {
        // What the technician does ("menu_…" chooses that item, "S=", "T=", "P="
        // type into an entry), the label then, and after a unit choice the text
        // of its entry and the value held in hPa or °C.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<double>("held");
        const auto row = [](const char *name, const QStringList &steps, const char *label,
                            const char *entry = "", double held = 0) {
            QTest::newRow(name) << steps << QString(label) << QString(entry) << held;
        };
        row("start-up", {}, "2000");
        row("warmer", {"T=40"}, "1904");
        row("77 Farenheit", {"menu_Farenheit", "T=77"}, "2000");
        row("29.92 inHg", {"menu_inHg", "P=29.92"}, "2001");
        row("lower pressure", {"P=1000"}, "1963");
        row("empty pressure", {"P="}, "816");
        row("comma ends the number", {"P=1013,25"}, "2000");
        row("above 1712 hPa", {"P=1800"}, "-15810");
        // The quotient without a finite value, and the next change recovering.
        row("-273 Celsius", {"T=-273"}, "????");
        row("-459.4 Farenheit", {"menu_Farenheit", "T=-459.4"}, "????");
        // 1e307 psi is beyond a double in hPa; the infinite pressure would
        // otherwise divide the span gas down to a plausible "0".
        row("pressure overflows", {"menu_psi", "P=1e307"}, "????");
        row("recovers", {"S=1e308", "T=-273", "S=2000", "T=25"}, "2000");
        // Units from the start-up state, 1013 hPa and 25.0 °C.
        row("mbar twice", {"menu_mbar", "menu_mbar"}, "2000", "1013.0", 1013.0);
        row("kPa", {"menu_kPa"}, "2000", "101.30", 1013.0);
        row("inHg", {"menu_inHg"}, "2000", "29.91", 1012.8686508);
        row("mmH2O", {"menu_mmH2O"}, "2000", "10330", 1013.026945);
        row("mmHg", {"menu_mmHg"}, "2000", "759.8", 1012.9835952);
        row("torr", {"menu_torr"}, "2000", "759.8", 1012.9835952);
        row("psi", {"menu_psi"}, "2000", "14.692", 1012.97769844);
        // A large span gas lets the rounding of the display show in the label.
        row("inHg, large span gas", {"S=1000000", "menu_inHg"}, "999812", "29.91", 1012.8686508);
        row("Farenheit", {"menu_psi", "menu_Farenheit"}, "2000", "77.0", 25.0);
        row("20.3, Farenheit", {"T=20.3", "menu_Farenheit"}, "2032", "68.5", 20.27777777777778);
        // A converted value without a finite result: the entry gets the window's
        // own text for "no value", which reads as 0 (0 °F for "??.?").
        row("infinite pressure, same unit", {"menu_psi", "P=1e307", "menu_psi"}, "816", "????",
            0.0);
        row("Farenheit overflows", {"T=1.7e308", "menu_Farenheit"}, "2335", "??.?",
            -17.77777777777778);
    }

    void labelFollowsEntriesAndUnits()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, label);
        QFETCH(QString, entry);
        QFETCH(double, held);
        WindowFixture f;
        f.start();
        MainWindow &w = f.w();
        QString pressureItem = QStringLiteral("menu_hPa");
        QString temperatureItem = QStringLiteral("menu_Celsius");
        for (const QString &step : steps) {
            if (enterText(w, step))
                continue;
            w.findChild<QAction *>(step)->trigger();
            (step.endsWith(u"heit") || step.endsWith(u"ius") ? temperatureItem : pressureItem)
                = step;
        }
        QCOMPARE(w.CorrectedConcentration->text(), label);
        // One item checked in each group, the last chosen, with its caption.
        for (const QAction *item : w.menuUnits->actions())
            QCOMPARE(item->isChecked(),
                     item->objectName() == pressureItem || item->objectName() == temperatureItem);
        QCOMPARE(w.PressureLabel->text(), pressureItem.mid(5));
        QCOMPARE(w.TemperatureLabel->text(), temperatureItem == u"menu_Celsius" ? u"°C" : u"°F");
        if (entry.isEmpty())
            return;
        const bool pressure = steps.last() == pressureItem;
        QCOMPARE((pressure ? w.PressureText : w.TemperatureText)->text(), entry);
        // Within 1e-12: a factor taken as the inverse of its partner is off by 4e-8.
        const double actual = pressure ? w.Pressure : w.Temperature;
        QVERIFY2(std::fabs(actual - held) <= 1e-12 * std::fabs(held),
                 qPrintable(QString::number(actual, 'g', 17)));
    }
};

QTEST_MAIN(AmbientCompensationTest)
#include "tst_ambient_compensation.moc"
