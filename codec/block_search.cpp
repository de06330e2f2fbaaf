#include "codec/block_search.h"

#include "codec/piece.h"
#include "core/random.h"
#include "engine/gp.h"
#include "engine/run_outlet.h"

#include <algorithm>
#include <cmath>

namespace quba {

namespace {

// Keeps each population's last best program; the fronts stay in the run.
class BlockOutlet final : public RunOutlet {
public:
    explicit BlockOutlet(const std::function<bool()>& keepGoing) : keepGoing_(keepGoing) {}

    void Started(const RunStart&) override {}
    void Stepped(const StepReport& report) override {
        best[static_cast<size_t>(report.population)] = report.best;
    }
    void Ended(bool) override {}
    bool KeepGoing() override { return keepGoing_(); }
    [[nodiscard]] std::string OutputName() const override { return "C"; }

    std::array<std::optional<BestProgram>, 4> best;

private:
    const std::function<bool()>& keepGoing_;
};

} // namespace

PopulationValues BlockPopulation(const PopulationValues& values, double share) {
    PopulationValues block = values;
    int32_t floor = kSmallestBlockPopulation;
    if (values.selectionMethod == SelectionMethod::Tournament)
        floor = std::max(floor, values.tournamentSize);
    const auto scaled = static_cast<int32_t>(std::lround(values.populationSize * share));
    block.populationSize = std::max(std::min(values.populationSize, floor), scaled);
    return block;
}

std::vector<Piece> CandidatePieces(const std::vector<BestProgram>& programs, bool scaled) {
    std::vector<Piece> pieces;
    const auto add = [&](Piece piece) {
        if (std::find(pieces.begin(), pieces.end(), piece) == pieces.end())
            pieces.push_back(std::move(piece));
    };
    if (scaled) {
        add(Piece{{}, {}, Scaling{0, 0}});
        add(Piece{{{FileNode::Kind::X}}, {}, Scaling{0, 1}});
        add(Piece{{{FileNode::Kind::Y}}, {}, Scaling{0, 1}});
    }
    for (const BestProgram& program : programs)
        add(PieceOf(program));
    return pieces;
}

std::vector<Piece> EvolveBlock(const Problem& base, const RunSettings& settings,
                               const Region& block, int32_t side, std::vector<float> targets,
                               uint32_t seed, const std::function<bool()>& keepGoing) {
    RunSettings own = settings;
    own.evaluation.threads = 1;
    own.keepFronts = true;
    const double share = static_cast<double>(block.Cells()) / (static_cast<double>(side) * side);
    for (PopulationValues& population : own.populations)
        population = BlockPopulation(population, share);
    std::shared_ptr<Problem> problem =
        ProblemOnBlock(base, block.width, block.height, std::move(targets));
    RandomGenerator random;
    std::unique_ptr<Run> run = BuildRunOn(problem, own, random);
    run->drawPictures = false;
    BlockOutlet outlet(keepGoing);
    RunEvolution(*run, outlet, [seed] { return seed; });

    std::vector<BestProgram> programs;
    for (int32_t i = 0; i < static_cast<int32_t>(own.populations.size()); ++i) {
        for (const auto* fronts : {&run->fronts, &run->bytesFronts}) {
            const std::vector<BestProgram> members =
                (*fronts)[static_cast<size_t>(i)].Members(i, seed, problem);
            programs.insert(programs.end(), members.begin(), members.end());
        }
        if (outlet.best[static_cast<size_t>(i)])
            programs.push_back(*outlet.best[static_cast<size_t>(i)]);
    }
    return CandidatePieces(programs, settings.search.linearScaling);
}

uint32_t BlockSeed(uint32_t seed, int32_t node, int32_t stage) {
    // SplitMix64's finaliser over the three numbers.
    uint64_t z = (uint64_t{seed} << 32) ^ (uint64_t(static_cast<uint32_t>(node)) << 8) ^
                 static_cast<uint64_t>(stage);
    z += 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

} // namespace quba
