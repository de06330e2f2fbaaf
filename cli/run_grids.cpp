#include "cli/run_grids.h"

#include "data/data_file.h"
#include "data/noise.h"
#include "data/patterns.h"
#include "picture/picture_grid.h"

namespace quba {

namespace {

// The grid of a source, or the line saying why there is none.
DataFileResult BuildGrid(const GridSource& source, const char* dataOption,
                         const char* imageOption) {
    if (source.patternIndex >= 0)
        return {GeneratePattern(source.patternIndex, source.size), ""};
    if (!source.imageFile.empty()) {
        PictureOutcome picture = ReadPictureGrid(source.imageFile, source.size, source.fit);
        return {std::move(picture.grid), std::string("--") + imageOption + ": " + picture.message};
    }
    DataFileResult data = ReadDataFile(source.dataFile, source.size);
    data.message = std::string("--") + dataOption + ": " + data.message;
    return data;
}

} // namespace

RunGridsOutcome BuildRunGrids(const CliConfig& config) {
    DataFileResult training = BuildGrid(config.training, "data", "image");
    if (!training.grid)
        return {std::nullopt, training.message};

    RunGrids grids;
    grids.training = std::move(*training.grid);
    grids.useTrainingData = !config.validation.Given();
    if (grids.useTrainingData) {
        grids.validation = grids.training;
        return {std::move(grids), ""};
    }
    DataFileResult validation = BuildGrid(config.validation, "validation-data", "validation-image");
    if (!validation.grid)
        return {std::nullopt, validation.message};
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
