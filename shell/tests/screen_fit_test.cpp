// SPDX-License-Identifier: GPL-3.0-or-later
// The window on the screen it opens on (LUMIRO_TEST_SCREEN, "1366x768", as
// the test's platform configuration makes it): where the form says when it fits;
// otherwise moved and shrunk onto the screen, with every control on it or
// reachable by scrolling.
#include <QScreen>
#include <QScrollBar>

#include "window_driver.h"

class ScreenFitTest : public QObject, private WindowDriver {
    Q_OBJECT

    // Every control of the form, by its name in the form.
    static QStringList Controls()
    {
        return {"Panel1", "Label1", "Label2", "Edit1", "Button1", "Button2", "Label4", "Edit2",
                "Label5", "Edit3", "Button3", "Label3", "Label7", "Edit4", "Memo1", "Panel2",
                "ProgressBar1", "Label6"};
    }

private slots:
    void initTestCase() { RecordErrors(); }
    void init() { QVERIFY(Open()); }
    void cleanup() { form.reset(); }

    void windowLiesOnTheScreen()
    {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        const QString screen = qEnvironmentVariable("LUMIRO_TEST_SCREEN");
        QCOMPARE(QStringLiteral("%1x%2").arg(available.width()).arg(available.height()), screen);
        QTRY_VERIFY2(available.contains(form->frameGeometry()),
                     qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                                    .arg(form->frameGeometry().x())
                                    .arg(form->frameGeometry().y())
                                    .arg(form->frameGeometry().width())
                                    .arg(form->frameGeometry().height())));
        if (available.contains(QRect(391, 123, 1082, 801))) {
            // Room enough: exactly the form's own place and size, and no scroll bars.
            QCOMPARE(form->pos(), QPoint(391, 123));  // the frame's corner, as move() puts it
            QCOMPARE(form->size(), QSize(1082, 801));
            QVERIFY(!Control<QScrollBar>("FormHorizontalScroll")->isVisible());
            QVERIFY(!Control<QScrollBar>("FormVerticalScroll")->isVisible());
        }
    }

    void everyControlIsInViewOrReachableByScrolling()
    {
        auto* across = Control<QScrollBar>("FormHorizontalScroll");
        auto* down = Control<QScrollBar>("FormVerticalScroll");
        const QRect view(0, 0, form->width() - (down->isVisible() ? down->width() : 0),
                         form->height() - (across->isVisible() ? across->height() : 0));
        // Where the scroll bars can take the view: the content they scroll over.
        const QRect content(0, 0, view.width() + across->maximum(), view.height() + down->maximum());
        for (const QString& name : Controls()) {
            auto* control = Control<QWidget>(qPrintable(name));
            QVERIFY2(control->isVisible(), qPrintable(name));
            const QRect onContent(control->mapTo(form.get(), QPoint(across->value(), down->value())),
                                  control->size());
            QVERIFY2(content.contains(onContent), qPrintable(name));
        }
        // Scrolled to the far corner, the last controls come into view.
        across->setValue(across->maximum());
        down->setValue(down->maximum());
        for (const char* name : {"Button2", "ProgressBar1"}) {
            auto* control = Control<QWidget>(name);
            QVERIFY2(view.contains(QRect(control->mapTo(form.get(), QPoint()), control->size())), name);
        }
        QVERIFY(errors.isEmpty());
    }
};

QTEST_MAIN(ScreenFitTest)
#include "screen_fit_test.moc"
