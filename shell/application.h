// SPDX-License-Identifier: GPL-3.0-or-later
// The application object: start-up's four steps over QApplication, and the one
// place where errors are shown to the user.
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <memory>

#include "conversions.h"

class QApplication;
class QMessageBox;
class QWidget;

namespace lumiro::shell {

// Any error as the user should read it: our own messages as they stand.
Exception AsException(std::exception_ptr error);

// The status of a start that failed: no display, or an error before the loop ran.
inline constexpr int kStartFailed = 1;

// "MS Sans Serif", the form's font, is not on free desktops; a metric-close
// free face stands in for it.
void InstallFontSubstitutes();

// Qt's Polish texts, and ours for the output area's menu.
void InstallPolish();

// The message box that shows an error, in the window's font.
std::unique_ptr<QMessageBox> ErrorBox(const QString& message, QWidget* parent);

class Application {
public:
    Application();
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    void Initialize();

    // Creates the main window; the application owns it and destroys it at exit.
    template <class Form>
    void CreateForm(Form*& reference)
    {
        auto form = std::make_unique<Form>();
        reference = form.get();
        RememberMainWindow(form.get());
        mainForm_ = std::move(form);
    }

    // Shows the main window and runs the event loop until it is closed.
    void Run();

    // A modal message box with the error's text, over the main window.
    static void ShowException(const Exception& error);

    // Tests put a recorder here instead of a modal box; an empty one restores the box.
    using ExceptionDisplay = std::function<void(const QString& message)>;
    static void SetExceptionDisplay(ExceptionDisplay display);

private:
    static void RememberMainWindow(QWidget* window);

    int argc_ = 1;
    char name_[7] = "lumiro";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QWidget> mainForm_;  // destroyed before app_
};

}  // namespace lumiro::shell
