// Start's checks and refusals, whole runs from the window, pause and resume,
// the Start shortcut during a run and closing the window during a run.
#include "tests/ui/ui_test_support.h"

#include "ui/controls.h"
#include "ui/curve_chart.h"
#include "ui/results_page.h"
#include "ui/run_controller.h"
#include "ui/unit5.h"
#include "ui/unit6.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using namespace quba;

namespace {

constexpr char kIdeographicSpace[] = "\u3000";

class RunControlTest : public FormTest {
protected:
    // The four charts, the panel ones first.
    [[nodiscard]] std::vector<CurveChart*> Charts() const {
        return {Find<CurveChart>("Chart2"), Find<CurveChart>("Chart3"),
                form->findChild<TForm5*>()->Chart(), form->findChild<TForm6*>()->Chart()};
    }
    [[nodiscard]] std::vector<int> PointCounts(const CurveChart* chart) const {
        std::vector<int> counts;
        for (int curve = 0; curve < chart->CurveCount(); ++curve)
            counts.push_back(chart->Curve(curve)->count());
        return counts;
    }
    // Whether a run's records are held: only while it is in progress.
    [[nodiscard]] bool HoldsARun() const {
        const quba::Run* run = form->Runner().CurrentRun();
        return run != nullptr && run->runTable.problem;
    }
    // The best-program box's text as the population entries make it.
    [[nodiscard]] QString JoinedBestEntries() const {
        QStringList entries;
        for (int32_t i = 0; i < 4; ++i) {
            const auto& best = form->ResultsPanel().Best(i);
            entries << (best ? QString("[Population No%1]\n").arg(i + 1) +
                                   QString::fromStdString(best->text)
                             : QString());
        }
        return entries.join("\n\n");
    }
    [[nodiscard]] bool NothingRan() const {
        return form->processCalls == 0 && !HoldsARun() &&
               Find<CurveChart>("Chart2")->Curve(0)->count() == 0 &&
               Find<QPushButton>("BitBtn2")->isEnabled();
    }
};

TEST_F(RunControlTest, StartAsksForTrainingDataFirst) {
    ShowPage("TabSheet3");
    PressStart();
    EXPECT_EQ(form->messages, QStringList({"You must load data set for training before GP run."}));
    EXPECT_EQ(CurrentPage(), "TabSheet1");
    EXPECT_TRUE(NothingRan());
}

TEST_F(RunControlTest, StartAsksForValidationDataWhenOnlyTrainingExists) {
    Find<QCheckBox>("CheckBox3")->setChecked(false);
    PickPattern("ListBox1", 0);
    PressStart();
    EXPECT_EQ(form->messages,
              QStringList({"You must load data set for validation before GP run."}));
    EXPECT_EQ(CurrentPage(), "TabSheet1");
    EXPECT_TRUE(NothingRan());
}

TEST_F(RunControlTest, RatesOfEveryPopulationAreCheckedBeforeAnyNodeRatio) {
    PrepareSmallRun({2, 2});
    Sheets()->setCurrentIndex(0);
    Edit("Edit13")->setText("0.6");
    Edit("Edit14")->setText("0.6");
    Sheets()->setCurrentIndex(1);
    Edit("Edit24")->setText("0.9");
    Edit("Edit25")->setText("0.3");
    ASSERT_EQ(LabelText("Label42"), "-0.2000");
    ASSERT_EQ(LabelText("ConstLabel"), "-0.2000");

    Find<QAction>("StartGPrun1")->trigger();
    EXPECT_EQ(form->messages, QStringList({"The sum of operation rate must be 1.0"}));
    EXPECT_EQ(Edit("Edit24")->text(), "0.70");
    EXPECT_EQ(Edit("Edit25")->text(), "0.20");
    EXPECT_EQ(Edit("Edit26")->text(), "0.00");
    EXPECT_EQ(LabelText("Label42"), "0.10");
    EXPECT_EQ(LabelText("ConstLabel"), "-0.2000") << "the action ended at the first failure";
    EXPECT_EQ(CurrentPage(), "TabSheet3");
    EXPECT_EQ(CurrentSheet(), "TabSheet5");

    Find<QAction>("StartGPrun1")->trigger();
    EXPECT_EQ(form->messages.last(), "The sum of initial node ratio must be 1.0");
    EXPECT_EQ(Edit("Edit13")->text(), "0.50");
    EXPECT_EQ(Edit("Edit14")->text(), "0.20");
    EXPECT_EQ(LabelText("ConstLabel"), "0.30");
    EXPECT_EQ(CurrentPage(), "TabSheet3");
    EXPECT_EQ(CurrentSheet(), "TabSheet2");
    EXPECT_TRUE(NothingRan());
}

TEST_F(RunControlTest, OnlyThePopulationsOfTheRunAreChecked) {
    PrepareSmallRun({2, 2});
    Sheets()->setCurrentIndex(1);
    Edit("Edit24")->setText("0.9");
    Edit("Edit27")->setText("0.9");
    Edit("Edit18")->setText("1");
    SetPopulationCount(1);
    PressStart();
    EXPECT_TRUE(form->messages.isEmpty()) << form->messages.join(" | ").toStdString();
    EXPECT_EQ(PointCounts(Find<CurveChart>("Chart2")), std::vector<int>({2, 2, 0, 0, 0, 0, 0, 0}));
}

TEST_F(RunControlTest, UnusableSettingsAreRefusedWithTheSheetInFront) {
    struct Case {
        const char* field;
        const char* text;
        const char* message;
        const char* page;
        const char* sheet; // null on the problem page
    };
    const std::vector<Case> cases = {
        {"Edit1", "1", "Population size must be at least 2.", "TabSheet3", "TabSheet2"},
        {"Edit22", "69", "Maximum length must be at least 70.", "TabSheet3", "TabSheet5"},
        {"Edit19", "x", "'x' is not a valid integer value", "TabSheet3", "TabSheet5"},
        {"Edit21", "ten", "'ten' is not a valid floating point value", "TabSheet3", "TabSheet5"},
        {"Edit12", "0", "Number of constants must be at least 1.", "TabSheet1", nullptr},
        {"Edit11", "1e99", "'1e99' is not a valid floating point value", "TabSheet1", nullptr},
    };
    for (const Case& c : cases) {
        SetUp();
        PrepareSmallRun({2, 2});
        const QString original = Edit(c.field)->text();
        Edit(c.field)->setText(c.text);
        form->messages.clear();
        PressStart();
        ASSERT_FALSE(form->messages.isEmpty()) << c.field;
        EXPECT_EQ(form->messages.last(), c.message) << c.field;
        EXPECT_EQ(CurrentPage(), c.page) << c.field;
        if (c.sheet != nullptr) {
            EXPECT_EQ(CurrentSheet(), c.sheet) << c.field;
        }
        EXPECT_TRUE(Edit(c.field)->hasFocus()) << c.field;
        EXPECT_EQ(Edit(c.field)->text(), c.text) << "a refusal changes no field";
        EXPECT_TRUE(NothingRan()) << c.field;
    }
}

TEST_F(RunControlTest, TheSearchMenusTicksReachTheNextRun) {
    PrepareSmallRun({2});
    Find<QAction>("LinearScaling")->setChecked(true);
    PressStart();
    // A scaled program shows its fit before its text: "C=0.1234+2.5*...".
    const QString text = Find<QPlainTextEdit>("Memo1")->toPlainText();
    EXPECT_TRUE(QRegularExpression("C=-?[0-9.e+-]+\\+-?[0-9.e+-]+\\*").match(text).hasMatch())
        << text.toStdString();
}

TEST_F(RunControlTest, StartRepairsAnEmptyConstantRangeAndBuildsNothing) {
    PrepareSmallRun({2});
    ShowPage("TabSheet1");
    Edit("Edit10")->setText("1");
    Edit("Edit11")->setText("1");
    Find<QAction>("StartGPrun1")->trigger();
    EXPECT_EQ(form->messages, QStringList({"Please set the range of constants proparly"}));
    EXPECT_EQ(Edit("Edit10")->text(), "-10");
    EXPECT_EQ(Edit("Edit11")->text(), "10");
    EXPECT_EQ(CurrentPage(), "TabSheet1");
    EXPECT_TRUE(NothingRan());
}

TEST_F(RunControlTest, NoCheckedFunctionGoesOnWithPlus) {
    PrepareSmallRun({2});
    auto* functions = Find<QListWidget>("CheckListBox1");
    for (int i = 0; i < 4; ++i)
        functions->item(i)->setCheckState(Qt::Unchecked);
    PressStart();
    EXPECT_EQ(form->messages, QStringList({"You must use 1 function at least."}));
    EXPECT_EQ(functions->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(Find<CurveChart>("Chart2")->Curve(0)->count(), 2);
    const QString memo = Find<QPlainTextEdit>("Memo1")->toPlainText();
    EXPECT_FALSE(memo.contains('*') || memo.contains('/')) << "only '+' is in the run";
}

TEST_F(RunControlTest, SmallRunFillsTheResultsPage) {
    PrepareSmallRun({5, 3});
    form->onProcess = [this] {
        if (form->processCalls == 1)
            Edit("Edit54")->setText("Z");
    };
    PressStart();
    ASSERT_TRUE(form->messages.isEmpty()) << form->messages.join(" | ").toStdString();
    EXPECT_EQ(form->processCalls, 8);
    EXPECT_EQ(CurrentPage(), "TabSheet4");

    const std::vector<int> expectedCounts = {5, 5, 3, 3, 0, 0, 0, 0};
    const std::vector<QString> numbers = {"0", "1", "2", "3", "4"};
    for (CurveChart* chart : Charts()) {
        EXPECT_EQ(PointCounts(chart), expectedCounts);
        EXPECT_EQ(chart->Labels(0), numbers) << "population 1 has the most generations";
        EXPECT_EQ(chart->Labels(1), numbers);
        EXPECT_EQ(chart->Labels(2), std::vector<QString>(3));
        const QStringList shown = chart->BottomLabels();
        ASSERT_FALSE(shown.isEmpty());
        for (const QString& label : shown)
            EXPECT_TRUE(std::find(numbers.begin(), numbers.end(), label) != numbers.end());
        EXPECT_EQ(chart->Curve(0)->at(4).x(), 4);
    }

    const QString memo = Find<QPlainTextEdit>("Memo1")->toPlainText();
    EXPECT_EQ(memo, JoinedBestEntries());
    EXPECT_TRUE(memo.startsWith("[Population No1]\nZ=")) << memo.toStdString();
    EXPECT_TRUE(memo.contains("\n\n[Population No2]\nZ=")) << memo.toStdString();
    EXPECT_TRUE(memo.endsWith("\n\n\n\n")) << "entries 3 and 4 are empty";

    EXPECT_EQ(LabelText("Label31"), QString("No1:") + kIdeographicSpace + "5 / 5");
    EXPECT_EQ(LabelText("Label48"), QString("No2:") + kIdeographicSpace + "3 / 3");
    EXPECT_FALSE(Find<QLabel>("Label48")->isHidden());
    EXPECT_TRUE(Find<QLabel>("Label82")->isHidden());
    EXPECT_TRUE(Find<QLabel>("Label83")->isHidden());
    EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->maximum(), 8);
    EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 8);

    for (const char* name : {"Image3", "Image6"})
        EXPECT_EQ(Find<GridPicture>(name)->Image().size(), QSize(120, 120)) << name;
    EXPECT_TRUE(Find<QPushButton>("BitBtn2")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("BitBtn1")->isEnabled());
    EXPECT_FALSE(HoldsARun());
}

TEST_F(RunControlTest, RunWithoutGenerationsEndsAtOnceWithAnIdleProgressBar) {
    PrepareSmallRun({0});
    PressStart();
    EXPECT_TRUE(form->messages.isEmpty());
    EXPECT_EQ(form->processCalls, 0);
    auto* progress = Find<QProgressBar>("ProgressBar1");
    EXPECT_GT(progress->maximum(), progress->minimum()) << "not a busy indicator";
    EXPECT_EQ(Find<CurveChart>("Chart2")->Curve(0)->count(), 0);
    EXPECT_TRUE(Find<QPushButton>("BitBtn2")->isEnabled());
    EXPECT_FALSE(HoldsARun());
}

TEST_F(RunControlTest, SecondRunClearsTheChartsAndHidesSurplusStatusLines) {
    PrepareSmallRun({3, 3});
    PressStart();
    ShowPage("TabSheet3");
    SetPopulationCount(1);
    Edit("Edit2")->setText("2");
    PressStart();
    for (CurveChart* chart : Charts())
        EXPECT_EQ(PointCounts(chart), std::vector<int>({2, 2, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(Find<QLabel>("Label48")->isHidden());
    EXPECT_EQ(LabelText("Label31"), QString("No1:") + kIdeographicSpace + "2 / 2");
    EXPECT_FALSE(Find<QPlainTextEdit>("Memo1")->toPlainText().contains("No2"));
}

TEST_F(RunControlTest, UntickingTrainingFitnessHidesTheDottedCurvesAtTheNextStep) {
    PrepareSmallRun({4, 4});
    form->onProcess = [this] {
        if (form->processCalls == 2)
            Find<QCheckBox>("CheckBox6")->setChecked(false);
    };
    PressStart();
    const std::vector<CurveChart*> fitnessCharts = {Find<CurveChart>("Chart2"),
                                                    form->findChild<TForm5*>()->Chart()};
    for (CurveChart* chart : fitnessCharts) {
        EXPECT_FALSE(chart->Curve(1)->isVisible());
        EXPECT_FALSE(chart->Curve(3)->isVisible());
        EXPECT_TRUE(chart->Curve(0)->isVisible());
        EXPECT_EQ(chart->Curve(1)->count(), 4) << "hidden curves keep their points";
    }
    Find<QCheckBox>("CheckBox6")->setChecked(true);
    EXPECT_FALSE(fitnessCharts[0]->Curve(1)->isVisible()) << "no effect after the run";
    EXPECT_TRUE(Find<CurveChart>("Chart3")->Curve(1)->isVisible());
}

TEST_F(RunControlTest, EscPausesAndEnterResumesWhereTheRunStopped) {
    PrepareSmallRun({5, 3});
    auto* stop = Find<QPushButton>("BitBtn1");
    auto* fitness = Find<CurveChart>("Chart2");
    int pausedCalls = 0;
    std::vector<int> countsAtPause;
    QString captionWhilePaused;
    form->onProcess = [&] {
        if (form->processCalls == 3) {
            QTest::keyClick(form.get(), Qt::Key_Escape);
            countsAtPause = PointCounts(fitness);
            return;
        }
        if (form->Runner().Paused()) {
            ++pausedCalls;
            captionWhilePaused = stop->text();
            EXPECT_EQ(PointCounts(fitness), countsAtPause);
            EXPECT_FALSE(Find<QPushButton>("BitBtn2")->isEnabled());
            if (pausedCalls == 3)
                QTest::keyClick(form.get(), Qt::Key_Return);
        }
    };
    PressStart();
    EXPECT_EQ(pausedCalls, 3);
    EXPECT_EQ(captionWhilePaused, "Resume");
    EXPECT_EQ(countsAtPause, std::vector<int>({2, 2, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(PointCounts(fitness), std::vector<int>({5, 5, 3, 3, 0, 0, 0, 0}));
    EXPECT_EQ(stop->text(), "Stop");
    EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 8);
}

TEST_F(RunControlTest, EscPausesFromEveryPageWhateverHasTheKeyboard) {
    struct Case {
        const char* page;
        const char* focused; // a control of that page, or the window itself
    };
    const std::vector<Case> cases = {{"TabSheet1", "ListBox1"},
                                     {"TabSheet1", nullptr},
                                     {"TabSheet3", "PageControl2"},
                                     {"TabSheet4", "Memo1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        SCOPED_TRACE(c.focused ? c.focused : "the window");
        PrepareSmallRun({6});
        bool pausedByEsc = false;
        form->processCalls = 0;
        form->onProcess = [&] {
            if (form->processCalls == 2) {
                ShowPage(c.page);
                QWidget* target = c.focused ? Find<QWidget>(c.focused) : form.get();
                target->setFocus();
                QTest::keyClick(target, Qt::Key_Escape);
                pausedByEsc = form->Runner().Paused();
                if (pausedByEsc)
                    Find<QPushButton>("BitBtn1")->click(); // Resume
            }
        };
        PressStart();
        EXPECT_TRUE(pausedByEsc);
        EXPECT_FALSE(form->IsRunning());
    }
}

TEST_F(RunControlTest, StartShortcutWorksWhileIdleAndDoesNothingDuringARun) {
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(form->messages, QStringList({"You must load data set for training before GP run."}))
        << "Ctrl+S works although its menu is hidden";
    form->messages.clear();

    PrepareSmallRun({5, 3});
    form->onProcess = [this] {
        if (form->processCalls == 2)
            QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    };
    ShowPage("TabSheet4");
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_TRUE(form->messages.isEmpty());
    EXPECT_EQ(form->processCalls, 8);
    EXPECT_EQ(PointCounts(Find<CurveChart>("Chart2")), std::vector<int>({5, 5, 3, 3, 0, 0, 0, 0}));
}

TEST_F(RunControlTest, EnterPressesStartOnlyWhereStartIsShown) {
    PrepareSmallRun({2});
    ShowPage("TabSheet1");
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_TRUE(NothingRan());
    ShowPage("TabSheet4");
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(form->processCalls, 2);
}

TEST_F(RunControlTest, ClosingTheWindowEndsTheRunAtItsNextMessageProcessing) {
    PrepareSmallRun({5, 3});
    form->onProcess = [this] {
        if (form->processCalls == 2)
            form->close();
    };
    PressStart();
    EXPECT_EQ(form->processCalls, 2);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(HoldsARun());
    EXPECT_FALSE(form->IsRunning());
    EXPECT_EQ(PointCounts(Find<CurveChart>("Chart2")), std::vector<int>({1, 1, 1, 1, 0, 0, 0, 0}));
}

TEST_F(RunControlTest, ClosingTheWindowWhilePausedEndsTheRunToo) {
    PrepareSmallRun({5, 3});
    form->onProcess = [this] {
        if (form->processCalls == 1)
            QTest::mouseClick(Find<QPushButton>("BitBtn1"), Qt::LeftButton);
        else if (form->processCalls == 3)
            form->close();
    };
    PressStart();
    EXPECT_EQ(form->processCalls, 3);
    EXPECT_FALSE(HoldsARun());
    EXPECT_EQ(Find<CurveChart>("Chart2")->Curve(0)->count(), 1);
}

} // namespace
