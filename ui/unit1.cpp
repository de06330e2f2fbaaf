#include "ui/unit1.h"

#include "data/noise.h"
#include "engine/functions.h"
#include "picture/picture_grid.h"
#include "ui/about.h"
#include "ui/controls.h"
#include "ui/curve_chart.h"
#include "ui/export_dialog.h"
#include "ui/front_window.h"
#include "ui/populations_page.h"
#include "ui/problem_page.h"
#include "ui/results_page.h"
#include "ui/run_controller.h"
#include "ui/unit5.h"
#include "ui/unit6.h"
#include "ui/unit9.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

namespace quba {

namespace {

QAction* AddItem(QMenu* menu, const char* name, const char* caption,
                 const QKeySequence& shortcut = {}) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setShortcut(shortcut);
    return item;
}

} // namespace

TForm1::TForm1(const StartOptions& options, QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(kWindowCaption);
    UseInterfaceFont(this);
    BuildMenu();

    pages_ = new PageControl(this);
    pages_->setObjectName("PageControl1");
    problemPage_ = new ProblemPage(*this, random_, pages_);
    populationsPage_ = new PopulationsPage(*this, pages_);
    resultsPage_ = new ResultsPage(pages_);
    pages_->addTab(problemPage_, "Problem Configration");
    pages_->addTab(populationsPage_, "Populations");
    pages_->addTab(resultsPage_, "Results");
    runController_ = new RunController(*this, *problemPage_, *populationsPage_, *resultsPage_,
                                       functionTable_, random_, *this, this);
    pauseWake_.setSingleShot(true);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(10, 4, 10, 10);
    layout->addWidget(pages_);
    setCentralWidget(central);

    FormCreate(options);
    CreateSecondaryWindows();
    ConnectMenu();
    ConnectPages();
    ConnectShell();

    setMinimumSize(kWindowWidth, kWindowHeight);
    resize(kWindowWidth, kWindowHeight);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

TForm1::~TForm1() = default;

void TForm1::FormCreate(const StartOptions& options) {
    aboutBox_ = new TAboutBox(this);
    connect(aboutBox_, &QDialog::finished, this, &TForm1::AboutBoxClosed);
    ShowSplash(options.splashMs);
    functionTable_ = BuildFunctionTable();
}

void TForm1::CreateSecondaryWindows() {
    fitnessWindow_ = new TForm5(this);
    lengthWindow_ = new TForm6(this);
    resultsPage_->SetWindowCharts(fitnessWindow_->Chart(), lengthWindow_->Chart());
    noiseDialog_ = new TForm9([this](const QString& text) { ShowMessage(text); }, this);
    noiseRatio_ = noiseDialog_->Ratio();
    frontWindow_ = new FrontWindow([this] { return runController_->OutputName(); }, this);
}

void TForm1::BuildMenu() {
    QMenu* file = menuBar()->addMenu("File (&F)");
    file->setObjectName("File1");
    loadTrainingItem_ = AddItem(file, "Loadtrainingdata1", "Load training data (&T)",
                                QKeySequence(Qt::CTRL | Qt::Key_T));
    loadValidationItem_ = AddItem(file, "Loadvalidationdata1", "Load validation data (&V)",
                                  QKeySequence(Qt::CTRL | Qt::Key_V));
    noiseTrainingItem_ =
        AddItem(file, "Addnoisefortrainingdata1", "Add noise (for training data)(&A)",
                QKeySequence(Qt::CTRL | Qt::Key_A));
    noiseValidationItem_ =
        AddItem(file, "Addnoiseforvalidationdata1", "Add noise (for validation data)(&B)",
                QKeySequence(Qt::CTRL | Qt::Key_B));
    loadValidationItem_->setEnabled(false);
    noiseValidationItem_->setEnabled(false);
    file->addSeparator();
    stretchPicturesItem_ = AddItem(file, "StretchPictures1", "Stretch pictures to a square (&P)");
    stretchPicturesItem_->setCheckable(true);
    exportItem_ = AddItem(file, "Export1", "Export... (&E)", QKeySequence(Qt::CTRL | Qt::Key_E));
    exportItem_->setEnabled(false);
    // Additions: formula files.
    openFormulaItem_ = AddItem(file, "OpenFormula1", "Open compressed formula... (&O)",
                               QKeySequence(Qt::CTRL | Qt::Key_O));
    compressPictureItem_ = AddItem(file, "CompressPicture1", "Compress picture... (&M)",
                                   QKeySequence(Qt::CTRL | Qt::Key_M));
    file->addSeparator();
    exitItem_ = AddItem(file, "Exit1", "Exit (&X)");

    // The "GP Run" menu is never shown. Its Start item stays visible inside
    // the hidden menu and is added to the window too, so that Ctrl+S works.
    QMenu* run = menuBar()->addMenu("GP Run (&R)");
    run->setObjectName("GPRun1");
    run->menuAction()->setVisible(false);
    QMenu* panels = run->addMenu("Panels");
    panels->setObjectName("Panels1");
    panels->menuAction()->setVisible(false);
    problemPanelItem_ = AddItem(panels, "ProblemConfiguration1", "Problem Configuration");
    parametersPanelItem_ = AddItem(panels, "GPParameters1", "GP Parameters");
    resultsPanelItem_ = AddItem(panels, "Results1", "Results");
    startRunItem_ = AddItem(run, "StartGPrun1", "Start GP run", QKeySequence(Qt::CTRL | Qt::Key_S));
    addAction(startRunItem_);

    // An addition: the search beyond the plain one, for the next Start.
    QMenu* search = menuBar()->addMenu("Search (&S)");
    search->setObjectName("Search1");
    for (const SettingRow& setting : SettingSchema()) {
        if (setting.scope != SettingScope::Search || setting.caption == nullptr)
            continue;
        QString caption = setting.caption;
        if (setting.kind != SettingKind::Switch)
            caption += QStringLiteral(" (%1)").arg(setting.tickedText);
        QAction* item = AddItem(search, setting.controls[0], caption.toUtf8().constData());
        item->setCheckable(true);
        searchItems_.push_back(item);
    }

    // An addition: grid pictures upright instead of rows drawn as columns.
    QMenu* view = menuBar()->addMenu("View (&V)");
    view->setObjectName("View1");
    uprightPicturesItem_ = AddItem(view, "UprightPictures1", "Draw grid pictures upright (&U)");
    uprightPicturesItem_->setCheckable(true);

    QMenu* help = menuBar()->addMenu("Help (&H)");
    help->setObjectName("Help1");
    aboutItem_ = AddItem(help, "AboutQUBA1", "About QUBA (&A)");
    webSiteItem_ = AddItem(help, "QUBAWebSite1", "QUBA Web Site");
    AddItem(help, "Help2", "Help (&H)")->setVisible(false);
}

void TForm1::ConnectMenu() {
    connect(problemPanelItem_, &QAction::triggered, this, &TForm1::ProblemConfiguration1Click);
    connect(parametersPanelItem_, &QAction::triggered, this, &TForm1::GPParameters1Click);
    connect(resultsPanelItem_, &QAction::triggered, this, &TForm1::Results1Click);
    connect(startRunItem_, &QAction::triggered, this, &TForm1::StartGPrun1Click);
    connect(pages_, &QTabWidget::currentChanged, this, &TForm1::PageControl1Change);
    connect(loadTrainingItem_, &QAction::triggered, problemPage_, &ProblemPage::BitBtn3Click);
    connect(loadValidationItem_, &QAction::triggered, problemPage_, &ProblemPage::BitBtn4Click);
    connect(noiseTrainingItem_, &QAction::triggered, problemPage_, &ProblemPage::Button1Click);
    connect(noiseValidationItem_, &QAction::triggered, problemPage_, &ProblemPage::Button2Click);
    connect(stretchPicturesItem_, &QAction::toggled, this, [this](bool stretch) {
        problemPage_->SetPictureFit(stretch ? PictureFit::Stretch : PictureFit::Crop);
    });
    connect(uprightPicturesItem_, &QAction::toggled, this, [this](bool upright) {
        for (GridPicture* picture : findChildren<GridPicture*>())
            picture->SetUpright(upright);
    });
    connect(exportItem_, &QAction::triggered, this, &TForm1::Export1Click);
    connect(openFormulaItem_, &QAction::triggered, this, &TForm1::OpenFormula1Click);
    connect(compressPictureItem_, &QAction::triggered, this, &TForm1::CompressPicture1Click);
    connect(runController_, &RunController::runStateChanged, this, &TForm1::UpdateExportItem);
}

void TForm1::UpdateExportItem() {
    const auto& best = resultsPage_->BestPrograms();
    const bool any =
        std::any_of(best.begin(), best.end(), [](const auto& b) { return b.has_value(); });
    const bool allowed = !runController_->IsRunning() || runController_->Paused();
    exportItem_->setEnabled(any && allowed);
    frontWindow_->SetExportAllowed(allowed);
}

void TForm1::FrontButtonClick() {
    frontWindow_->ShowInFront();
}

void TForm1::ExportFrontMember() {
    const BestProgram* selected = frontWindow_->Selected();
    if (selected == nullptr)
        return;
    const BestProgram chosen = *selected;
    std::array<std::vector<BestProgram>, 4> fronts;
    for (int i = 0; i < 4; ++i)
        fronts[i] = frontWindow_->CompletedFront(i);
    const std::vector<ExportItem> items = FrontItems(runController_->OutputName(), fronts);
    ExportDialog dialog(
        items, DataFolder(), [this](const QString& text) { ShowMessage(text); }, frontWindow_);
    for (size_t row = 0; row < items.size(); ++row)
        if (items[row].program.population == chosen.population &&
            items[row].program.nodes == chosen.nodes)
            dialog.SelectRows({static_cast<int>(row)});
    dialog.exec();
}

void TForm1::Export1Click() {
    UpdateExportItem();
    if (!exportItem_->isEnabled())
        return;
    ExportDialog dialog(
        BestProgramItems(runController_->OutputName(), resultsPage_->BestPrograms()), DataFolder(),
        [this](const QString& text) { ShowMessage(text); }, this);
    dialog.exec();
}

void TForm1::ConnectPages() {
    // The results page shows the grids beside the pictures of the best programs.
    connect(problemPage_, &ProblemPage::trainingGridChanged, resultsPage_,
            &ResultsPage::ShowTrainingData);
    connect(problemPage_, &ProblemPage::validationGridChanged, resultsPage_,
            &ResultsPage::ShowValidationData);
    // The two validation items follow the validation group.
    connect(problemPage_, &ProblemPage::validationFollowsTraining, this, [this](bool follows) {
        loadValidationItem_->setEnabled(!follows);
        noiseValidationItem_->setEnabled(!follows);
    });
    connect(resultsPage_->StartButton(), &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(resultsPage_->StopButton(), &QPushButton::clicked, this, &TForm1::BitBtn1Click);
    connect(resultsPage_, &ResultsPage::fitnessChartDoubleClicked, this, &TForm1::Chart2DblClick);
    connect(resultsPage_, &ResultsPage::lengthChartDoubleClicked, this, &TForm1::Chart3DblClick);
    connect(resultsPage_->FrontButton(), &QPushButton::clicked, this, &TForm1::FrontButtonClick);
    connect(resultsPage_, &ResultsPage::frontChanged, this, [this](int population) {
        frontWindow_->SetFront(population, population < 0 ? std::vector<BestProgram>()
                                                          : resultsPage_->Front(population));
    });
    connect(frontWindow_, &FrontWindow::exportRequested, this, &TForm1::ExportFrontMember);
}

void TForm1::ShowMessage(const QString& text) {
    ShowMessageBox(this, QMessageBox::Warning, kApplicationTitle, text);
}

QString TForm1::ChooseDataFile(const QString& startFolder) {
    // Every file, as at first; the pictures' names are a filter to choose.
    QStringList patterns;
    for (const QString& format : PictureFormats())
        patterns << "*." + format;
    const QString filters = "All files (*);;Pictures (" + patterns.join(' ') + ")";
    return QFileDialog::getOpenFileName(this, "Open", startFolder, filters);
}

std::optional<float> TForm1::AskNoiseRatio() {
    if (noiseDialog_->exec() != QDialog::Accepted)
        return std::nullopt;
    noiseRatio_ = ClampNoiseRatio(noiseDialog_->Ratio());
    return noiseRatio_;
}

void TForm1::PumpMessages(bool waitForMore, int wakeMs) {
    if (waitForMore) {
        pauseWake_.start(wakeMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } else {
        QCoreApplication::processEvents();
    }
}

SearchValues TForm1::SearchChoices() const {
    SearchValues values;
    for (const SettingRow& setting : SettingSchema()) {
        if (setting.scope != SettingScope::Search)
            continue;
        const auto item = std::find_if(searchItems_.begin(), searchItems_.end(), [&](QAction* a) {
            return setting.controls[0] != nullptr && a->objectName() == setting.controls[0];
        });
        const bool ticked = item != searchItems_.end() && (*item)->isChecked();
        Store(setting, {.search = &values},
              ParseSettingText(setting, ticked ? setting.tickedText : setting.defaultText));
    }
    return values;
}

void TForm1::EndForLackOfMemory(const QString& message) {
    ShowMessage(message);
    std::exit(1);
}

const std::optional<DataGrid>& TForm1::TrainingGrid() const {
    return problemPage_->TrainingGrid();
}

const std::optional<DataGrid>& TForm1::ValidationGrid() const {
    return problemPage_->ValidationGrid();
}

const QString& TForm1::DataFolder() const {
    return problemPage_->DataFolder();
}

bool TForm1::IsRunning() const {
    return runController_->IsRunning();
}

void TForm1::ShowPage(QWidget* page) {
    pages_->setCurrentWidget(page);
}

void TForm1::ReturnToPage(QWidget* page) {
    // The user never reached the page being left, so its own check stays quiet.
    const QScopedValueRollback<bool> returning(returningToPage_, true);
    pages_->setCurrentWidget(page);
}

void TForm1::PageControl1Change(int index) {
    QWidget* left = pages_->widget(shownPage_);
    shownPage_ = index;
    if (returningToPage_)
        return;
    if (left == populationsPage_)
        TabSheet3Hide();
    else if (left == problemPage_)
        TabSheet1Hide();
}

void TForm1::TabSheet1Hide() {
    if (problemPage_->CheckConstantsRange() == ProblemPage::RangeCheck::Reset)
        ReturnToPage(problemPage_);
}

void TForm1::TabSheet3Hide() {
    populationsPage_->TabSheet3Hide();
}

void TForm1::ProblemConfiguration1Click() {
    pages_->setCurrentWidget(problemPage_);
}

void TForm1::GPParameters1Click() {
    pages_->setCurrentWidget(populationsPage_);
}

void TForm1::Results1Click() {
    pages_->setCurrentWidget(resultsPage_);
}

void TForm1::BitBtn2Click() {
    runController_->Start();
}

void TForm1::StartGPrun1Click() {
    // The shortcut stays live during a run; a second run must not start.
    if (!runController_->IsRunning())
        BitBtn2Click();
}

void TForm1::BitBtn1Click() {
    runController_->StopOrResume();
}

void TForm1::Chart2DblClick() {
    fitnessWindow_->ShowInFront();
}

void TForm1::Chart3DblClick() {
    lengthWindow_->ShowInFront();
}

void TForm1::keyPressEvent(QKeyEvent* event) {
    const bool plainKey =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    const bool stopIsDefault = resultsPage_->StopButtonIsDefault();
    if (plainKey && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (auto* focused = qobject_cast<QPushButton*>(focusWidget());
            focused && focused->isEnabled())
            focused->click();
        else
            PressIfShown(stopIsDefault ? resultsPage_->StopButton() : resultsPage_->StartButton());
        return;
    }
    // Esc stops a run from whatever page is in front.
    if (plainKey && event->key() == Qt::Key_Escape && !stopIsDefault &&
        resultsPage_->StopButton()->isEnabled()) {
        resultsPage_->StopButton()->click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    resultsPage_->Grow(size() - QSize(kWindowWidth, kWindowHeight));
}

void TForm1::PressIfShown(QPushButton* button) {
    if (button->isVisible() && button->isEnabled())
        button->click();
}

} // namespace quba
