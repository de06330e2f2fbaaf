#include "cli/run_grids.h"

#include "data/data_file.h"
#include "data/noise.h"
#include "data/patterns.h"

namespace quba {

namespace {

DataFileResult BuildGrid(const GridSource& source) {
    if (source.patternIndex >= 0)
        return {GeneratePattern(source.patternIndex, source.size), ""};
    return ReadDataFile(source.dataFile, source.size);
}

} // namespace

RunGridsOutcome BuildRunGrids(const CliConfig& config) {
    DataFileResult training = BuildGrid(config.training);
    if (!training.grid)
        return {std::nullopt, "--data: " + training.message};

    RunGrids grids;
    grids.training = std::move(*training.grid);
    grids.useTrainingData = !config.validation.Given();
    if (grids.useTrainingData) {
        grids.validation = grids.training;
        return {std::move(grids), ""};
    }
    DataFileResult validation = BuildGrid(config.validation);
    if (!validation.grid)
        return {std::nullopt, "--validation-data: " + validation.message};
    grids.validation = std::move(*validation.grid);
    return {std::move(grids), ""};
}

void AddRunNoise(RunGrids& grids, const CliConfig& config, RandomGenerator& random) {
    if (config.noise)
        AddNoise(grids.training, ClampNoiseRatio(*config.noise), random,
                 grids.useTrainingData ? &grids.validation : nullptr);
    if (config.validationNoise && !grids.useTrainingData)
        AddNoise(grids.validation, ClampNoiseRatio(*config.validationNoise), random);
}

void AttachGrids(ProblemSettings& problem, const RunGrids& grids) {
    problem.training = &grids.training;
    problem.validation = &grids.validation;
    problem.useTrainingData = grids.useTrainingData;
}

} // namespace quba
