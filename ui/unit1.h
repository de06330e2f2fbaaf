// The main window: the menu, the tab control with the problem, populations
// and results pages, and the run controller. It owns the grids' pages, the
// master function table, the generator, the noise ratio and the secondary
// windows, and its handlers are the entry points of the menu, the pages and
// the keys.
#pragma once

#include "core/random.h"
#include "engine/problem.h"
#include "ui/form_host.h"
#include "ui/message_pump.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <optional>

class QAction;
class QEventLoop;
class QPushButton;
class QTabWidget;

namespace quba {

class CompressDialog;
class PopulationsPage;
class ProblemPage;
class FrontWindow;
class ResultsPage;
class RunController;
class TAboutBox;
class TForm5;
class TForm6;
class TForm9;

// Caption of every message box; the window's own caption has "ver.1.0".
inline constexpr const char* kApplicationTitle = "QUBA for Image Compression ver1.0";
inline constexpr const char* kWindowCaption = "QUBA for Image Compression ver.1.0";
// The product's web page, opened from the Help menu.
inline constexpr const char* kProductWebSite = "https://quba.example.org/";
// The window's default size, which is also its smallest.
inline constexpr int kWindowWidth = 637;
inline constexpr int kWindowHeight = 614;
// How long the About box stands as the splash screen at start-up.
inline constexpr int kSplashMs = 3000;

// How the main window starts. Tests shorten the splash or leave it out (0).
struct StartOptions {
    int splashMs = kSplashMs;
};

class TForm1 : public QMainWindow, public FormHost, public MessagePump {
    Q_OBJECT
public:
    // Reads the kept data folder, shows the splash, then creates the chart
    // windows and the noise dialog.
    explicit TForm1(const StartOptions& options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Every message of the window goes through here: a modal box with an OK
    // button, captioned with the application title.
    void ShowMessage(const QString& text) override;
    // The file-open dialog for data files, starting in `startFolder`, with no
    // filter; empty when cancelled.
    QString ChooseDataFile(const QString& startFolder) override;
    std::optional<float> AskNoiseRatio() override;
    void ShowPage(QWidget* page) override;
    void ReturnToPage(QWidget* page) override;
    // The window's messages between the steps of a run.
    void PumpMessages(bool waitForMore, int wakeMs) override;
    [[nodiscard]] SearchValues SearchChoices() const override;
    void EndForLackOfMemory(const QString& message) override;
    // Ends the program with `status` once the run in progress, if any, has
    // stopped at its next message processing.
    virtual void EndProgram(int status);

    [[nodiscard]] ProblemPage& ProblemPanel() const { return *problemPage_; }
    [[nodiscard]] PopulationsPage& PopulationsPanel() const { return *populationsPage_; }
    [[nodiscard]] ResultsPage& ResultsPanel() const { return *resultsPage_; }
    [[nodiscard]] RunController& Runner() const { return *runController_; }
    // The generator that noise and runs draw from.
    [[nodiscard]] RandomGenerator& Random() { return random_; }

    // The grids; absent until a pattern is picked or a file is loaded.
    [[nodiscard]] const std::optional<DataGrid>& TrainingGrid() const;
    [[nodiscard]] const std::optional<DataGrid>& ValidationGrid() const;
    // Where the next file-open dialog starts.
    [[nodiscard]] const QString& DataFolder() const;
    // The noise ratio shared by both noise commands, clamped after each use.
    [[nodiscard]] float NoiseRatio() const { return noiseRatio_; }
    [[nodiscard]] bool IsRunning() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenu();
    void ConnectMenu();
    void ConnectPages();
    void ConnectShell();
    void FormCreate(const StartOptions& options);
    void CreateSecondaryWindows();

    // Page changes and the hidden panel menu.
    void PageControl1Change(int index);
    void TabSheet1Hide();
    void TabSheet3Hide();
    void ProblemConfiguration1Click();
    void GPParameters1Click();
    void Results1Click();

    // Run control.
    void BitBtn2Click();
    void StartGPrun1Click();
    void BitBtn1Click();
    void PressIfShown(QPushButton* button);

    // Export: the best programs as code or pictures, after a run or while
    // it is paused.
    void Export1Click();
    void UpdateExportItem();
    // Formula files: one opened and shown with its figures, and the
    // "Compress picture..." dialog.
    void OpenFormula1Click();
    void CompressPicture1Click();
    // The Front window and the export of a member chosen there.
    void FrontButtonClick();
    void ExportFrontMember();

    // Chart windows.
    void Chart2DblClick();
    void Chart3DblClick();

    // Start-up, shut-down and the Help menu.
    void ShowSplash(int milliseconds);
    void AboutBoxClosed();
    void Exit1Click();
    void AboutQUBA1Click();
    void QUBAWebSite1Click();
    void KeepDataFolder();

    RandomGenerator random_;
    FunctionTable functionTable_;
    float noiseRatio_ = 0;

    // Menu.
    QAction* loadTrainingItem_ = nullptr;
    QAction* loadValidationItem_ = nullptr;
    QAction* noiseTrainingItem_ = nullptr;
    QAction* noiseValidationItem_ = nullptr;
    QAction* stretchPicturesItem_ = nullptr; // a picture that is not square is stretched
    QAction* uprightPicturesItem_ = nullptr; // grid pictures drawn upright
    QAction* exportItem_ = nullptr;
    QAction* openFormulaItem_ = nullptr;
    QAction* compressPictureItem_ = nullptr;
    QAction* exitItem_ = nullptr;
    QAction* problemPanelItem_ = nullptr;
    QAction* parametersPanelItem_ = nullptr;
    QAction* resultsPanelItem_ = nullptr;
    QAction* startRunItem_ = nullptr;
    QAction* aboutItem_ = nullptr;
    QAction* webSiteItem_ = nullptr;

    QTabWidget* pages_ = nullptr;
    ProblemPage* problemPage_ = nullptr;
    PopulationsPage* populationsPage_ = nullptr;
    ResultsPage* resultsPage_ = nullptr;
    RunController* runController_ = nullptr;
    QTimer pauseWake_; // bounds each wait for messages while a run is paused
    // The Search menu's check items, one per search setting that has one.
    std::vector<QAction*> searchItems_;

    TForm5* fitnessWindow_ = nullptr;
    TForm6* lengthWindow_ = nullptr;
    TForm9* noiseDialog_ = nullptr;
    FrontWindow* frontWindow_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;
    QPointer<CompressDialog> compressDialog_; // while one is open

    QEventLoop* splashWait_ = nullptr; // the splash's wait, while it lasts
    bool folderKept_ = false;          // the folder is written once, when the program ends
    int shownPage_ = 0;
    bool returningToPage_ = false; // a check is putting the user back on a page
};

} // namespace quba
