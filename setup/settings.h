// The settings as the desktop program holds them: the texts of the main
// window's fields, the defaults of those that are no row of the settings
// schema, and the derived labels' texts.
#pragma once

#include "core/grid.h"
#include "engine/primitives.h"
#include "engine/run_settings.h"
#include "setup/setting_schema.h"

#include <array>
#include <string>

namespace quba {

// The main window's defaults, which are also quba-cli's, beside those of the
// settings schema.
namespace defaults {
// The derived labels' texts before any field changes, and after a reset.
inline constexpr const char* kReproductionLabel = "0.1";
inline constexpr const char* kConstantLabel = "0.3";
inline constexpr const char* kReproductionReset = "0.10";
inline constexpr const char* kConstantReset = "0.30";
// The range a refused one is set to.
inline constexpr const char* kRangeResetLower = "-10";
inline constexpr const char* kRangeResetUpper = "10";
inline constexpr const char* kHorizontalName = "X";
inline constexpr const char* kVerticalName = "Y";
inline constexpr const char* kOutputName = "C";
// The four arithmetic functions.
inline constexpr std::array<bool, kFunctionCount> kFunctionChecked = {true, true, true, true};
inline constexpr int32_t kPopulationCount = 1;
} // namespace defaults

// One population's settings sheet: the texts as typed, one for each row of
// the population schema (the selection by its name), whether "Elite
// Strategy" is ticked, and the texts its two derived labels show, which the
// Start checks read.
struct PopulationSettings {
    PopulationSettings();

    std::array<std::string, kPopulationSettingCount> texts;
    bool eliteChecked = true;
    std::string reproductionLabelText = defaults::kReproductionLabel;
    std::string constantLabelText = defaults::kConstantLabel;

    [[nodiscard]] const std::string& Text(SettingField field) const {
        return texts[PopulationIndex(field)];
    }
    std::string& Text(SettingField field) { return texts[PopulationIndex(field)]; }
    [[nodiscard]] SelectionMethod Selection() const;
};

// What the problem panel holds: the check states and texts, and the grids
// (absent until a pattern is picked or a file is loaded).
struct ProblemSettings {
    std::array<bool, kFunctionCount> functionChecked = defaults::kFunctionChecked;
    std::string constantCountText = RowOf(SettingField::ConstantCount).defaultText;
    std::string rangeLowerText = RowOf(SettingField::RangeLower).defaultText;
    std::string rangeUpperText = RowOf(SettingField::RangeUpper).defaultText;
    std::string horizontalName = defaults::kHorizontalName;
    std::string verticalName = defaults::kVerticalName;
    const DataGrid* training = nullptr;
    const DataGrid* validation = nullptr;
    bool useTrainingData = true; // validation cases are a copy of the training cases
    SearchValues search;         // the Search menu's choices
};

} // namespace quba
