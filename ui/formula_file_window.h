// What File, "Open compressed formula..." shows: a formula file decoded and
// redrawn upright at a chosen size, its figures (bytes, and the PSNR against
// the training grid when one of its size is loaded), and its export as code,
// a picture or a data file.
#pragma once

#include "codec/formula_file_load.h"
#include "core/grid.h"
#include "engine/fitness.h"

#include <QDialog>
#include <QImage>
#include <QString>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QSpinBox;

namespace quba {

class FormulaFileWindow : public QDialog {
    Q_OBJECT
public:
    // What Save writes, in the order of SaveFormats: the export formats,
    // then the picture and the data file.
    enum class Output { C, Python, Glsl, Latex, Picture, DataFile };
    // Asks where to save; empty when cancelled.
    using AskSavePath = std::function<QString(const QString& suggested, const QString& filter)>;

    // `training` is the loaded training grid, if any; `outputName` names the
    // exported functions; `report` shows a message.
    FormulaFileWindow(LoadedFormulaFile loaded, const QString& path,
                      const std::optional<DataGrid>& training, std::string outputName,
                      std::function<void(const QString&)> report, QWidget* parent);

    void SetAskSavePath(AskSavePath ask) { askSavePath_ = std::move(ask); }
    void SetPictureSize(int pixels);
    void SetOutput(Output output);
    [[nodiscard]] QString FiguresText() const;
    [[nodiscard]] const QImage& Picture() const { return picture_; }
    [[nodiscard]] const DataGrid& Decoded() const { return decoded_; }
    // Writes the chosen output; a failure is reported and gives false.
    bool SaveTo(const QString& path);

private:
    void Redraw();
    void Save();

    LoadedFormulaFile loaded_;
    QString path_;
    std::string outputName_;
    std::function<void(const QString&)> report_;
    AskSavePath askSavePath_;
    FitnessEvaluators evaluators_{EvaluationOptions{EvaluatorKind::Batch, 0}};
    DataGrid decoded_;
    QImage picture_;

    QLabel* pictureLabel_ = nullptr;
    QLabel* figures_ = nullptr;
    QSpinBox* pictureSize_ = nullptr;
    QComboBox* output_ = nullptr;
};

} // namespace quba
