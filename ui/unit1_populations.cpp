// The "Populations" page: the number of populations and one settings sheet
// per population, with the handlers that keep the sheets consistent.
#include "ui/unit1.h"

#include "engine/gp.h"
#include "ui/controls.h"
#include "ui/unit1_sheet.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

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

QWidget* TForm1::BuildTabSheet3() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheet3");

    populationNumber_ = new QComboBox(page);
    populationNumber_->setObjectName("ComboBox1");
    populationNumber_->addItems({"1", "2", "3", "4"});
    populationNumber_->setEditable(false);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(new QLabel("Number of Population", page));
    numberRow->addWidget(populationNumber_);
    numberRow->addStretch();

    sheetTabs_ = new PageControl(page);
    sheetTabs_->setObjectName("PageControl2");
    for (int i = 0; i < 4; ++i) {
        sheets_[i] = new PopulationSheet(i, sheetTabs_);
        sheets_[i]->setObjectName(kSheetTabNames[i]);
        sheetTabs_->addTab(sheets_[i], QString("No%1").arg(i + 1));
        sheetTabs_->setTabVisible(i, i == 0);
    }

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(numberRow);
    layout->addWidget(sheetTabs_);
    return page;
}

void TForm1::ConnectPopulationsPage() {
    for (PopulationSheet* sheet : sheets_) {
        for (QLineEdit* rate : {sheet->crossover, sheet->mutation, sheet->onePoint})
            connect(rate, &QLineEdit::textChanged, this, &TForm1::Edit4Change);
        for (QLineEdit* ratio : {sheet->functionRatio, sheet->variableRatio})
            connect(ratio, &QLineEdit::textChanged, this, &TForm1::Edit13Change);
        connect(sheet->selection, &QButtonGroup::idToggled, this, [this](int, bool checked) {
            if (checked)
                RadioGroup1Click();
        });
        connect(sheet->elite, &QCheckBox::toggled, this, &TForm1::CheckBox1Click);
    }
    connect(sheets_[0]->generations, &QLineEdit::textChanged, this, &TForm1::Edit2Change);
    connect(sheets_[1]->generations, &QLineEdit::textChanged, this, &TForm1::Edit19Change);
    connect(sheets_[2]->generations, &QLineEdit::textChanged, this, &TForm1::Edit31Change);
    connect(sheets_[3]->generations, &QLineEdit::textChanged, this, &TForm1::Edit43Change);
    connect(populationNumber_, &QComboBox::currentIndexChanged, this, &TForm1::ComboBox1Change);
}

PopulationSheet* TForm1::FrontSheet() const {
    for (PopulationSheet* sheet : sheets_)
        if (sheet == sheetTabs_->currentWidget())
            return sheet;
    return nullptr;
}

void TForm1::Edit4Change() {
    PopulationSheet* sheet = FrontSheet();
    if (sheet == nullptr || BeingTyped({sheet->crossover, sheet->mutation, sheet->onePoint}))
        return;
    try {
        sheet->reproduction->setText(
            QString::fromStdString(ReproductionLabelText(sheet->Settings())));
    } catch (const ConversionError& error) {
        ShowMessage(error.what());
    }
}

void TForm1::Edit13Change() {
    PopulationSheet* sheet = FrontSheet();
    if (sheet == nullptr || BeingTyped({sheet->functionRatio, sheet->variableRatio}))
        return;
    try {
        sheet->constant->setText(QString::fromStdString(ConstantLabelText(sheet->Settings())));
    } catch (const ConversionError& error) {
        ShowMessage(error.what());
    }
}

void TForm1::RadioGroup1Click() {
    for (PopulationSheet* sheet : sheets_)
        sheet->ApplyTournamentRule();
}

void TForm1::CheckBox1Click() {
    for (PopulationSheet* sheet : sheets_)
        sheet->ApplyEliteRule();
}

void TForm1::ComboBox1Change() {
    int32_t count = 0;
    try {
        count = TextToInteger(populationNumber_->currentText().toStdString());
    } catch (const ConversionError& error) {
        ShowMessage(error.what());
        return;
    }
    runCounters.populationCount = count;
    for (int i = 1; i < 4; ++i)
        sheetTabs_->setTabVisible(i, i < count);
    sheetTabs_->setCurrentIndex(0);
}

void TForm1::Edit2Change() {
    GenerationChange(0);
}

void TForm1::Edit19Change() {
    GenerationChange(1);
}

void TForm1::Edit31Change() {
    GenerationChange(2);
}

void TForm1::Edit43Change() {
    GenerationChange(3);
}

void TForm1::GenerationChange(int population) {
    int32_t generations = 0;
    try {
        generations = TextToInteger(sheets_[population]->generations->text().toStdString());
    } catch (const ConversionError& error) {
        ShowMessage(error.what());
        return;
    }
    if (generations > runCounters.generationBound) {
        runCounters.generationBound = generations;
        runCounters.labelPopulation = population;
    }
}

void TForm1::TabSheet3Hide() {
    PopulationSheet* first = sheets_[0];
    if (LabelIsNegative(first->reproduction->text().toStdString())) {
        first->ResetRates();
        ShowMessage(kRateSumMessage);
        ReturnToPage(populationsPage_);
    }
    if (LabelIsNegative(first->constant->text().toStdString())) {
        first->ResetRatios();
        ShowMessage(kNodeRatioMessage);
        ReturnToPage(populationsPage_);
    }
}

void TForm1::ShowSheet(int population) {
    pages_->setCurrentWidget(populationsPage_);
    sheetTabs_->setCurrentIndex(population);
}
