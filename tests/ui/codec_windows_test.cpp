// Formula files in the window: a picture compressed through the dialog,
// saved, and opened again with its figures and exports; cancelling; a
// damaged file refused.
#include "tests/ui/ui_test_support.h"

#include "codec/compress.h"
#include "codec/formula_file_load.h"
#include "export/export.h"
#include "ui/compress_dialog.h"
#include "ui/formula_file_window.h"

#include <QAction>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

class CodecWindowsTest : public FormTest {
protected:
    QString GradientPicture() const {
        QImage picture(32, 32, QImage::Format_Grayscale8);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                picture.scanLine(y)[x] = static_cast<uchar>(4 * x + 3 * y + (x * y) % 17);
        const QString path = folder.filePath("gradient.png");
        EXPECT_TRUE(picture.save(path));
        return path;
    }
    CompressDialog* OpenCompressDialog() const {
        form->findChild<QAction*>("CompressPicture1")->trigger();
        auto* dialog = form->findChild<CompressDialog*>("CompressDialog");
        EXPECT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        return dialog;
    }
    static void SetSmallSearch(CompressDialog* dialog, int generations) {
        dialog->findChild<QSpinBox*>("CompressGridSize")->setValue(16);
        dialog->findChild<QSpinBox*>("CompressBudget")->setValue(80);
        dialog->findChild<QSpinBox*>("CompressPopulation")->setValue(60);
        dialog->findChild<QSpinBox*>("CompressGenerations")->setValue(generations);
    }
    QString FileText(const QString& path) const {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return QString::fromUtf8(file.readAll());
    }

    QTemporaryDir folder;
};

TEST_F(CodecWindowsTest, APictureCompressedSavedAndOpenedAgainShowsItsFigures) {
    const QString picture = GradientPicture();
    CompressDialog* dialog = OpenCompressDialog();
    SetSmallSearch(dialog, 4);
    dialog->SetPicturePath(picture);
    QSignalSpy finished(dialog, &CompressDialog::finished);
    ASSERT_TRUE(dialog->StartCompression()) << form->messages.join("|").toStdString();
    EXPECT_TRUE(dialog->Working());
    EXPECT_EQ(dialog->findChild<QPushButton*>("CompressCancel")->text(), "Cancel");
    ASSERT_TRUE(finished.wait(120000));
    ASSERT_TRUE(dialog->Result().has_value()) << dialog->StatusText().toStdString();
    const Compression& made = *dialog->Result();
    EXPECT_LE(made.bytes.size(), 80u);
    EXPECT_EQ(dialog->findChild<QProgressBar*>("CompressProgress")->value(),
              dialog->findChild<QProgressBar*>("CompressProgress")->maximum());
    EXPECT_FALSE(dialog->findChild<QLabel*>("CompressPreview")->pixmap().isNull());
    EXPECT_TRUE(dialog->StatusText().startsWith(QString("Done: %1 bytes").arg(made.bytes.size())))
        << dialog->StatusText().toStdString();
    EXPECT_TRUE(dialog->findChild<QPushButton*>("CompressSave")->isEnabled());

    const QString saved = folder.filePath("gradient.qf");
    ASSERT_TRUE(dialog->SaveTo(saved));
    const Outcome<LoadedFormulaFile> loaded = LoadFormulaFile(saved.toStdString());
    ASSERT_TRUE(loaded) << loaded.message;
    EXPECT_EQ(loaded.value->file, made.file);

    // Opened with the same picture loaded as the training grid: the PSNR is
    // the one the dialog measured.
    Find<QSpinBox>("CSpinEdit1")->setValue(16);
    form->chosenFiles = {picture};
    QTest::mouseClick(Find<QPushButton>("BitBtn3"), Qt::LeftButton);
    ASSERT_TRUE(form->messages.isEmpty()) << form->messages.join("").toStdString();
    form->chosenFiles = {saved};
    form->findChild<QAction*>("OpenFormula1")->trigger();
    auto* window = form->findChild<FormulaFileWindow*>("FormulaFileWindow");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Decoded(), made.decoded);
    const QString figures = window->FiguresText();
    EXPECT_TRUE(figures.contains(QString("16 x 16 grid"))) << figures.toStdString();
    EXPECT_TRUE(figures.contains(QString("%1 bytes").arg(made.bytes.size())));
    EXPECT_TRUE(figures.contains(
        "PSNR against the training grid: " + QString::number(made.psnr, 'f', 2) + " dB"))
        << figures.toStdString();

    window->SetPictureSize(48);
    EXPECT_EQ(window->Picture().size(), QSize(48, 48));
    window->SetOutput(FormulaFileWindow::Output::C);
    ASSERT_TRUE(window->SaveTo(folder.filePath("gradient.c")));
    EXPECT_EQ(FileText(folder.filePath("gradient.c")).toStdString(),
              ExportFileText(ExportFormat::C, made.file, "C"));
    window->SetOutput(FormulaFileWindow::Output::Picture);
    ASSERT_TRUE(window->SaveTo(folder.filePath("gradient-redraw.png")));
    EXPECT_EQ(QImage(folder.filePath("gradient-redraw.png")).size(), QSize(48, 48));
    EXPECT_TRUE(form->messages.isEmpty()) << form->messages.join("").toStdString();
}

TEST_F(CodecWindowsTest, CancelEndsTheWorkAndKeepsNoFile) {
    CompressDialog* dialog = OpenCompressDialog();
    SetSmallSearch(dialog, 100000);
    dialog->SetPicturePath(GradientPicture());
    QSignalSpy finished(dialog, &CompressDialog::finished);
    ASSERT_TRUE(dialog->StartCompression()) << form->messages.join("|").toStdString();
    QTest::qWait(200);
    QTest::mouseClick(dialog->findChild<QPushButton*>("CompressCancel"), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(dialog->Result().has_value());
    EXPECT_TRUE(dialog->StatusText().startsWith("Cancelled")) << dialog->StatusText().toStdString();
    EXPECT_FALSE(dialog->findChild<QPushButton*>("CompressSave")->isEnabled());
    EXPECT_EQ(dialog->findChild<QPushButton*>("CompressCancel")->text(), "Close");
}

TEST_F(CodecWindowsTest, DamagedFilesAndPicturesAreRefusedWithAMessage) {
    const QString damaged = folder.filePath("damaged.qf");
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("QF not really a formula file");
    file.close();
    form->chosenFiles = {damaged};
    form->findChild<QAction*>("OpenFormula1")->trigger();
    ASSERT_EQ(form->messages.size(), 1);
    EXPECT_TRUE(form->messages[0].startsWith("cannot read the formula file '" + damaged + "': "))
        << form->messages[0].toStdString();
    EXPECT_EQ(form->findChild<FormulaFileWindow*>("FormulaFileWindow"), nullptr);

    CompressDialog* dialog = OpenCompressDialog();
    dialog->SetPicturePath(damaged);
    EXPECT_FALSE(dialog->StartCompression());
    ASSERT_EQ(form->messages.size(), 2);
    EXPECT_TRUE(form->messages[1].startsWith("Cannot read the picture"))
        << form->messages[1].toStdString();
}

} // namespace
