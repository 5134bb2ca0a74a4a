// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <bit>
#include <memory>

#include "format.h"
#include "window_table.h"
#include "row_of.h"
#include "window_driver.h"

namespace {

using lumiro::testing::RowOf;

const std::string kListingHeading =
    "\nWygenerowana tablica funkcji sinus. Kąt w radianach, wartosc sinus dziesietnie:\n";
const std::string kCoeBlockAfterListing =
    "\n" + std::string(112, '-') + "\n\n" +
    "Ponizej funkcja sinus wygenerowana w postaci pliku coe dla generatora BRAM Xilinx'a:\n"
    "memory_initialization_radix=2;\n"
    "memory_initialization_vector=\n";

}  // namespace

class TForm1Test : public QObject, private WindowDriver {
    Q_OBJECT

private slots:
    void initTestCase() { RecordErrors(); }
    void init() { QVERIFY(Open()); }

    void cleanup() { form.reset(); }

    void startUpState()
    {
        QCOMPARE(Edit("Edit1")->text(), QStringLiteral("1024"));
        QCOMPARE(Edit("Edit2")->text(), QStringLiteral("256"));
        QCOMPARE(Edit("Edit3")->text(), QStringLiteral("0.006135923322290182"));
        QCOMPARE(Edit("Edit4")->text(), QString());
        QCOMPARE(AreaText(), std::string("\n"));
        QCOMPARE(QApplication::focusWidget(), Edit("Edit1"));
        const auto* bar = Control<QProgressBar>("ProgressBar1");
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 256);
        QVERIFY(!bar->isTextVisible());
        QVERIFY(errors.isEmpty());
    }

    void windowSettings()
    {
        QCOMPARE(form->objectName(), QStringLiteral("Form1"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Lumiro"));
        QCOMPARE(form->size(), QSize(1082, 801));
        QCOMPARE(form->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(form->font().pointSize(), 8);
        QVERIFY(!form->windowIcon().isNull());
        QCOMPARE(form->windowIcon().availableSizes().value(0), QSize(32, 32));
        for (const auto* button : form->findChildren<QPushButton*>()) {
            QVERIFY(!button->isDefault());
            QVERIFY(!button->autoDefault());
        }
    }

    void controls_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pointSize");

        const auto row = [](const char* name, const char* kind, const char* parent, QRect rect,
                            const char* text, int points) {
            QTest::newRow(name) << QString::fromLatin1(kind) << QString::fromLatin1(parent) << rect
                                << QString::fromUtf8(text) << points;
        };
        row("Panel1", "QFrame", "Form1", {0, 0, 1082, 760}, "", 8);
        row("Label1", "QLabel", "Panel1", {416, 24, 194, 24}, "Lumiro", 14);
        row("Label2", "QLabel", "Panel1", {24, 80, 199, 16}, "Na ile częsci podzielic 360 stopni:", 10);
        row("Edit1", "QLineEdit", "Panel1", {224, 80, 121, 21}, "", 8);
        row("Button1", "QPushButton", "Panel1", {352, 72, 75, 25}, "Zatwierdź", 8);
        row("Button2", "QPushButton", "Panel1", {864, 88, 169, 25}, "Generuj tablicę funkcji sinus", 8);
        row("Label4", "QLabel", "Panel1", {24, 120, 194, 16}, "Ile wartosci wypada na 90 stopni:", 10);
        row("Edit2", "QLineEdit", "Panel1", {224, 120, 121, 21}, "", 8);
        row("Label5", "QLabel", "Panel1", {392, 120, 131, 13}, "Przyrost kąta (w radianach):", 8);
        row("Edit3", "QLineEdit", "Panel1", {528, 120, 201, 21}, "", 8);
        row("Button3", "QPushButton", "Panel1", {848, 136, 185, 25}, "Test konwersji Float->Binary", 8);
        row("Label3", "QLabel", "Panel1", {24, 152, 243, 16}, "Tablica funkcji sinus (pierwsze 90 stopni):", 10);
        row("Label7", "QLabel", "Panel1", {296, 152, 225, 16}, "Podaj wartosc float do testu konwersji:", 10);
        row("Edit4", "QLineEdit", "Panel1", {528, 152, 201, 21}, "", 8);
        row("Memo1", "PlainMemo", "Panel1", {24, 184, 1033, 553}, "", 8);
        row("Panel2", "QFrame", "Form1", {0, 760, 1082, 41}, "", 8);
        row("Label6", "QLabel", "Panel2", {24, 16, 179, 16}, "Postęp generacji funkcji sinus:", 10);
        row("ProgressBar1", "ProgressBar", "Panel2", {208, 16, 849, 17}, "", 8);
    }

    void controls()
    {
        QFETCH(QString, kind);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(QString, text);
        QFETCH(int, pointSize);

        const QString name = QString::fromLatin1(QTest::currentDataTag());
        auto* widget = form->findChild<QWidget*>(name);
        QVERIFY(widget != nullptr);
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), kind);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->font().family(), QStringLiteral("MS Sans Serif"));
        QCOMPARE(widget->font().pointSize(), pointSize);
        QVERIFY(!widget->font().bold() && !widget->font().italic() && !widget->font().underline());

        if (auto* label = qobject_cast<QLabel*>(widget)) {
            QCOMPARE(label->text(), text);
            // The text must fit its stored box: nothing clipped, nothing over a neighbour.
            const QFontMetrics metrics(label->font());
            QVERIFY2(metrics.horizontalAdvance(text) <= geometry.width(),
                     qPrintable(QStringLiteral("%1 px wide").arg(metrics.horizontalAdvance(text))));
            QVERIFY(metrics.height() <= geometry.height());
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QCOMPARE(button->text(), text);
            QVERIFY(QFontMetrics(button->font()).horizontalAdvance(text) < geometry.width() - 8);
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QCOMPARE(edit->isReadOnly(), name == "Edit2" || name == "Edit3");
        }
    }

    void tabOrder()
    {
        const char* order[] = {"Button1", "Button2", "Memo1", "Edit2", "Edit3",
                               "Button3", "Edit4",   "Edit1"};
        QCOMPARE(QApplication::focusWidget(), Edit("Edit1"));
        for (const char* next : order) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(next));
        }
        QVERIFY2(AreaText() == "\n", "Tab must not be typed into the area");
    }

    void bottomPanelStaysDockedOnResize()
    {
        form->resize(1400, 1000);
        QTRY_COMPARE(Control<QFrame>("Panel2")->geometry(), QRect(0, 959, 1400, 41));
        QCOMPARE(Control<QFrame>("Panel1")->geometry(), QRect(0, 0, 1400, 959));
        QCOMPARE(Control<PlainMemo>("Memo1")->geometry(), QRect(24, 184, 1033, 553));
        QCOMPARE(Control<QProgressBar>("ProgressBar1")->geometry(), QRect(208, 16, 849, 17));
    }

    void confirmUpdatesFieldsAndProgressRange()
    {
        Type("Edit1", QStringLiteral("2048"));
        Press("Button1");

        QCOMPARE(Edit("Edit2")->text(), QStringLiteral("512"));
        // 2π / 2048 is the default step halved: the same fraction, exponent one lower.
        QCOMPARE(std::bit_cast<std::uint32_t>(form->rad_step), 0x3B490FDBU);
        QCOMPARE(Edit("Edit3")->text().toStdString(),
                 lumiro::FloatToStr(static_cast<double>(std::bit_cast<float>(0x3B490FDBU))));
        QCOMPARE(Control<QProgressBar>("ProgressBar1")->maximum(), 512);
        QCOMPARE(AreaText(), std::string("\n"));
        QVERIFY(errors.isEmpty());
    }

    void generateShowsTheWholeTable()
    {
        Type("Edit1", QStringLiteral("8"));
        Press("Button1");
        Press("Button2");

        const std::string expected = kListingHeading + "\n" + "i=0\tKąt=0\tsinus=0\n" +
                                     "i=1\tKąt=0.7853981852531433\tsinus=0.7071067690849304\n" +
                                     kCoeBlockAfterListing + RowOf(std::string(32, '0')) + "\n" +
                                     RowOf("00111111001101010000010011110011") + "\n";
        QCOMPARE(AreaText(), expected);
        QCOMPARE(Control<QProgressBar>("ProgressBar1")->value(), 0);

        Press("Button2");
        QCOMPARE(AreaText(), expected);
    }

    // lumiro-coe's listing is promised to be the area's text, byte for byte.
    void listingOfTheCommandLineIsTheAreaText_data()
    {
        QTest::addColumn<int>("divisions");
        QTest::newRow("8") << 8;
        QTest::newRow("1024") << 1024;
        QTest::newRow("65536, in several chunks") << 65536;
    }

    void listingOfTheCommandLineIsTheAreaText()
    {
        QFETCH(int, divisions);
        Type("Edit1", QString::number(divisions));
        Press("Button1");
        Press("Button2");

        char* data = nullptr;
        std::size_t size = 0;
        std::FILE* stream = ::open_memstream(&data, &size);
        const lumiro::SineTable table = lumiro::testing::WindowTable(divisions);
        lumiro::coe::FindFormat("listing")->write(stream, lumiro::coe::Request{table, lumiro::coe::Radix::Binary, ""});
        std::fclose(stream);
        const std::string listing(data, size);
        std::free(data);

        QCOMPARE(AreaText(), listing);
    }

    void floatTestAppendsBelowTypedText()
    {
        auto* memo = Control<PlainMemo>("Memo1");
        memo->setFocus();
        QTest::keyClicks(memo, QStringLiteral("notatka"));
        Type("Edit4", QStringLiteral("-2"));
        Press("Button3");

        QCOMPARE(AreaText(), std::string("\nnotatka\n") +
                                 "\nPodana (dziesiętnie) liczba float:\n\n-2\n \n" +
                                 "Postac binarna liczby float (32-bit) - IEEE-754 Single "
                                 "Precision :\n\n" +
                                 RowOf("11000000000000000000000000000000") + "\n");
    }

    void rejectedInput_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters in Edit1") << "Edit1" << "Button1" << "abc"
                                          << "'\u2068abc\u2069' nie jest poprawną liczbą całkowitą.";
        QTest::newRow("zero in Edit1") << "Edit1" << "Button1" << "0"
                                       << "Na ile części podzielić 360 stopni: dozwolone są "
                                          "liczby od 1 do 4194304 (podano 0).";
        QTest::newRow("empty Edit4") << "Edit4" << "Button3" << ""
                                     << "'\u2068\u2069' nie jest poprawną liczbą zmiennoprzecinkową.";
        QTest::newRow("too large for a float")
            << "Edit4" << "Button3" << "1e39"
            << "'\u20681e39\u2069' leży poza zakresem liczby float (największa wartość to 3.4028235e+38).";
    }

    void rejectedInput()
    {
        QFETCH(QString, edit);
        QFETCH(QString, button);
        QFETCH(QString, text);
        QFETCH(QString, message);

        Press("Button2");  // something in the area that must stay
        Type(qPrintable(edit), text);
        const Snapshot before = Take();
        Press(qPrintable(button));

        QCOMPARE(errors, QStringList{message});
        QVERIFY(Take() == before);

        // The window goes on working.
        Type("Edit1", QStringLiteral("8"));
        Press("Button1");
        Press("Button2");
        const std::string area = AreaText();
        QCOMPARE(std::count(area.begin(), area.end(), '\n'), 9 + 4);  // 9 entries, 4 inner breaks
        QCOMPARE(errors.size(), 1);
    }

    void activationDoesNotRerunTheDefaults()
    {
        Type("Edit1", QStringLiteral("8"));
        Press("Button1");
        Type("Edit1", QStringLiteral("77"));

        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form.get(), &activate);
        form->hide();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));

        QCOMPARE(Edit("Edit1")->text(), QStringLiteral("77"));
        QCOMPARE(Edit("Edit2")->text(), QStringLiteral("2"));
        QCOMPARE(form->div360, 8);
        QCOMPARE(Control<QProgressBar>("ProgressBar1")->maximum(), 2);
    }
};

QTEST_MAIN(TForm1Test)
#include "tform1_test.moc"
