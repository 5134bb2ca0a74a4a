// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the real main window as a user would, for the window tests.
#pragma once

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <bit>
#include <memory>
#include <string>

#include "application.h"
#include "plain_memo.h"
#include "tform1.h"

class WindowDriver {
protected:
    std::unique_ptr<TForm1> form;
    QStringList errors;

    template <class Widget>
    Widget* Control(const char* name) const
    {
        auto* widget = form->findChild<Widget*>(QString::fromLatin1(name));
        if (widget == nullptr)
            qFatal("no control %s", name);
        return widget;
    }
    QLineEdit* Edit(const char* name) const { return Control<QLineEdit>(name); }
    std::string AreaText() const { return Control<PlainMemo>("Memo1")->Bytes(); }

    void Type(const char* edit, const QString& text)
    {
        QLineEdit* field = Edit(edit);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, text);
    }
    void Press(const char* button)
    {
        QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton);
    }

    // Everything a rejected input must leave alone.
    struct Snapshot {
        QStringList fields;
        std::int32_t div360;
        std::int32_t val90;
        std::uint32_t radStep;
        int progressMin;
        int progressMax;
        int progressValue;
        std::string area;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Take() const
    {
        const auto* bar = Control<QProgressBar>("ProgressBar1");
        return {{Edit("Edit1")->text(), Edit("Edit2")->text(), Edit("Edit3")->text(),
                 Edit("Edit4")->text()},
                form->div360, form->val90, std::bit_cast<std::uint32_t>(form->rad_step),
                bar->minimum(), bar->maximum(), bar->value(), AreaText()};
    }


    // Routes the error display to `errors` instead of a modal box.
    void RecordErrors()
    {
        lumiro::shell::InstallFontSubstitutes();
        lumiro::shell::Application::SetExceptionDisplay(
            [this](const QString& message) { errors << message; });
    }

    // A new window, shown and active, as at start-up.
    bool Open()
    {
        errors.clear();
        form = std::make_unique<TForm1>();
        form->show();
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    }
};
