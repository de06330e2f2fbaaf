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

// Names of sheet No1 to No4's controls that are no setting of their own:
// the settings' fields are named by the settings schema.
struct SheetNames {
    const char* swatch;
    const char* elite;
    const char* reproduction;
    const char* constant;
};

constexpr std::array<SheetNames, 4> kSheetNames = {{
    {"Shape1", "CheckBox1", "Label6", "ConstLabel"},
    {"Shape2", "CheckBox8", "Label42", "Label46"},
    {"Shape3", "CheckBox10", "Label59", "Label63"},
    {"Shape4", "CheckBox12", "Label75", "Label79"},
}};

constexpr int kEditWidth = 64;

QLabel* DerivedLabel(const char* name, const char* text, QWidget* parent) {
    auto* label = new WholeTextLabel(text, parent);
    label->setObjectName(name);
    // At least as wide as the fields beside it, wider for a long value where
    // the sheet has room, and never clipped.
    label->setMinimumWidth(kEditWidth);
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

QLineEdit* PopulationSheet::NewEdit(SettingField field) {
    const SettingRow& setting = RowOf(field);
    auto* edit = new QLineEdit(setting.defaultText, this);
    edit->setObjectName(setting.controls[population_]);
    edit->setFixedWidth(kEditWidth);
    return edit;
}

QWidget* PopulationSheet::BuildSizeRow() {
    const SheetNames& names = kSheetNames[population_];
    auto* row = new QWidget(this);
    swatch = new ColourSwatch(PanelColour(population_), row);
    swatch->setObjectName(names.swatch);
    populationSize = NewEdit(SettingField::PopulationSize);
    generations = NewEdit(SettingField::Generations);

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
    methods->setObjectName(RowOf(SettingField::Selection).controls[population_]);
    selection = new QButtonGroup(methods);
    auto* methodColumn = new QVBoxLayout(methods);
    int id = 0;
    for (const char* text : {"Proportional", "Tournament", "Random"}) {
        auto* button = new QRadioButton(text, methods);
        selection->addButton(button, id++);
        methodColumn->addWidget(button);
    }
    selection->button(0)->setChecked(true);

    tournamentSize = NewEdit(SettingField::TournamentSize);
    elite = new QCheckBox("Elite Strategy", group);
    elite->setObjectName(names.elite);
    elite->setChecked(true);
    eliteShare = NewEdit(SettingField::Elite);

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
    auto* group = new QGroupBox("Restrictions on Genes", this);
    maxLength = NewEdit(SettingField::MaxLength);
    maxInitialDepth = NewEdit(SettingField::MaxInitialDepth);
    auto* layout = new QFormLayout(group);
    layout->addRow("Maximum Length", maxLength);
    layout->addRow("Maximum Initial Depth", maxInitialDepth);
    return group;
}

QWidget* PopulationSheet::BuildRatesRow() {
    const SheetNames& names = kSheetNames[population_];
    auto* row = new QWidget(this);
    auto* group = new QGroupBox("Rate of GP Operations", row);
    crossover = NewEdit(SettingField::Crossover);
    mutation = NewEdit(SettingField::Mutation);
    reproduction = DerivedLabel(names.reproduction, defaults::kReproductionLabel, group);
    auto* rates = new QFormLayout(group);
    rates->addRow("Crossover", crossover);
    rates->addRow("Mutation", mutation);
    rates->addRow("Reproduction", reproduction);

    onePoint = NewEdit(SettingField::OnePoint);
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
    functionRatio = NewEdit(SettingField::FunctionRatio);
    variableRatio = NewEdit(SettingField::VariableRatio);
    constant = DerivedLabel(names.constant, defaults::kConstantLabel, group);
    auto* layout = new QFormLayout(group);
    layout->addRow("Function", functionRatio);
    layout->addRow("Variable", variableRatio);
    layout->addRow("Constant", constant);
    return group;
}

PopulationSettings PopulationSheet::Settings() const {
    PopulationSettings settings;
    for (const SettingRow& setting : PopulationSchema()) {
        if (setting.kind == SettingKind::Choice)
            settings.Text(setting.field) =
                setting.choices[static_cast<size_t>(selection->checkedId())];
        else
            settings.Text(setting.field) = FieldEdit(setting.field)->text().toStdString();
    }
    settings.eliteChecked = elite->isChecked();
    settings.reproductionLabelText = reproduction->text().toStdString();
    settings.constantLabelText = constant->text().toStdString();
    return settings;
}

QLineEdit* PopulationSheet::FieldEdit(SettingField field) const {
    if (field == SettingField::Memory)
        field = SettingField::PopulationSize;
    if (field > SettingField::VariableRatio)
        return nullptr;
    return findChild<QLineEdit*>(RowOf(field).controls[population_]);
}

void PopulationSheet::ApplyTournamentRule() {
    SetDependentFieldState(tournamentSize,
                           selection->checkedId() == static_cast<int>(SelectionMethod::Tournament));
}

void PopulationSheet::ApplyEliteRule() {
    SetDependentFieldState(eliteShare, elite->isChecked());
}

void PopulationSheet::ResetRates() {
    for (QLineEdit* rate : {crossover, mutation, onePoint})
        rate->setText(FirstText(rate));
    reproduction->setText(defaults::kReproductionReset);
}

void PopulationSheet::ResetRatios() {
    for (QLineEdit* ratio : {functionRatio, variableRatio})
        ratio->setText(FirstText(ratio));
    constant->setText(defaults::kConstantReset);
}

QString PopulationSheet::FirstText(const QLineEdit* edit) const {
    for (const SettingRow& setting : PopulationSchema())
        if (edit->objectName() == setting.controls[population_])
            return setting.defaultText;
    return {};
}

} // namespace quba
