// The desktop program: the application and its main window.
#include "ui/application.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    quba::SetUpApplication();
    return quba::RunMainWindow();
}
