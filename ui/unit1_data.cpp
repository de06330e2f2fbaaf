// Data files and noise: loading either grid from a text file, the "use
// training data " option, and the two "Add noise" commands.
#include "ui/unit1.h"

#include "data/data_file.h"
#include "data/noise.h"
#include "ui/controls.h"
#include "ui/unit9.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

QString TForm1::ChooseDataFile(const QString& startFolder) {
    return QFileDialog::getOpenFileName(this, "Open", startFolder);
}

QString TForm1::AskDataFile() {
    const QString path = ChooseDataFile(dataFolder_);
    if (path.isEmpty())
        return {};
    // Like the platform's open dialog, choosing a file moves the process into
    // its folder; that folder is what the program keeps when it ends.
    const QString folder = QFileInfo(path).absolutePath();
    QDir::setCurrent(folder);
    dataFolder_ = folder;
    return path;
}

std::optional<DataGrid> TForm1::ReadGridFile(const QString& path, int32_t size) {
    DataFileResult result = ReadDataFile(QFile::encodeName(path).toStdString(), size);
    if (!result.grid)
        ShowMessage(QString::fromStdString(result.message));
    return std::move(result.grid);
}

void TForm1::BitBtn3Click() {
    const QString path = AskDataFile();
    if (path.isEmpty())
        return;
    // The size is read when the file is, so a refused file leaves the grid
    // and its size as they were.
    if (std::optional<DataGrid> grid = ReadGridFile(path, trainingSize_->value()))
        SetTrainingGrid(std::move(*grid));
}

void TForm1::BitBtn4Click() {
    const QString path = AskDataFile();
    if (path.isEmpty())
        return;
    if (std::optional<DataGrid> grid = ReadGridFile(path, validationSize_->value()))
        SetValidationGrid(std::move(*grid));
}

void TForm1::CheckBox3Click() {
    const bool followsTraining = useTrainingData_->isChecked();
    for (QWidget* control : std::initializer_list<QWidget*>{
             validationSizeLabel_, validationSize_, validationPatternLabel_, validationPatterns_,
             validationLoad_, validationNoise_})
        control->setEnabled(!followsTraining);
    loadValidationItem_->setEnabled(!followsTraining);
    noiseValidationItem_->setEnabled(!followsTraining);
    if (followsTraining)
        CopyTrainingToValidation();
}

bool TForm1::AskNoiseRatio() {
    if (noiseDialog_->exec() != QDialog::Accepted)
        return false;
    noiseRatio_ = ClampNoiseRatio(noiseDialog_->Ratio());
    return true;
}

void TForm1::Button1Click() {
    if (!trainingGrid_) {
        ShowMessage(kNoGridMessage);
        return;
    }
    if (!AskNoiseRatio())
        return;
    const bool followsTraining = useTrainingData_->isChecked() && validationGrid_;
    AddNoise(*trainingGrid_, noiseRatio_, followsTraining ? &*validationGrid_ : nullptr);
    DrawTrainingGrid();
    if (followsTraining)
        DrawValidationGrid();
}

void TForm1::Button2Click() {
    if (!validationGrid_) {
        ShowMessage(kNoGridMessage);
        return;
    }
    if (!AskNoiseRatio())
        return;
    AddNoise(*validationGrid_, noiseRatio_);
    DrawValidationGrid();
}
