// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever the user types or pastes: the window shows an error or takes the
// input, changes nothing else, and keeps working. And it holds the largest table.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include <algorithm>

#include "conversions.h"
#include "row_of.h"
#include "table.h"
#include "window_driver.h"

namespace {

QString Repeated(char c, int count) { return QString(count, QLatin1Char(c)); }

using lumiro::testing::RowOf;

}  // namespace

class HostileInputTest : public QObject, private WindowDriver {
    Q_OBJECT

private:
    // After anything at all, a plain confirm and generation must still work.
    void ExpectWindowStillWorks()
    {
        const qsizetype errorsBefore = errors.size();
        Edit("Edit1")->setText(QStringLiteral("8"));
        Press("Button1");
        Press("Button2");
        const std::string area = AreaText();
        QCOMPARE(std::count(area.begin(), area.end(), '\n'), 9 + 4);  // 9 entries, 4 inner breaks
        QCOMPARE(errors.size(), errorsBefore);
    }

private slots:
    void initTestCase() { RecordErrors(); }
    void init() { QVERIFY(Open()); }
    void cleanup() { form.reset(); }

    void count_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("accepted");  // the count taken, or 0 for refused

        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("blanks only") << QStringLiteral("   ") << 0;
        QTest::newRow("letters") << QStringLiteral("abc") << 0;
        QTest::newRow("digits then letters") << QStringLiteral("12abc") << 0;
        QTest::newRow("hexadecimal") << QStringLiteral("0x10") << 0;
        QTest::newRow("largest int") << QStringLiteral("2147483647") << 0;
        QTest::newRow("past the largest int") << QStringLiteral("2147483648") << 0;
        QTest::newRow("smallest int") << QStringLiteral("-2147483648") << 0;
        QTest::newRow("zero") << QStringLiteral("0") << 0;
        QTest::newRow("minus one") << QStringLiteral("-1") << 0;
        QTest::newRow("past the largest count") << QStringLiteral("4194305") << 0;
        QTest::newRow("32000 digits") << Repeated('9', 32000) << 0;
        QTest::newRow("32000 blanks") << Repeated(' ', 32000) << 0;
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0666") << 0;
        QTest::newRow("Polish letter") << QString::fromUtf8("ą") << 0;
        QTest::newRow("embedded NUL") << QString::fromUtf8("1\0" "6", 3) << 0;
        QTest::newRow("control character") << QString::fromUtf8("\x01" "16") << 0;
        QTest::newRow("tabs around") << QStringLiteral("\t16\t") << 16;
        QTest::newRow("plus sign and blanks") << QStringLiteral(" +2048 ") << 2048;
        QTest::newRow("largest count") << QStringLiteral("4194304") << 4194304;
    }

    void count()
    {
        QFETCH(QString, text);
        QFETCH(int, accepted);

        Press("Button2");
        Edit("Edit1")->setText(text);  // as pasted: a keyboard cannot type all of these
        QCOMPARE(Edit("Edit1")->text(), text);
        Snapshot expected = Take();
        Press("Button1");

        if (accepted == 0) {
            QCOMPARE(errors.size(), 1);
            QVERIFY(!errors.front().isEmpty());
            QVERIFY(errors.front().size() < 200);  // long input is cut in the message
        } else {
            QCOMPARE(errors.size(), 0);
            expected.div360 = accepted;
            expected.val90 = accepted / 4;
            expected.radStep = std::bit_cast<std::uint32_t>(lumiro::RadStep(accepted));
            expected.fields[1] = QString::number(accepted / 4);
            expected.fields[2] = QString::fromStdString(lumiro::FloatToStr(
                static_cast<double>(lumiro::RadStep(accepted))));
            expected.progressMax = accepted / 4;
        }
        QVERIFY(Take() == expected);
        ExpectWindowStillWorks();
    }

    void floatText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks only") << QStringLiteral("  ") << false;
        QTest::newRow("letters") << QStringLiteral("abc") << false;
        QTest::newRow("digits then letters") << QStringLiteral("12abc") << false;
        QTest::newRow("hexadecimal") << QStringLiteral("0x10") << false;
        QTest::newRow("inf") << QStringLiteral("inf") << false;
        QTest::newRow("nan") << QStringLiteral("nan") << false;
        QTest::newRow("above the largest float") << QStringLiteral("1e39") << false;
        QTest::newRow("below the lowest float") << QStringLiteral("-1e39") << false;
        QTest::newRow("digit grouping") << QStringLiteral("1.000,5") << false;
        QTest::newRow("32000 digits") << Repeated('9', 32000) << false;
        QTest::newRow("32000 blanks") << Repeated(' ', 32000) << false;
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0666") << false;
        QTest::newRow("Polish letter") << QString::fromUtf8("ą") << false;
        QTest::newRow("embedded NUL") << QString::fromUtf8("1\0" "6", 3) << false;
        QTest::newRow("control character") << QString::fromUtf8("1\x7f") << false;
        QTest::newRow("too small, signed zero") << QStringLiteral("1e-50") << true;
        QTest::newRow("minus zero") << QStringLiteral("-0") << true;
        QTest::newRow("decimal comma") << QStringLiteral("0,1") << true;
        QTest::newRow("decimal point") << QStringLiteral("0.1") << true;
        QTest::newRow("comma and exponent") << QStringLiteral("1,5e3") << true;
        QTest::newRow("long but exact") << QStringLiteral("1") + Repeated('0', 30) + "e-30" << true;
    }

    void floatText()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);

        Press("Button2");
        Edit("Edit4")->setText(text);
        Snapshot expected = Take();
        Press("Button3");

        if (!accepted) {
            QCOMPARE(errors.size(), 1);
            QVERIFY(!errors.front().isEmpty());
            QVERIFY(errors.front().size() < 200);
        } else {
            QCOMPARE(errors.size(), 0);
            const float value = lumiro::StrToFloat(text.toStdString());
            expected.area += "\nPodana (dziesiętnie) liczba float:\n\n" + text.toStdString() +
                             "\n \nPostac binarna liczby float (32-bit) - IEEE-754 Single "
                             "Precision :\n\n" +
                             RowOf(std::bit_cast<std::uint32_t>(value)) + "\n";
        }
        QVERIFY(Take() == expected);
        ExpectWindowStillWorks();
    }

    void pasteIsCutToTheFieldsLimit()
    {
        // 200,000 characters: the field keeps 100,000, as a line edit cuts a paste.
        const QString pasted = QStringLiteral("0,") + Repeated('7', 199998);
        for (const char* edit : {"Edit1", "Edit4"}) {
            QGuiApplication::clipboard()->setText(pasted);
            QLineEdit* field = Edit(edit);
            field->setFocus();
            field->clear();
            field->paste();
            QCOMPARE(field->text(), pasted.left(100000));
        }
        // The echo holds all that the field holds.
        Press("Button3");
        QCOMPARE(errors.size(), 0);
        const std::string echo = "\n0," + std::string(99998, '7') + "\n \n";
        QVERIFY(AreaText().find(echo) != std::string::npos);
        ExpectWindowStillWorks();
    }

    void largestTable()
    {
        Edit("Edit1")->setText(QStringLiteral("4194304"));
        Press("Button1");
        Press("Button2");
        QVERIFY(errors.isEmpty());

        const std::string area = AreaText();
        QCOMPARE(std::count(area.begin(), area.end(), '\n'), 2 * 1048576 + 5 + 4);
        // The last angle lies 1.45e-6 below π/2: its sine, 1 - 1.06e-12, rounds to 1.0f.
        const std::string lastRow = RowOf(0x3F800000) + "\n";
        QCOMPARE(area.substr(area.size() - lastRow.size()), lastRow);
        QVERIFY(area.find("\ni=1048575\tKąt=") != std::string::npos);
        QCOMPARE(Control<QProgressBar>("ProgressBar1")->value(), 0);
        ExpectWindowStillWorks();
    }
};

QTEST_MAIN(HostileInputTest)
#include "hostile_input_test.moc"
