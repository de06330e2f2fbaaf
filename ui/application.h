// The application shell: its title, font and icon, and the start of the
// main window with its message loop.
#pragma once

#include <QApplication>
#include <QIcon>

namespace quba {

// The application object: memory that runs out while an event is handled,
// anywhere in the program, ends it with the memory message and status 1
// instead of an abort.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the memory message and ends the program with status 1.
[[noreturn]] void EndForLackOfMemory();

// The application icon in every size the program ships.
QIcon ApplicationIcon();
// Title, font and icon of the application; call once, after QApplication.
void SetUpApplication();
// Creates the main window (splash included), shows it and runs the message
// loop; returns the exit status. An error while the windows are created is
// reported in a message box and ends the program with status 1.
int RunMainWindow();

} // namespace quba
