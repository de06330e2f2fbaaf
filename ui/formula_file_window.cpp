#include "ui/formula_file_window.h"

#include "codec/compress.h"
#include "codec/decode.h"
#include "data/data_file.h"
#include "export/export.h"
#include "picture/grid_image.h"
#include "ui/controls.h"
#include "ui/save_formats.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>

namespace quba {

namespace {

constexpr int kShownSide = 256;

// Output names the entries of SaveFormats by their place.
static_assert(kExportFormats.size() == static_cast<size_t>(FormulaFileWindow::Output::Picture) &&
              kExportFormats[0].format == ExportFormat::C &&
              kExportFormats[1].format == ExportFormat::Python &&
              kExportFormats[2].format == ExportFormat::Glsl &&
              kExportFormats[3].format == ExportFormat::Latex);

const std::vector<SaveFormat>& Outputs() {
    static const std::vector<SaveFormat> outputs =
        SaveFormats("Picture (PNG, at the size shown)", true);
    return outputs;
}

} // namespace

FormulaFileWindow::FormulaFileWindow(LoadedFormulaFile loaded, const QString& path,
                                     const std::optional<DataGrid>& training,
                                     std::string outputName,
                                     std::function<void(const QString&)> report, QWidget* parent)
    : QDialog(parent), loaded_(std::move(loaded)), path_(path), outputName_(std::move(outputName)),
      report_(std::move(report)) {
    setObjectName("FormulaFileWindow");
    UseInterfaceFont(this);
    setWindowTitle("Compressed formula: " + QFileInfo(path).fileName());
    askSavePath_ = [this](const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(this, "Save", suggested, filter);
    };
    decoded_ = DecodeFormulaFile(loaded_.file, evaluators_);

    QString figures = QString::fromStdString(FormulaFileSummary(loaded_.file, loaded_.bytes));
    figures[0] = figures[0].toUpper();
    const int64_t raw = int64_t{loaded_.file.side} * loaded_.file.side;
    figures += QString("\n%1 bytes as 8-bit grey: ratio %2")
                   .arg(raw)
                   .arg(static_cast<double>(raw) / static_cast<double>(loaded_.bytes), 0, 'f', 2);
    if (training && training->Size() == loaded_.file.side)
        figures += "\nPSNR against the training grid: " +
                   QString::number(GridPsnr(decoded_, *training), 'f', 2) + " dB";
    else if (training)
        figures += QString("\nThe training grid is %1 x %1, the file's %2 x %2: no PSNR.")
                       .arg(training->Size())
                       .arg(loaded_.file.side);
    else
        figures += QString("\nLoad a %1 x %1 training grid to see the PSNR against it.")
                       .arg(loaded_.file.side);

    pictureLabel_ = new QLabel(this);
    pictureLabel_->setObjectName("FormulaPicture");
    pictureLabel_->setAlignment(Qt::AlignCenter);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(pictureLabel_);
    scroll->setWidgetResizable(true);
    scroll->setMinimumSize(kShownSide + 8, kShownSide + 8);
    figures_ = new QLabel(figures, this);
    figures_->setObjectName("FormulaFigures");
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pictureSize_ = new QSpinBox(this);
    pictureSize_->setObjectName("FormulaPictureSize");
    pictureSize_->setRange(1, 8192);
    pictureSize_->setValue(kShownSide);
    pictureSize_->setSuffix(" pixels");
    output_ = new QComboBox(this);
    output_->setObjectName("FormulaOutput");
    for (const SaveFormat& format : Outputs())
        output_->addItem(format.label);
    auto* save = new QPushButton("&Save...", this);
    save->setObjectName("FormulaSave");
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &FormulaFileWindow::Save);
    connect(pictureSize_, &QSpinBox::editingFinished, this, &FormulaFileWindow::Redraw);

    auto* form = new QFormLayout;
    form->addRow("Redrawn at", pictureSize_);
    form->addRow("Save as", output_);
    auto* row = new QHBoxLayout;
    row->addWidget(save);
    row->addStretch();
    row->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addWidget(figures_);
    layout->addLayout(form);
    layout->addLayout(row);
    Redraw();
}

void FormulaFileWindow::SetPictureSize(int pixels) {
    pictureSize_->setValue(pixels);
    Redraw();
}

void FormulaFileWindow::SetOutput(Output output) {
    output_->setCurrentIndex(static_cast<int>(output));
}

QString FormulaFileWindow::FiguresText() const {
    return figures_->text();
}

void FormulaFileWindow::Redraw() {
    picture_ = RedrawImage(loaded_.file, pictureSize_->value(), RedrawStyle::Grey, evaluators_);
    if (picture_.isNull()) {
        report_(QString("Not enough memory for a picture of %1 x %1 pixels")
                    .arg(pictureSize_->value()));
        return;
    }
    pictureLabel_->setPixmap(QPixmap::fromImage(picture_));
}

void FormulaFileWindow::Save() {
    const SaveFormat& format = Outputs()[static_cast<size_t>(output_->currentIndex())];
    const QFileInfo file(path_);
    const QString path = askSavePath_(
        file.absolutePath() + "/" + file.completeBaseName() + format.extension, format.filter);
    if (!path.isEmpty())
        SaveTo(path);
}

bool FormulaFileWindow::SaveTo(const QString& path) {
    const SaveFormat& format = Outputs()[static_cast<size_t>(output_->currentIndex())];
    QByteArray bytes;
    if (format.format)
        bytes =
            QByteArray::fromStdString(ExportFileText(*format.format, loaded_.file, outputName_));
    else if (format.dataFile)
        bytes = QByteArray::fromStdString(DataFileText(decoded_));
    else
        bytes = PngBytes(picture_);
    if (!bytes.isEmpty() && !WriteWholeFile(path, bytes))
        return true;
    report_("Cannot write file " + path);
    return false;
}

} // namespace quba
