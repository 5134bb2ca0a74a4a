// SPDX-License-Identifier: GPL-3.0-or-later
// What a new user meets beyond the layout: Polish menus, program text that
// Ctrl+Z cannot take away, a still bar for an empty table, one message for
// every count out of range, a scroll range that fits, a memo's selection, a
// long pasted line, the message box's font and a start without a display.
#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QTest>

#include "window_driver.h"

namespace {

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0);  // without the shortcut
    return texts;
}

const QStringList kPolishEditMenu{QStringLiteral("&Cofnij"),   QStringLiteral("&Przywróć"),
                                  QStringLiteral("W&ytnij"),   QStringLiteral("S&kopiuj"),
                                  QStringLiteral("&Wklej"),    QStringLiteral("Usuń"),
                                  QStringLiteral("Zaznacz wszystko")};

}  // namespace

class FirstUseTest : public QObject, private WindowDriver {
    Q_OBJECT

private:
    PlainMemo* Memo() const { return Control<PlainMemo>("Memo1"); }

    void UndoInMemo()
    {
        Memo()->setFocus();
        QTest::keyClick(Memo(), Qt::Key_Z, Qt::ControlModifier);
    }

    void Confirm(const QString& count)
    {
        Edit("Edit1")->setText(count);
        Press("Button1");
    }

private slots:
    void initTestCase()
    {
        RecordErrors();
        lumiro::shell::InstallPolish();
    }
    void init() { QVERIFY(Open()); }
    void cleanup() { form.reset(); }

    void menusArePolish()
    {
        for (const char* edit : {"Edit1", "Edit4"}) {
            const std::unique_ptr<QMenu> menu(Edit(edit)->createStandardContextMenu());
            QCOMPARE(MenuTexts(menu.get()), kPolishEditMenu);
        }
        const std::unique_ptr<QMenu> memoMenu(Memo()->createStandardContextMenu());
        QCOMPARE(MenuTexts(memoMenu.get()), kPolishEditMenu);
    }

    void programTextCannotBeUndone()
    {
        const std::string start = AreaText();
        QCOMPARE(start, std::string("\n"));  // the one empty entry
        UndoInMemo();
        QCOMPARE(AreaText(), start);

        Edit("Edit4")->setText(QStringLiteral("0,1"));
        Press("Button3");
        const std::string report = AreaText();
        UndoInMemo();
        QCOMPARE(AreaText(), report);

        Press("Button2");
        const std::string table = AreaText();
        UndoInMemo();
        QCOMPARE(AreaText(), table);

        // What the user types is theirs to undo.
        QTest::keyClicks(Memo(), QStringLiteral("abc"));
        QCOMPARE(AreaText(), table + "abc");
        UndoInMemo();
        QCOMPARE(AreaText(), table);
    }

    void emptyTableShowsAStillEmptyBar()
    {
        auto* bar = Control<QProgressBar>("ProgressBar1");
        Confirm(QStringLiteral("2"));
        Press("Button2");
        QCOMPARE(bar->minimum(), 0);  // the range stays as set: 0 .. Q
        QCOMPARE(bar->maximum(), 0);

        // An empty bar of a real range looks the same, and nothing moves.
        QProgressBar empty;
        empty.setRange(0, 1);
        empty.setValue(0);
        empty.setTextVisible(bar->isTextVisible());
        empty.setFont(bar->font());
        empty.resize(bar->size());
        const auto look = [](QWidget* widget) {
            return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QImage first = look(bar);
        QTest::qWait(300);
        QCOMPARE(look(bar), first);
        QCOMPARE(first, look(&empty));
    }

    void everyCountOutOfRangeGetsTheRangeMessage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("given");
        QTest::newRow("one past") << "4194305" << "4194305";
        QTest::newRow("past 32 bits") << "2147483648" << "2147483648";
        QTest::newRow("below 32 bits") << "-2147483649" << "-2147483649";
        QTest::newRow("leading zeros") << " +0009999999999 " << "9999999999";
        QTest::newRow("fifty digits") << QString(50, QLatin1Char('9')) << QString(40, QLatin1Char('9')) + "…";
    }

    void everyCountOutOfRangeGetsTheRangeMessage()
    {
        QFETCH(QString, text);
        QFETCH(QString, given);
        Confirm(text);
        QCOMPARE(errors, QStringList{"Na ile części podzielić 360 stopni: dozwolone są liczby od 1 "
                                     "do 4194304 (podano " + given + ")."});
        errors.clear();
        Confirm(QStringLiteral("12a"));  // no integer keeps its own message
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.front().contains(QStringLiteral("nie jest poprawną liczbą całkowitą")));
    }

    void scrollRangeFitsTheTextThatIsThere()
    {
        // Scintilla measures the lines it draws: each grab draws the visible ones.
        const auto scrollWidth = [this] {
            Memo()->viewport()->grab();
            return Memo()->SendScintilla(QsciScintillaBase::SCI_GETSCROLLWIDTH);
        };
        Edit("Edit4")->setText(QStringLiteral("1") + QString(5000, QLatin1Char('0')) + "e-5000");
        Press("Button3");
        const long wide = scrollWidth();
        QVERIFY2(wide > 10000, qPrintable(QString::number(wide)));

        Confirm(QStringLiteral("8"));
        Press("Button2");
        // The widest line now is the separator of 112 hyphens, well inside 2000 pixels.
        const long narrow = scrollWidth();
        QVERIFY2(narrow > 100 && narrow < 2000, qPrintable(QString::number(narrow)));
    }

    void selectionShowsOnlyWithTheFocus()
    {
        Press("Button2");
        Edit("Edit1")->setFocus();
        QTest::qWait(20);
        const QImage unselected = Memo()->viewport()->grab().toImage();

        Memo()->setFocus();
        Memo()->selectAll();
        QTest::qWait(20);
        QVERIFY(Memo()->viewport()->grab().toImage() != unselected);

        Edit("Edit1")->setFocus();
        QTest::qWait(20);
        QCOMPARE(Memo()->viewport()->grab().toImage(), unselected);
        QVERIFY(Memo()->hasSelectedText());  // hidden, not lost
    }

    void longPastedLineIsWholeAndLooksAsWrittenText()
    {
        // Two areas as the window's, made under a dark desktop palette.
        const QPalette original = QGuiApplication::palette();
        QPalette dark = original;
        dark.setColor(QPalette::Text, Qt::white);
        dark.setColor(QPalette::Base, Qt::black);
        QApplication::setPalette(dark);
        PlainMemo pasted;
        PlainMemo written;
        QApplication::setPalette(original);
        for (PlainMemo* memo : {&pasted, &written}) {
            memo->setFont(Memo()->font());
            memo->resize(Memo()->size());
            memo->show();
        }

        // Digits, all of one width: laid out as one run or one by one, they stand
        // at the same places.
        std::string line;
        while (line.size() < 10 * static_cast<std::size_t>(PlainMemo::kLongRun))
            line += "0123456789";
        QGuiApplication::clipboard()->setText(QString::fromStdString(line));
        QTest::keyClick(&pasted, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(pasted.Bytes(), line);
        QTest::keyClick(&pasted, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pasted.Bytes(), std::string());
        pasted.redo();
        QCOMPARE(pasted.Bytes(), line);

        written.BeginOutput();
        written.ClearOutput();
        written.WriteOutput(line);
        written.EndOutput();
        for (PlainMemo* memo : {&pasted, &written})
            memo->SendScintilla(QsciScintillaBase::SCI_DOCUMENTSTART);
        QCOMPARE(pasted.viewport()->grab().toImage(), written.viewport()->grab().toImage());
    }

    void textOutlivesAChangeOfDocument()
    {
        // Output beyond the limit goes into a document without style bytes, and a
        // small one back into one with them; what was there stays, and what the
        // user types next is theirs to undo.
        for (const std::size_t size : {PlainMemo::kStyleBytesLimit + 1, std::size_t{16}}) {
            Memo()->BeginOutput();
            Memo()->WriteOutput("kept");
            Memo()->ReserveOutput(size);
            Memo()->WriteOutput("added");
            Memo()->EndOutput();
            QVERIFY(AreaText().ends_with("keptadded"));

            const std::string before = AreaText();
            Memo()->setFocus();
            QTest::keyClicks(Memo(), QStringLiteral("ab"));
            QCOMPARE(AreaText(), before + "ab");
            UndoInMemo();
            QCOMPARE(AreaText(), before);
        }
    }

    void messageBoxSpeaksInTheWindowsFont()
    {
        const auto box = lumiro::shell::ErrorBox(QStringLiteral("x"), form.get());
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        QVERIFY(label != nullptr);
        QCOMPARE(label->fontInfo().family(), form->fontInfo().family());
        QCOMPARE(box->windowTitle(), QStringLiteral("Lumiro"));
    }

    void screenReadersStillGetTheText()
    {
        // No assistive technology: a plain accessible, without the text interface
        // that counts characters on every update.
        QAccessibleInterface* plain = QAccessible::queryAccessibleInterface(Memo());
        QVERIFY(plain != nullptr);
        QCOMPARE(plain->textInterface(), nullptr);

        Confirm(QStringLiteral("8"));
        Press("Button2");
        QAccessible::setActive(true);
        QAccessibleInterface* full = QAccessible::queryAccessibleInterface(Memo());
        QVERIFY(full != nullptr && full->textInterface() != nullptr);
        QCOMPARE(full->textInterface()->text(0, 12), QStringLiteral("\nWygenerowan"));
        QAccessible::setActive(false);
    }

    void withoutADisplayOnePolishLineAndStatusOne()
    {
        QProcess lumiro;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        lumiro.setProcessEnvironment(environment);
        lumiro.start(QStringLiteral(LUMIRO), {});
        QVERIFY(lumiro.waitForFinished(20000));
        QCOMPARE(lumiro.exitStatus(), QProcess::NormalExit);
        QCOMPARE(lumiro.exitCode(), 1);
        const QString err = QString::fromUtf8(lumiro.readAllStandardError());
        QCOMPARE(err.count(QLatin1Char('\n')), 1);
        QVERIFY2(err.startsWith(QStringLiteral("Lumiro: nie można otworzyć okna")), qPrintable(err));
    }
};

QTEST_MAIN(FirstUseTest)
#include "first_use_test.moc"
