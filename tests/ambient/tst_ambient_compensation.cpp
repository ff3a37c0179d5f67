#include "ambient/corrected_concentration.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>

#include <cmath>

namespace {

const QStringList pressureItems {"menu_hPa",   "menu_mbar", "menu_kPa",  "menu_inHg",
                                 "menu_mmH2O", "menu_mmHg", "menu_torr", "menu_psi"};
const QStringList temperatureItems {"menu_Celsius", "menu_Farenheit"};

// Plays what a technician does: "menu_…" chooses that item, "S=", "T=" and
// "P=" put a text into the span-gas, temperature and pressure entries.
bool perform(MainWindow &w, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (enterText(w, step))
            continue;
        if (auto *item = w.findChild<QAction *>(step))
            item->trigger();
        else
            return false;
    }
    return true;
}

QStringList checkedItems(MainWindow &w, const QStringList &names)
{
    QStringList checked;
    for (const QString &name : names) {
        if (w.findChild<QAction *>(name)->isChecked())
            checked << name;
    }
    return checked;
}

} // namespace

class AmbientCompensationTest : public QObject {
    Q_OBJECT

private slots:
    void labelFollowsTheEntries_data();
    void labelFollowsTheEntries();
    void typingPressureRecomputesAfterEveryCharacter();
    void unitChoiceRewritesEntryAndHeldValue_data();
    void unitChoiceRewritesEntryAndHeldValue();
    void eachItemChecksItselfAloneInItsGroup();
};

void AmbientCompensationTest::labelFollowsTheEntries_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("label");

    using L = QStringList;
    QTest::newRow("start-up") << L {} << "2000";
    QTest::newRow("warmer") << L {"T=40"} << "1904";
    QTest::newRow("cooler") << L {"T=20"} << "2034";
    QTest::newRow("77 Farenheit") << L {"menu_Farenheit", "T=77"} << "2000";
    QTest::newRow("29.92 inHg") << L {"menu_inHg", "P=29.92"} << "2001";
    QTest::newRow("lower pressure") << L {"P=1000"} << "1963";
    QTest::newRow("empty pressure") << L {"P="} << "816";
    QTest::newRow("comma ends the number") << L {"P=1013,25"} << "2000";
    QTest::newRow("above 1712 hPa") << L {"P=1800"} << "-15810";

    // The quotient without a finite value, and the next change recovering.
    QTest::newRow("-273 Celsius") << L {"T=-273"} << "????";
    QTest::newRow("-459.4 Farenheit") << L {"menu_Farenheit", "T=-459.4"} << "????";
    QTest::newRow("product overflows") << L {"S=1e308", "T=-200"} << "????";
    // 1e307 psi is beyond a double in hPa; the infinite pressure would
    // otherwise divide the span gas down to a plausible "0".
    QTest::newRow("pressure overflows") << L {"menu_psi", "P=1e307"} << "????";
    QTest::newRow("recovers") << L {"S=1e308", "T=-273", "S=2000", "T=25"} << "2000";
}

void AmbientCompensationTest::labelFollowsTheEntries()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, label);

    WindowFixture f;
    f.start();
    QVERIFY(perform(f.w(), steps));
    QCOMPARE(f.w().CorrectedConcentration->text(), label);
    // How the span calibration reads the label.
    const std::optional<double> value = correctedConcentrationFromText(label);
    QCOMPARE(value.has_value(), label != "????");
    if (value)
        QCOMPARE(*value, label.toDouble());
}

void AmbientCompensationTest::typingPressureRecomputesAfterEveryCharacter()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    w.PressureText->clear();
    const QList<std::pair<char, QString>> typed {
        {'1', "817"}, {'0', "821"}, {'1', "868"}, {'3', "2000"}};
    for (const auto &[key, label] : typed) {
        QTest::keyClick(w.PressureText, key);
        QCOMPARE(w.CorrectedConcentration->text(), label);
    }
    QCOMPARE(w.Pressure, 1013.0);
}

void AmbientCompensationTest::unitChoiceRewritesEntryAndHeldValue_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<double>("held");
    QTest::addColumn<QString>("label");

    // From the start-up state, 1013 hPa and 25.0 °C. The entry and the held
    // value are those of the group of the last item chosen.
    using L = QStringList;
    QTest::newRow("mbar twice") << L {"menu_mbar", "menu_mbar"} << "1013.0" << 1013.0 << "2000";
    QTest::newRow("kPa") << L {"menu_kPa"} << "101.30" << 1013.0 << "2000";
    QTest::newRow("inHg") << L {"menu_inHg"} << "29.91" << 1012.8686508 << "2000";
    QTest::newRow("inHg, hPa") << L {"menu_inHg", "menu_hPa"} << "1012.9" << 1012.9 << "2000";
    QTest::newRow("mmH2O") << L {"menu_mmH2O"} << "10330" << 1013.026945 << "2000";
    QTest::newRow("mmHg") << L {"menu_mmHg"} << "759.8" << 1012.9835952 << "2000";
    QTest::newRow("torr") << L {"menu_torr"} << "759.8" << 1012.9835952 << "2000";
    QTest::newRow("psi") << L {"menu_psi"} << "14.692" << 1012.97769844 << "2000";
    // A large span gas lets the rounding of the display show in the label.
    QTest::newRow("inHg, large span gas")
        << L {"S=1000000", "menu_inHg"} << "29.91" << 1012.8686508 << "999812";

    QTest::newRow("Farenheit") << L {"menu_Farenheit"} << "77.0" << 25.0 << "2000";
    QTest::newRow("20.3, Farenheit")
        << L {"T=20.3", "menu_Farenheit"} << "68.5" << 20.27777777777778 << "2032";
    QTest::newRow("20.3, Farenheit, Celsius")
        << L {"T=20.3", "menu_Farenheit", "menu_Celsius"} << "20.3" << 20.3 << "2032";

    // A converted value without a finite result: the entry gets the window's
    // own text for "no value", which reads as 0 (0 °F for "??.?").
    QTest::newRow("infinite pressure, same unit")
        << L {"menu_psi", "P=1e307", "menu_psi"} << "????" << 0.0 << "816";
    QTest::newRow("Farenheit overflows")
        << L {"T=1.7e308", "menu_Farenheit"} << "??.?" << -17.77777777777778 << "2335";
}

void AmbientCompensationTest::unitChoiceRewritesEntryAndHeldValue()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, entry);
    QFETCH(double, held);
    QFETCH(QString, label);

    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    QVERIFY(perform(w, steps));

    const bool pressure = pressureItems.contains(steps.last());
    QCOMPARE((pressure ? w.PressureText : w.TemperatureText)->text(), entry);
    // Within 1e-12: a factor taken as the inverse of its partner is off by 4e-8.
    const double actual = pressure ? w.Pressure : w.Temperature;
    QVERIFY2(std::fabs(actual - held) <= 1e-12 * std::fabs(held),
             qPrintable(QString::number(actual, 'g', 17)));
    QCOMPARE(w.CorrectedConcentration->text(), label);
}

void AmbientCompensationTest::eachItemChecksItselfAloneInItsGroup()
{
    WindowFixture f;
    f.start();
    MainWindow &w = f.w();
    // Away from the start-up items first, so a handler that forgets to clear
    // its own group or touches the other one shows up.
    QVERIFY(perform(w, {"menu_psi", "menu_Farenheit"}));
    for (const QString &item : pressureItems + temperatureItems) {
        const bool pressure = pressureItems.contains(item);
        const QStringList &other = pressure ? temperatureItems : pressureItems;
        QLineEdit *otherEntry = pressure ? w.TemperatureText : w.PressureText;
        QLabel *otherCaption = pressure ? w.TemperatureLabel : w.PressureLabel;
        const QStringList otherChecked = checkedItems(w, other);
        const QString otherText = otherEntry->text() + otherCaption->text();

        QVERIFY(perform(w, {item}));
        QCOMPARE(checkedItems(w, pressure ? pressureItems : temperatureItems), QStringList {item});
        const QString caption = item == u"menu_Celsius" ? QStringLiteral("°C")
            : item == u"menu_Farenheit"                 ? QStringLiteral("°F")
                                                        : item.mid(5);
        QCOMPARE((pressure ? w.PressureLabel : w.TemperatureLabel)->text(), caption);
        QCOMPARE(checkedItems(w, other), otherChecked);
        QCOMPARE(otherEntry->text() + otherCaption->text(), otherText);
    }
}

QTEST_MAIN(AmbientCompensationTest)

#include "tst_ambient_compensation.moc"
