// The "Export" dialog: the best programs with their size, compression ratio
// and PSNR, a preview of the selected one redrawn and of the code to be
// saved, and saving as C, Python, GLSL or LaTeX, or as a picture at a chosen
// size and style.
#pragma once

#include "engine/fitness.h"
#include "export/export.h"
#include "picture/grid_image.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace quba {

// What Save writes: code of one of the export formats, or a picture.
struct ExportChoice {
    std::optional<ExportFormat> format; // none for a picture
    int32_t pictureSize = 512;
    RedrawStyle style = RedrawStyle::Grey;
};

class ExportDialog : public QDialog {
    Q_OBJECT
public:
    // Asks where to save, starting from a suggested path; empty when cancelled.
    using AskSavePath = std::function<QString(const QString& suggested, const QString& filter)>;

    // `items` are the programs to list, each under its function name; all
    // are selected at first. `report` shows a message.
    ExportDialog(std::vector<ExportItem> items, QString startFolder,
                 std::function<void(const QString&)> report, QWidget* parent);

    // The file dialog the Save button opens; tests hand in their own.
    void SetAskSavePath(AskSavePath ask) { askSavePath_ = std::move(ask); }

    [[nodiscard]] ExportChoice Choice() const;
    void SetChoice(const ExportChoice& choice);
    // Rows of the programs to save as code (the picture is the current row's).
    void SelectRows(const std::vector<int>& rows);
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] QString CellText(int row, int column) const;
    [[nodiscard]] const QImage& PreviewImage() const { return preview_; }
    [[nodiscard]] QString PreviewText() const;

    // Writes the choice to `path`; a failure is reported and gives false.
    bool SaveTo(const QString& path);

private:
    void BuildTable();
    void ChoiceChanged();
    void UpdatePreview();
    // Shows the code with the function `name` in view.
    void ShowCode(const QString& code, const QString& name);
    void SaveClicked();
    [[nodiscard]] std::vector<ExportItem> SelectedItems() const;
    [[nodiscard]] const ExportItem* CurrentItem() const;

    std::vector<ExportItem> items_;
    QString startFolder_;
    std::function<void(const QString&)> report_;
    AskSavePath askSavePath_;
    FitnessEvaluators evaluators_{EvaluationOptions{}};

    QTableWidget* table_ = nullptr;
    QLabel* pictureLabel_ = nullptr;
    QPlainTextEdit* codeView_ = nullptr;
    QComboBox* formatBox_ = nullptr;
    QSpinBox* sizeBox_ = nullptr;
    QComboBox* styleBox_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QImage preview_;
};

} // namespace quba
