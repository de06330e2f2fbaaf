// The progress of a run on standard error: a line per generation step, or one
// line that rewrites itself when standard error is a terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>

namespace quba {

enum class ProgressMode { Quiet, Lines, SelfUpdating };

// `population` 0-based, `step` 1-based.
std::string ProgressLine(int32_t population, int32_t step, int32_t generations, float training,
                         float validation);

class ProgressReporter {
public:
    ProgressReporter(std::ostream& out, ProgressMode mode) : out_(out), mode_(mode) {}

    void Step(int32_t population, int32_t step, int32_t generations, float training,
              float validation);
    // The codec's blocks evolved so far: a rewriting line, or a line at every
    // tenth of them.
    void Blocks(int32_t done, int32_t total);
    // Ends a self-updating line; does nothing otherwise.
    void Finish();

private:
    void Show(const std::string& line);

    std::ostream& out_;
    ProgressMode mode_;
    size_t shownLength_ = 0;   // length of the self-updating line on screen
    int32_t blockTenths_ = -1; // the tenths of the blocks reported as lines
};

// Nothing with `quiet`, a rewriting line on a terminal, else a line per step.
ProgressMode ChooseProgressMode(bool quiet);

} // namespace quba
