// The application shell: its title, font and icon, and the start of the
// main window with its message loop.
#pragma once

#include <QIcon>

namespace quba {

// The application icon in every size the program ships.
QIcon ApplicationIcon();
// Title, font and icon of the application; call once, after QApplication.
void SetUpApplication();
// Creates the main window (splash included), shows it and runs the message
// loop; returns the exit status. An error while the windows are created is
// reported in a message box and ends the program with status 1.
int RunMainWindow();

} // namespace quba
