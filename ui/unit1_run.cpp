// Run control: the checks made before a run, building and running it from
// the window, pausing and resuming, and the window's side of the run loop.
#include "ui/unit1.h"

#include "engine/gp.h"
#include "engine/gp_pop.h"
#include "engine/problem.h"
#include "ui/unit1_sheet.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>

#include <algorithm>

namespace {

// While paused the window sleeps until an event arrives, and at most this long.
constexpr int kPauseWakeMs = 100;

} // namespace

void TForm1::StartGPrun1Click() {
    // The shortcut stays live during a run; a second run must not start.
    if (!running_)
        BitBtn2Click();
}

void TForm1::BitBtn2Click() {
    if (running_)
        return;
    if (!trainingGrid_) {
        ShowMessage(kNoTrainingDataMessage);
        pages_->setCurrentWidget(problemPage_);
        return;
    }
    if (!validationGrid_) {
        ShowMessage(kNoValidationDataMessage);
        pages_->setCurrentWidget(problemPage_);
        return;
    }
    const int32_t count = std::clamp(runCounters.populationCount, 1, 4);
    if (!CheckRatesAndRatios(count))
        return;

    ProblemSettings problem = ProblemPanelSettings();
    std::array<PopulationSettings, 4> sheets;
    for (int32_t i = 0; i < count; ++i)
        sheets[i] = sheets_[i]->Settings();
    if (RefuseUnusableSettings(problem, sheets, count))
        return;

    if (EnsureOneFunction(problem.functionChecked)) {
        functionList_->item(0)->setCheckState(Qt::Checked);
        ShowMessage(kNoFunctionMessage);
    }
    runCounters.populationCount = count;
    closeRequested_ = false;
    BuildRun(problem, sheets.data(), count, functionTable_, *this);
    pages_->setCurrentWidget(resultsPage_);
    RunEvolution(*this);
}

bool TForm1::CheckRatesAndRatios(int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (LabelIsNegative(sheets_[i]->reproduction->text().toStdString())) {
            sheets_[i]->ResetRates();
            ShowMessage(kRateSumMessage);
            ShowSheet(i);
            return false;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        if (LabelIsNegative(sheets_[i]->constant->text().toStdString())) {
            sheets_[i]->ResetRatios();
            ShowMessage(kNodeRatioMessage);
            ShowSheet(i);
            return false;
        }
    }
    return true;
}

bool TForm1::RefuseUnusableSettings(const ProblemSettings& problem,
                                    const std::array<PopulationSettings, 4>& sheets,
                                    int32_t count) {
    std::optional<Refusal> refusal = CheckProblemTexts(problem);
    // Ctrl+S reaches here from the problem page without leaving it, so the
    // range is checked here too; a run must not be built from an empty range.
    if (!refusal && !CheckConstantsRange(false))
        return true;
    for (int32_t i = 0; i < count && !refusal; ++i)
        refusal = CheckPopulationTexts(sheets[i], i);
    if (!refusal)
        refusal = CheckRunLimits(problem, sheets.data(), count, PhysicalMemoryBytes());
    if (!refusal)
        return false;
    ShowMessage(QString::fromStdString(refusal->message));
    PointAt(*refusal);
    return true;
}

void TForm1::PointAt(const Refusal& refusal) {
    QLineEdit* field = nullptr;
    if (refusal.population < 0) {
        pages_->setCurrentWidget(problemPage_);
        if (refusal.field == SettingField::ConstantCount)
            field = constantCount_;
        else if (refusal.field == SettingField::RangeLower)
            field = rangeLower_;
        else if (refusal.field == SettingField::RangeUpper)
            field = rangeUpper_;
    } else {
        ShowSheet(refusal.population);
        field = sheets_[refusal.population]->FieldEdit(refusal.field);
    }
    if (field != nullptr && field->isEnabled()) {
        field->setFocus();
        field->selectAll();
    }
}

bool TForm1::CheckConstantsRange(bool leavingPage) {
    long double lower = 0;
    long double upper = 0;
    try {
        lower = TextToExtended(rangeLower_->text().toStdString());
        upper = TextToExtended(rangeUpper_->text().toStdString());
    } catch (const ConversionError& error) {
        ShowMessage(error.what());
        return false;
    }
    if (lower < upper)
        return true;
    ShowMessage(kRangeMessage);
    rangeLower_->setText("-10");
    rangeUpper_->setText("10");
    if (leavingPage)
        ReturnToPage(problemPage_);
    else
        pages_->setCurrentWidget(problemPage_);
    return false;
}

void TForm1::BitBtn1Click() {
    if (!runTable.problem)
        return;
    Problem& problem = *runTable.problem;
    const bool wasPaused = problem.paused;
    problem.paused = !wasPaused;
    SetStopButtonRole(!wasPaused);
}

void TForm1::SetStopButtonRole(bool paused) {
    // Running: "Stop" is the cancel button (Esc). Paused: "Resume" is the
    // default button (Enter).
    stopButtonIsDefault_ = paused;
    stopButton_->setText(paused ? "Resume" : "Stop");
    stopButton_->setIcon(
        style()->standardIcon(paused ? QStyle::SP_DialogOkButton : QStyle::SP_DialogNoButton));
    stopButton_->setDefault(paused);
    startButton_->setDefault(!paused);
}

void TForm1::SetRunning(bool running) {
    running_ = running;
    startButton_->setEnabled(!running);
    stopButton_->setEnabled(running);
    SetStopButtonRole(false);
}

bool TForm1::ProcessPendingMessages() {
    const bool paused = runTable.problem && runTable.problem->paused;
    if (paused && !closeRequested_) {
        pauseWake_.start(kPauseWakeMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } else {
        QCoreApplication::processEvents();
    }
    return !closeRequested_;
}

void TForm1::Beep() {
    QApplication::beep();
}

std::string TForm1::OutputName() const {
    return outputName_->text().toStdString();
}

void TForm1::ShowFatalMessage(const std::string& message) {
    ShowMessage(QString::fromStdString(message));
}
