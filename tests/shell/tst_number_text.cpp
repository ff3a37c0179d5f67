// Reading and writing numbers: the leading number of a typed entry or reply
// field, and the texts the window shows and sends.

#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QTest>

#include <limits>

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("isNumber"); // the whole text is one number
        QTest::newRow("whole") << "1013" << 1013.0 << true;
        QTest::newRow("comma stops") << "1013,25" << 1013.0 << false;
        QTest::newRow("unit after") << "1013 hPa" << 1013.0 << false;
        QTest::newRow("design text") << "??.?" << 0.0 << false;
        QTest::newRow("signs and points") << "-.5" << -0.5 << true;
        QTest::newRow("plus") << "+7" << 7.0 << true;
        QTest::newRow("exponent") << "25E-1" << 2.5 << true;
        QTest::newRow("exponent without digits") << "12e+x" << 12.0 << false;
        QTest::newRow("blanks inside are ignored") << "  1 0\t1\n3" << 1013.0 << false;
        QTest::newRow("blanks around") << " 1234 " << 1234.0 << true;
        QTest::newRow("carriage return stops") << "12\r34" << 12.0 << false;
        // Never an infinity: what no double holds reads as 0 and is no number.
        QTest::newRow("too large") << "-1e999" << 0.0 << false;
        QTest::newRow("too small is 0") << "1e-999" << 0.0 << true;
    }

    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, isNumber);
        QCOMPARE(LeadingNumber(text), value);
        QCOMPARE(LeadingNumber(text.toLatin1()), value);
        QCOMPARE(isNumberText(text), isNumber);
    }

    void fixedFormatRoundsHalfAwayFromZero_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("expected");
        QTest::newRow("negative half") << -2.5 << 0 << "-3";
        QTest::newRow("T0 value") << 12345.5 << 0 << "12346";
        QTest::newRow("no minus zero") << -0.4 << 0 << "0";
        QTest::newRow("carry through nines") << 9.96 << 1 << "10.0";
        QTest::newRow("decimal half in binary") << 2.675 << 2 << "2.68";
        QTest::newRow("three decimals") << 14.69231901 << 3 << "14.692";
        QTest::newRow("not finite") << std::numeric_limits<double>::infinity() << 0 << "?";
    }

    void fixedFormatRoundsHalfAwayFromZero()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, expected);
        QCOMPARE(formatFixed(value, decimals), expected);
    }
};

QTEST_APPLESS_MAIN(NumberTextTest)
#include "tst_number_text.moc"
