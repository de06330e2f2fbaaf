// Start-up and shut-down of the main window: the splash, the kept data
// folder, File "Exit (&X)", closing the window and the Help menu.
#include "ui/unit1.h"

#include "ui/about.h"
#include "ui/folder_setting.h"
#include "ui/run_controller.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QTimer>
#include <QUrl>

namespace quba {

void TForm1::ConnectShell() {
    connect(exitItem_, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(aboutItem_, &QAction::triggered, this, &TForm1::AboutQUBA1Click);
    connect(webSiteItem_, &QAction::triggered, this, &TForm1::QUBAWebSite1Click);
}

void TForm1::ShowSplash(int milliseconds) {
    if (milliseconds <= 0)
        return;
    // Messages keep flowing while the splash stands, so it paints and its OK
    // button works; OK ends the wait early.
    aboutBox_->show();
    QEventLoop wait;
    splashWait_ = &wait;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &wait, &QEventLoop::quit);
    wait.exec();
    splashWait_ = nullptr;
    aboutBox_->hide();
}

void TForm1::AboutBoxClosed() {
    if (splashWait_ != nullptr) {
        splashWait_->quit();
        return;
    }
    show();
    raise();
    activateWindow();
}

void TForm1::AboutQUBA1Click() {
    aboutBox_->show();
    aboutBox_->raise();
    aboutBox_->activateWindow();
}

void TForm1::QUBAWebSite1Click() {
    if (!QDesktopServices::openUrl(QUrl(kProductWebSite)))
        ShowMessage(QString("Cannot open the web page %1").arg(kProductWebSite));
}

void TForm1::KeepDataFolder() {
    if (folderKept_)
        return;
    folderKept_ = true;
    WriteDataFolder(QDir::currentPath());
}

void TForm1::Exit1Click() {
    KeepDataFolder();
    // The window is not closed, so the folder is not written a second time.
    runController_->RequestEnd();
    EndProgram(0);
}

void TForm1::EndProgram(int status) {
    QCoreApplication::exit(status);
}

void TForm1::closeEvent(QCloseEvent* event) {
    KeepDataFolder();
    // A run in progress ends at its next message processing.
    if (runController_->IsRunning())
        runController_->RequestEnd();
    QMainWindow::closeEvent(event);
}

} // namespace quba
