// The run charts: left-out points, axes that follow the visible curves, the
// generation numbers of the bottom axis, and zoom.
#include "ui/curve_chart.h"

#include "tests/ui/ui_test_support.h"

#include <QApplication>
#include <QCategoryAxis>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QSignalSpy>
#include <QTest>
#include <QValueAxis>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quba;

namespace {

class ChartTest : public ::testing::Test {
protected:
    void SetUp() override {
        chart.AddPopulationCurves("Validation", "Training", PanelColour, true);
        chart.resize(400, 300);
        chart.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    }

    void AppendRun(int curve, int points, double scale, bool labelled) {
        for (int g = 0; g < points; ++g)
            chart.AppendPoint(curve, g, scale * (1 + g % 3), labelled ? QString::number(g) : "");
    }
    void Drag(QPoint from, QPoint to) {
        QWidget* surface = chart.viewport();
        QTest::mousePress(surface, Qt::LeftButton, {}, from);
        QTest::mouseMove(surface, to);
        QTest::mouseRelease(surface, Qt::LeftButton, {}, to);
    }
    [[nodiscard]] QPoint PlotPoint(double fx, double fy) const {
        const QRectF area = chart.chart()->plotArea();
        return QPointF(area.left() + fx * area.width(), area.top() + fy * area.height()).toPoint();
    }

    CurveChart chart{"Fitness of best indv.", Qt::AlignRight, nullptr};
};

TEST_F(ChartTest, PointsThatAreNotFiniteAreLeftOutAndDoNotStretchTheAxis) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const std::vector<double> values = {0.5, inf, std::nan(""), -inf, 0.8};
    for (size_t g = 0; g < values.size(); ++g)
        chart.AppendPoint(0, static_cast<double>(g), values[g], QString::number(g));
    ASSERT_EQ(chart.Curve(0)->count(), 2);
    EXPECT_EQ(chart.Curve(0)->at(1), QPointF(4, 0.8));
    EXPECT_EQ(chart.Labels(0), std::vector<QString>({"0", "4"}));
    EXPECT_EQ(chart.AxisY()->min(), 0);
    EXPECT_GE(chart.AxisY()->max(), 0.8);
    EXPECT_LE(chart.AxisY()->max(), 1.0);
    EXPECT_EQ(chart.AxisX()->min(), 0);
    EXPECT_EQ(chart.AxisX()->max(), 4);
}

TEST_F(ChartTest, AxisMaximaFollowOnlyTheVisibleCurves) {
    AppendRun(0, 10, 1, true);
    AppendRun(1, 20, 50, true);
    EXPECT_GE(chart.AxisY()->max(), 150);
    EXPECT_EQ(chart.AxisX()->max(), 19);

    chart.SetCurveVisible(1, false);
    EXPECT_EQ(chart.Curve(1)->count(), 20) << "a hidden curve keeps its points";
    EXPECT_GE(chart.AxisY()->max(), 3);
    EXPECT_LT(chart.AxisY()->max(), 10);
    EXPECT_EQ(chart.AxisX()->max(), 9);

    chart.SetCurveVisible(1, true);
    EXPECT_GE(chart.AxisY()->max(), 150);
    EXPECT_EQ(chart.AxisY()->min(), 0);
}

TEST_F(ChartTest, BottomAxisIsNumberedFromTheLabelledPointsOnly) {
    AppendRun(0, 6, 1, true);
    AppendRun(2, 9, 1, false);
    const QStringList shown = chart.BottomLabels();
    ASSERT_FALSE(shown.isEmpty());
    EXPECT_EQ(shown.first(), "0");
    for (const QString& label : shown)
        EXPECT_LT(label.toInt(), 6) << "the unlabelled curve runs to 8";
}

TEST_F(ChartTest, ManyGenerationNumbersAreThinnedToFit) {
    AppendRun(0, 500, 1, true);
    const QStringList shown = chart.BottomLabels();
    ASSERT_GE(shown.size(), 2);
    EXPECT_LE(shown.size(), static_cast<int>(chart.chart()->plotArea().width()) / 32);
    const int step = shown[1].toInt() - shown[0].toInt();
    EXPECT_TRUE(step == 50 || step == 100 || step == 20) << step;
    for (int i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i].toInt(), i * step);
}

TEST(ChartAxis, TheNumberAtTheRightEndIsNotClipped) {
    // As on the results page: the legend above, the plot as wide as the chart.
    CurveChart panel("Length of gene", Qt::AlignTop, nullptr);
    panel.AddPopulationCurves("Best indv. ", "Average ", PanelColour, false);
    panel.setFixedSize(249, 201);
    panel.show();
    for (int g = 0; g <= 200; ++g)
        panel.AppendPoint(0, g, g % 7, QString::number(g));
    QApplication::processEvents();
    ASSERT_EQ(panel.BottomLabels().last(), "200");
    ASSERT_EQ(panel.AxisX()->max(), 200);
    // The scene item that draws "200" lies inside the chart.
    int found = 0;
    for (const QGraphicsItem* item : panel.scene()->items()) {
        const auto* text = dynamic_cast<const QGraphicsTextItem*>(item);
        if (text == nullptr || text->toPlainText() != "200" || !text->isVisible())
            continue;
        ++found;
        EXPECT_LE(text->sceneBoundingRect().right(), panel.chart()->size().width());
    }
    EXPECT_EQ(found, 1);
}

TEST_F(ChartTest, DraggingRightZoomsInAndDraggingLeftUndoesIt) {
    AppendRun(0, 40, 1, true);
    Drag(PlotPoint(0.1, 0.1), PlotPoint(0.5, 0.9));
    ASSERT_TRUE(chart.IsZoomed());
    EXPECT_GT(chart.AxisX()->min(), 0);
    EXPECT_LT(chart.AxisX()->max(), 30);
    const double zoomedMax = chart.AxisX()->max();
    // The left axis is labelled at round values: its tick step is 1, 2 or 5 times a power of ten.
    const QValueAxis* left = chart.AxisY();
    const double tick = (left->max() - left->min()) / (left->tickCount() - 1);
    const double mantissa = tick / std::pow(10.0, std::floor(std::log10(tick) + 1e-9));
    EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                std::abs(mantissa - 5) < 1e-9)
        << left->min() << " " << left->max() << " " << left->tickCount();
    EXPECT_NEAR(std::remainder(left->min(), tick), 0, 1e-9);
    AppendRun(2, 60, 1, false);
    EXPECT_EQ(chart.AxisX()->max(), zoomedMax) << "new points leave the zoom alone";

    Drag(PlotPoint(0.8, 0.2), PlotPoint(0.2, 0.8));
    EXPECT_FALSE(chart.IsZoomed());
    EXPECT_EQ(chart.AxisX()->min(), 0);
    EXPECT_EQ(chart.AxisX()->max(), 59);
}

TEST_F(ChartTest, AClickIsNoZoomAndARightClickResetsIt) {
    AppendRun(0, 40, 1, true);
    Drag(PlotPoint(0.5, 0.5), PlotPoint(0.5, 0.5) + QPoint(2, 2));
    EXPECT_FALSE(chart.IsZoomed());
    Drag(PlotPoint(0.2, 0.2), PlotPoint(0.6, 0.6));
    ASSERT_TRUE(chart.IsZoomed());
    QTest::mouseClick(chart.viewport(), Qt::RightButton, {}, PlotPoint(0.5, 0.5));
    EXPECT_FALSE(chart.IsZoomed());
    EXPECT_EQ(chart.AxisX()->max(), 39);
}

TEST_F(ChartTest, ClearingEmptiesEveryCurveAndCancelsTheZoom) {
    for (int curve = 0; curve < chart.CurveCount(); ++curve)
        AppendRun(curve, 12, 1, curve == 0);
    chart.SetCurveVisible(3, false);
    Drag(PlotPoint(0.1, 0.1), PlotPoint(0.5, 0.5));
    ASSERT_TRUE(chart.IsZoomed());

    chart.ClearCurves();
    EXPECT_FALSE(chart.IsZoomed());
    for (int curve = 0; curve < chart.CurveCount(); ++curve) {
        EXPECT_EQ(chart.Curve(curve)->count(), 0) << curve;
        EXPECT_TRUE(chart.Labels(curve).empty()) << curve;
    }
    EXPECT_TRUE(chart.BottomLabels().isEmpty());
    AppendRun(0, 3, 1, true);
    EXPECT_EQ(chart.AxisX()->max(), 2);
}

TEST_F(ChartTest, DoubleClickIsReportedAndDoesNotZoom) {
    QSignalSpy spy(&chart, &CurveChart::doubleClicked);
    QTest::mouseDClick(chart.viewport(), Qt::LeftButton, {}, PlotPoint(0.5, 0.5));
    EXPECT_EQ(spy.count(), 1);
    EXPECT_FALSE(chart.IsZoomed());
}

TEST(ChartLegend, CurvesLeftOutOfTheLegendStayOutWhenShownAgain) {
    CurveChart chart("Fitness of best indv.", Qt::AlignTop, nullptr);
    chart.AddPopulationCurves("Validation", "Training", PanelColour, false);
    chart.AddKeyEntry("Validation", Qt::SolidLine);
    chart.AddKeyEntry("Training", Qt::DotLine);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    auto legendTexts = [&chart] {
        QStringList texts;
        for (QLegendMarker* marker : chart.chart()->legend()->markers())
            if (marker->isVisible())
                texts << marker->label();
        return texts;
    };
    EXPECT_EQ(legendTexts(), QStringList({"Validation", "Training"}));
    chart.SetCurveVisible(1, false);
    chart.SetCurveVisible(1, true);
    EXPECT_EQ(legendTexts(), QStringList({"Validation", "Training"}));
}

TEST(ChartLegend, AHiddenCurveKeepsItsLegendEntry) {
    CurveChart chart("Fitness of best indv.", Qt::AlignRight, nullptr);
    chart.AddPopulationCurves("Validation fitness ", "Training fitness ", WindowColour, true);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    chart.SetCurveVisible(1, false);
    int shown = 0;
    for (QLegendMarker* marker : chart.chart()->legend()->markers())
        shown += marker->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 8);
}

} // namespace
