// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up. The program takes no arguments; any given are ignored.
#include <exception>

#include "application.h"
#include "tform1.h"

int main()
{
    using lumiro::shell::Application;
    Application application;
    try {
        application.Initialize();
        application.CreateForm(Form1);
        application.Run();
    } catch (...) {
        Application::ShowException(lumiro::shell::AsException(std::current_exception()));
        return lumiro::shell::kStartFailed;  // a start that failed is no success
    }
    return 0;
}
