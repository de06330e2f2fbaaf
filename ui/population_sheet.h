// One population's settings sheet of the "Populations" page. The four sheets
// are this one class; they differ only in their control names and colour.
#pragma once

#include "setup/settings.h"
#include "setup/start_check.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;

namespace quba {

class ColourSwatch;

class PopulationSheet : public QWidget {
    Q_OBJECT
public:
    // `population` 0 to 3 picks the names of sheet No1 to No4.
    PopulationSheet(int population, QWidget* parent);

    [[nodiscard]] int Population() const { return population_; }
    // The sheet's texts, choices and derived labels as the user left them.
    [[nodiscard]] PopulationSettings Settings() const;
    // The edit that a refused setting is about, or none.
    [[nodiscard]] QLineEdit* FieldEdit(SettingField field) const;

    // "Tournament Size" is open only while "Tournament" is chosen.
    void ApplyTournamentRule();
    // The elite share is open only while "Elite Strategy" is ticked.
    void ApplyEliteRule();
    // Crossover, mutation and one-point mutation back to their defaults,
    // then the Reproduction label.
    void ResetRates();
    // Function and variable ratios back to their defaults, then the Constant
    // label.
    void ResetRatios();

    ColourSwatch* swatch;
    QLineEdit* populationSize;
    QLineEdit* generations;
    QButtonGroup* selection; // ids 0 proportional, 1 tournament, 2 random
    QLineEdit* tournamentSize;
    QCheckBox* elite;
    QLineEdit* eliteShare;
    QLineEdit* maxLength;
    QLineEdit* maxInitialDepth;
    QLineEdit* crossover;
    QLineEdit* mutation;
    QLabel* reproduction;
    QLineEdit* onePoint;
    QLineEdit* functionRatio;
    QLineEdit* variableRatio;
    QLabel* constant;

private:
    QWidget* BuildSizeRow();
    QWidget* BuildSelectionGroup();
    QWidget* BuildRestrictionsGroup();
    QWidget* BuildRatesRow();
    QWidget* BuildRatiosGroup();
    // The field of a setting, named by the schema and showing its first text.
    QLineEdit* NewEdit(SettingField field);
    // The first text of the setting a field of this sheet holds.
    [[nodiscard]] QString FirstText(const QLineEdit* edit) const;

    int population_;
};

// An enabled dependent field shows the window colour, a disabled one the
// button-face colour.
void SetDependentFieldState(QLineEdit* edit, bool enabled);

} // namespace quba
