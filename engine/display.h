// The only way the run driver reaches the outside world.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A square grid of program outputs, row-major, as handed to the best pictures.
struct OutputGrid {
    int32_t size = 0;
    std::vector<float> cells;
};

// The display operations of a run. The main window implements them on screen;
// the command-line front end records them.
class RunDisplay {
public:
    virtual ~RunDisplay() = default;

    // Start disabled and Stop enabled while running, the reverse afterwards.
    virtual void SetRunning(bool running) = 0;
    virtual void ClearCurves() = 0;
    virtual void ShowStatusLines(int32_t populationCount) = 0;
    // `population` 0-based, `step` 1-based.
    virtual void SetStatusLine(int32_t population, int32_t step, int32_t generations) = 0;
    virtual void SetProgressMaximum(int32_t maximum) = 0;
    virtual void SetProgressPosition(int32_t position) = 0;
    virtual void PublishCharts(int32_t population, int32_t generation, float validationFitness,
                               float trainingFitness, int32_t averageLength,
                               int32_t bestLength) = 0;
    virtual void SetBestText(const std::string& text) = 0;
    virtual void SetBestPictures(const OutputGrid& training, const OutputGrid& validation) = 0;
    virtual void Refresh() = 0;
    // Handles pending messages once; false asks the run to end at this point.
    virtual bool ProcessPendingMessages() = 0;
    virtual void Beep() = 0;
    // The output variable's name, read live at every step.
    virtual std::string OutputName() const = 0;
    // Shown just before the program ends with status 1 for lack of memory.
    virtual void ShowFatalMessage(const std::string& message) = 0;
};
