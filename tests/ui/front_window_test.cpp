// The Front window: filled live during a run, a member's text and redraw, and
// a member handed to the Export dialog.
#include "tests/ui/ui_test_support.h"

#include "export/render.h"
#include "picture/grid_image.h"
#include "ui/controls.h"
#include "ui/export_dialog.h"
#include "ui/front_window.h"
#include "ui/results_page.h"

#include <QApplication>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>
#include <QTimer>

using namespace quba;

namespace {

class FrontWindowTest : public FormTest {
protected:
    FrontWindow* Window() const { return Find<FrontWindow>("FrontWindow"); }
};

TEST_F(FrontWindowTest, FillsDuringTheRunAndShowsAClickedMember) {
    PrepareSmallRun({6, 4});
    ShowPage("TabSheet4");
    QTest::mouseClick(Find<QPushButton>("FrontButton"), Qt::LeftButton);
    EXPECT_TRUE(Window()->isVisible());
    std::vector<int> pointsSeen;
    form->onProcess = [&] {
        pointsSeen.push_back(static_cast<int>(Window()->Points(0)->count()));
        EXPECT_EQ(Window()->Points(0)->count(), Window()->MemberCount(0));
    };
    PressStart();
    ASSERT_FALSE(pointsSeen.empty());
    EXPECT_GT(pointsSeen.front(), 0) << "the first step already has a front";
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(Window()->MemberCount(i), static_cast<int>(form->ResultsPanel().Front(i).size()));

    const int last = Window()->MemberCount(1) - 1;
    const BestProgram member = form->ResultsPanel().Front(1)[static_cast<size_t>(last)];
    const QString text = Window()->MemberText(1, last);
    EXPECT_TRUE(text.startsWith(QString("No2, length %1").arg(member.nodes.size())))
        << text.toStdString();
    EXPECT_TRUE(text.contains("\nC=")) << text.toStdString();
    EXPECT_TRUE(text.contains(" dB, ")) << text.toStdString();

    Window()->SelectMember(1, last);
    ASSERT_NE(Window()->Selected(), nullptr);
    FitnessEvaluators evaluators{EvaluationOptions{}};
    EXPECT_EQ(Find<GridPicture>("FrontRedraw")->Image(),
              GridImage(TrainingOutput(member, evaluators), 120));

    // Export offers every member of both fronts, the clicked one chosen.
    int rows = 0;
    int expectedRows = Window()->MemberCount(0) + Window()->MemberCount(1);
    QString preview;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<ExportDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        rows = dialog->RowCount();
        preview = dialog->PreviewText();
        dialog->reject();
    });
    QTest::mouseClick(Find<QPushButton>("FrontExport"), Qt::LeftButton);
    EXPECT_EQ(rows, expectedRows);
    EXPECT_TRUE(preview.contains(QString("C_2_L%1(").arg(member.nodes.size())))
        << preview.toStdString();

    // A new run starts from empty fronts.
    form->onProcess = [&] {
        if (form->processCalls == 1) {
            EXPECT_EQ(Window()->Selected(), nullptr);
            EXPECT_EQ(Window()->MemberCount(1), 0);
        }
    };
    form->processCalls = 0;
    PressStart();
}

} // namespace
