#include "ui/export_dialog.h"

#include "export/figures.h"
#include "ui/controls.h"
#include "ui/save_formats.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTextCursor>

#include <array>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

namespace quba {

namespace {

constexpr int kPreviewSide = 192;

const std::vector<SaveFormat> kFormats = SaveFormats("Picture", false);

const std::array<const char*, 8> kColumns = {
    "Program", "Length", "Training error", "Validation error",
    "Bytes",   "Ratio",  "PSNR",           "Validation PSNR"};

QString Number(double value, const char* format) {
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("inf") : QStringLiteral("-inf");
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

QStringList RowTexts(const ExportItem& item) {
    const BestProgram& program = item.program;
    const FormulaFigures figures = FiguresOf(program);
    return {QString::fromStdString(item.name),       QString::number(program.nodes.size()),
            Number(program.trainingFitness, "%.6g"), Number(program.validationFitness, "%.6g"),
            QString::number(figures.formulaBytes),   Number(figures.compressionRatio, "%.1f"),
            Number(figures.psnr, "%.2f dB"),         Number(figures.validationPsnr, "%.2f dB")};
}

} // namespace

ExportDialog::ExportDialog(std::vector<ExportItem> items, QString startFolder,
                           std::function<void(const QString&)> report, QWidget* parent)
    : QDialog(parent), items_(std::move(items)), startFolder_(std::move(startFolder)),
      report_(std::move(report)) {
    askSavePath_ = [this](const QString& suggested, const QString& filter) {
        return QFileDialog::getSaveFileName(this, "Export", suggested, filter);
    };
    setObjectName("ExportDialog");
    UseInterfaceFont(this);
    setWindowTitle("Export");
    setModal(true);

    BuildTable();
    pictureLabel_ = new QLabel(this);
    pictureLabel_->setFixedSize(kPreviewSide, kPreviewSide);
    pictureLabel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    codeView_ = new QPlainTextEdit(this);
    codeView_->setObjectName("ExportCode");
    codeView_->setReadOnly(true);
    codeView_->setLineWrapMode(QPlainTextEdit::NoWrap);
    codeView_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    codeView_->setMinimumWidth(360);

    formatBox_ = new QComboBox(this);
    for (const SaveFormat& entry : kFormats)
        formatBox_->addItem(entry.label);
    sizeBox_ = new QSpinBox(this);
    sizeBox_->setRange(1, 8192);
    sizeBox_->setValue(512);
    sizeBox_->setSuffix(" px");
    styleBox_ = new QComboBox(this);
    styleBox_->addItems({"Grey", "Colour map"});
    saveButton_ = new QPushButton("&Save...", this);
    saveButton_->setObjectName("ExportSave");
    saveButton_->setDefault(true);
    auto* close = new QPushButton("Close", this);

    auto* formatLabel = new QLabel("&Format", this);
    formatLabel->setBuddy(formatBox_);
    auto* sizeLabel = new QLabel("Si&ze", this);
    sizeLabel->setBuddy(sizeBox_);
    auto* styleLabel = new QLabel("S&tyle", this);
    styleLabel->setBuddy(styleBox_);
    auto* controls = new QHBoxLayout;
    for (QWidget* widget : std::initializer_list<QWidget*>{formatLabel, formatBox_, sizeLabel,
                                                           sizeBox_, styleLabel, styleBox_})
        controls->addWidget(widget);
    controls->addStretch();
    controls->addWidget(saveButton_);
    controls->addWidget(close);

    auto* layout = new QGridLayout(this);
    layout->addWidget(table_, 0, 0, 1, 2);
    layout->addWidget(pictureLabel_, 1, 0, Qt::AlignTop);
    layout->addWidget(codeView_, 1, 1);
    layout->addLayout(controls, 2, 0, 1, 2);
    layout->setRowStretch(0, 1);
    layout->setRowStretch(1, 2);
    layout->setColumnStretch(1, 1);

    connect(table_, &QTableWidget::itemSelectionChanged, this, &ExportDialog::UpdatePreview);
    connect(table_, &QTableWidget::currentCellChanged, this, &ExportDialog::UpdatePreview);
    connect(formatBox_, &QComboBox::currentIndexChanged, this, &ExportDialog::ChoiceChanged);
    connect(styleBox_, &QComboBox::currentIndexChanged, this, &ExportDialog::ChoiceChanged);
    connect(sizeBox_, &QSpinBox::valueChanged, this, &ExportDialog::UpdatePreview);
    connect(saveButton_, &QPushButton::clicked, this, &ExportDialog::SaveClicked);
    connect(close, &QPushButton::clicked, this, &ExportDialog::reject);
    table_->selectAll();
    table_->setCurrentCell(0, 0, QItemSelectionModel::NoUpdate);
    ChoiceChanged();
    resize(820, 560);
}

void ExportDialog::BuildTable() {
    table_ =
        new QTableWidget(static_cast<int>(items_.size()), static_cast<int>(kColumns.size()), this);
    table_->setObjectName("ExportPrograms");
    for (size_t c = 0; c < kColumns.size(); ++c)
        table_->setHorizontalHeaderItem(static_cast<int>(c), new QTableWidgetItem(kColumns[c]));
    for (size_t r = 0; r < items_.size(); ++r) {
        const QStringList texts = RowTexts(items_[r]);
        for (int c = 0; c < texts.size(); ++c) {
            auto* cell = new QTableWidgetItem(texts[c]);
            cell->setToolTip(QString::fromStdString(items_[r].program.text));
            if (c > 0)
                cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(r), c, cell);
        }
    }
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    table_->resizeColumnsToContents();
    table_->setMinimumHeight(120);
}

ExportChoice ExportDialog::Choice() const {
    ExportChoice choice;
    choice.format = kFormats[static_cast<size_t>(formatBox_->currentIndex())].format;
    choice.pictureSize = sizeBox_->value();
    choice.style = styleBox_->currentIndex() == 0 ? RedrawStyle::Grey : RedrawStyle::Map;
    return choice;
}

void ExportDialog::SetChoice(const ExportChoice& choice) {
    for (size_t k = 0; k < kFormats.size(); ++k)
        if (kFormats[k].format == choice.format)
            formatBox_->setCurrentIndex(static_cast<int>(k));
    sizeBox_->setValue(choice.pictureSize);
    styleBox_->setCurrentIndex(choice.style == RedrawStyle::Grey ? 0 : 1);
}

void ExportDialog::SelectRows(const std::vector<int>& rows) {
    table_->clearSelection();
    for (int row : rows)
        table_->selectionModel()->select(table_->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.empty())
        table_->setCurrentCell(rows.front(), 0, QItemSelectionModel::NoUpdate);
}

int ExportDialog::RowCount() const {
    return table_->rowCount();
}

QString ExportDialog::CellText(int row, int column) const {
    const QTableWidgetItem* cell = table_->item(row, column);
    return cell != nullptr ? cell->text() : QString();
}

QString ExportDialog::PreviewText() const {
    return codeView_->toPlainText();
}

void ExportDialog::ChoiceChanged() {
    const bool picture = !Choice().format.has_value();
    sizeBox_->setEnabled(picture);
    styleBox_->setEnabled(picture);
    UpdatePreview();
}

std::vector<ExportItem> ExportDialog::SelectedItems() const {
    std::vector<ExportItem> selected;
    for (size_t r = 0; r < items_.size(); ++r)
        if (table_->selectionModel()->isRowSelected(static_cast<int>(r), QModelIndex()))
            selected.push_back(items_[r]);
    return selected;
}

const ExportItem* ExportDialog::CurrentItem() const {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(items_.size()))
        return nullptr;
    return &items_[static_cast<size_t>(row)];
}

void ExportDialog::UpdatePreview() {
    const ExportChoice choice = Choice();
    const ExportItem* current = CurrentItem();
    preview_ = current != nullptr
                   ? RedrawImage(current->program, kPreviewSide, choice.style, evaluators_)
                   : QImage();
    pictureLabel_->setPixmap(preview_.isNull() ? QPixmap() : QPixmap::fromImage(preview_));
    const std::vector<ExportItem> selected = SelectedItems();
    if (choice.format)
        ShowCode(QString::fromStdString(ExportText(*choice.format, selected)),
                 current != nullptr ? QString::fromStdString(current->name) : QString());
    else if (current != nullptr)
        codeView_->setPlainText(QString("%1 redrawn on %2 x %2 pixels, upright as the training "
                                        "picture (the grid pictures show its rows as columns):\n%3")
                                    .arg(QString::fromStdString(current->name))
                                    .arg(choice.pictureSize)
                                    .arg(QString::fromStdString(current->program.text)));
    saveButton_->setEnabled(choice.format ? !selected.empty() : current != nullptr);
}

void ExportDialog::ShowCode(const QString& code, const QString& name) {
    codeView_->setPlainText(code);
    // The rules come first in every file: show the current program's function.
    const QString definition = name + "(";
    const int at = code.indexOf(definition);
    if (at < 0)
        return;
    QTextCursor cursor = codeView_->textCursor();
    cursor.setPosition(at);
    codeView_->setTextCursor(cursor);
    codeView_->centerCursor();
}

bool ExportDialog::SaveTo(const QString& path) {
    const ExportChoice choice = Choice();
    QByteArray bytes;
    if (choice.format) {
        bytes = QByteArray::fromStdString(ExportText(*choice.format, SelectedItems()));
    } else {
        const ExportItem* current = CurrentItem();
        if (current == nullptr)
            return false;
        QApplication::setOverrideCursor(Qt::WaitCursor);
        const QImage image =
            RedrawImage(current->program, choice.pictureSize, choice.style, evaluators_);
        QApplication::restoreOverrideCursor();
        if (image.isNull()) {
            report_(QString("Not enough memory for a picture of %1 x %1 pixels")
                        .arg(choice.pictureSize));
            return false;
        }
        bytes = PngBytes(image);
    }
    if (const std::optional<QString> failure = WriteWholeFile(path, bytes)) {
        report_("Cannot write file " + path + "\n" + *failure);
        return false;
    }
    return true;
}

void ExportDialog::SaveClicked() {
    const SaveFormat& entry = kFormats[static_cast<size_t>(formatBox_->currentIndex())];
    const std::vector<ExportItem> selected = SelectedItems();
    QString name = "formulas";
    if (!entry.format && CurrentItem() != nullptr)
        name = QString::fromStdString(CurrentItem()->name);
    else if (selected.size() == 1)
        name = QString::fromStdString(selected.front().name);
    const QString suggested = QDir(startFolder_).filePath(name + entry.extension);
    const QString path = askSavePath_(suggested, entry.filter);
    if (!path.isEmpty())
        SaveTo(path);
}

} // namespace quba
