#include "ui/problem_page.h"

#include "core/decimal.h"
#include "data/data_file.h"
#include "data/noise.h"
#include "data/patterns.h"
#include "engine/primitives.h"
#include "picture/picture_grid.h"
#include "setup/messages.h"
#include "ui/controls.h"
#include "ui/folder_setting.h"
#include "ui/form_host.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace quba {

namespace {

constexpr int kDataPictureSide = 145;

QLineEdit* NewEdit(const char* name, const char* text, int width, QWidget* parent);

// The field of a setting of the schema, named by it and showing its first text.
QLineEdit* NewSettingEdit(SettingField field, int width, QWidget* parent) {
    const SettingRow& setting = RowOf(field);
    return NewEdit(setting.controls[0], setting.defaultText, width, parent);
}

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

ProblemPage::ProblemPage(FormHost& host, RandomGenerator& random, QWidget* parent)
    : QWidget(parent), host_(host), random_(random), dataFolder_(ReadDataFolder()) {
    setObjectName("TabSheet1");
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

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(dataRow);
    layout->addLayout(settingsRow);
    layout->addStretch();
    Connect();
}

QGroupBox* ProblemPage::BuildDataGroup(bool validation) {
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

QGroupBox* ProblemPage::BuildFunctionsGroup() {
    auto* group = new QGroupBox("Functions", this);
    functionList_ = new QListWidget(group);
    functionList_->setObjectName("CheckListBox1");
    for (size_t k = 0; k < kPrimitives.size(); ++k) {
        auto* item = new QListWidgetItem(kPrimitives[k].listText, functionList_);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(defaults::kFunctionChecked[k] ? Qt::Checked : Qt::Unchecked);
    }
    // Two columns of six: the items flow down and wrap into the second column.
    functionList_->setFlow(QListView::TopToBottom);
    functionList_->setWrapping(true);
    functionList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    functionList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowHeight = functionList_->sizeHintForRow(0);
    int widestText = 0;
    for (const Primitive& primitive : kPrimitives)
        widestText = std::max(widestText,
                              functionList_->fontMetrics().horizontalAdvance(primitive.listText));
    const int columnWidth = widestText + 36;
    functionList_->setGridSize(QSize(columnWidth, rowHeight));
    const int frame = 2 * functionList_->frameWidth();
    functionList_->setFixedSize(2 * columnWidth + frame + 2,
                                kFunctionCount / 2 * rowHeight + frame + 2);

    auto* layout = new QVBoxLayout(group);
    layout->addWidget(functionList_);
    return group;
}

QGroupBox* ProblemPage::BuildConstantsGroup() {
    auto* group = new QGroupBox("Constants", this);
    rangeLower_ = NewSettingEdit(SettingField::RangeLower, 48, group);
    rangeUpper_ = NewSettingEdit(SettingField::RangeUpper, 48, group);
    constantCount_ = NewSettingEdit(SettingField::ConstantCount, 64, group);

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

QGroupBox* ProblemPage::BuildVariableGroup() {
    auto* group = new QGroupBox("Variable", this);
    horizontalName_ = NewEdit("Edit16", defaults::kHorizontalName, 64, group);
    verticalName_ = NewEdit("Edit17", defaults::kVerticalName, 64, group);
    outputName_ = NewEdit("Edit54", defaults::kOutputName, 64, group);

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

void ProblemPage::Connect() {
    connect(trainingPatterns_, &PatternList::picked, this, &ProblemPage::ListBox1Click);
    connect(validationPatterns_, &PatternList::picked, this, &ProblemPage::ListBox2Click);
    connect(trainingLoad_, &QPushButton::clicked, this, &ProblemPage::BitBtn3Click);
    connect(validationLoad_, &QPushButton::clicked, this, &ProblemPage::BitBtn4Click);
    connect(useTrainingData_, &QCheckBox::toggled, this, &ProblemPage::CheckBox3Click);
    connect(trainingNoise_, &QPushButton::clicked, this, &ProblemPage::Button1Click);
    connect(validationNoise_, &QPushButton::clicked, this, &ProblemPage::Button2Click);
}

void ProblemPage::ListBox1Click() {
    trainingSource_.reset();
    SetTrainingGrid(GeneratePattern(trainingPatterns_->currentRow(), trainingSize_->value()));
}

void ProblemPage::ListBox2Click() {
    validationSource_.reset();
    SetValidationGrid(GeneratePattern(validationPatterns_->currentRow(), validationSize_->value()));
}

void ProblemPage::ShowTrainingGrid() {
    trainingPicture_->Draw(*grids_.Training());
    emit trainingGridChanged(*grids_.Training());
}

void ProblemPage::ShowValidationGrid() {
    // A copy of the training grid has the training grid's size, and the
    // field says so.
    if (grids_.FollowsTraining()) {
        const QSignalBlocker quiet(validationSize_);
        validationSize_->setValue(grids_.Validation()->Size());
    }
    validationPicture_->Draw(*grids_.Validation());
    emit validationGridChanged(*grids_.Validation());
}

void ProblemPage::SetTrainingGrid(DataGrid grid) {
    const bool copied = grids_.SetTraining(std::move(grid));
    ShowTrainingGrid();
    if (copied)
        ShowValidationGrid();
}

void ProblemPage::SetValidationGrid(DataGrid grid) {
    grids_.SetValidation(std::move(grid));
    ShowValidationGrid();
}

ProblemSettings ProblemPage::Settings() const {
    ProblemSettings settings;
    for (int i = 0; i < kFunctionCount; ++i)
        settings.functionChecked[i] = functionList_->item(i)->checkState() == Qt::Checked;
    settings.constantCountText = constantCount_->text().toStdString();
    settings.rangeLowerText = rangeLower_->text().toStdString();
    settings.rangeUpperText = rangeUpper_->text().toStdString();
    settings.horizontalName = horizontalName_->text().toStdString();
    settings.verticalName = verticalName_->text().toStdString();
    settings.training = grids_.Training() ? &*grids_.Training() : nullptr;
    settings.validation = grids_.Validation() ? &*grids_.Validation() : nullptr;
    settings.useTrainingData = grids_.FollowsTraining();
    return settings;
}

std::string ProblemPage::OutputName() const {
    return outputName_->text().toStdString();
}

void ProblemPage::CheckPlus() {
    functionList_->item(0)->setCheckState(Qt::Checked);
}

void ProblemPage::ResetRange() {
    rangeLower_->setText(defaults::kRangeResetLower);
    rangeUpper_->setText(defaults::kRangeResetUpper);
}

ProblemPage::RangeCheck ProblemPage::CheckConstantsRange() {
    long double lower = 0;
    long double upper = 0;
    try {
        lower = TextToExtended(rangeLower_->text().toStdString());
        upper = TextToExtended(rangeUpper_->text().toStdString());
    } catch (const ConversionError& error) {
        host_.ShowMessage(error.what());
        return RangeCheck::NotANumber;
    }
    if (lower < upper)
        return RangeCheck::Passed;
    host_.ShowMessage(kRangeMessage);
    ResetRange();
    return RangeCheck::Reset;
}

QLineEdit* ProblemPage::FieldEdit(SettingField field) const {
    for (const SettingRow& setting : SettingSchema())
        if (setting.field == field && setting.scope == SettingScope::Problem)
            return findChild<QLineEdit*>(setting.controls[0]);
    return nullptr;
}

QString ProblemPage::AskDataFile() {
    const QString path = host_.ChooseDataFile(dataFolder_);
    if (path.isEmpty())
        return {};
    // Like the platform's open dialog, choosing a file moves the process into
    // its folder; that folder is what the program keeps when it ends.
    const QString folder = QFileInfo(path).absolutePath();
    QDir::setCurrent(folder);
    dataFolder_ = folder;
    return path;
}

std::optional<DataGrid> ProblemPage::ReadGridFile(const QString& path, int32_t size,
                                                  bool* fromPicture) {
    // A picture or a data file, told apart by what the file holds.
    const std::string name = QFile::encodeName(path).toStdString();
    const bool picture = HoldsPicture(name);
    if (fromPicture != nullptr)
        *fromPicture = picture;
    if (picture) {
        Outcome<DataGrid> picture = ReadPictureGrid(name, size, pictureFit_);
        if (!picture.value)
            host_.ShowMessage(QString::fromStdString(picture.message));
        return std::move(picture.value);
    }
    Outcome<DataGrid> result = ReadDataFile(name, size);
    if (!result.value)
        host_.ShowMessage(QString::fromStdString(result.message));
    return std::move(result.value);
}

void ProblemPage::BitBtn3Click() {
    const QString path = AskDataFile();
    if (path.isEmpty())
        return;
    // The size is read when the file is, so a refused file leaves the grid
    // and its size as they were.
    bool fromPicture = false;
    const int32_t size = trainingSize_->value();
    if (std::optional<DataGrid> grid = ReadGridFile(path, size, &fromPicture)) {
        SetTrainingGrid(std::move(*grid));
        trainingSource_.reset();
        if (fromPicture)
            trainingSource_ = PictureSource{QFileInfo(path).absoluteFilePath(), size};
        ForgetPattern(trainingPatterns_);
        if (grids_.FollowsTraining())
            ForgetPattern(validationPatterns_);
    }
}

void ProblemPage::ForgetPattern(PatternList* list) {
    const QSignalBlocker quiet(list);
    list->clearSelection();
    list->setCurrentRow(-1);
}

void ProblemPage::SetPictureFit(PictureFit fit) {
    pictureFit_ = fit;
    if (trainingSource_)
        if (std::optional<DataGrid> grid =
                ReadGridFile(trainingSource_->path, trainingSource_->size))
            SetTrainingGrid(std::move(*grid));
    if (validationSource_ && !grids_.FollowsTraining())
        if (std::optional<DataGrid> grid =
                ReadGridFile(validationSource_->path, validationSource_->size))
            SetValidationGrid(std::move(*grid));
}

void ProblemPage::BitBtn4Click() {
    const QString path = AskDataFile();
    if (path.isEmpty())
        return;
    bool fromPicture = false;
    const int32_t size = validationSize_->value();
    if (std::optional<DataGrid> grid = ReadGridFile(path, size, &fromPicture)) {
        SetValidationGrid(std::move(*grid));
        validationSource_.reset();
        if (fromPicture)
            validationSource_ = PictureSource{QFileInfo(path).absoluteFilePath(), size};
        ForgetPattern(validationPatterns_);
    }
}

void ProblemPage::CheckBox3Click() {
    const bool followsTraining = useTrainingData_->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             validationSizeLabel_, validationSize_, validationPatternLabel_, validationPatterns_,
             validationLoad_, validationNoise_})
        control->setEnabled(!followsTraining);
    emit validationFollowsTraining(followsTraining);
    if (grids_.SetFollowsTraining(followsTraining))
        ShowValidationGrid();
}

void ProblemPage::Button1Click() {
    if (!grids_.Training()) {
        host_.ShowMessage(kNoGridMessage);
        return;
    }
    const std::optional<float> ratio = host_.AskNoiseRatio();
    if (!ratio)
        return;
    bool copied = false;
    grids_.AddTrainingNoise(*ratio, random_, &copied);
    trainingSource_.reset(); // read again, the picture would lose its noise
    ShowTrainingGrid();
    if (copied)
        ShowValidationGrid();
}

void ProblemPage::Button2Click() {
    if (!grids_.Validation()) {
        host_.ShowMessage(kNoGridMessage);
        return;
    }
    const std::optional<float> ratio = host_.AskNoiseRatio();
    if (!ratio)
        return;
    grids_.AddValidationNoise(*ratio, random_);
    validationSource_.reset();
    ShowValidationGrid();
}

} // namespace quba
