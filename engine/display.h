// The only way the run driver reaches the outside world.
#pragma once

#include "core/grid.h"
#include "engine/problem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quba {

// One population's best program after a generation step, with the problem
// whose node table its codes index. It stays valid after the run has ended,
// so that a front end can print it, redraw it or export it.
struct BestProgram {
    int32_t population = 0; // 0-based
    int32_t generation = 0;
    uint32_t seed = 0; // the population's seed
    std::shared_ptr<const Problem> problem;
    std::vector<int32_t> nodes; // the program's `length` codes
    float trainingFitness = 0;  // its rawFitness
    float validationFitness = 0;
    std::string text; // the output name, "=" and ProgramText
};

// The display operations of a run. The main window implements them on screen;
// the command-line front end records them.
class RunDisplay {
public:
    virtual ~RunDisplay() = default;

    // Start disabled and Stop enabled while running, the reverse afterwards.
    virtual void SetRunning(bool running) = 0;
    // `labelPopulation` is the population whose points number the bottom axis
    // during this run.
    virtual void ClearCurves(int32_t labelPopulation) = 0;
    virtual void ShowStatusLines(int32_t populationCount) = 0;
    // `population` 0-based, `step` 1-based.
    virtual void SetStatusLine(int32_t population, int32_t step, int32_t generations) = 0;
    virtual void SetProgressMaximum(int32_t maximum) = 0;
    virtual void SetProgressPosition(int32_t position) = 0;
    virtual void PublishCharts(int32_t population, int32_t generation, float validationFitness,
                               float trainingFitness, int32_t averageLength,
                               int32_t bestLength) = 0;
    // The best program of the population stepped, before the text box's text.
    virtual void SetBestProgram(const BestProgram& best) = 0;
    virtual void SetBestText(const std::string& text) = 0;
    // The population's size-accuracy front, after a step that changed it:
    // members by increasing length, their validation errors and texts not yet
    // computed (see CompleteFrontMember).
    virtual void SetFront(int32_t population, const std::vector<BestProgram>& members) = 0;
    // The best program's value at every cell of the training and validation
    // grids; a cell whose evaluation fails holds a not-a-number.
    virtual void SetBestPictures(const DataGrid& training, const DataGrid& validation) = 0;
    virtual void Refresh() = 0;
    // Handles pending messages once; false asks the run to end at this point.
    virtual bool ProcessPendingMessages() = 0;
    virtual void Beep() = 0;
    // The output variable's name, read live at every step.
    virtual std::string OutputName() const = 0;
    // Shown just before the program ends with status 1 for lack of memory.
    virtual void ShowFatalMessage(const std::string& message) = 0;
};

} // namespace quba
