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
                             RandomGenerator& random, MessagePump& pump, QObject* parent)
    : QObject(parent), host_(host), problem_(problem), populations_(populations), results_(results),
      functions_(functions), random_(random), pump_(pump) {}

void RunController::Start() {
    if (running_)
        return;
    const int32_t count = std::clamp(populations_.PopulationCount(), 1, 4);
    ProblemSettings problem = problem_.Settings();
    problem.search = host_.SearchChoices();
    StartOutcome outcome = CheckStart(problem, populations_.Settings(count), PhysicalMemoryBytes());
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
    try {
        const std::unique_ptr<Run> run = BuildRun(start.settings, functions_, random_);
        host_.ShowPage(&results_);
        run_ = run.get();
        RunEvolution(*run, *this);
        run_ = nullptr;
    } catch (const MemoryError& error) {
        run_ = nullptr;
        host_.EndForLackOfMemory(QString::fromUtf8(error.what()));
    }
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

bool RunController::KeepGoing() {
    pump_.PumpMessages(Paused() && !endRequested_, kPauseWakeMs);
    return !endRequested_;
}

void RunController::SetRunning(bool running) {
    running_ = running;
    results_.SetRunButtons(running);
    emit runStateChanged();
}

void RunController::Started(const RunStart& start) {
    SetRunning(true);
    results_.ClearCurves(start.labelPopulation);
    results_.ShowStatusLines(start.populationCount);
    results_.SetProgressMaximum(start.progressMaximum);
}

void RunController::Stepped(const StepReport& report) {
    results_.SetProgressPosition(report.stepsDone);
    results_.SetStatusLine(report.population, report.generation + 1, report.generations);
    results_.PublishCharts(report.population, report.generation, report.validationFitness,
                           report.trainingFitness, report.averageLength, report.bestLength);
    results_.SetBestPictures(report.trainingPicture, report.validationPicture);
    results_.SetBestProgram(report.best);
    results_.SetBestText(report.bestText);
    if (report.front)
        results_.SetFront(report.population, *report.front);
    results_.window()->update();
}

void RunController::Ended(bool completed) {
    if (completed)
        QApplication::beep();
    SetRunning(false);
}

std::string RunController::OutputName() const {
    return problem_.OutputName();
}

} // namespace quba
