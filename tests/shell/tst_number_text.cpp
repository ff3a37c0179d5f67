#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QTest>

#include <limits>

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void leadingNumberReadsTheNumberAtTheStart_data();
    void leadingNumberReadsTheNumberAtTheStart();
    void leadingNumberReadsBytesLikeText();
    void leadingNumberNeverGivesInfinityOrNaN();
    void fixedFormatsRoundHalfAwayFromZero_data();
    void fixedFormatsRoundHalfAwayFromZero();
    void formatsPassTextThatIsNotANumber_data();
    void formatsPassTextThatIsNotANumber();
    void plainAndNumberTexts_data();
    void plainAndNumberTexts();
    void wholeNumberTextReadsBackAsTheSameNumber();
};

void NumberTextTest::leadingNumberReadsTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    QTest::newRow("whole") << "1013" << 1013.0;
    QTest::newRow("decimal") << "25.0" << 25.0;
    QTest::newRow("comma stops") << "1013,25" << 1013.0;
    QTest::newRow("unit after") << "1013 hPa" << 1013.0;
    QTest::newRow("ppm after blank") << "500 ppm" << 500.0;
    QTest::newRow("question marks") << "??.?" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("negative") << "-12.5" << -12.5;
    QTest::newRow("plus sign") << "+7" << 7.0;
    QTest::newRow("leading point") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("lone point") << "." << 0.0;
    QTest::newRow("lone minus") << "-" << 0.0;
    QTest::newRow("exponent") << "1.5e3" << 1500.0;
    QTest::newRow("negative exponent") << "25E-1" << 2.5;
    QTest::newRow("exponent without digits") << "12e" << 12.0;
    QTest::newRow("exponent sign without digits") << "12e+x" << 12.0;
    QTest::newRow("blanks ignored") << "  1 0 1 3" << 1013.0;
    QTest::newRow("blank after sign") << "- 4" << -4.0;
    QTest::newRow("tab and line feed are blanks") << "\t12\n3" << 123.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("reply field") << "  1234\t" << 1234.0;
    QTest::newRow("carriage return stops") << "12\r34" << 12.0;
}

void NumberTextTest::leadingNumberReadsTheNumberAtTheStart()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(LeadingNumber(text), expected);
}

void NumberTextTest::leadingNumberReadsBytesLikeText()
{
    QCOMPARE(LeadingNumber(QByteArrayView("  2000\t")), 2000.0);
    QCOMPARE(LeadingNumber(QByteArrayView("\xff"
                                          "12")),
             0.0);
    QCOMPARE(LeadingNumber(QByteArrayView("-3.25e1x")), -32.5);
}

void NumberTextTest::leadingNumberNeverGivesInfinityOrNaN()
{
    QCOMPARE(LeadingNumber(u"1e999"), 0.0);
    QCOMPARE(LeadingNumber(u"-1e999"), 0.0);
    QCOMPARE(LeadingNumber(u"1e-999"), 0.0);
    QCOMPARE(LeadingNumber(QString(400, u'9')), 0.0);
    QVERIFY(std::isfinite(LeadingNumber(QString(300, u'9'))));
    QCOMPARE(LeadingNumber(u"inf"), 0.0);
    QCOMPARE(LeadingNumber(u"nan"), 0.0);
}

void NumberTextTest::fixedFormatsRoundHalfAwayFromZero_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    QTest::newRow("half up") << 0.5 << 0 << "1";
    QTest::newRow("negative half") << -2.5 << 0 << "-3";
    QTest::newRow("T0 value") << 12345.5 << 0 << "12346";
    QTest::newRow("R0 value") << 23456.49 << 0 << "23456";
    QTest::newRow("below half") << 1.4999 << 0 << "1";
    QTest::newRow("negative rounds to zero") << -0.4 << 0 << "0";
    QTest::newRow("one decimal") << 25.0 << 1 << "25.0";
    QTest::newRow("carry through nines") << 9.96 << 1 << "10.0";
    QTest::newRow("two decimals of inHg") << 29.91387987 << 2 << "29.91";
    QTest::newRow("decimal half in binary") << 2.675 << 2 << "2.68";
    QTest::newRow("three decimals") << 14.69231901 << 3 << "14.692";
    QTest::newRow("kPa") << 101.3 << 2 << "101.30";
    QTest::newRow("large") << 1e20 << 0 << "100000000000000000000";
    QTest::newRow("tiny") << 1e-9 << 3 << "0.000";
    QTest::newRow("not finite") << std::numeric_limits<double>::infinity() << 0 << "?";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << 1 << "?";
}

void NumberTextTest::fixedFormatsRoundHalfAwayFromZero()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, expected);
    QCOMPARE(formatFixed(value, decimals), expected);
}

void NumberTextTest::formatsPassTextThatIsNotANumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("number text") << "12345.6"
                                 << "12346";
    QTest::newRow("blanks around") << " 1234 "
                                   << "1234";
    QTest::newRow("negative") << "-2.5"
                              << "-3";
    QTest::newRow("exponent") << "1.5e3"
                              << "1500";
    QTest::newRow("letters") << "abc"
                             << "abc";
    QTest::newRow("number then letters") << "12ab"
                                         << "12ab";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "1013,25"
                           << "1013,25";
    QTest::newRow("too large for a double") << "1e400"
                                            << "1e400";
    QTest::newRow("too large without exponent") << QString(400, u'9') << QString(400, u'9');
    QTest::newRow("large negative number") << "-1e400"
                                           << "-1e400";
    QTest::newRow("too small reads as 0") << "1e-400"
                                          << "0";
    QTest::newRow("tiny without exponent") << "0." + QString(400, u'0') + "1"
                                           << "0";
    QTest::newRow("big but a double") << "1.5e15"
                                      << "1500000000000000";
}

void NumberTextTest::formatsPassTextThatIsNotANumber()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(wholeNumberText(text), expected);
}

void NumberTextTest::plainAndNumberTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("number");
    QTest::newRow("one") << 1.0 << "1"
                         << " 1";
    QTest::newRow("hundred") << 100.0 << "100"
                             << " 100";
    QTest::newRow("minus one") << -1.0 << "-1"
                               << "-1";
    QTest::newRow("ten and a half") << 10.5 << "10.5"
                                    << " 10.5";
    QTest::newRow("zero") << 0.0 << "0"
                          << " 0";
    QTest::newRow("no trailing zeros") << 1234.5 << "1234.5"
                                       << " 1234.5";
    QTest::newRow("shortest form") << 0.1 << "0.1"
                                   << " 0.1";
    QTest::newRow("mean") << 1012.8686508 << "1012.8686508"
                          << " 1012.8686508";
    QTest::newRow("huge") << 1e300 << "1e+300"
                          << " 1e+300";
}

void NumberTextTest::plainAndNumberTexts()
{
    QFETCH(double, value);
    QFETCH(QString, plain);
    QFETCH(QString, number);
    QCOMPARE(plainDecimalText(value), plain);
    QCOMPARE(numberText(value), number);
    QCOMPARE(LeadingNumber(plainDecimalText(value)), value);
}

void NumberTextTest::wholeNumberTextReadsBackAsTheSameNumber()
{
    for (double value : {0.0, 1.0, -1.0, 12345.5, -9999.5, 123456789.0, 2.5e14})
        QCOMPARE(LeadingNumber(wholeNumberText(value)), std::round(value));
}

QTEST_APPLESS_MAIN(NumberTextTest)
#include "tst_number_text.moc"
