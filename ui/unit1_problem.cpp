// The "Problem Configration" page: data grids, function set, constants and
// variable names.
#include "ui/unit1.h"

#include "data/patterns.h"
#include "engine/problem.h"
#include "ui/controls.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kDataPictureSide = 145;

QLineEdit* NewEdit(const char* name, const char* text, int width, QWidget* parent) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    edit->setFixedWidth(width);
    return edit;
}

PatternList* NewPatternList(const char* name, QWidget* parent) {
    auto* list = new PatternList(parent);
    list->setObjectName(name);
    for (const char* pattern : kPatternNames)
        list->addItem(pattern);
    // About two rows: the list scrolls through the seven patterns.
    list->setFixedHeight(2 * list->sizeHintForRow(0) + 2 * list->frameWidth() + 2);
    return list;
}

} // namespace

QWidget* TForm1::BuildTabSheet1() {
    auto* page = new QWidget(this);
    page->setObjectName("TabSheet1");

    QGroupBox* training = BuildDataGroup(false);
    QGroupBox* validation = BuildDataGroup(true);
    // Keeps the two pictures level: the training group has no check box above
    // its picture.
    auto* level = new QWidget(training);
    level->setFixedHeight(useTrainingData_->sizeHint().height());
    static_cast<QGridLayout*>(training->layout())->addWidget(level, 0, 0);
    auto* dataRow = new QHBoxLayout;
    dataRow->addStretch();
    dataRow->addWidget(training);
    dataRow->addSpacing(16);
    dataRow->addWidget(validation);
    dataRow->addStretch();

    auto* settingsRow = new QHBoxLayout;
    settingsRow->addWidget(BuildFunctionsGroup());
    settingsRow->addWidget(BuildConstantsGroup());
    settingsRow->addWidget(BuildVariableGroup());

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(dataRow);
    layout->addLayout(settingsRow);
    layout->addStretch();
    return page;
}

QGroupBox* TForm1::BuildDataGroup(bool validation) {
    auto* group = new QGroupBox(validation ? "Validation Data" : "Training Data", this);
    group->setFixedSize(273, 345);
    auto* layout = new QGridLayout(group);
    layout->setVerticalSpacing(10);

    auto* picture = new GridPicture(kDataPictureSide, group);
    picture->setObjectName(validation ? "Image4" : "Image1");
    auto* size = new QSpinBox(group);
    size->setObjectName(validation ? "CSpinEdit2" : "CSpinEdit1");
    size->setRange(DataGrid::kMinSize, DataGrid::kMaxSize);
    size->setValue(DataGrid::kDefaultSize);
    size->setFixedWidth(64);
    auto* patterns = NewPatternList(validation ? "ListBox2" : "ListBox1", group);
    auto* load = new QPushButton("Load", group);
    load->setObjectName(validation ? "BitBtn4" : "BitBtn3");
    auto* noise = new QPushButton("Add noise", group);
    noise->setObjectName(validation ? "Button2" : "Button1");
    auto* sizeLabel = new QLabel("Size of axis", group);
    auto* patternLabel = new QLabel("Select pattern", group);

    if (validation) {
        useTrainingData_ = new QCheckBox("use training data ", group);
        useTrainingData_->setObjectName("CheckBox3");
        useTrainingData_->setChecked(true);
        layout->addWidget(useTrainingData_, 0, 0, 1, 2);
        // While the validation data follow the training data, their own
        // controls are closed.
        sizeLabel->setObjectName("validationSizeLabel");
        patternLabel->setObjectName("validationPatternLabel");
        validationSizeLabel_ = sizeLabel;
        validationPatternLabel_ = patternLabel;
        for (QWidget* control :
             std::initializer_list<QWidget*>{sizeLabel, size, patternLabel, patterns, load, noise})
            control->setEnabled(false);
    }
    layout->addWidget(picture, 1, 0, 1, 2, Qt::AlignHCenter);
    layout->addWidget(sizeLabel, 2, 0);
    layout->addWidget(size, 2, 1, Qt::AlignLeft);
    layout->addWidget(patternLabel, 3, 0, Qt::AlignTop);
    layout->addWidget(patterns, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(load);
    buttons->addWidget(noise);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setRowStretch(5, 1);

    (validation ? validationPicture_ : trainingPicture_) = picture;
    (validation ? validationSize_ : trainingSize_) = size;
    (validation ? validationPatterns_ : trainingPatterns_) = patterns;
    (validation ? validationLoad_ : trainingLoad_) = load;
    (validation ? validationNoise_ : trainingNoise_) = noise;
    return group;
}

QGroupBox* TForm1::BuildFunctionsGroup() {
    auto* group = new QGroupBox("Functions", this);
    functionList_ = new QListWidget(group);
    functionList_->setObjectName("CheckListBox1");
    for (const char* text : kFunctionListItems) {
        auto* item = new QListWidgetItem(text, functionList_);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    // Two columns of six: the items flow down and wrap into the second column.
    functionList_->setFlow(QListView::TopToBottom);
    functionList_->setWrapping(true);
    functionList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    functionList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = functionList_->sizeHintForRow(0);
    const int columnWidth = functionList_->fontMetrics().horizontalAdvance("log10 (abs)") + 36;
    functionList_->setGridSize(QSize(columnWidth, rowHeight));
    const int frame = 2 * functionList_->frameWidth();
    functionList_->setFixedSize(2 * columnWidth + frame + 2,
                                kFunctionCount / 2 * rowHeight + frame + 2);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(functionList_);
    return group;
}

QGroupBox* TForm1::BuildConstantsGroup() {
    auto* group = new QGroupBox("Constants", this);
    rangeLower_ = NewEdit("Edit10", "-1", 48, group);
    rangeUpper_ = NewEdit("Edit11", "1", 48, group);
    constantCount_ = NewEdit("Edit12", "1000", 64, group);

    auto* layout = new QGridLayout(group);
    layout->addWidget(new QLabel("Range", group), 0, 0, 1, 3);
    layout->addWidget(rangeLower_, 1, 0);
    layout->addWidget(new QLabel("-", group), 1, 1, Qt::AlignCenter);
    layout->addWidget(rangeUpper_, 1, 2);
    layout->addWidget(new QLabel("Number of constant", group), 2, 0, 1, 3);
    layout->addWidget(constantCount_, 3, 0, 1, 3, Qt::AlignLeft);
    layout->setRowStretch(4, 1);
    return group;
}

QGroupBox* TForm1::BuildVariableGroup() {
    auto* group = new QGroupBox("Variable", this);
    horizontalName_ = NewEdit("Edit16", "X", 64, group);
    verticalName_ = NewEdit("Edit17", "Y", 64, group);
    outputName_ = NewEdit("Edit54", "C", 64, group);

    auto* layout = new QGridLayout(group);
    layout->addWidget(new QLabel("Name of variable", group), 0, 0, 1, 2);
    layout->addWidget(new QLabel("Horizontal axis", group), 1, 0);
    layout->addWidget(horizontalName_, 1, 1);
    layout->addWidget(new QLabel("Vertical axis", group), 2, 0);
    layout->addWidget(verticalName_, 2, 1);
    layout->addWidget(new QLabel("Color", group), 3, 0);
    layout->addWidget(outputName_, 3, 1);
    layout->setRowStretch(4, 1);
    return group;
}

void TForm1::ConnectProblemPage() {
    connect(trainingPatterns_, &PatternList::picked, this, &TForm1::ListBox1Click);
    connect(validationPatterns_, &PatternList::picked, this, &TForm1::ListBox2Click);
    connect(trainingLoad_, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(loadTrainingItem_, &QAction::triggered, this, &TForm1::BitBtn3Click);
    connect(validationLoad_, &QPushButton::clicked, this, &TForm1::BitBtn4Click);
    connect(loadValidationItem_, &QAction::triggered, this, &TForm1::BitBtn4Click);
    connect(useTrainingData_, &QCheckBox::toggled, this, &TForm1::CheckBox3Click);
    connect(trainingNoise_, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(noiseTrainingItem_, &QAction::triggered, this, &TForm1::Button1Click);
    connect(validationNoise_, &QPushButton::clicked, this, &TForm1::Button2Click);
    connect(noiseValidationItem_, &QAction::triggered, this, &TForm1::Button2Click);
}

void TForm1::ListBox1Click() {
    SetTrainingGrid(GeneratePattern(trainingPatterns_->currentRow(), trainingSize_->value()));
}

void TForm1::ListBox2Click() {
    SetValidationGrid(GeneratePattern(validationPatterns_->currentRow(), validationSize_->value()));
}

void TForm1::SetTrainingGrid(DataGrid grid) {
    trainingGrid_ = std::move(grid);
    DrawTrainingGrid();
    if (useTrainingData_->isChecked())
        CopyTrainingToValidation();
}

void TForm1::SetValidationGrid(DataGrid grid) {
    validationGrid_ = std::move(grid);
    DrawValidationGrid();
}

void TForm1::CopyTrainingToValidation() {
    if (trainingGrid_)
        SetValidationGrid(*trainingGrid_);
}

void TForm1::DrawTrainingGrid() {
    for (GridPicture* picture : {trainingPicture_, trainingDataPicture_})
        picture->Draw(trainingGrid_->Size(), trainingGrid_->Cells().data());
}

void TForm1::DrawValidationGrid() {
    for (GridPicture* picture : {validationPicture_, validationDataPicture_})
        picture->Draw(validationGrid_->Size(), validationGrid_->Cells().data());
}

void TForm1::TabSheet1Hide() {
    (void)CheckConstantsRange(true);
}

ProblemSettings TForm1::ProblemPanelSettings() const {
    ProblemSettings settings;
    for (int i = 0; i < kFunctionCount; ++i)
        settings.functionChecked[i] = functionList_->item(i)->checkState() == Qt::Checked;
    settings.constantCountText = constantCount_->text().toStdString();
    settings.rangeLowerText = rangeLower_->text().toStdString();
    settings.rangeUpperText = rangeUpper_->text().toStdString();
    settings.horizontalName = horizontalName_->text().toStdString();
    settings.verticalName = verticalName_->text().toStdString();
    if (trainingGrid_)
        settings.training = trainingGrid_->View();
    if (validationGrid_)
        settings.validation = validationGrid_->View();
    settings.useTrainingData = useTrainingData_->isChecked();
    return settings;
}
