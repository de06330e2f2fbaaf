#include "ui/populations_page.h"

#include "core/decimal.h"
#include "setup/labels.h"
#include "setup/messages.h"
#include "ui/controls.h"
#include "ui/form_host.h"
#include "ui/population_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace quba {

namespace {

constexpr std::array<const char*, 4> kSheetTabNames = {"TabSheet2", "TabSheet5", "TabSheet6",
                                                       "TabSheet7"};

// A number still being typed ("-", ".", "1e") is not yet refused: its label
// waits for the next key.
bool BeingTyped(std::initializer_list<const QLineEdit*> fields) {
    return std::any_of(fields.begin(), fields.end(), [](const QLineEdit* field) {
        return IsIncompleteDecimal(field->text().toStdString());
    });
}

} // namespace

PopulationsPage::PopulationsPage(FormHost& host, QWidget* parent)
    : QWidget(parent), host_(host),
      generationBound_(TextToInteger(RowOf(SettingField::Generations).defaultText)) {
    setObjectName("TabSheet3");

    populationNumber_ = new QComboBox(this);
    populationNumber_->setObjectName("ComboBox1");
    populationNumber_->addItems({"1", "2", "3", "4"});
    populationNumber_->setEditable(false);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel("Number of Population", this));
    numberRow->addWidget(populationNumber_);
    numberRow->addStretch();

    sheetTabs_ = new PageControl(this);
    sheetTabs_->setObjectName("PageControl2");
    for (int i = 0; i < 4; ++i) {
        sheets_[i] = new PopulationSheet(i, sheetTabs_);
        sheets_[i]->setObjectName(kSheetTabNames[i]);
        sheetTabs_->addTab(sheets_[i], QString("No%1").arg(i + 1));
        sheetTabs_->setTabVisible(i, i == 0);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(numberRow);
    layout->addWidget(sheetTabs_);
    Connect();
}

void PopulationsPage::Connect() {
    for (PopulationSheet* sheet : sheets_) {
        for (QLineEdit* rate : {sheet->crossover, sheet->mutation, sheet->onePoint})
            connect(rate, &QLineEdit::textChanged, this, &PopulationsPage::Edit4Change);
        for (QLineEdit* ratio : {sheet->functionRatio, sheet->variableRatio})
            connect(ratio, &QLineEdit::textChanged, this, &PopulationsPage::Edit13Change);
        connect(sheet->selection, &QButtonGroup::idToggled, this, [this](int, bool checked) {
            if (checked)
                RadioGroup1Click();
        });
        connect(sheet->elite, &QCheckBox::toggled, this, &PopulationsPage::CheckBox1Click);
    }
    connect(sheets_[0]->generations, &QLineEdit::textChanged, this, &PopulationsPage::Edit2Change);
    connect(sheets_[1]->generations, &QLineEdit::textChanged, this, &PopulationsPage::Edit19Change);
    connect(sheets_[2]->generations, &QLineEdit::textChanged, this, &PopulationsPage::Edit31Change);
    connect(sheets_[3]->generations, &QLineEdit::textChanged, this, &PopulationsPage::Edit43Change);
    connect(populationNumber_, &QComboBox::currentIndexChanged, this,
            &PopulationsPage::ComboBox1Change);
}

std::vector<PopulationSettings> PopulationsPage::Settings(int32_t count) const {
    std::vector<PopulationSettings> settings;
    for (int32_t i = 0; i < count; ++i)
        settings.push_back(sheets_[i]->Settings());
    return settings;
}

PopulationSheet* PopulationsPage::FrontSheet() const {
    for (PopulationSheet* sheet : sheets_)
        if (sheet == sheetTabs_->currentWidget())
            return sheet;
    return nullptr;
}

void PopulationsPage::Edit4Change() {
    PopulationSheet* sheet = FrontSheet();
    if (sheet == nullptr || BeingTyped({sheet->crossover, sheet->mutation, sheet->onePoint}))
        return;
    try {
        sheet->reproduction->setText(
            QString::fromStdString(ReproductionLabelText(sheet->Settings())));
    } catch (const ConversionError& error) {
        host_.ShowMessage(error.what());
    }
}

void PopulationsPage::Edit13Change() {
    PopulationSheet* sheet = FrontSheet();
    if (sheet == nullptr || BeingTyped({sheet->functionRatio, sheet->variableRatio}))
        return;
    try {
        sheet->constant->setText(QString::fromStdString(ConstantLabelText(sheet->Settings())));
    } catch (const ConversionError& error) {
        host_.ShowMessage(error.what());
    }
}

void PopulationsPage::RadioGroup1Click() {
    for (PopulationSheet* sheet : sheets_)
        sheet->ApplyTournamentRule();
}

void PopulationsPage::CheckBox1Click() {
    for (PopulationSheet* sheet : sheets_)
        sheet->ApplyEliteRule();
}

void PopulationsPage::ComboBox1Change() {
    int32_t count = 0;
    try {
        count = TextToInteger(populationNumber_->currentText().toStdString());
    } catch (const ConversionError& error) {
        host_.ShowMessage(error.what());
        return;
    }
    populationCount_ = count;
    for (int i = 1; i < 4; ++i)
        sheetTabs_->setTabVisible(i, i < count);
    sheetTabs_->setCurrentIndex(0);
}

void PopulationsPage::Edit2Change() {
    GenerationChange(0);
}

void PopulationsPage::Edit19Change() {
    GenerationChange(1);
}

void PopulationsPage::Edit31Change() {
    GenerationChange(2);
}

void PopulationsPage::Edit43Change() {
    GenerationChange(3);
}

void PopulationsPage::GenerationChange(int32_t population) {
    int32_t generations = 0;
    try {
        generations = TextToInteger(sheets_[population]->generations->text().toStdString());
    } catch (const ConversionError& error) {
        host_.ShowMessage(error.what());
        return;
    }
    if (generations > generationBound_) {
        generationBound_ = generations;
        labelPopulation_ = population;
    }
}

bool PopulationsPage::TabSheet3Hide() {
    PopulationSheet* first = sheets_[0];
    bool sentBack = false;
    if (LabelIsNegative(first->reproduction->text().toStdString())) {
        first->ResetRates();
        host_.ShowMessage(kRateSumMessage);
        host_.ReturnToPage(this);
        sentBack = true;
    }
    if (LabelIsNegative(first->constant->text().toStdString())) {
        first->ResetRatios();
        host_.ShowMessage(kNodeRatioMessage);
        host_.ReturnToPage(this);
        sentBack = true;
    }
    return sentBack;
}

void PopulationsPage::ShowSheet(int32_t population) {
    host_.ShowPage(this);
    sheetTabs_->setCurrentIndex(population);
}

} // namespace quba
