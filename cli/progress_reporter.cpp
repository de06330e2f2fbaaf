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
    Show(ProgressLine(population, step, generations, training, validation));
}

void ProgressReporter::Blocks(int32_t done, int32_t total) {
    if (mode_ == ProgressMode::Quiet || total <= 0)
        return;
    const int32_t tenths = static_cast<int32_t>(int64_t{done} * 10 / total);
    if (mode_ == ProgressMode::Lines && tenths == blockTenths_)
        return;
    blockTenths_ = tenths;
    Show("Blocks: " + std::to_string(done) + " / " + std::to_string(total));
}

void ProgressReporter::Show(const std::string& line) {
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
