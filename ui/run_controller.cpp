#include "ui/run_controller.h"

#include "setup/messages.h"
#include "ui/form_host.h"
#include "ui/population_sheet.h"
#include "ui/populations_page.h"
#include "ui/problem_page.h"
#include "ui/results_page.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>

#include <algorithm>

namespace quba {

namespace {

// While paused the window sleeps until an event arrives, and at most this long.
constexpr int kPauseWakeMs = 100;

} // namespace

RunController::RunController(FormHost& host, ProblemPage& problem, PopulationsPage& populations,
                             ResultsPage& results, const FunctionTable& functions,
                             RandomGenerator& random, std::function<bool()> pumpMessages,
                             QObject* parent)
    : QObject(parent), host_(host), problem_(problem), populations_(populations), results_(results),
      functions_(functions), random_(random), pumpMessages_(std::move(pumpMessages)) {
    pauseWake_.setSingleShot(true);
}

void RunController::Start() {
    if (running_)
        return;
    const int32_t count = std::clamp(populations_.PopulationCount(), 1, 4);
    StartOutcome outcome =
        CheckStart(problem_.Settings(), populations_.Settings(count), PhysicalMemoryBytes());
    if (const auto* refusal = std::get_if<Refusal>(&outcome)) {
        ShowRefusal(*refusal);
        return;
    }
    const CheckedStart& start = std::get<CheckedStart>(outcome);
    if (start.plusChecked) {
        problem_.CheckPlus();
        host_.ShowMessage(kNoFunctionMessage);
    }
    endRequested_ = false;
    const std::unique_ptr<Run> run = BuildRun(start.settings, functions_, random_, *this);
    host_.ShowPage(&results_);
    run_ = run.get();
    RunEvolution(*run, *this);
    run_ = nullptr;
}

void RunController::ShowRefusal(const Refusal& refusal) {
    const QString message = QString::fromStdString(refusal.message);
    switch (refusal.field) {
    case SettingField::TrainingData:
    case SettingField::ValidationData:
        host_.ShowMessage(message);
        host_.ShowPage(&problem_);
        return;
    case SettingField::RateSum:
        populations_.Sheet(refusal.population).ResetRates();
        host_.ShowMessage(message);
        populations_.ShowSheet(refusal.population);
        return;
    case SettingField::NodeRatioSum:
        populations_.Sheet(refusal.population).ResetRatios();
        host_.ShowMessage(message);
        populations_.ShowSheet(refusal.population);
        return;
    case SettingField::Range:
        host_.ShowMessage(message);
        problem_.ResetRange();
        host_.ShowPage(&problem_);
        return;
    default:
        host_.ShowMessage(message);
        PointAt(refusal);
        return;
    }
}

void RunController::PointAt(const Refusal& refusal) {
    QLineEdit* field = nullptr;
    if (refusal.population < 0) {
        host_.ShowPage(&problem_);
        field = problem_.FieldEdit(refusal.field);
    } else {
        populations_.ShowSheet(refusal.population);
        field = populations_.Sheet(refusal.population).FieldEdit(refusal.field);
    }
    if (field != nullptr && field->isEnabled()) {
        field->setFocus();
        field->selectAll();
    }
}

bool RunController::Paused() const {
    return run_ != nullptr && run_->runTable.problem && run_->runTable.problem->paused;
}

void RunController::StopOrResume() {
    if (run_ == nullptr || !run_->runTable.problem)
        return;
    Problem& problem = *run_->runTable.problem;
    const bool wasPaused = problem.paused;
    problem.paused = !wasPaused;
    results_.SetStopButtonRole(!wasPaused);
    emit runStateChanged();
}

bool RunController::PumpMessages() {
    if (Paused() && !endRequested_) {
        pauseWake_.start(kPauseWakeMs);
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    } else {
        QCoreApplication::processEvents();
    }
    return !endRequested_;
}

void RunController::SetRunning(bool running) {
    running_ = running;
    results_.SetRunButtons(running);
    emit runStateChanged();
}

void RunController::ClearCurves(int32_t labelPopulation) {
    results_.ClearCurves(labelPopulation);
}

void RunController::ShowStatusLines(int32_t populationCount) {
    results_.ShowStatusLines(populationCount);
}

void RunController::SetStatusLine(int32_t population, int32_t step, int32_t generations) {
    results_.SetStatusLine(population, step, generations);
}

void RunController::SetProgressMaximum(int32_t maximum) {
    results_.SetProgressMaximum(maximum);
}

void RunController::SetProgressPosition(int32_t position) {
    results_.SetProgressPosition(position);
}

void RunController::PublishCharts(int32_t population, int32_t generation, float validationFitness,
                                  float trainingFitness, int32_t averageLength,
                                  int32_t bestLength) {
    results_.PublishCharts(population, generation, validationFitness, trainingFitness,
                           averageLength, bestLength);
}

void RunController::SetBestProgram(const BestProgram& best) {
    results_.SetBestProgram(best);
}

void RunController::SetBestText(const std::string& text) {
    results_.SetBestText(text);
}

void RunController::SetFront(int32_t population, const std::vector<BestProgram>& members) {
    results_.SetFront(population, members);
}

void RunController::SetBestPictures(const DataGrid& training, const DataGrid& validation) {
    results_.SetBestPictures(training, validation);
}

void RunController::Refresh() {
    results_.window()->update();
}

bool RunController::ProcessPendingMessages() {
    return pumpMessages_();
}

void RunController::Beep() {
    QApplication::beep();
}

std::string RunController::OutputName() const {
    return problem_.OutputName();
}

void RunController::ShowFatalMessage(const std::string& message) {
    host_.ShowMessage(QString::fromStdString(message));
}

} // namespace quba
