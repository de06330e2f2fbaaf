#include "cli/run_grids.h"

#include "cli/option_table.h"

#include "data/data_file.h"
#include "data/noise.h"
#include "data/patterns.h"
#include "picture/picture_grid.h"

namespace quba {

namespace {

// The grid of a source at `size`, or the line saying why there is none.
Outcome<DataGrid> BuildGrid(const GridSource& source, int32_t size, Cli dataOption,
                            Cli imageOption) {
    if (source.patternIndex >= 0)
        return {GeneratePattern(source.patternIndex, size), ""};
    if (!source.imageFile.empty()) {
        Outcome<DataGrid> picture = ReadPictureGrid(source.imageFile, size, source.fit);
        return {std::move(picture.value), Dashed(imageOption) + ": " + picture.message};
    }
    Outcome<DataGrid> data = ReadDataFile(source.dataFile, size);
    data.message = Dashed(dataOption) + ": " + data.message;
    return data;
}

} // namespace

Outcome<GridPair> BuildRunGrids(const CliConfig& config) {
    const GridSource& source = config.training;
    Outcome<DataGrid> training =
        BuildGrid(source, source.trainSize.value_or(source.size), Cli::Data, Cli::Image);
    if (!training)
        return Outcome<GridPair>::Refused(training.message);

    GridPair grids;
    grids.SetFollowsTraining(!config.validation.Given());
    grids.SetTraining(std::move(*training.value));
    if (grids.FollowsTraining())
        return {std::move(grids), ""};
    Outcome<DataGrid> validation = BuildGrid(config.validation, config.validation.size,
                                             Cli::ValidationData, Cli::ValidationImage);
    if (!validation)
        return Outcome<GridPair>::Refused(validation.message);
    grids.SetValidation(std::move(*validation.value));
    return {std::move(grids), ""};
}

Outcome<DataGrid> BuildScoringGrid(const CliConfig& config) {
    return BuildGrid(config.training, config.training.size, Cli::Data, Cli::Image);
}

void AddRunNoise(GridPair& grids, const CliConfig& config, RandomGenerator& random) {
    if (config.noise)
        grids.AddTrainingNoise(ClampNoiseRatio(*config.noise), random);
    if (config.validationNoise && !grids.FollowsTraining())
        grids.AddValidationNoise(ClampNoiseRatio(*config.validationNoise), random);
}

void AttachGrids(ProblemValues& problem, const GridPair& grids) {
    problem.training = *grids.Training();
    problem.useTrainingData = grids.FollowsTraining();
    problem.validation = problem.useTrainingData ? DataGrid() : *grids.Validation();
}

} // namespace quba
