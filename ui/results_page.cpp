#include "ui/results_page.h"

#include "ui/controls.h"
#include "ui/curve_chart.h"
#include "ui/program_box.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace quba {

namespace {

constexpr int kResultPictureSide = 120;
constexpr QSize kFitnessChartSize(249, 185);
constexpr QSize kLengthChartSize(249, 201);
constexpr QSize kBestTextSize(225, 89);
constexpr std::array<const char*, 4> kStatusLineNames = {"Label31", "Label48", "Label82",
                                                         "Label83"};

QLabel* NewLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

GridPicture* NewPicture(const char* name, QWidget* parent) {
    auto* picture = new GridPicture(kResultPictureSide, parent);
    picture->setObjectName(name);
    return picture;
}

// Curve of population k in a chart: 2k validation (or best), 2k + 1 training
// (or average).
int SolidCurve(int population) {
    return 2 * population;
}
int DottedCurve(int population) {
    return 2 * population + 1;
}

} // namespace

ResultsPage::ResultsPage(QWidget* parent) : QWidget(parent) {
    setObjectName("TabSheet4");
    auto* columns = new QHBoxLayout;
    columns->addWidget(BuildChartColumn());
    columns->addSpacing(12);
    columns->addWidget(BuildPictureColumn());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(columns);
    layout->addStretch();
    layout->addWidget(BuildRunRow());

    connect(fitnessChart_, &CurveChart::doubleClicked, this,
            &ResultsPage::fitnessChartDoubleClicked);
    connect(lengthChart_, &CurveChart::doubleClicked, this, &ResultsPage::lengthChartDoubleClicked);
}

void ResultsPage::SetWindowCharts(CurveChart* fitnessWindowChart, CurveChart* lengthWindowChart) {
    fitnessWindowChart_ = fitnessWindowChart;
    lengthWindowChart_ = lengthWindowChart;
}

void ResultsPage::ShowTrainingData(const DataGrid& grid) {
    trainingDataPicture_->Draw(grid);
}

void ResultsPage::ShowValidationData(const DataGrid& grid) {
    validationDataPicture_->Draw(grid);
}

QWidget* ResultsPage::BuildChartColumn() {
    auto* column = new QWidget(this);
    trainingFitnessBox_ = new QCheckBox("Training fitness", column);
    trainingFitnessBox_->setObjectName("CheckBox6");
    trainingFitnessBox_->setChecked(true);

    fitnessChart_ = new CurveChart("Fitness of best indv.", Qt::AlignTop, column);
    fitnessChart_->setObjectName("Chart2");
    fitnessChart_->setFixedSize(kFitnessChartSize);
    fitnessChart_->AddPopulationCurves("Validation", "Training", PanelColour, false);
    fitnessChart_->AddKeyEntry("Validation", Qt::SolidLine);
    fitnessChart_->AddKeyEntry("Training", Qt::DotLine);

    lengthChart_ = new CurveChart("Length of gene", Qt::AlignTop, column);
    lengthChart_->setObjectName("Chart3");
    lengthChart_->setFixedSize(kLengthChartSize);
    lengthChart_->AddPopulationCurves("Best indv. ", "Average ", PanelColour, false);
    lengthChart_->AddKeyEntry("Best Indv.", Qt::SolidLine);
    lengthChart_->AddKeyEntry("Average", Qt::DotLine);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(trainingFitnessBox_);
    layout->addWidget(fitnessChart_);
    layout->addWidget(lengthChart_);
    return column;
}

QWidget* ResultsPage::BuildPictureColumn() {
    auto* column = new QWidget(this);
    bestText_ = new ProgramBox(column);
    bestText_->setObjectName("Memo1");
    bestText_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bestText_->setFixedSize(kBestTextSize);

    trainingDataPicture_ = NewPicture("Image2", column);
    bestTrainingPicture_ = NewPicture("Image3", column);
    validationDataPicture_ = NewPicture("Image5", column);
    bestValidationPicture_ = NewPicture("Image6", column);

    auto* pictures = new QGridLayout;
    pictures->setHorizontalSpacing(12);
    pictures->addWidget(NewLabel("Label24", "training data", column), 0, 0);
    pictures->addWidget(NewLabel("Label84", "best individual", column), 0, 1);
    pictures->addWidget(trainingDataPicture_, 1, 0);
    pictures->addWidget(bestTrainingPicture_, 1, 1);
    pictures->addWidget(NewLabel("Label26", "validation data", column), 2, 0);
    pictures->addWidget(NewLabel("Label85", "best individual", column), 2, 1);
    pictures->addWidget(validationDataPicture_, 3, 0);
    pictures->addWidget(bestValidationPicture_, 3, 1);
    pictures->setColumnStretch(2, 1);

    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(NewLabel("Label28", "Best Individual", column));
    layout->addWidget(bestText_);
    layout->addSpacing(4);
    layout->addLayout(pictures);
    layout->addStretch();
    return column;
}

QWidget* ResultsPage::BuildRunRow() {
    auto* row = new QWidget(this);
    progress_ = new QProgressBar(row);
    progress_->setObjectName("ProgressBar1");
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    progress_->setFixedWidth(300);

    auto* statusGrid = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        statusLines_[i] = NewLabel(kStatusLineNames[i], "Not running", row);
        statusLines_[i]->setMinimumWidth(140);
        statusLines_[i]->setVisible(i == 0);
        statusGrid->addWidget(statusLines_[i], i / 2, i % 2);
    }
    auto* progressColumn = new QVBoxLayout;
    progressColumn->addWidget(progress_);
    progressColumn->addLayout(statusGrid);

    startButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "Start", row);
    startButton_->setObjectName("BitBtn2");
    stopButton_ = new QPushButton("Stop", row);
    stopButton_->setObjectName("BitBtn1");
    stopButton_->setEnabled(false);
    SetStopButtonRole(false);

    frontButton_ = new QPushButton("Fr&ont...", row);
    frontButton_->setObjectName("FrontButton");
    frontButton_->setToolTip("Every population's best formula at each length");
    // Enter presses the focused button: it must stay with Start and Resume.
    frontButton_->setFocusPolicy(Qt::NoFocus);

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(frontButton_, 0, Qt::AlignBottom);
    layout->addStretch();
    layout->addLayout(progressColumn);
    layout->addStretch();
    layout->addWidget(startButton_, 0, Qt::AlignBottom);
    layout->addWidget(stopButton_, 0, Qt::AlignBottom);
    return row;
}

void ResultsPage::SetRunButtons(bool running) {
    startButton_->setEnabled(!running);
    stopButton_->setEnabled(running);
    SetStopButtonRole(false);
}

void ResultsPage::SetStopButtonRole(bool paused) {
    stopButtonIsDefault_ = paused;
    stopButton_->setText(paused ? "Resume" : "Stop");
    stopButton_->setIcon(
        style()->standardIcon(paused ? QStyle::SP_DialogOkButton : QStyle::SP_DialogNoButton));
    stopButton_->setDefault(paused);
    startButton_->setDefault(!paused);
}

void ResultsPage::Grow(QSize extra) {
    const int wider = std::max(extra.width(), 0);
    const int taller = std::max(extra.height(), 0);
    // The chart column takes half of the width, the picture column the rest.
    const int chartsWider = wider / 2;
    const int picturesWider = wider - chartsWider;
    fitnessChart_->setFixedSize(kFitnessChartSize + QSize(chartsWider, taller / 2));
    lengthChart_->setFixedSize(kLengthChartSize + QSize(chartsWider, taller - taller / 2));
    // The box takes a quarter of the height; two rows of square pictures share
    // the rest and half of the column's width each.
    bestText_->setFixedSize(kBestTextSize + QSize(picturesWider, taller / 4));
    const int side = kResultPictureSide + std::min(picturesWider / 2, (taller - taller / 4) / 2);
    for (GridPicture* picture : {trainingDataPicture_, bestTrainingPicture_, validationDataPicture_,
                                 bestValidationPicture_})
        picture->SetSide(side);
}

void ResultsPage::ClearCurves(int32_t labelPopulation) {
    for (CurveChart* chart : {fitnessChart_, lengthChart_, fitnessWindowChart_, lengthWindowChart_})
        chart->ClearCurves();
    runLabelPopulation_ = labelPopulation;
    // A new run: the programs of the last one are no longer its best.
    best_ = {};
    fronts_ = {};
    emit frontChanged(-1);
}

void ResultsPage::ShowStatusLines(int32_t populationCount) {
    for (int i = 0; i < 4; ++i)
        statusLines_[i]->setVisible(i == 0 || i < populationCount);
}

void ResultsPage::SetStatusLine(int32_t population, int32_t step, int32_t generations) {
    const QChar ideographicSpace(0x3000);
    statusLines_[population]->setText(QString("No%1:").arg(population + 1) + ideographicSpace +
                                      QString("%1 / %2").arg(step).arg(generations));
}

void ResultsPage::SetProgressMaximum(int32_t maximum) {
    // A range of 0 to 0 would turn the bar into a busy indicator.
    progress_->setRange(0, std::max(maximum, 1));
}

void ResultsPage::SetProgressPosition(int32_t position) {
    progress_->setValue(position);
}

void ResultsPage::PublishCharts(int32_t population, int32_t generation, float validationFitness,
                                float trainingFitness, int32_t averageLength, int32_t bestLength) {
    const bool showTraining = trainingFitnessBox_->isChecked();
    const QString label =
        population == runLabelPopulation_ ? QString::number(generation) : QString();
    const int solid = SolidCurve(population);
    const int dotted = DottedCurve(population);
    for (CurveChart* chart : {fitnessChart_, fitnessWindowChart_}) {
        chart->SetCurveVisible(dotted, showTraining);
        chart->AppendPoint(solid, generation, validationFitness, label);
        chart->AppendPoint(dotted, generation, trainingFitness, label);
    }
    for (CurveChart* chart : {lengthChart_, lengthWindowChart_}) {
        chart->AppendPoint(solid, generation, bestLength, label);
        chart->AppendPoint(dotted, generation, averageLength, label);
    }
}

void ResultsPage::SetFront(int32_t population, const std::vector<BestProgram>& members) {
    fronts_[population] = members;
    emit frontChanged(population);
}

void ResultsPage::SetBestProgram(const BestProgram& best) {
    best_[best.population] = best;
}

void ResultsPage::SetBestText(const std::string& text) {
    bestText_->ShowText(QString::fromStdString(text));
}

void ResultsPage::SetBestPictures(const DataGrid& training, const DataGrid& validation) {
    bestTrainingPicture_->Draw(training);
    bestValidationPicture_->Draw(validation);
}

} // namespace quba
