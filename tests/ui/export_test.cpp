// Formulas out of the desktop program: Export after a run and while paused,
// the dialog's figures, previews and files, and "Save picture..." on the
// grid pictures.
#include "tests/ui/ui_test_support.h"

#include "export/figures.h"
#include "picture/grid_image.h"
#include "ui/controls.h"
#include "ui/export_dialog.h"
#include "ui/results_page.h"
#include "ui/run_controller.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace quba;

namespace {

class ExportTest : public FormTest {
protected:
    QAction* ExportMenuItem() const { return Find<QAction>("Export1"); }
    std::vector<ExportItem> Items() const {
        return BestProgramItems("C", form->ResultsPanel().BestPrograms());
    }
    QString Path(const char* name) const { return folder_.filePath(name); }
    static QByteArray Contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir folder_;
};

TEST_F(ExportTest, OfferedAfterARunAndWhilePausedButNotWhileRunning) {
    EXPECT_FALSE(ExportMenuItem()->isEnabled()) << "nothing to export before a run";
    PrepareSmallRun({4, 2});
    std::vector<bool> enabledAt;
    form->onProcess = [&] {
        enabledAt.push_back(ExportMenuItem()->isEnabled());
        if (form->processCalls == 2)
            QTest::keyClick(form.get(), Qt::Key_Escape);
        if (form->processCalls == 4)
            QTest::keyClick(form.get(), Qt::Key_Return);
    };
    PressStart();
    // Paused at the second processing, resumed at the fourth.
    ASSERT_GE(enabledAt.size(), 5u);
    EXPECT_FALSE(enabledAt[0]);
    EXPECT_TRUE(enabledAt[2]);
    EXPECT_FALSE(enabledAt[4]);
    EXPECT_TRUE(ExportMenuItem()->isEnabled());

    // Ctrl+E opens the dialog with both populations' best programs.
    int rows = 0;
    QString firstBytes;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ExportDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        rows = dialog->RowCount();
        firstBytes = dialog->CellText(0, 4);
        dialog->reject();
    });
    QTest::keyClick(form.get(), Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(firstBytes, QString::number(FiguresOf(Items()[0].program).formulaBytes));
}

TEST_F(ExportTest, SavesTheSelectedProgramsAsCodeAndTheCurrentOneAsAPicture) {
    PrepareSmallRun({3, 3, 2});
    PressStart();
    const std::vector<ExportItem> items = Items();
    ASSERT_EQ(items.size(), 3u);
    QStringList reports;
    ExportDialog dialog(
        items, Path(""), [&](const QString& text) { reports << text; }, nullptr);
    ASSERT_EQ(dialog.RowCount(), 3);
    EXPECT_EQ(dialog.CellText(2, 0), "C_3");
    EXPECT_EQ(dialog.CellText(2, 1), QString::number(items[2].program.nodes.size()));

    // Code: what the preview shows is what is saved, every selected program.
    dialog.SetChoice({ExportFormat::Python});
    EXPECT_EQ(dialog.PreviewText().toStdString(), ExportPython(items));
    dialog.SelectRows({0, 2});
    dialog.SetChoice({ExportFormat::C});
    const std::string c = ExportC({items[0], items[2]});
    EXPECT_EQ(dialog.PreviewText().toStdString(), c);
    ASSERT_TRUE(dialog.SaveTo(Path("f.c")));
    EXPECT_EQ(Contents(Path("f.c")).toStdString(), c);

    // A picture of the current program at the chosen size and style.
    dialog.SelectRows({1});
    ExportChoice picture{std::nullopt, 40, RedrawStyle::Map};
    dialog.SetChoice(picture);
    QString suggested;
    dialog.SetAskSavePath([&](const QString& path, const QString&) {
        suggested = path;
        return Path("r.png");
    });
    QTest::mouseClick(dialog.findChild<QPushButton*>("ExportSave"), Qt::LeftButton);
    EXPECT_TRUE(suggested.endsWith("C_2.png")) << suggested.toStdString();
    FitnessEvaluators evaluators{EvaluationOptions{}};
    const QImage expected = RedrawImage(items[1].program, 40, RedrawStyle::Map, evaluators);
    EXPECT_EQ(QImage(Path("r.png")).convertToFormat(expected.format()), expected);
    EXPECT_FALSE(dialog.PreviewImage().isNull());

    // A folder that does not exist is reported, nothing pretends to be saved.
    EXPECT_FALSE(dialog.SaveTo("/no/such/folder/r.png"));
    ASSERT_EQ(reports.size(), 1);
    EXPECT_TRUE(reports[0].startsWith("Cannot write file /no/such/folder/r.png"));
}

TEST_F(ExportTest, GridPicturesSaveWhatTheyShowAtAnySize) {
    auto* training = Find<GridPicture>("Image1");
    auto* best = Find<GridPicture>("Image3");
    EXPECT_FALSE(training->SavePictureAction()->isEnabled());
    EXPECT_EQ(training->contextMenuPolicy(), Qt::ActionsContextMenu);
    EXPECT_EQ(training->SavePictureAction()->text(), "Save picture...");
    PickPattern("ListBox1", 3);
    ASSERT_TRUE(training->SavePictureAction()->isEnabled());
    ASSERT_TRUE(training->SavePicture(Path("t.png"), 300));
    const QImage expected = GridImage(*form->TrainingGrid(), 300);
    EXPECT_EQ(QImage(Path("t.png")).convertToFormat(expected.format()), expected);
    EXPECT_FALSE(best->SavePictureAction()->isEnabled()) << "no best program yet";
    EXPECT_FALSE(best->SavePicture(Path("b.png"), 50));
    EXPECT_FALSE(QFile::exists(Path("b.png")));
}

} // namespace
