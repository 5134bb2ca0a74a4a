// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

namespace lumiro::shell {
namespace {

Application::ExceptionDisplay& Display()
{
    static Application::ExceptionDisplay display;
    return display;
}

QWidget*& MainWindow()
{
    static QWidget* window = nullptr;
    return window;
}

// While the window system is being reached, Qt's English notes are held back:
// without a display it would print them and abort. The user gets one Polish
// line and status 1 instead; after a good start the held notes go out as usual.
struct HeldMessage {
    QtMsgType type;
    QString text;
};
std::vector<HeldMessage>& Held()
{
    static std::vector<HeldMessage> held;
    return held;
}

void HoldStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtFatalMsg) {
        std::fputs("Lumiro: nie można otworzyć okna, bo nie ma połączenia z ekranem "
                   "(X11 ani Wayland).\n",
                   stderr);
        std::_Exit(kStartFailed);
    }
    Held().push_back({type, text});
}

class StartupMessagesHeld {
public:
    StartupMessagesHeld() : previous_(qInstallMessageHandler(HoldStartupMessage)) {}
    ~StartupMessagesHeld()
    {
        qInstallMessageHandler(previous_);
        for (const HeldMessage& message : std::exchange(Held(), {})) {
            if (previous_ != nullptr)
                previous_(message.type, QMessageLogContext(), message.text);
            else
                std::fprintf(stderr, "%s\n", qPrintable(message.text));
        }
    }
    StartupMessagesHeld(const StartupMessagesHeld&) = delete;
    StartupMessagesHeld& operator=(const StartupMessagesHeld&) = delete;

private:
    QtMessageHandler previous_;
};

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

void InstallPolish()
{
    // The whole interface is Polish, so Qt's own texts are too, whatever the locale.
    auto* qt = new QTranslator(qApp);
    if (qt->load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    auto* memo = new QTranslator(qApp);
    if (memo->load(QStringLiteral(":/i18n/lumiro_pl.qm")))
        QCoreApplication::installTranslator(memo);
}

std::unique_ptr<QMessageBox> ErrorBox(const QString& message, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, QStringLiteral("Lumiro"),
                                             message, QMessageBox::Ok, parent);
    // A box of its own would take the desktop's font; it speaks in the window's.
    if (QWidget* window = parent != nullptr ? parent->window() : MainWindow())
        box->setFont(window->font());
    return box;
}

Application::Application() = default;
Application::~Application()
{
    MainWindow() = nullptr;
}

void Application::Initialize()
{
    {
        const StartupMessagesHeld held;
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    QApplication::setApplicationName(QStringLiteral("Lumiro"));
    QApplication::setDesktopFileName(QStringLiteral("org.lumiro.Lumiro"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lumiro.xpm")));
    InstallFontSubstitutes();
    InstallPolish();
}

void Application::Run()
{
    mainForm_->show();
    // Without a window manager nobody else hands the window the keyboard.
    mainForm_->activateWindow();
    QApplication::exec();
}

void Application::RememberMainWindow(QWidget* window)
{
    MainWindow() = window;
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
    ErrorBox(message, QApplication::activeWindow())->exec();
}

void Application::SetExceptionDisplay(ExceptionDisplay display)
{
    Display() = std::move(display);
}

}  // namespace lumiro::shell
