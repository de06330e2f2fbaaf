#include "codec/compress_grid.h"

#include "codec/program_file.h"
#include "engine/functions.h"
#include "engine/gp.h"
#include "engine/primitives.h"
#include "engine/run_outlet.h"

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace quba {

namespace {

double PsnrOf(float error) {
    return 10 * std::log10(4.0 / static_cast<double>(error));
}

// Keeps what the codec starts from (every population's fronts and last best
// program) and shows the best formula within the budget after each step.
class WholeGridOutlet final : public RunOutlet {
public:
    WholeGridOutlet(const CodecSettings& codec, const CompressionWatch& watch)
        : codec_(codec), watch_(watch) {}

    void Started(const RunStart& start) override { total_ = start.progressMaximum; }
    void Stepped(const StepReport& report) override {
        const auto i = static_cast<size_t>(report.population);
        best_[i] = report.best;
        if (report.front)
            fronts_[i] = *report.front;
        if (report.bytesFront) {
            bytesFronts_[i] = *report.bytesFront;
            ShowBestWithinBudget();
        }
        watch_.runProgress(report.stepsDone, total_);
    }
    void Ended(bool) override {}
    bool KeepGoing() override { return watch_.keepGoing(); }
    [[nodiscard]] std::string OutputName() const override { return "C"; }

    [[nodiscard]] std::vector<BestProgram> Programs() const {
        std::vector<BestProgram> programs;
        for (size_t i = 0; i < best_.size(); ++i) {
            for (const auto* front : {&fronts_[i], &bytesFronts_[i]})
                programs.insert(programs.end(), front->begin(), front->end());
            if (best_[i])
                programs.push_back(*best_[i]);
        }
        return programs;
    }

private:
    void ShowBestWithinBudget() {
        std::vector<const BestProgram*> members;
        for (const auto& front : bytesFronts_)
            for (const BestProgram& member : front)
                members.push_back(&member);
        std::vector<int64_t> bytes;
        std::vector<double> psnr;
        for (const BestProgram* member : members) {
            bytes.push_back(ProgramFileBytes(*member->problem, member->nodes.data(),
                                             static_cast<int32_t>(member->nodes.size()),
                                             member->scaling));
            psnr.push_back(PsnrOf(member->trainingFitness));
        }
        const int32_t pick = PickWithinBudget(bytes, psnr, codec_);
        if (pick < 0)
            return;
        const auto p = static_cast<size_t>(pick);
        if (shownBytes_ == bytes[p] && shownPsnr_ == psnr[p])
            return;
        shownBytes_ = bytes[p];
        shownPsnr_ = psnr[p];
        watch_.bestWithinBudget(*members[p], bytes[p]);
    }

    const CodecSettings& codec_;
    const CompressionWatch& watch_;
    int32_t total_ = 0;
    std::array<std::optional<BestProgram>, 4> best_;
    std::array<std::vector<BestProgram>, 4> fronts_;
    std::array<std::vector<BestProgram>, 4> bytesFronts_;
    int64_t shownBytes_ = -1;
    double shownPsnr_ = 0;
};

} // namespace

int32_t PickWithinBudget(const std::vector<int64_t>& bytes, const std::vector<double>& psnr,
                         const CodecSettings& codec) {
    const auto measure = [&](size_t k) {
        const bool reached = codec.budget ? bytes[k] <= *codec.budget
                                          : codec.targetPsnr && psnr[k] >= *codec.targetPsnr;
        // The mean squared error the PSNR stands for, on the range of 2.
        return FileMeasure{bytes[k], 4 / std::pow(10.0, psnr[k] / 10), reached};
    };
    int32_t pick = -1;
    for (size_t k = 0; k < bytes.size(); ++k)
        if (pick < 0 || BetterFile(measure(k), measure(static_cast<size_t>(pick)), codec))
            pick = static_cast<int32_t>(k);
    // Under a budget only a file that keeps it will do.
    if (pick >= 0 && codec.budget && !measure(static_cast<size_t>(pick)).reached)
        return -1;
    return pick;
}

Outcome<Compression> CompressGrid(const DataGrid& grid, RunSettings settings,
                                  const CodecSettings& codec, PictureFit fit, uint32_t seed,
                                  const CompressionWatch& watch) {
    settings.keepFronts = true;
    settings.programBytes = ProgramFileBytes;
    WholeGridOutlet outlet(codec, watch);
    {
        RandomGenerator random;
        std::unique_ptr<Run> run = BuildRun(settings, BuildFunctionTable(), random);
        RunEvolution(*run, outlet, [seed] { return seed; });
    }
    if (!watch.keepGoing())
        return {std::nullopt, "cancelled"};
    CompressionJob job;
    job.grid = &grid;
    job.fit = fit;
    job.settings = settings;
    job.runPrograms = outlet.Programs();
    job.seed = seed;
    job.keepGoing = watch.keepGoing;
    job.progress = watch.blockProgress;
    return Compress(job, codec);
}

} // namespace quba
