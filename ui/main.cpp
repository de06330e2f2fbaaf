// The desktop program: the application and its main window.
#include "ui/application.h"

#include <new>

int main(int argc, char* argv[]) {
    // Memory that runs out while the application object is made or ends.
    try {
        quba::Application application(argc, argv);
        quba::SetUpApplication();
        return quba::RunMainWindow();
    } catch (const std::bad_alloc&) {
        quba::EndForLackOfMemory();
    }
}
