#include "ui/application.h"

#include "engine/run_outlet.h"
#include "picture/picture_grid.h"
#include "ui/controls.h"
#include "ui/unit1.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <new>

namespace quba {

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
        EndForLackOfMemory();
    }
}

void EndForLackOfMemory() {
    std::cerr << kMemoryMessage << std::endl;
    if (QCoreApplication::instance() != nullptr)
        ShowMessageBox(nullptr, QMessageBox::Critical, kApplicationTitle, kMemoryMessage);
    std::exit(1);
}

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/quba/icons/%1.png").arg(size), QSize(size, size));
    return icon;
}

void SetUpApplication() {
    QApplication::setApplicationName(kApplicationTitle);
    // Lets desktops match the windows with the installed quba.desktop entry.
    QGuiApplication::setDesktopFileName("quba");
    QApplication::setWindowIcon(ApplicationIcon());
    QFont font = QApplication::font();
    font.setPixelSize(12);
    QApplication::setFont(font);
    QuietPictureReaders();
}

int RunMainWindow() {
    std::unique_ptr<TForm1> form1;
    try {
        form1 = std::make_unique<TForm1>();
    } catch (const std::exception& error) {
        ShowMessageBox(nullptr, QMessageBox::Critical, kApplicationTitle,
                       QString::fromStdString(error.what()));
        return 1;
    }
    form1->show();
    return QApplication::exec();
}

} // namespace quba
