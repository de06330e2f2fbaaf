// The one way a run reaches the outside world: what it reports (its start,
// one report a generation step, its end) and what it asks (whether to go on,
// and the output variable's name). The desktop program shows the reports on
// its results page; quba-cli records them.
#pragma once

#include "core/grid.h"
#include "engine/best_program.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace quba {

struct RunStart {
    int32_t populationCount = 0;
    // The population whose points number the bottom axis during this run.
    int32_t labelPopulation = 0;
    int32_t progressMaximum = 0; // the sum of the generation counts
};

// Where a step's time went, in seconds: the evaluation (fitness, ranking,
// validation) and the rest (pictures, breeding, texts); wall time and the
// processor time of all threads.
struct StepTimes {
    double evaluationWall = 0;
    double evaluationCpu = 0;
    double restWall = 0;
    double restCpu = 0;
};

// Everything one generation step publishes.
struct StepReport {
    int32_t population = 0;  // 0-based
    int32_t generation = 0;  // 0-based: the status line shows step generation + 1
    int32_t generations = 0; // the population's generation count
    int32_t stepsDone = 0;   // the progress position
    // The points of the curves.
    float validationFitness = 0;
    float trainingFitness = 0;
    int32_t averageLength = 0;
    int32_t bestLength = 0;
    BestProgram best;     // with its text
    std::string bestText; // the best-program box: every population's text
    // The best program's value at every cell of the training and validation
    // grids; a cell whose evaluation fails holds a not-a-number.
    DataGrid trainingPicture;
    DataGrid validationPicture;
    // The population's size-accuracy front after a step that changed it:
    // members by increasing length, their validation errors and texts not
    // yet computed (see CompleteFrontMember).
    std::optional<std::vector<BestProgram>> front;
    // The same by the run's measure of bytes, where it has one.
    std::optional<std::vector<BestProgram>> bytesFront;
    StepTimes times;
};

class RunOutlet {
public:
    virtual ~RunOutlet() = default;

    // What the run reports.
    virtual void Started(const RunStart& start) = 0;
    virtual void Stepped(const StepReport& report) = 0;
    // `completed`: every round was made (the platform's beep is due).
    virtual void Ended(bool completed) = 0;

    // What the run asks. After every step, and again and again while the run
    // is paused: handle pending messages; false ends the run there.
    virtual bool KeepGoing() = 0;
    // The output variable's name, read at every step.
    [[nodiscard]] virtual std::string OutputName() const = 0;
};

// Memory ran out while a run was built or ran. The front end shows what()
// (the message of the place it ran out) and ends with status 1.
class MemoryError : public std::exception {
public:
    explicit MemoryError(const char* message) : message_(message) {}
    [[nodiscard]] const char* what() const noexcept override { return message_; }

private:
    const char* message_;
};

inline constexpr const char* kMemoryMessage = "Memory Allocation Error";
inline constexpr const char* kRunMemoryMessage = "Memory Allocation Error!!!!";

} // namespace quba
