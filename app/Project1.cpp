// The player's entry: the application object, the main window, and the event loop until the
// main window is closed. Reads no command-line arguments.
#include "platform/Application.h"
#include "ui/Unit1.h"

int main() {
    platform::TApplication& application = platform::Application();
    application.Initialize();
    application.CreateForm(Form1);
    application.Run();
    return 0;
}
