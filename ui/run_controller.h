// Run control: Start with its checks, Stop/Resume and the pause flag, and the
// display of a run, which shows on the results page and processes the
// window's messages between steps.
#pragma once

#include "core/random.h"
#include "engine/display.h"
#include "engine/gp.h"
#include "setup/start_check.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace quba {

class FormHost;
class PopulationsPage;
class ProblemPage;
class ResultsPage;

class RunController : public QObject, public RunDisplay {
    Q_OBJECT
public:
    // `pumpMessages` processes the window's pending messages once (see
    // PumpMessages); the main window hands in its own, which tests observe.
    RunController(FormHost& host, ProblemPage& problem, PopulationsPage& populations,
                  ResultsPage& results, const FunctionTable& functions, RandomGenerator& random,
                  std::function<bool()> pumpMessages, QObject* parent);

    // Start: the checks in their order, then the run, which executes inside
    // this call. Does nothing while a run is in progress.
    void Start();
    // Stop/Resume: toggles the pause flag of the run in progress.
    void StopOrResume();
    [[nodiscard]] bool IsRunning() const { return running_; }
    // The run in progress, or none; its records are released when it ends.
    [[nodiscard]] const Run* CurrentRun() const { return run_; }
    [[nodiscard]] bool Paused() const;
    // The run in progress ends at its next message processing.
    void RequestEnd() { endRequested_ = true; }
    // Processes pending messages once, or waits for the next one while the run
    // is paused; false once the run must end.
    bool PumpMessages();

    // The display of a run.
    void SetRunning(bool running) override;
    void ClearCurves(int32_t labelPopulation) override;
    void ShowStatusLines(int32_t populationCount) override;
    void SetStatusLine(int32_t population, int32_t step, int32_t generations) override;
    void SetProgressMaximum(int32_t maximum) override;
    void SetProgressPosition(int32_t position) override;
    void PublishCharts(int32_t population, int32_t generation, float validationFitness,
                       float trainingFitness, int32_t averageLength, int32_t bestLength) override;
    void SetBestProgram(const BestProgram& best) override;
    void SetBestText(const std::string& text) override;
    void SetFront(int32_t population, const std::vector<BestProgram>& members) override;
    void SetBestPictures(const DataGrid& training, const DataGrid& validation) override;
    void Refresh() override;
    bool ProcessPendingMessages() override;
    void Beep() override;
    [[nodiscard]] std::string OutputName() const override;
    void ShowFatalMessage(const std::string& message) override;

signals:
    // A run began or ended, or was paused or resumed.
    void runStateChanged();

private:
    // Shows a refused Start and points at what it is about.
    void ShowRefusal(const Refusal& refusal);
    void PointAt(const Refusal& refusal);

    FormHost& host_;
    ProblemPage& problem_;
    PopulationsPage& populations_;
    ResultsPage& results_;
    const FunctionTable& functions_;
    RandomGenerator& random_;
    std::function<bool()> pumpMessages_;

    Run* run_ = nullptr; // the run in progress
    bool running_ = false;
    bool endRequested_ = false;
    QTimer pauseWake_; // bounds each wait for events while paused
};

} // namespace quba
