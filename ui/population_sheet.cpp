#include "ui/population_sheet.h"

#include "ui/controls.h"
#include "ui/curve_chart.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <array>

namespace quba {

namespace {

// Control names of sheet No1 to No4.
struct SheetNames {
    const char* swatch;
    const char* populationSize;
    const char* generations;
    const char* radioGroup;
    const char* tournamentSize;
    const char* elite;
    const char* eliteShare;
    const char* maxLength;
    const char* maxInitialDepth;
    const char* crossover;
    const char* mutation;
    const char* reproduction;
    const char* onePoint;
    const char* functionRatio;
    const char* variableRatio;
    const char* constant;
};

constexpr std::array<SheetNames, 4> kSheetNames = {{
    {"Shape1", "Edit1", "Edit2", "RadioGroup1", "Edit3", "CheckBox1", "Edit7", "Edit8", "Edit9",
     "Edit4", "Edit5", "Label6", "Edit6", "Edit13", "Edit14", "ConstLabel"},
    {"Shape2", "Edit18", "Edit19", "RadioGroup2", "Edit20", "CheckBox8", "Edit21", "Edit22",
     "Edit23", "Edit24", "Edit25", "Label42", "Edit26", "Edit27", "Edit28", "Label46"},
    {"Shape3", "Edit30", "Edit31", "RadioGroup3", "Edit32", "CheckBox10", "Edit33", "Edit34",
     "Edit35", "Edit36", "Edit37", "Label59", "Edit38", "Edit39", "Edit40", "Label63"},
    {"Shape4", "Edit42", "Edit43", "RadioGroup4", "Edit44", "CheckBox12", "Edit45", "Edit46",
     "Edit47", "Edit48", "Edit49", "Label75", "Edit50", "Edit51", "Edit52", "Label79"},
}};

constexpr int kEditWidth = 64;

QLabel* DerivedLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setFixedWidth(kEditWidth);
    label->setIndent(4);
    return label;
}

} // namespace

void SetDependentFieldState(QLineEdit* edit, bool enabled) {
    edit->setEnabled(enabled);
    QPalette palette = edit->palette();
    const QPalette::ColorRole role = enabled ? QPalette::Base : QPalette::Button;
    palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Active, role));
    edit->setPalette(palette);
}

PopulationSheet::PopulationSheet(int population, QWidget* parent)
    : QWidget(parent), population_(population) {
    auto* left = new QVBoxLayout;
    left->addWidget(BuildSizeRow());
    left->addWidget(BuildSelectionGroup());
    left->addWidget(BuildRestrictionsGroup());
    left->addStretch();

    auto* right = new QVBoxLayout;
    right->addWidget(BuildRatesRow());
    right->addWidget(BuildRatiosGroup());
    right->addStretch();

    auto* columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(12);
    columns->addLayout(left);
    columns->addLayout(right);

    SetDependentFieldState(tournamentSize, false);
    SetDependentFieldState(eliteShare, true);
}

QLineEdit* PopulationSheet::NewEdit(const char* name, const char* text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(name);
    edit->setFixedWidth(kEditWidth);
    return edit;
}

QWidget* PopulationSheet::BuildSizeRow() {
    const SheetNames& names = kSheetNames[population_];
    auto* row = new QWidget(this);
    swatch = new ColourSwatch(PanelColour(population_), row);
    swatch->setObjectName(names.swatch);
    populationSize = NewEdit(names.populationSize, defaults::kPopulationSize);
    generations = NewEdit(names.generations, defaults::kGenerations);

    auto* fields = new QFormLayout;
    fields->addRow("Population Size", populationSize);
    fields->addRow("Generation", generations);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(swatch, 0, Qt::AlignTop);
    layout->addLayout(fields);
    layout->addStretch();
    return row;
}

QWidget* PopulationSheet::BuildSelectionGroup() {
    const SheetNames& names = kSheetNames[population_];
    auto* group = new QGroupBox("Selection Method", this);
    auto* methods = new QGroupBox(group);
    methods->setObjectName(names.radioGroup);
    selection = new QButtonGroup(methods);
    auto* methodColumn = new QVBoxLayout(methods);
    int id = 0;
    for (const char* text : {"Proportional", "Tournament", "Random"}) {
        auto* button = new QRadioButton(text, methods);
        selection->addButton(button, id++);
        methodColumn->addWidget(button);
    }
    selection->button(0)->setChecked(true);

    tournamentSize = NewEdit(names.tournamentSize, defaults::kTournamentSize);
    elite = new QCheckBox("Elite Strategy", group);
    elite->setObjectName(names.elite);
    elite->setChecked(true);
    eliteShare = NewEdit(names.eliteShare, defaults::kElite);

    auto* tournament = new QVBoxLayout;
    tournament->addWidget(new QLabel("Tournament Size", group));
    tournament->addWidget(tournamentSize);
    tournament->addStretch();
    auto* eliteRow = new QHBoxLayout;
    eliteRow->addWidget(elite);
    eliteRow->addWidget(eliteShare);
    eliteRow->addWidget(new QLabel("%", group));
    eliteRow->addStretch();

    auto* layout = new QGridLayout(group);
    layout->addWidget(methods, 0, 0);
    layout->addLayout(tournament, 0, 1);
    layout->addLayout(eliteRow, 1, 0, 1, 2);
    return group;
}

QWidget* PopulationSheet::BuildRestrictionsGroup() {
    const SheetNames& names = kSheetNames[population_];
    auto* group = new QGroupBox("Restrictions on Genes", this);
    maxLength = NewEdit(names.maxLength, defaults::kMaxLength);
    maxInitialDepth = NewEdit(names.maxInitialDepth, defaults::kMaxInitialDepth);
    auto* layout = new QFormLayout(group);
    layout->addRow("Maximum Length", maxLength);
    layout->addRow("Maximum Initial Depth", maxInitialDepth);
    return group;
}

QWidget* PopulationSheet::BuildRatesRow() {
    const SheetNames& names = kSheetNames[population_];
    auto* row = new QWidget(this);
    auto* group = new QGroupBox("Rate of GP Operations", row);
    crossover = NewEdit(names.crossover, defaults::kCrossover);
    mutation = NewEdit(names.mutation, defaults::kMutation);
    reproduction = DerivedLabel(names.reproduction, defaults::kReproductionLabel, group);
    auto* rates = new QFormLayout(group);
    rates->addRow("Crossover", crossover);
    rates->addRow("Mutation", mutation);
    rates->addRow("Reproduction", reproduction);

    onePoint = NewEdit(names.onePoint, defaults::kOnePoint);
    auto* onePointColumn = new QVBoxLayout;
    onePointColumn->addSpacing(16);
    onePointColumn->addWidget(new QLabel("One-point Mutation", row));
    onePointColumn->addWidget(onePoint);

    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(group);
    layout->addLayout(onePointColumn);
    layout->setAlignment(onePointColumn, Qt::AlignTop);
    return row;
}

QWidget* PopulationSheet::BuildRatiosGroup() {
    const SheetNames& names = kSheetNames[population_];
    auto* group = new QGroupBox("Initial Ratio of the Nodes", this);
    functionRatio = NewEdit(names.functionRatio, defaults::kFunctionRatio);
    variableRatio = NewEdit(names.variableRatio, defaults::kVariableRatio);
    constant = DerivedLabel(names.constant, defaults::kConstantLabel, group);
    auto* layout = new QFormLayout(group);
    layout->addRow("Function", functionRatio);
    layout->addRow("Variable", variableRatio);
    layout->addRow("Constant", constant);
    return group;
}

PopulationSettings PopulationSheet::Settings() const {
    PopulationSettings settings;
    settings.populationSizeText = populationSize->text().toStdString();
    settings.generationsText = generations->text().toStdString();
    settings.selectionMethod = static_cast<SelectionMethod>(selection->checkedId());
    settings.tournamentSizeText = tournamentSize->text().toStdString();
    settings.crossoverText = crossover->text().toStdString();
    settings.mutationText = mutation->text().toStdString();
    settings.onePointText = onePoint->text().toStdString();
    settings.eliteChecked = elite->isChecked();
    settings.eliteText = eliteShare->text().toStdString();
    settings.maxLengthText = maxLength->text().toStdString();
    settings.maxInitialDepthText = maxInitialDepth->text().toStdString();
    settings.functionRatioText = functionRatio->text().toStdString();
    settings.variableRatioText = variableRatio->text().toStdString();
    settings.reproductionLabelText = reproduction->text().toStdString();
    settings.constantLabelText = constant->text().toStdString();
    return settings;
}

QLineEdit* PopulationSheet::FieldEdit(SettingField field) const {
    switch (field) {
    case SettingField::PopulationSize:
    case SettingField::Memory:
        return populationSize;
    case SettingField::Generations:
        return generations;
    case SettingField::TournamentSize:
        return tournamentSize;
    case SettingField::Crossover:
        return crossover;
    case SettingField::Mutation:
        return mutation;
    case SettingField::OnePoint:
        return onePoint;
    case SettingField::Elite:
        return eliteShare;
    case SettingField::MaxLength:
        return maxLength;
    case SettingField::MaxInitialDepth:
        return maxInitialDepth;
    case SettingField::FunctionRatio:
        return functionRatio;
    case SettingField::VariableRatio:
        return variableRatio;
    default:
        return nullptr;
    }
}

void PopulationSheet::ApplyTournamentRule() {
    SetDependentFieldState(tournamentSize,
                           selection->checkedId() == static_cast<int>(SelectionMethod::Tournament));
}

void PopulationSheet::ApplyEliteRule() {
    SetDependentFieldState(eliteShare, elite->isChecked());
}

void PopulationSheet::ResetRates() {
    crossover->setText(defaults::kCrossover);
    mutation->setText(defaults::kMutation);
    onePoint->setText(defaults::kOnePoint);
    reproduction->setText(defaults::kReproductionReset);
}

void PopulationSheet::ResetRatios() {
    functionRatio->setText(defaults::kFunctionRatio);
    variableRatio->setText(defaults::kVariableRatio);
    constant->setText(defaults::kConstantReset);
}

} // namespace quba
