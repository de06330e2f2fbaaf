#include "cli/progress_reporter.h"

#include <cstdio>
#include <unistd.h>

namespace quba {

std::string ProgressLine(int32_t population, int32_t step, int32_t generations, float training,
                         float validation) {
    char line[160];
    std::snprintf(line, sizeof line, "No%d: %d / %d  training %.6g  validation %.6g",
                  population + 1, step, generations, static_cast<double>(training),
                  static_cast<double>(validation));
    return line;
}

void ProgressReporter::Step(int32_t population, int32_t step, int32_t generations, float training,
                            float validation) {
    if (mode_ == ProgressMode::Quiet)
        return;
    const std::string line = ProgressLine(population, step, generations, training, validation);
    if (mode_ == ProgressMode::Lines) {
        out_ << line << '\n' << std::flush;
        return;
    }
    // Blank out what is left of a longer previous line.
    const size_t padding = shownLength_ > line.size() ? shownLength_ - line.size() : 0;
    out_ << '\r' << line << std::string(padding, ' ') << std::flush;
    shownLength_ = line.size();
}

void ProgressReporter::Finish() {
    if (mode_ == ProgressMode::SelfUpdating && shownLength_ > 0)
        out_ << '\n' << std::flush;
    shownLength_ = 0;
}

ProgressMode ChooseProgressMode(bool quiet) {
    if (quiet)
        return ProgressMode::Quiet;
    return isatty(STDERR_FILENO) ? ProgressMode::SelfUpdating : ProgressMode::Lines;
}

} // namespace quba
