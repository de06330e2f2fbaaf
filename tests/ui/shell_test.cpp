// The application shell: start-up with its splash and window order, the kept
// data folder, File "Exit (&X)", closing the window and the Help menu.
#include "tests/ui/ui_test_support.h"

#include "ui/about.h"
#include "ui/application.h"
#include "ui/run_controller.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

// Records the addresses that the desktop would have opened.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

// What the start-up looked like while the splash was standing.
struct SplashProbe {
    bool aboutBoxShown = false;
    bool mainWindowShown = true;
    bool chartWindowExists = true;
};

QWidget* TopLevel(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name)
            return widget;
    return nullptr;
}

QString Canonical(const QString& folder) {
    return QDir(folder).canonicalPath();
}

class ShellTest : public FormTest {
protected:
    // A loadable 2 x 2 data file in the scratch folder.
    QString DataFile() const {
        const QString path = folder.filePath("grid.txt");
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("1\t2\n3\t4\n");
        return path;
    }
    void LoadTrainingFile(const QString& path) const {
        Find<QSpinBox>("CSpinEdit1")->setValue(2);
        form->chosenFiles = {path};
        QTest::mouseClick(Find<QPushButton>("BitBtn3"), Qt::LeftButton);
        ASSERT_TRUE(form->messages.isEmpty());
    }
    void Trigger(const char* item) const { Find<QAction>(item)->trigger(); }

    QTemporaryDir folder;
};

TEST_F(ShellTest, FirstStartOpensTheDialogInTheHomeFolder) {
    EXPECT_EQ(form->DataFolder(), QDir::homePath());
    EXPECT_FALSE(KeptFolder().isValid()) << "reading keeps nothing";
}

TEST_F(ShellTest, ExitKeepsTheFolderOfTheLastFileForTheNextStart) {
    LoadTrainingFile(DataFile());
    Trigger("Exit1");
    EXPECT_EQ(form->endStatuses, std::vector<int>({0}));
    EXPECT_EQ(Canonical(KeptFolder().toString()), Canonical(folder.path()));

    // Exit does not close the window; a close after it writes nothing more.
    QDir::setCurrent(QDir::homePath());
    form->close();
    EXPECT_EQ(Canonical(KeptFolder().toString()), Canonical(folder.path()));

    Restart();
    EXPECT_EQ(Canonical(form->DataFolder()), Canonical(folder.path()));
    form->chosenFiles = {QString()};
    QTest::mouseClick(Find<QPushButton>("BitBtn3"), Qt::LeftButton);
    ASSERT_EQ(form->dialogFolders.size(), 1);
    EXPECT_EQ(Canonical(form->dialogFolders[0]), Canonical(folder.path()));
}

TEST_F(ShellTest, ClosingWithoutAFileKeepsTheFolderTheProgramStartedIn) {
    QDir::setCurrent(folder.path());
    Restart();
    form->close();
    EXPECT_EQ(Canonical(KeptFolder().toString()), Canonical(folder.path()));
    EXPECT_TRUE(form->endStatuses.empty()) << "closing ends the program the usual way";
}

TEST_F(ShellTest, ClosingKeepsTheFolderOfTheLastFile) {
    LoadTrainingFile(DataFile());
    QDir::setCurrent(QDir::homePath());
    LoadTrainingFile(DataFile());
    form->close();
    EXPECT_EQ(Canonical(KeptFolder().toString()), Canonical(folder.path()));
}

TEST_F(ShellTest, ExitDuringARunEndsTheRunAtItsNextMessageProcessing) {
    PrepareSmallRun({5});
    form->onProcess = [this] {
        if (form->processCalls == 2)
            Trigger("Exit1");
    };
    PressStart();
    EXPECT_EQ(form->processCalls, 2);
    EXPECT_FALSE(form->IsRunning());
    EXPECT_EQ(form->Runner().CurrentRun(), nullptr);
    EXPECT_EQ(form->endStatuses, std::vector<int>({0}));
    EXPECT_EQ(Canonical(KeptFolder().toString()), Canonical(startFolder));
}

TEST_F(ShellTest, SecondaryWindowsAreCreatedHiddenAfterTheAboutBox) {
    QStringList order;
    for (QObject* child : form->children())
        if (auto* dialog = qobject_cast<QDialog*>(child)) {
            order << dialog->objectName();
            EXPECT_FALSE(dialog->isVisible()) << dialog->objectName().toStdString();
        }
    // The Front window is created last, after the chart windows and the noise dialog.
    EXPECT_EQ(order, QStringList({"AboutBox", "Form5", "Form6", "Form9", "FrontWindow"}));
}

TEST_F(ShellTest, RealStartKeepsTheThreeSecondSplash) {
    EXPECT_EQ(StartOptions{}.splashMs, 3000);
}

TEST_F(ShellTest, AboutBoxStandsAsSplashBeforeTheOtherWindowsExist) {
    form.reset();
    SplashProbe probe;
    QTimer::singleShot(40, [&probe] {
        const QWidget* about = TopLevel("AboutBox");
        probe.aboutBoxShown = about != nullptr && about->isVisible();
        const QWidget* main = TopLevel("Form1");
        probe.mainWindowShown = main == nullptr || main->isVisible();
        probe.chartWindowExists = TopLevel("Form5") != nullptr;
    });
    QElapsedTimer clock;
    clock.start();
    form = std::make_unique<TestForm>(StartOptions{150});
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_TRUE(probe.aboutBoxShown);
    EXPECT_FALSE(probe.mainWindowShown);
    EXPECT_FALSE(probe.chartWindowExists);
    EXPECT_FALSE(form->findChild<QDialog*>("AboutBox")->isVisible());
    EXPECT_NE(form->findChild<QDialog*>("Form5"), nullptr);
}

TEST_F(ShellTest, OkOnTheSplashEndsItEarly) {
    form.reset();
    QTimer::singleShot(40, [] {
        if (QWidget* about = TopLevel("AboutBox"))
            QTest::mouseClick(about->findChild<QPushButton*>("OKButton"), Qt::LeftButton);
    });
    QElapsedTimer clock;
    clock.start();
    form = std::make_unique<TestForm>(StartOptions{20000});
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_FALSE(form->findChild<QDialog*>("AboutBox")->isVisible());
}

TEST_F(ShellTest, HelpShowsTheAboutBoxModelessAndOnTop) {
    Trigger("AboutQUBA1");
    auto* about = form->findChild<QDialog*>("AboutBox");
    ASSERT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_TRUE(about->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(about->windowTitle(), "QUBA1.0");
    EXPECT_EQ(about->minimumSize(), about->maximumSize()) << "fixed size";
    EXPECT_EQ(about->findChild<QLabel*>("ProductName")->text(), "QUBA for Image Compression");
    EXPECT_EQ(about->findChild<QLabel*>("Version")->text(), "Version 1.0");
    EXPECT_EQ(about->findChild<QLabel*>("Copyright")->text(), "by the QUBA developers");
    EXPECT_EQ(about->findChild<QLabel*>("ProgramIcon")->pixmap().size(), QSize(225, 81));
    auto* ok = about->findChild<QPushButton*>("OKButton");
    EXPECT_TRUE(ok->isDefault());

    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(about->isVisible());
    EXPECT_TRUE(form->isVisible());
    // Shown again from the menu, it is the same box.
    Trigger("AboutQUBA1");
    EXPECT_EQ(form->findChildren<QDialog*>("AboutBox").size(), 1);
    EXPECT_TRUE(about->isVisible());
}

TEST_F(ShellTest, WebSiteItemOpensTheProductPage) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "Open");
    Trigger("QUBAWebSite1");
    QDesktopServices::unsetUrlHandler("https");
    EXPECT_EQ(catcher.opened, QList<QUrl>({QUrl("https://quba.example.org/")}));
    EXPECT_TRUE(form->messages.isEmpty());
}

TEST_F(ShellTest, ApplicationCarriesItsTitleAndIcon) {
    const QString name = QApplication::applicationName();
    const QFont font = QApplication::font();
    SetUpApplication();
    EXPECT_EQ(QApplication::applicationName(), "QUBA for Image Compression ver1.0");
    EXPECT_EQ(QGuiApplication::desktopFileName(), "quba");
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (int side : {16, 32, 48, 64, 128, 256})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    EXPECT_FALSE(ApplicationIcon().pixmap(48).isNull());
    QApplication::setApplicationName(name);
    QApplication::setFont(font);
    QApplication::setWindowIcon(QIcon());
}

} // namespace

#include "shell_test.moc"

using namespace quba;
