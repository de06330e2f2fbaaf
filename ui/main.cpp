// The desktop program: the application and its main window.
#include "ui/controls.h"
#include "ui/unit1.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(kApplicationTitle);
    QFont font = QApplication::font();
    font.setPixelSize(12);
    QApplication::setFont(font);

    TForm1 form1;
    form1.show();
    return QApplication::exec();
}
