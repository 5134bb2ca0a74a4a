#include "application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QMessageBox>
#include <QWidget>

#include <cstdio>
#include <new>

namespace lumiro::shell {
namespace {

Application::ExceptionDisplay& Display()
{
    static Application::ExceptionDisplay display;
    return display;
}

}  // namespace

Exception AsException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Exception& known) {
        return known;
    } catch (const std::bad_alloc&) {
        return Exception("Za mało pamięci, by wykonać tę operację.");
    } catch (...) {
        return Exception("");
    }
}

void InstallFontSubstitutes()
{
    // Liberation Sans keeps Arial's metrics, the nearest free match for the
    // width of the form's texts.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
}

Application::Application() = default;
Application::~Application() = default;

void Application::Initialize()
{
    app_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setApplicationName(QStringLiteral("Lumiro"));
    QApplication::setDesktopFileName(QStringLiteral("org.lumiro.Lumiro"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumiro.xpm")));
    InstallFontSubstitutes();
}

void Application::Run()
{
    mainForm_->show();
    // Without a window manager nobody else hands the window the keyboard.
    mainForm_->activateWindow();
    QApplication::exec();
}

void Application::ShowException(const Exception& error)
{
    const QString message = QString::fromUtf8(error.what());
    if (Display()) {
        Display()(message);
        return;
    }
    if (qApp == nullptr) {  // start-up failed before the window system was there
        std::fprintf(stderr, "Lumiro: %s\n", error.what());
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Lumiro"), message);
}

void Application::SetExceptionDisplay(ExceptionDisplay display)
{
    Display() = std::move(display);
}

}  // namespace lumiro::shell
