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
#include <QLabel>
#include <QPushButton>
#include <QScatterSeries>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <cmath>

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

TEST_F(FrontWindowTest, LegendTicksAndSelectionFollowEachRun) {
    const auto legendShown = [&] {
        std::vector<bool> shown;
        for (int i = 1; i <= 4; ++i)
            shown.push_back(
                !Find<QLabel>(QString("FrontLegendNo%1").arg(i).toUtf8().constData())->isHidden());
        return shown;
    };
    PrepareSmallRun({5, 4, 3});
    PressStart();
    EXPECT_EQ(legendShown(), (std::vector<bool>{true, true, true, false}));
    const QValueAxis* lengths = Window()->LengthAxis();
    EXPECT_EQ(lengths->tickType(), QValueAxis::TicksDynamic);
    EXPECT_EQ(lengths->tickAnchor(), 0);
    EXPECT_EQ(lengths->tickInterval(), std::round(lengths->tickInterval()));
    EXPECT_EQ(std::fmod(lengths->max(), lengths->tickInterval()), 0);
    EXPECT_LE(lengths->max() / lengths->tickInterval(), 10);

    // A clicked member that leaves its front says so, and cannot be exported.
    const int last = Window()->MemberCount(0) - 1;
    ASSERT_GE(last, 0);
    Window()->SetExportAllowed(true);
    Window()->SelectMember(0, last);
    EXPECT_TRUE(Find<QPushButton>("FrontExport")->isEnabled());
    std::vector<BestProgram> shorter = form->ResultsPanel().Front(0);
    shorter.pop_back();
    Window()->SetFront(0, shorter);
    EXPECT_EQ(Window()->Selected(), nullptr);
    EXPECT_FALSE(Find<QPushButton>("FrontExport")->isEnabled());
    EXPECT_TRUE(Find<QLabel>("FrontMember")->text().contains("has left the front"));
    EXPECT_TRUE(Find<GridPicture>("FrontRedraw")->Image().isNull());

    // A run of one population: the window starts empty and lists only it.
    Window()->SelectMember(1, 0);
    PrepareSmallRun({3});
    bool emptyAtStart = false;
    form->processCalls = 0;
    form->onProcess = [&] {
        if (form->processCalls == 1)
            emptyAtStart = Find<GridPicture>("FrontTraining")->Image().isNull() &&
                           Find<GridPicture>("FrontRedraw")->Image().isNull() &&
                           Window()->Selected() == nullptr;
    };
    PressStart();
    EXPECT_TRUE(emptyAtStart);
    EXPECT_EQ(legendShown(), (std::vector<bool>{true, false, false, false}));
}

} // namespace
