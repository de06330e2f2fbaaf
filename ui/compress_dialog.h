// The "Compress picture..." dialog: a picture made into a grid, the whole
// grid's run and then the codec, on a worker thread, with a progress bar, a
// preview of the best formula within the budget so far, Cancel, and Save as
// a compressed formula file.
#pragma once

#include "codec/compress.h"
#include "data/area_average.h"
#include "engine/fitness.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace quba {

struct BestProgram;

class CompressDialog : public QDialog {
    Q_OBJECT
public:
    // Asks for a file name; empty when cancelled.
    using AskPath = std::function<QString(bool save, const QString& suggested)>;

    // `fit` makes a picture that is not square into the square grid;
    // `report` shows a message.
    CompressDialog(PictureFit fit, QString startFolder, std::function<void(const QString&)> report,
                   QWidget* parent);
    ~CompressDialog() override;

    // The file dialogs of Browse and Save; tests hand in their own.
    void SetAskPath(AskPath ask) { askPath_ = std::move(ask); }

    void SetPicturePath(const QString& path);
    // Reads the picture and starts the work; false (with a message) when the
    // picture cannot be read.
    bool StartCompression();
    // Ends the work at its next step or block; nothing is kept.
    void CancelCompression();
    [[nodiscard]] bool Working() const { return worker_.joinable() && !finished_; }
    // The file made, once the work has ended with one.
    [[nodiscard]] const std::optional<Compression>& Result() const { return result_; }
    [[nodiscard]] QString StatusText() const;
    // Writes the file; a failure is reported and gives false.
    bool SaveTo(const QString& path);

signals:
    // The work ended: with a file, cancelled or refused.
    void finished();

protected:
    void reject() override;

private:
    QWidget* BuildSettings();
    void Browse();
    void Save();
    [[nodiscard]] CodecSettings Codec() const;
    void ShowBestWithinBudget(const BestProgram& program, int64_t bytes);
    // The whole grid's run fills the first half of the bar, the blocks the rest.
    void ShowProgress(int32_t done, int32_t total, bool blocks);
    void WorkEnded(std::optional<Compression> made, const QString& message);
    void JoinWorker();
    void UpdateButtons();

    PictureFit fit_;
    QString folder_;
    std::function<void(const QString&)> report_;
    AskPath askPath_;
    FitnessEvaluators previewEvaluators_{EvaluationOptions{EvaluatorKind::Batch, 1}};

    QLineEdit* picturePath_ = nullptr;
    QSpinBox* gridSize_ = nullptr;
    QRadioButton* byBytes_ = nullptr;
    QSpinBox* budget_ = nullptr;
    QRadioButton* byPsnr_ = nullptr;
    QDoubleSpinBox* targetPsnr_ = nullptr;
    QCheckBox* scaling_ = nullptr;
    QCheckBox* tuning_ = nullptr;
    QCheckBox* tiles_ = nullptr;
    QCheckBox* samples_ = nullptr;
    QCheckBox* cosines_ = nullptr;
    QSpinBox* stages_ = nullptr;
    QSpinBox* populationSize_ = nullptr;
    QSpinBox* generations_ = nullptr;
    QSpinBox* seed_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* preview_ = nullptr;
    QLabel* status_ = nullptr;

    std::optional<DataGrid> grid_; // the grid being compressed
    std::optional<Compression> result_;
    std::atomic<bool> cancelled_ = false;
    bool finished_ = true;
    std::thread worker_;
};

} // namespace quba
