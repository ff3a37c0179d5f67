#include "shell/leading_number.h"
#include "shell/number_format.h"

#include <QTest>

#include <limits>

class NumberTextTest : public QObject {
    Q_OBJECT

private slots:
    void leadingNumberReadsTheNumberAtTheStart_data();
    void leadingNumberReadsTheNumberAtTheStart();
    void fixedFormatsRoundHalfAwayFromZero_data();
    void fixedFormatsRoundHalfAwayFromZero();
    void wholeNumberTextPassesTextThatIsNotANumber_data();
    void wholeNumberTextPassesTextThatIsNotANumber();
    void plainAndNumberTexts_data();
    void plainAndNumberTexts();
};

void NumberTextTest::leadingNumberReadsTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("expected");
    const auto row = [](const char *name, const QString &text, double expected) {
        QTest::newRow(name) << text << expected;
    };
    row("whole", "1013", 1013);
    row("decimal", "25.0", 25);
    row("comma stops", "1013,25", 1013);
    row("unit after", "1013 hPa", 1013);
    row("question marks", "??.?", 0);
    row("empty", "", 0);
    row("negative", "-12.5", -12.5);
    row("plus sign", "+7", 7);
    row("leading point", ".5", 0.5);
    row("trailing point", "5.", 5);
    row("lone point", ".", 0);
    row("lone minus", "-", 0);
    row("exponent", "1.5e3", 1500);
    row("negative exponent", "25E-1", 2.5);
    row("exponent without digits", "12e", 12);
    row("exponent sign without digits", "12e+x", 12);
    row("blanks ignored", "  1 0 1 3", 1013);
    row("blank after sign", "- 4", -4);
    row("tab and line feed are blanks", "\t12\n3", 123);
    row("second point stops", "1.2.3", 1.2);
    row("carriage return stops", "12\r34", 12);
    // Never an infinity or a NaN: what no double holds reads as 0.
    row("too large", "1e999", 0);
    row("too large negative", "-1e999", 0);
    row("too small", "1e-999", 0);
    row("400 digits", QString(400, u'9'), 0);
    row("300 digits", QString(300, u'9'), 1e300);
    row("inf", "inf", 0);
    row("nan", "nan", 0);
}

void NumberTextTest::leadingNumberReadsTheNumberAtTheStart()
{
    QFETCH(QString, text);
    QFETCH(double, expected);
    QCOMPARE(LeadingNumber(text), expected);
}

void NumberTextTest::fixedFormatsRoundHalfAwayFromZero_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("expected");
    QTest::newRow("half up") << 0.5 << 0 << "1";
    QTest::newRow("negative half") << -2.5 << 0 << "-3";
    QTest::newRow("T0 value") << 12345.5 << 0 << "12346";
    QTest::newRow("below half") << 23456.49 << 0 << "23456";
    QTest::newRow("negative rounds to zero") << -0.4 << 0 << "0";
    QTest::newRow("one decimal") << 25.0 << 1 << "25.0";
    QTest::newRow("carry through nines") << 9.96 << 1 << "10.0";
    QTest::newRow("two decimals of inHg") << 29.91387987 << 2 << "29.91";
    QTest::newRow("decimal half in binary") << 2.675 << 2 << "2.68";
    QTest::newRow("three decimals") << 14.69231901 << 3 << "14.692";
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

void NumberTextTest::wholeNumberTextPassesTextThatIsNotANumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QString &text, const QString &expected) {
        QTest::newRow(name) << text << expected;
    };
    row("number text", "12345.6", "12346");
    row("blanks around", " 1234 ", "1234");
    row("negative", "-2.5", "-3");
    row("exponent", "1.5e3", "1500");
    row("letters", "abc", "abc");
    row("number then letters", "12ab", "12ab");
    row("empty", "", "");
    row("comma", "1013,25", "1013,25");
    row("too large for a double", "1e400", "1e400");
    row("too large without exponent", QString(400, u'9'), QString(400, u'9'));
    row("too small reads as 0", "1e-400", "0");
}

void NumberTextTest::wholeNumberTextPassesTextThatIsNotANumber()
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
    const auto row = [](const char *name, double value, const QString &plain, const char *number) {
        QTest::newRow(name) << value << plain << QString::fromLatin1(number);
    };
    row("one", 1, "1", " 1");
    row("hundred", 100, "100", " 100");
    row("minus one", -1, "-1", "-1");
    row("ten and a half", 10.5, "10.5", " 10.5");
    row("zero", 0, "0", " 0");
    row("shortest form", 0.1, "0.1", " 0.1");
    row("mean", 1012.8686508, "1012.8686508", " 1012.8686508");
    row("huge", 1e300, "1e+300", " 1e+300");
}

void NumberTextTest::plainAndNumberTexts()
{
    QFETCH(double, value);
    QFETCH(QString, plain);
    QFETCH(QString, number);
    QCOMPARE(plainDecimalText(value), plain);
    QCOMPARE(numberText(value), number);
    // Both read back as the same number, and so does the whole-number text.
    QCOMPARE(LeadingNumber(plainDecimalText(value)), value);
    QCOMPARE(LeadingNumber(wholeNumberText(value)), std::round(value));
}

QTEST_APPLESS_MAIN(NumberTextTest)
#include "tst_number_text.moc"
