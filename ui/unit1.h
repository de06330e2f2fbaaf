// The main window: the problem and population pages, the results page and
// the run control. It owns the grids, the master function table and the chart
// windows, and it is the display of every run started from it.
#pragma once

#include "data/grid.h"
#include "engine/display.h"
#include "engine/functions.h"
#include "engine/settings.h"

#include <QMainWindow>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

class CurveChart;
class GridPicture;
class PatternList;
class PopulationSheet;
class ProgramBox;
class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QEventLoop;
class TAboutBox;
class TForm5;
class TForm6;
class TForm9;
struct ProblemSettings;

// Caption of every message box; the window's own caption has "ver.1.0".
inline constexpr const char* kApplicationTitle = "QUBA for Image Compression ver1.0";
inline constexpr const char* kWindowCaption = "QUBA for Image Compression ver.1.0";
inline constexpr const char* kNoTrainingDataMessage =
    "You must load data set for training before GP run.";
inline constexpr const char* kNoValidationDataMessage =
    "You must load data set for validation before GP run.";
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

class TForm1 : public QMainWindow, public RunDisplay {
    Q_OBJECT
public:
    // Reads the kept data folder, shows the splash, then creates the chart
    // windows and the noise dialog.
    explicit TForm1(const StartOptions& options = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // Every message of the window goes through here: a modal box with an OK
    // button, captioned with the application title.
    virtual void ShowMessage(const QString& text);
    // The file-open dialog for data files, starting in `startFolder`, with no
    // filter; empty when cancelled.
    virtual QString ChooseDataFile(const QString& startFolder);
    // Ends the program with `status` once the run in progress, if any, has
    // stopped at its next message processing.
    virtual void EndProgram(int status);

    // Where the next file-open dialog starts: the kept folder at first, then
    // the folder of the last file chosen.
    [[nodiscard]] const QString& DataFolder() const { return dataFolder_; }
    // The noise ratio shared by both noise commands, clamped after each use.
    [[nodiscard]] float NoiseRatio() const { return noiseRatio_; }

    // The grids; absent until a pattern is picked or a file is loaded.
    [[nodiscard]] const std::optional<DataGrid>& TrainingGrid() const { return trainingGrid_; }
    [[nodiscard]] const std::optional<DataGrid>& ValidationGrid() const { return validationGrid_; }
    // Replaces the training grid and draws it; while "use training data " is
    // ticked the validation grid becomes a copy of it.
    void SetTrainingGrid(DataGrid grid);
    // Replaces the validation grid and draws it.
    void SetValidationGrid(DataGrid grid);
    // Makes the validation grid a copy of the training grid, if there is one.
    void CopyTrainingToValidation();
    [[nodiscard]] bool IsRunning() const { return running_; }

    // The display of a run.
    void SetRunning(bool running) override;
    void ClearCurves() override;
    void ShowStatusLines(int32_t populationCount) override;
    void SetStatusLine(int32_t population, int32_t step, int32_t generations) override;
    void SetProgressMaximum(int32_t maximum) override;
    void SetProgressPosition(int32_t position) override;
    void PublishCharts(int32_t population, int32_t generation, float validationFitness,
                       float trainingFitness, int32_t averageLength, int32_t bestLength) override;
    void SetBestText(const std::string& text) override;
    void SetBestPictures(const OutputGrid& training, const OutputGrid& validation) override;
    void Refresh() override;
    bool ProcessPendingMessages() override;
    void Beep() override;
    [[nodiscard]] std::string OutputName() const override;
    void ShowFatalMessage(const std::string& message) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Building the window.
    void BuildMenu();
    QWidget* BuildTabSheet1();
    QGroupBox* BuildDataGroup(bool validation);
    QGroupBox* BuildFunctionsGroup();
    QGroupBox* BuildConstantsGroup();
    QGroupBox* BuildVariableGroup();
    QWidget* BuildTabSheet3();
    QWidget* BuildTabSheet4();
    QWidget* BuildChartColumn();
    QWidget* BuildPictureColumn();
    QWidget* BuildRunRow();
    void ConnectMenu();
    void ConnectProblemPage();
    void ConnectPopulationsPage();
    void ConnectResultsPage();
    void ConnectShell();
    void FormCreate(const StartOptions& options);
    void CreateSecondaryWindows();

    // Problem page.
    void ListBox1Click();
    void ListBox2Click();
    void TabSheet1Hide();
    void DrawTrainingGrid();
    void DrawValidationGrid();
    [[nodiscard]] ProblemSettings ProblemPanelSettings() const;

    // Data files and noise.
    void BitBtn3Click();
    void BitBtn4Click();
    void CheckBox3Click();
    void Button1Click();
    void Button2Click();
    [[nodiscard]] QString AskDataFile();
    [[nodiscard]] std::optional<DataGrid> ReadGridFile(const QString& path, int32_t size);
    [[nodiscard]] bool AskNoiseRatio();

    // Start-up, shut-down and the Help menu.
    void ShowSplash(int milliseconds);
    void AboutBoxClosed();
    void Exit1Click();
    void AboutQUBA1Click();
    void QUBAWebSite1Click();
    void KeepDataFolder();

    // Populations page.
    [[nodiscard]] PopulationSheet* FrontSheet() const;
    void Edit4Change();
    void Edit13Change();
    void RadioGroup1Click();
    void CheckBox1Click();
    void ComboBox1Change();
    void Edit2Change();
    void Edit19Change();
    void Edit31Change();
    void Edit43Change();
    void GenerationChange(int population);
    void TabSheet3Hide();
    void ShowSheet(int population);

    // Page changes and the hidden panel menu.
    void PageControl1Change(int index);
    void ReturnToPage(QWidget* page);
    void ProblemConfiguration1Click();
    void GPParameters1Click();
    void Results1Click();

    // Run control.
    void BitBtn2Click();
    void StartGPrun1Click();
    void BitBtn1Click();
    [[nodiscard]] bool CheckRatesAndRatios(int32_t count);
    [[nodiscard]] bool RefuseUnusableSettings(const ProblemSettings& problem,
                                              const std::array<PopulationSettings, 4>& sheets,
                                              int32_t count);
    [[nodiscard]] bool CheckConstantsRange(bool leavingPage);
    void PointAt(const Refusal& refusal);
    void SetStopButtonRole(bool paused);
    void PressIfShown(QPushButton* button);

    // Results page.
    // What the window has grown beyond its default size goes to the charts,
    // the best-program box and the pictures.
    void GrowResultsPage(QSize extra);
    void Chart2DblClick();
    void Chart3DblClick();

    FunctionTable functionTable_;
    std::optional<DataGrid> trainingGrid_;
    std::optional<DataGrid> validationGrid_;

    // Menu.
    QAction* loadTrainingItem_ = nullptr;
    QAction* loadValidationItem_ = nullptr;
    QAction* noiseTrainingItem_ = nullptr;
    QAction* noiseValidationItem_ = nullptr;
    QAction* exitItem_ = nullptr;
    QAction* problemPanelItem_ = nullptr;
    QAction* parametersPanelItem_ = nullptr;
    QAction* resultsPanelItem_ = nullptr;
    QAction* startRunItem_ = nullptr;
    QAction* aboutItem_ = nullptr;
    QAction* webSiteItem_ = nullptr;

    QTabWidget* pages_ = nullptr;
    QWidget* problemPage_ = nullptr;
    QWidget* populationsPage_ = nullptr;
    QWidget* resultsPage_ = nullptr;

    // Problem page.
    GridPicture* trainingPicture_ = nullptr;
    QSpinBox* trainingSize_ = nullptr;
    PatternList* trainingPatterns_ = nullptr;
    QPushButton* trainingLoad_ = nullptr;
    QPushButton* trainingNoise_ = nullptr;
    QCheckBox* useTrainingData_ = nullptr;
    GridPicture* validationPicture_ = nullptr;
    QSpinBox* validationSize_ = nullptr;
    PatternList* validationPatterns_ = nullptr;
    QPushButton* validationLoad_ = nullptr;
    QPushButton* validationNoise_ = nullptr;
    QLabel* validationSizeLabel_ = nullptr;
    QLabel* validationPatternLabel_ = nullptr;
    QListWidget* functionList_ = nullptr;
    QLineEdit* rangeLower_ = nullptr;
    QLineEdit* rangeUpper_ = nullptr;
    QLineEdit* constantCount_ = nullptr;
    QLineEdit* horizontalName_ = nullptr;
    QLineEdit* verticalName_ = nullptr;
    QLineEdit* outputName_ = nullptr;

    // Populations page.
    QComboBox* populationNumber_ = nullptr;
    QTabWidget* sheetTabs_ = nullptr;
    std::array<PopulationSheet*, 4> sheets_{};

    // Results page.
    QCheckBox* trainingFitnessBox_ = nullptr;
    CurveChart* fitnessChart_ = nullptr;
    CurveChart* lengthChart_ = nullptr;
    ProgramBox* bestText_ = nullptr;
    GridPicture* trainingDataPicture_ = nullptr;
    GridPicture* bestTrainingPicture_ = nullptr;
    GridPicture* validationDataPicture_ = nullptr;
    GridPicture* bestValidationPicture_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::array<QLabel*, 4> statusLines_{};
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;

    TForm5* fitnessWindow_ = nullptr;
    TForm6* lengthWindow_ = nullptr;
    TForm9* noiseDialog_ = nullptr;
    TAboutBox* aboutBox_ = nullptr;

    QString dataFolder_;
    float noiseRatio_ = 0;
    QEventLoop* splashWait_ = nullptr; // the splash's wait, while it lasts
    bool folderKept_ = false;          // the folder is written once, when the program ends

    bool running_ = false;
    bool closeRequested_ = false; // the window was closed while a run was going on
    bool stopButtonIsDefault_ = false;
    int32_t runLabelPopulation_ = 0; // label population fixed when the run cleared the curves
    int shownPage_ = 0;
    bool returningToPage_ = false; // a check is putting the user back on a page
    QTimer pauseWake_;             // bounds each wait for events while paused
};
