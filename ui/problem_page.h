// The "Problem Configration" page: the training and validation grids with
// their patterns, data files and noise, the function set, the constants and
// the variable names. It owns the two grids.
#pragma once

#include "core/grid.h"
#include "core/random.h"
#include "data/area_average.h"
#include "data/grid_pair.h"
#include "setup/settings.h"
#include "setup/start_check.h"

#include <QString>
#include <QWidget>

#include <optional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quba {

class FormHost;
class GridPicture;
class PatternList;

class ProblemPage : public QWidget {
    Q_OBJECT
public:
    ProblemPage(FormHost& host, RandomGenerator& random, QWidget* parent);

    // The grids; absent until a pattern is picked or a file is loaded.
    [[nodiscard]] const std::optional<DataGrid>& TrainingGrid() const { return grids_.Training(); }
    [[nodiscard]] const std::optional<DataGrid>& ValidationGrid() const {
        return grids_.Validation();
    }
    // Replaces the training grid and draws it; while "use training data " is
    // ticked the validation grid becomes a copy of it.
    void SetTrainingGrid(DataGrid grid);
    // Replaces the validation grid and draws it.
    void SetValidationGrid(DataGrid grid);

    // The panel as Start reads it; the grids are pointed at, not copied.
    [[nodiscard]] ProblemSettings Settings() const;
    [[nodiscard]] std::string OutputName() const;
    // How a picture that is not square becomes the square grid: its central
    // square at first.
    // A grid read from a picture is read again with the new fit.
    void SetPictureFit(PictureFit fit);
    // Where the next file-open dialog starts: the kept folder at first, then
    // the folder of the last file chosen.
    [[nodiscard]] const QString& DataFolder() const { return dataFolder_; }

    // Checks "+" after Start went on with it alone.
    void CheckPlus();
    // The range of the constants set to -10 .. 10 after it was refused.
    void ResetRange();
    // The check made when the user leaves the page: a range text that is no
    // number is reported; a lower bound not below the upper one is reported
    // and the range reset.
    enum class RangeCheck { Passed, NotANumber, Reset };
    RangeCheck CheckConstantsRange();
    // The edit that a refused setting is about, or none.
    [[nodiscard]] QLineEdit* FieldEdit(SettingField field) const;

    // The handlers of the page's controls.
    void ListBox1Click();
    void ListBox2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void CheckBox3Click();
    void Button1Click();
    void Button2Click();

signals:
    // A grid was replaced or changed: the results page shows it too.
    void trainingGridChanged(const quba::DataGrid& grid);
    void validationGridChanged(const quba::DataGrid& grid);
    // "use training data " was ticked (true) or unticked.
    void validationFollowsTraining(bool follows);

private:
    QGroupBox* BuildDataGroup(bool validation);
    QGroupBox* BuildFunctionsGroup();
    QGroupBox* BuildConstantsGroup();
    QGroupBox* BuildVariableGroup();
    void Connect();
    [[nodiscard]] QString AskDataFile();
    // `fromPicture` tells whether the file held a picture.
    [[nodiscard]] std::optional<DataGrid> ReadGridFile(const QString& path, int32_t size,
                                                       bool* fromPicture = nullptr);
    // After a file is loaded no pattern of its list is highlighted.
    static void ForgetPattern(PatternList* list);

    // Where a grid read from a picture came from, so that a change of the
    // picture fit reads it again; none for patterns, data files and grids
    // with noise added.
    struct PictureSource {
        QString path;
        int32_t size;
    };
    std::optional<PictureSource> trainingSource_;
    std::optional<PictureSource> validationSource_;

    FormHost& host_;
    RandomGenerator& random_;

    GridPair grids_;
    // Draws a grid after it changed and tells the window.
    void ShowTrainingGrid();
    void ShowValidationGrid();
    QString dataFolder_;
    PictureFit pictureFit_ = PictureFit::Crop;

    GridPicture* trainingPicture_ = nullptr;
    QSpinBox* trainingSize_ = nullptr;
    PatternList* trainingPatterns_ = nullptr;
    QPushButton* trainingLoad_ = nullptr;
    QPushButton* trainingNoise_ = nullptr;
    QCheckBox* useTrainingData_ = nullptr;
    GridPicture* validationPicture_ = nullptr;
    QSpinBox* validationSize_ = nullptr;
    PatternList* validationPatterns_ = nullptr;
    QPushButton* validationLoad_ = nullptr;
    QPushButton* validationNoise_ = nullptr;
    QLabel* validationSizeLabel_ = nullptr;
    QLabel* validationPatternLabel_ = nullptr;
    QListWidget* functionList_ = nullptr;
    QLineEdit* rangeLower_ = nullptr;
    QLineEdit* rangeUpper_ = nullptr;
    QLineEdit* constantCount_ = nullptr;
    QLineEdit* horizontalName_ = nullptr;
    QLineEdit* verticalName_ = nullptr;
    QLineEdit* outputName_ = nullptr;
};

} // namespace quba
