// The line charts of a run: curves that grow point by point, axes from 0 to
// the largest visible value, generation numbers on the bottom axis and
// rectangle zoom.
#pragma once

#include <QChartView>
#include <QColor>
#include <QList>
#include <QPoint>
#include <QString>

#include <vector>

class QCategoryAxis;
class QLineSeries;
class QRubberBand;
class QValueAxis;

namespace quba {

// Curve colour of population 0 to 3 on the main window (and its swatches) and
// in the chart windows, which show population 3 brighter.
QColor PanelColour(int population);
QColor WindowColour(int population);

class CurveChart : public QChartView {
    Q_OBJECT
public:
    CurveChart(const QString& leftTitle, Qt::Alignment legendPlace, QWidget* parent);

    // Adds a curve and returns its index. A curve left out of the legend is
    // still drawn.
    int AddCurve(const QString& name, const QColor& colour, Qt::PenStyle style, bool inLegend);
    // Adds a black legend entry that never receives points.
    void AddKeyEntry(const QString& name, Qt::PenStyle style);
    // Adds the validation (or best) and the training (or average) curve of
    // each of the four populations, in that order.
    void AddPopulationCurves(const QString& solidName, const QString& dottedName,
                             QColor (*colour)(int), bool inLegend);

    // A point whose value is not finite is left out, so it cannot stretch the
    // axis. A non-empty label numbers the bottom axis at x.
    void AppendPoint(int curve, double x, double y, const QString& label);
    // A hidden curve keeps its points but is not drawn and does not count for
    // the axis maxima.
    void SetCurveVisible(int curve, bool visible);
    // Removes every point and cancels the zoom.
    void ClearCurves();
    void ResetZoom();

    [[nodiscard]] int CurveCount() const { return static_cast<int>(curves_.size()); }
    [[nodiscard]] QLineSeries* Curve(int curve) const { return curves_[curve].series; }
    [[nodiscard]] const std::vector<QString>& Labels(int curve) const {
        return curves_[curve].labels;
    }
    [[nodiscard]] QValueAxis* AxisY() const { return axisY_; }
    [[nodiscard]] QCategoryAxis* AxisX() const { return axisX_; }
    // The generation numbers the bottom axis shows, left to right.
    [[nodiscard]] QStringList BottomLabels() const;
    [[nodiscard]] bool IsZoomed() const;

signals:
    void doubleClicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    struct CurveData {
        QLineSeries* series = nullptr;
        std::vector<QString> labels; // one per point
        double maxX = 0;
        double maxY = 0;
        bool inLegend = true;
    };

    QLineSeries* NewSeries(const QString& name, const QColor& colour, Qt::PenStyle style);
    void ApplyLegendEntries();
    // Fits both axes to the visible curves, unless the user has zoomed in.
    void FitAxes();
    // Picks the labelled points inside the shown range, thinned so that the
    // numbers do not overlap, and rebuilds the bottom axis when they change.
    void UpdateBottomLabels();
    // Leaves room at the right for the last number of the bottom axis.
    void KeepLastLabelInView();
    void ZoomTo(const QRect& area);

    QValueAxis* axisY_;
    QCategoryAxis* axisX_;
    std::vector<CurveData> curves_;
    std::vector<QLineSeries*> keyEntries_;
    QList<double> shownLabelPositions_;
    double fittedMaxX_ = -1;
    double fittedMaxY_ = -1;
    QRubberBand* rubberBand_;
    QPoint dragOrigin_;
    bool dragging_ = false;
};

} // namespace quba
