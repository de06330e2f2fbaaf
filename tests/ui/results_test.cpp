// Grid pictures, the results page before a run and the chart windows.
#include "tests/ui/ui_test_support.h"

#include "data/rendering.h"
#include "picture/grid_image.h"
#include "ui/chart_window.h"
#include "ui/controls.h"
#include "ui/curve_chart.h"
#include "ui/unit5.h"
#include "ui/unit6.h"

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QValueAxis>

using namespace quba;

namespace {

QColor CellColour(float value) {
    const Rgb colour = ColourOfValue(value);
    return {colour.red, colour.green, colour.blue};
}

QStringList VisibleLegend(const CurveChart* chart) {
    QStringList texts;
    for (QLegendMarker* marker : chart->chart()->legend()->markers())
        if (marker->isVisible())
            texts << marker->label();
    return texts;
}

class ResultsTest : public FormTest {};

TEST_F(ResultsTest, PickingAPatternDrawsTheTrainingGridAndItsValidationCopy) {
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    PickPattern("ListBox1", 3); // "line": a different value in every cell
    ASSERT_TRUE(form->TrainingGrid().has_value());
    const DataGrid& grid = *form->TrainingGrid();
    ASSERT_EQ(grid.Size(), 2);
    ASSERT_TRUE(form->ValidationGrid().has_value());
    EXPECT_EQ(*form->ValidationGrid(), grid);

    // Grid rows run across the picture, columns down it.
    struct Probe {
        const char* picture;
        int side;
    };
    for (const Probe& probe :
         {Probe{"Image1", 145}, Probe{"Image2", 120}, Probe{"Image4", 145}, Probe{"Image5", 120}}) {
        const QImage& image = Find<GridPicture>(probe.picture)->Image();
        ASSERT_EQ(image.size(), QSize(probe.side, probe.side)) << probe.picture;
        const int near = probe.side / 5;
        const int far = probe.side - near;
        EXPECT_EQ(image.pixelColor(near, near), CellColour(grid.At(0, 0))) << probe.picture;
        EXPECT_EQ(image.pixelColor(near, far), CellColour(grid.At(0, 1))) << probe.picture;
        EXPECT_EQ(image.pixelColor(far, near), CellColour(grid.At(1, 0))) << probe.picture;
        EXPECT_EQ(image.pixelColor(far, far), CellColour(grid.At(1, 1))) << probe.picture;
    }
    EXPECT_TRUE(Find<GridPicture>("Image3")->Image().isNull());
}

TEST_F(ResultsTest, SizeOfAxisTakesEffectAtTheNextPick) {
    PickPattern("ListBox1", 0);
    ASSERT_EQ(form->TrainingGrid()->Size(), 30);
    // 30 cells on 145 pixels leave the last pixel column as it was.
    const QImage& image = Find<GridPicture>("Image1")->Image();
    EXPECT_EQ(image.pixelColor(144, 0), QColor(Qt::white));
    EXPECT_NE(image.pixelColor(143, 0), QColor(Qt::white));

    Find<QSpinBox>("CSpinEdit1")->setValue(20);
    EXPECT_EQ(form->TrainingGrid()->Size(), 30);
    PickPattern("ListBox1", 6);
    EXPECT_EQ(form->TrainingGrid()->Size(), 20);
    EXPECT_EQ(form->ValidationGrid()->Size(), 20);
}

TEST_F(ResultsTest, AGridDrawnAfterALargerOneLeavesNoStrip) {
    Find<QSpinBox>("CSpinEdit1")->setValue(7); // seven cells fill all 145 pixels
    PickPattern("ListBox1", 6);
    Find<QSpinBox>("CSpinEdit1")->setValue(30); // thirty leave the last column
    PickPattern("ListBox1", 6);
    for (const char* name : {"Image1", "Image4"}) {
        const QImage& image = Find<GridPicture>(name)->Image();
        for (int i = 0; i < 145; ++i) {
            EXPECT_EQ(image.pixelColor(144, i), QColor(Qt::white)) << name << " row " << i;
            EXPECT_EQ(image.pixelColor(i, 144), QColor(Qt::white)) << name << " column " << i;
        }
    }
}

TEST_F(ResultsTest, TheResultsPageGrowsWithTheWindowAndShrinksBack) {
    EXPECT_EQ(form->minimumSize(), QSize(637, 614));
    PickPattern("ListBox1", 6);
    ShowPage("TabSheet4");
    form->resize(637 + 200, 614 + 160);
    QApplication::processEvents();
    EXPECT_EQ(Find<QWidget>("Chart2")->size(), QSize(249 + 100, 185 + 80));
    EXPECT_EQ(Find<QWidget>("Chart3")->size(), QSize(249 + 100, 201 + 80));
    EXPECT_EQ(Find<QWidget>("Memo1")->size(), QSize(225 + 100, 89 + 40));
    // The pictures are redrawn cell by cell at their new size.
    const DataGrid& grid = *form->TrainingGrid();
    const QImage& image = Find<GridPicture>("Image2")->Image();
    ASSERT_EQ(image.size(), QSize(170, 170));
    EXPECT_EQ(image.pixelColor(3, 167), CellColour(grid.At(0, 29)));
    for (const char* name : {"Image2", "Image3", "Image5", "Image6"})
        EXPECT_EQ(Find<GridPicture>(name)->Side(), 170) << name;

    form->resize(637, 614);
    QApplication::processEvents();
    EXPECT_EQ(Find<QWidget>("Chart2")->size(), QSize(249, 185));
    EXPECT_EQ(Find<QWidget>("Memo1")->size(), QSize(225, 89));
    EXPECT_EQ(Find<GridPicture>("Image2")->Image().size(), QSize(120, 120));
}

TEST_F(ResultsTest, TabCaptionsLightUpUnderTheMouse) {
    for (const char* name : {"PageControl1", "PageControl2"}) {
        auto* bar = static_cast<HotTrackTabBar*>(Find<QTabWidget>(name)->tabBar());
        const QPoint overFirst = bar->tabRect(0).center();
        QTest::mouseMove(bar, overFirst);
        EXPECT_EQ(bar->LitTab(), 0) << name;
        EXPECT_EQ(bar->tabTextColor(0), bar->palette().color(QPalette::Highlight));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(bar, &leave);
        EXPECT_EQ(bar->LitTab(), -1) << name;
        EXPECT_FALSE(bar->tabTextColor(0).isValid());
        ShowPage("TabSheet3"); // the sheets' tabs are shown with their page
    }
}

TEST_F(ResultsTest, NewWindowsLeaveTheRunControlsVisibleOnOrdinaryScreens) {
    ShowPage("TabSheet3");
    QRect buttons;
    for (const char* name : {"FrontButton", "ProgressBar1", "BitBtn2", "BitBtn1"}) {
        const auto* button = Find<QWidget>(name);
        buttons |= QRect(button->mapTo(form.get(), QPoint(0, 0)), button->size());
    }
    const QMargins frame(4, 26, 4, 4);
    const QSize mainFrame = form->size().grownBy(frame);
    const std::vector<QSize> windows = {Find<QDialog>("Form5")->size().grownBy(frame),
                                        Find<QDialog>("Form6")->size().grownBy(frame),
                                        Find<QWidget>("FrontWindow")->sizeHint().grownBy(frame)};
    for (const QSize screenSize : {QSize(1366, 768), QSize(1600, 1000), QSize(1920, 1080)}) {
        const QRect screen(QPoint(0, 0), screenSize);
        const int freeWidth = screen.width() - mainFrame.width();
        for (const int x : {0, freeWidth / 2, freeWidth}) {
            WindowScene scene{QRect(QPoint(x, 0), mainFrame),
                              buttons.translated(x + frame.left(), frame.top()),
                              screen,
                              {}};
            for (int slot = 0; slot < 3; ++slot) {
                const QRect placed(LeastCoveringPosition(scene, windows[slot], slot),
                                   windows[slot]);
                const std::string where = std::to_string(screenSize.width()) + " wide, main at " +
                                          std::to_string(x) + ", slot " + std::to_string(slot);
                EXPECT_TRUE(screen.contains(placed)) << where;
                EXPECT_FALSE(placed.intersects(scene.keepClear)) << where;
                // Where the screen has room beside the main window, none of it is covered.
                if (std::max(x, freeWidth - x) >= windows[slot].width() + 8 && slot == 0) {
                    EXPECT_FALSE(placed.intersects(scene.main)) << where;
                }
                // The windows already open can still be taken by their title bars
                // (on a small screen, or beside a main window at its edge, the
                // third window may have to cover one).
                const bool roomForThree = screenSize.width() >= 1920 ||
                                          (screenSize.width() >= 1600 && x == freeWidth / 2);
                if (slot < 2 || roomForThree) {
                    for (const QRect& open : scene.openWindows) {
                        EXPECT_FALSE(
                            placed.intersects(QRect(open.topLeft(), QSize(open.width(), 30))))
                            << where;
                    }
                }
                scene.openWindows.push_back(placed);
            }
        }
    }
}

TEST_F(ResultsTest, ChartAndFrontWindowsLetTheMainWindowComeToTheFront) {
    for (const char* name : {"Form5", "Form6", "FrontWindow"}) {
        const auto* window = Find<QWidget>(name);
        EXPECT_EQ(window->windowType(), Qt::Window) << name;
        EXPECT_EQ(window->parentWidget(), form.get()) << name;
    }
}

TEST_F(ResultsTest, TheViewItemDrawsEveryGridPictureUprightAndTheTooltipSaysWhichWayIsUp) {
    const auto turned = [](const DataGrid& grid) {
        DataGrid result(grid.Size());
        for (int r = 0; r < grid.Size(); ++r)
            for (int c = 0; c < grid.Size(); ++c)
                result.At(c, r) = grid.At(r, c);
        return result;
    };
    const auto expectDrawn = [&](bool upright) {
        const DataGrid& grid = *form->TrainingGrid();
        for (const char* name : {"Image1", "Image4"}) {
            const auto* picture = Find<GridPicture>(name);
            EXPECT_EQ(picture->Image(), GridImage(upright ? turned(grid) : grid, picture->Side()))
                << name;
            EXPECT_TRUE(picture->toolTip().contains(upright ? "row 1 is the top stripe"
                                                            : "row 1 is the leftmost stripe"))
                << name;
        }
    };
    Find<QSpinBox>("CSpinEdit1")->setValue(6);
    PickPattern("ListBox1", 3); // "line": a different value in every cell
    auto* item = form->findChild<QAction*>("UprightPictures1");
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->isChecked());
    expectDrawn(false);
    item->setChecked(true);
    expectDrawn(true);
    EXPECT_TRUE(Find<GridPicture>("FrontTraining")->toolTip().contains("top stripe"));
    PickPattern("ListBox1", 1); // a grid drawn later is upright too
    expectDrawn(true);
    item->setChecked(false);
    expectDrawn(false);
}

TEST_F(ResultsTest, ValidationPatternReplacesOnlyTheValidationGrid) {
    Find<QCheckBox>("CheckBox3")->setChecked(false);
    auto* list = Find<QListWidget>("ListBox2");
    list->setEnabled(true);
    Find<QSpinBox>("CSpinEdit2")->setValue(4);
    PickPattern("ListBox2", 2);
    EXPECT_FALSE(form->TrainingGrid().has_value());
    ASSERT_TRUE(form->ValidationGrid().has_value());
    EXPECT_EQ(form->ValidationGrid()->Size(), 4);
    EXPECT_FALSE(Find<GridPicture>("Image5")->Image().isNull());

    PickPattern("ListBox1", 1);
    EXPECT_EQ(form->ValidationGrid()->Size(), 4) << "the box is unticked: no copy";
}

TEST_F(ResultsTest, ResultsPageStartsEmpty) {
    EXPECT_TRUE(Find<QCheckBox>("CheckBox6")->isChecked());
    EXPECT_EQ(Find<QCheckBox>("CheckBox6")->text(), "Training fitness");
    EXPECT_TRUE(Find<QPlainTextEdit>("Memo1")->toPlainText().isEmpty());
    EXPECT_EQ(Find<QPlainTextEdit>("Memo1")->size(), QSize(225, 89));
    EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->value(), 0);
    EXPECT_EQ(Find<QProgressBar>("ProgressBar1")->maximum(), 100);
    const std::vector<const char*> status = {"Label31", "Label48", "Label82", "Label83"};
    for (size_t i = 0; i < status.size(); ++i) {
        EXPECT_EQ(LabelText(status[i]), "Not running");
        EXPECT_EQ(Find<QLabel>(status[i])->isHidden(), i != 0) << status[i];
    }
    auto* start = Find<QPushButton>("BitBtn2");
    auto* stop = Find<QPushButton>("BitBtn1");
    EXPECT_EQ(start->text(), "Start");
    EXPECT_TRUE(start->isEnabled());
    EXPECT_EQ(stop->text(), "Stop");
    EXPECT_FALSE(stop->isEnabled());
    for (const char* name : {"Image2", "Image3", "Image5", "Image6"})
        EXPECT_EQ(Find<GridPicture>(name)->contentsRect().size(), QSize(120, 120)) << name;
}

TEST_F(ResultsTest, PanelChartsShowOnlyTheKeyEntriesInTheirLegend) {
    auto* fitness = Find<CurveChart>("Chart2");
    auto* length = Find<CurveChart>("Chart3");
    EXPECT_EQ(fitness->size(), QSize(249, 185));
    EXPECT_EQ(length->size(), QSize(249, 201));
    EXPECT_EQ(VisibleLegend(fitness), QStringList({"Validation", "Training"}));
    EXPECT_EQ(VisibleLegend(length), QStringList({"Best Indv.", "Average"}));
    EXPECT_EQ(fitness->AxisY()->titleText(), "Fitness of best indv.");
    EXPECT_EQ(length->AxisY()->titleText(), "Length of gene");
    EXPECT_EQ(fitness->AxisX()->titleText(), "Generation");

    ASSERT_EQ(fitness->CurveCount(), 8);
    EXPECT_EQ(fitness->Curve(4)->name(), "Validation3");
    EXPECT_EQ(fitness->Curve(4)->pen().color(), QColor(0, 128, 0));
    EXPECT_EQ(fitness->Curve(4)->pen().style(), Qt::SolidLine);
    EXPECT_EQ(fitness->Curve(7)->name(), "Training4");
    EXPECT_EQ(fitness->Curve(7)->pen().style(), Qt::DotLine);
    EXPECT_EQ(length->Curve(1)->name(), "Average 1");
}

TEST_F(ResultsTest, DoubleClicksOpenTheChartWindows) {
    auto* fitnessWindow = form->findChild<TForm5*>();
    auto* lengthWindow = form->findChild<TForm6*>();
    ASSERT_NE(fitnessWindow, nullptr);
    ASSERT_NE(lengthWindow, nullptr);
    EXPECT_FALSE(fitnessWindow->isVisible());
    ShowPage("TabSheet4");

    QTest::mouseDClick(Find<CurveChart>("Chart2")->viewport(), Qt::LeftButton);
    ASSERT_TRUE(fitnessWindow->isVisible());
    EXPECT_EQ(fitnessWindow->windowTitle(), "Fitness of Vest Indiv.");
    EXPECT_EQ(fitnessWindow->size(), QSize(595, 415));
    EXPECT_EQ(fitnessWindow->Chart()->size(), QSize(585, 281));
    EXPECT_EQ(VisibleLegend(fitnessWindow->Chart()),
              QStringList({"Validation fitness 1", "Training fitness 1", "Validation fitness 2",
                           "Training fitness 2", "Validation fitness 3", "Training fitness 3",
                           "Validation fitness 4", "Training fitness 4"}));
    EXPECT_EQ(fitnessWindow->Chart()->Curve(4)->pen().color(), QColor(0, 255, 0));

    QTest::mouseDClick(Find<CurveChart>("Chart3")->viewport(), Qt::LeftButton);
    ASSERT_TRUE(lengthWindow->isVisible());
    EXPECT_EQ(lengthWindow->windowTitle(), "Length of gene");
    EXPECT_EQ(lengthWindow->size(), QSize(594, 415));
    EXPECT_EQ(lengthWindow->Chart()->size(), QSize(593, 313));
    EXPECT_EQ(lengthWindow->Chart()->Curve(2)->name(), "Best indv. 2");

    auto* buttons = fitnessWindow->findChild<QDialogButtonBox*>("CloseButton");
    ASSERT_NE(buttons, nullptr);
    QTest::mouseClick(buttons->button(QDialogButtonBox::Close), Qt::LeftButton);
    EXPECT_FALSE(fitnessWindow->isVisible());
    EXPECT_EQ(form->findChild<TForm5*>(), fitnessWindow) << "closing only hides it";
    EXPECT_TRUE(lengthWindow->isVisible());
    EXPECT_TRUE(form->isEnabled()) << "the chart windows are modeless";
}

} // namespace
