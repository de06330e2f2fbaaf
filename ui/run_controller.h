// Run control: Start with its checks, Stop/Resume and the pause flag, and the
// outlet of a run, which shows its reports on the results page and pumps the
// window's messages between steps.
#pragma once

#include "core/random.h"
#include "engine/gp.h"
#include "engine/run_outlet.h"
#include "setup/start_check.h"
#include "ui/message_pump.h"

#include <QObject>

namespace quba {

class FormHost;
class PopulationsPage;
class ProblemPage;
class ResultsPage;

class RunController : public QObject, public RunOutlet {
    Q_OBJECT
public:
    RunController(FormHost& host, ProblemPage& problem, PopulationsPage& populations,
                  ResultsPage& results, const FunctionTable& functions, RandomGenerator& random,
                  MessagePump& pump, QObject* parent);

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

    // The outlet of a run.
    void Started(const RunStart& start) override;
    void Stepped(const StepReport& report) override;
    void Ended(bool completed) override;
    // Processes pending messages once, or waits for the next one while the run
    // is paused; false once the run must end.
    bool KeepGoing() override;
    [[nodiscard]] std::string OutputName() const override;

signals:
    // A run began or ended, or was paused or resumed.
    void runStateChanged();

private:
    void SetRunning(bool running);
    // Shows a refused Start and points at what it is about.
    void ShowRefusal(const Refusal& refusal);
    void PointAt(const Refusal& refusal);

    FormHost& host_;
    ProblemPage& problem_;
    PopulationsPage& populations_;
    ResultsPage& results_;
    const FunctionTable& functions_;
    RandomGenerator& random_;
    MessagePump& pump_;

    Run* run_ = nullptr; // the run in progress
    bool running_ = false;
    bool endRequested_ = false;
};

} // namespace quba
