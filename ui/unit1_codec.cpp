// Formula files in the main window: File, "Open compressed formula..." and
// "Compress picture...".
#include "ui/unit1.h"

#include "codec/formula_file_load.h"
#include "ui/chart_window.h"
#include "ui/compress_dialog.h"
#include "ui/formula_file_window.h"
#include "ui/problem_page.h"
#include "ui/run_controller.h"

#include <QAction>
#include <QFile>

namespace quba {

void TForm1::OpenFormula1Click() {
    const QString path = ChooseDataFile(DataFolder());
    if (path.isEmpty())
        return;
    Outcome<LoadedFormulaFile> loaded = LoadFormulaFile(QFile::encodeName(path).toStdString());
    if (!loaded) {
        ShowMessage(QString::fromStdString(loaded.message));
        return;
    }
    auto* window = new FormulaFileWindow(
        std::move(*loaded.value), path, TrainingGrid(), runController_->OutputName(),
        [this](const QString& text) { ShowMessage(text); }, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    MakeIndependentWindow(*window);
    window->adjustSize();
    PlaceBesideMainWindow(*window, 0);
    window->show();
}

void TForm1::CompressPicture1Click() {
    if (compressDialog_ == nullptr) {
        compressDialog_ = new CompressDialog(
            stretchPicturesItem_->isChecked() ? PictureFit::Stretch : PictureFit::Crop,
            DataFolder(), [this](const QString& text) { ShowMessage(text); }, this);
        compressDialog_->setAttribute(Qt::WA_DeleteOnClose);
        MakeIndependentWindow(*compressDialog_);
        compressDialog_->adjustSize();
        PlaceBesideMainWindow(*compressDialog_, 0);
    }
    compressDialog_->show();
    compressDialog_->raise();
    compressDialog_->activateWindow();
}

} // namespace quba
