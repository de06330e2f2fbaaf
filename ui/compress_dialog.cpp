#include "ui/compress_dialog.h"

#include "codec/compress_grid.h"
#include "engine/run_outlet.h"
#include "picture/grid_image.h"
#include "picture/picture_grid.h"
#include "setup/start_check.h"
#include "ui/controls.h"
#include "ui/save_formats.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <limits>
#include <new>
#include <span>

namespace quba {

namespace {

constexpr int kPreviewSide = 192;
constexpr int kProgressSteps = 1000; // the run fills the first half, the blocks the rest
constexpr int32_t kTuneIterations = 10;

QString Decibels(double psnr) {
    return std::isfinite(psnr) ? QString::number(psnr, 'f', 2) + " dB" : QString("exact");
}

} // namespace

CompressDialog::CompressDialog(PictureFit fit, QString startFolder,
                               std::function<void(const QString&)> report, QWidget* parent)
    : QDialog(parent), fit_(fit), folder_(std::move(startFolder)), report_(std::move(report)) {
    setObjectName("CompressDialog");
    UseInterfaceFont(this);
    setWindowTitle("Compress picture");
    askPath_ = [this](bool save, const QString& suggested) {
        return save ? QFileDialog::getSaveFileName(this, "Save compressed formula", suggested,
                                                   "Formula files (*.qf);;All files (*)")
                    : QFileDialog::getOpenFileName(this, "Picture to compress", suggested);
    };

    startButton_ = new QPushButton("&Compress", this);
    startButton_->setObjectName("CompressStart");
    startButton_->setDefault(true);
    saveButton_ = new QPushButton("&Save...", this);
    saveButton_->setObjectName("CompressSave");
    cancelButton_ = new QPushButton("Close", this);
    cancelButton_->setObjectName("CompressCancel");
    progress_ = new QProgressBar(this);
    progress_->setObjectName("CompressProgress");
    progress_->setRange(0, kProgressSteps);
    progress_->setValue(0);
    preview_ = new QLabel(this);
    preview_->setObjectName("CompressPreview");
    preview_->setFixedSize(kPreviewSide + 2, kPreviewSide + 2);
    preview_->setFrameStyle(QFrame::Box | QFrame::Plain);
    preview_->setAlignment(Qt::AlignCenter);
    status_ = new QLabel("Choose a picture and a budget, then press Compress.", this);
    status_->setObjectName("CompressStatus");
    status_->setWordWrap(true);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(startButton_, &QPushButton::clicked, this, &CompressDialog::StartCompression);
    connect(saveButton_, &QPushButton::clicked, this, &CompressDialog::Save);
    connect(cancelButton_, &QPushButton::clicked, this, [this] {
        if (Working())
            CancelCompression();
        else
            reject();
    });

    auto* results = new QVBoxLayout;
    results->addWidget(new QLabel("Best within the budget (upright):", this));
    results->addWidget(preview_);
    results->addWidget(status_);
    results->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addWidget(BuildSettings());
    columns->addLayout(results);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(startButton_);
    buttons->addWidget(progress_, 1);
    buttons->addWidget(saveButton_);
    buttons->addWidget(cancelButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addLayout(buttons);
    UpdateButtons();
}

CompressDialog::~CompressDialog() {
    cancelled_ = true;
    if (worker_.joinable())
        worker_.join();
}

QWidget* CompressDialog::BuildSettings() {
    auto* group = new QGroupBox("Picture, budget and search", this);
    picturePath_ = new QLineEdit(group);
    picturePath_->setObjectName("CompressPicturePath");
    auto* browse = new QPushButton("&Browse...", group);
    connect(browse, &QPushButton::clicked, this, &CompressDialog::Browse);
    auto* pathRow = new QHBoxLayout;
    pathRow->addWidget(picturePath_, 1);
    pathRow->addWidget(browse);

    const auto spin = [group](const char* name, int low, int high, int value) {
        auto* box = new QSpinBox(group);
        box->setObjectName(name);
        box->setRange(low, high);
        box->setValue(value);
        return box;
    };
    gridSize_ = spin("CompressGridSize", 2, 256, 64);
    byBytes_ = new QRadioButton("Budget in &bytes", group);
    byBytes_->setObjectName("CompressByBytes");
    byBytes_->setChecked(true);
    budget_ = spin("CompressBudget", 16, 1 << 20, 256);
    byPsnr_ = new QRadioButton("&Target PSNR", group);
    byPsnr_->setObjectName("CompressByPsnr");
    targetPsnr_ = new QDoubleSpinBox(group);
    targetPsnr_->setObjectName("CompressTarget");
    targetPsnr_->setRange(5, 99);
    targetPsnr_->setDecimals(1);
    targetPsnr_->setSuffix(" dB");
    targetPsnr_->setValue(25);
    scaling_ = new QCheckBox("&Linear scaling", group);
    scaling_->setObjectName("CompressScaling");
    scaling_->setChecked(true);
    tuning_ =
        new QCheckBox(QString("Tuned c&onstants (%1 iterations)").arg(kTuneIterations), group);
    tuning_->setObjectName("CompressTuning");
    tiles_ = new QCheckBox("T&iles (a quadtree of blocks)", group);
    tiles_->setObjectName("CompressTiles");
    tiles_->setChecked(true);
    stages_ = spin("CompressStages", 1, kMostStages, 1);
    samples_ = new QCheckBox("S&ample grid (a coarse layer under the formulas)", group);
    samples_->setObjectName("CompressSamples");
    samples_->setChecked(true);
    cosines_ = new QCheckBox("Cosine se&ries (the picture's largest cosine terms)", group);
    cosines_->setObjectName("CompressCosines");
    cosines_->setChecked(true);
    populationSize_ = spin("CompressPopulation", 2, 100000, 1000);
    generations_ = spin("CompressGenerations", 1, 100000, 50);
    seed_ = spin("CompressSeed", 0, std::numeric_limits<int>::max(), 1);

    auto* form = new QFormLayout(group);
    form->addRow("Picture", pathRow);
    form->addRow("Grid size (cells)", gridSize_);
    form->addRow(byBytes_, budget_);
    form->addRow(byPsnr_, targetPsnr_);
    form->addRow(scaling_);
    form->addRow(tuning_);
    form->addRow(tiles_);
    form->addRow("Stages", stages_);
    form->addRow(samples_);
    form->addRow(cosines_);
    form->addRow("Population size", populationSize_);
    form->addRow("Generations", generations_);
    form->addRow("Seed", seed_);
    form->addRow(new QLabel("The search runs in the fast arithmetic on all cores;\n"
                            "the file decodes with the exact one.",
                            group));
    return group;
}

void CompressDialog::Browse() {
    const QString path = askPath_(false, folder_);
    if (!path.isEmpty())
        SetPicturePath(path);
}

void CompressDialog::SetPicturePath(const QString& path) {
    picturePath_->setText(path);
}

CodecSettings CompressDialog::Codec() const {
    CodecSettings codec;
    if (byBytes_->isChecked())
        codec.budget = budget_->value();
    else
        codec.targetPsnr = targetPsnr_->value();
    codec.tiles = tiles_->isChecked();
    codec.stages = stages_->value();
    codec.samples = samples_->isChecked();
    codec.cosines = cosines_->isChecked();
    return codec;
}

bool CompressDialog::StartCompression() {
    if (Working())
        return false;
    JoinWorker();
    const std::string name = QFile::encodeName(picturePath_->text()).toStdString();
    Outcome<DataGrid> picture = ReadPictureGrid(name, gridSize_->value(), fit_);
    if (!picture) {
        report_(QString::fromStdString(picture.message));
        return false;
    }
    grid_ = std::move(picture.value);

    ProblemSettings problem;
    problem.training = &*grid_;
    problem.validation = &*grid_;
    problem.search.linearScaling = scaling_->isChecked();
    problem.search.tuneIterations = tuning_->isChecked() ? kTuneIterations : 0;
    PopulationSettings population;
    population.Text(SettingField::PopulationSize) = std::to_string(populationSize_->value());
    population.Text(SettingField::Generations) = std::to_string(generations_->value());
    StartOutcome checked = CheckStart(problem, std::span<const PopulationSettings>(&population, 1),
                                      PhysicalMemoryBytes());
    if (const auto* refusal = std::get_if<Refusal>(&checked)) {
        report_(QString::fromStdString(refusal->message));
        return false;
    }
    RunSettings settings = std::move(std::get<CheckedStart>(checked).settings);
    settings.evaluation = EvaluationOptions{EvaluatorKind::Fast, 0};

    result_.reset();
    cancelled_ = false;
    finished_ = false;
    preview_->clear();
    progress_->setValue(0);
    status_->setText("Evolving the whole grid...");
    UpdateButtons();
    const CodecSettings codec = Codec();
    const auto seed = static_cast<uint32_t>(seed_->value());
    worker_ =
        std::thread([this, grid = *grid_, settings = std::move(settings), codec, seed, fit = fit_] {
            CompressionWatch watch;
            watch.keepGoing = [this] { return !cancelled_.load(); };
            watch.runProgress = [this](int32_t done, int32_t total) {
                QMetaObject::invokeMethod(
                    this, [this, done, total] { ShowProgress(done, total, false); },
                    Qt::QueuedConnection);
            };
            watch.bestWithinBudget = [this](const BestProgram& program, int64_t bytes) {
                QMetaObject::invokeMethod(
                    this, [this, program, bytes] { ShowBestWithinBudget(program, bytes); },
                    Qt::QueuedConnection);
            };
            watch.blockProgress = [this](int32_t done, int32_t total) {
                QMetaObject::invokeMethod(
                    this, [this, done, total] { ShowProgress(done, total, true); },
                    Qt::QueuedConnection);
            };
            std::optional<Compression> made;
            QString message;
            try {
                Outcome<Compression> outcome =
                    CompressGrid(grid, settings, codec, fit, seed, watch);
                made = std::move(outcome.value);
                message = QString::fromStdString(outcome.message);
            } catch (const MemoryError& error) {
                message = error.what();
            } catch (const std::bad_alloc&) {
                message = kMemoryMessage;
            }
            QMetaObject::invokeMethod(
                this, [this, made = std::move(made), message] { WorkEnded(made, message); },
                Qt::QueuedConnection);
        });
    return true;
}

void CompressDialog::CancelCompression() {
    cancelled_ = true;
    status_->setText("Cancelling...");
}

void CompressDialog::ShowProgress(int32_t done, int32_t total, bool blocks) {
    if (finished_ || total <= 0)
        return;
    const QString stage = blocks ? "Evolving the blocks" : "Evolving the whole grid";
    const int half = kProgressSteps / 2;
    progress_->setValue((blocks ? half : 0) + static_cast<int>(int64_t{half} * done / total));
    QStringList lines = status_->text().split('\n');
    lines[0] = QString("%1: %2 of %3").arg(stage).arg(done).arg(total);
    status_->setText(lines.join('\n'));
}

void CompressDialog::ShowBestWithinBudget(const BestProgram& program, int64_t bytes) {
    if (finished_)
        return;
    preview_->setPixmap(QPixmap::fromImage(
        RedrawImage(program, kPreviewSide, RedrawStyle::Grey, previewEvaluators_)));
    const QString first = status_->text().split('\n').first();
    status_->setText(first + QString("\nBest single formula so far: %1 bytes, %2")
                                 .arg(bytes)
                                 .arg(Decibels(10 * std::log10(4.0 / program.trainingFitness))));
}

void CompressDialog::WorkEnded(std::optional<Compression> made, const QString& message) {
    JoinWorker();
    if (finished_)
        return; // closed while working
    finished_ = true;
    result_ = std::move(made);
    if (cancelled_) {
        result_.reset();
        status_->setText("Cancelled: no file was made.");
        progress_->setValue(0);
    } else if (!result_) {
        status_->setText("No file: " + message);
        report_(message);
    } else {
        progress_->setValue(kProgressSteps);
        FitnessEvaluators evaluators{EvaluationOptions{EvaluatorKind::Batch, 0}};
        preview_->setPixmap(QPixmap::fromImage(
            RedrawImage(result_->file, kPreviewSide, RedrawStyle::Grey, evaluators)));
        QString text = QString("Done: %1 bytes, %2 on the %3 x %3 grid.")
                           .arg(result_->bytes.size())
                           .arg(Decibels(result_->psnr))
                           .arg(result_->file.side);
        if (!result_->reached)
            text += Codec().budget ? " No file fits the budget: this is the smallest found."
                                   : " The target was not reached: this is the most accurate "
                                     "file found.";
        status_->setText(text);
    }
    UpdateButtons();
    emit finished();
}

void CompressDialog::JoinWorker() {
    if (worker_.joinable())
        worker_.join();
}

void CompressDialog::UpdateButtons() {
    const bool working = !finished_;
    startButton_->setEnabled(!working);
    saveButton_->setEnabled(!working && result_.has_value());
    cancelButton_->setText(working ? "Cancel" : "Close");
}

QString CompressDialog::StatusText() const {
    return status_->text();
}

void CompressDialog::Save() {
    const QFileInfo picture(picturePath_->text());
    const QString suggested = picture.fileName().isEmpty() ? folder_ + "/picture.qf"
                                                           : picture.absolutePath() + "/" +
                                                                 picture.completeBaseName() + ".qf";
    const QString path = askPath_(true, suggested);
    if (!path.isEmpty())
        SaveTo(path);
}

bool CompressDialog::SaveTo(const QString& path) {
    if (!result_)
        return false;
    if (!WriteWholeFile(path, QByteArray::fromStdString(result_->bytes)))
        return true;
    report_("Cannot write file " + path);
    return false;
}

void CompressDialog::reject() {
    if (Working()) {
        CancelCompression();
        JoinWorker();
        finished_ = true;
    }
    QDialog::reject();
}

} // namespace quba
