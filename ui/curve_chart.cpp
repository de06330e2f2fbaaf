#include "ui/curve_chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetrics>
#include <QGraphicsLayout>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMouseEvent>
#include <QRubberBand>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace quba {

namespace {

constexpr int kLabelSpacing = 32; // pixels a generation number needs on the bottom axis
constexpr int kMargin = 2;
constexpr int kMinimumZoomSide = 4; // a smaller rectangle is taken for a click
constexpr int kZoomAnimationMs = 300;
// Stands in for the numbers while there are none: an axis without any
// category lays its title out at the top of the chart.
const QString kNoLabel = QStringLiteral(" ");

QFont PixelFont(const QFont& base, int pixels) {
    QFont font = base;
    font.setPixelSize(pixels);
    return font;
}

// The label steps 1, 2, 5, 10, 20, 50, ...
double NextStep(double step) {
    const double leading = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    return step * (std::lround(leading) == 2 ? 2.5 : 2.0);
}

} // namespace

QColor PanelColour(int population) {
    static const std::array<QColor, 4> colours = {QColor(255, 0, 0), QColor(0, 0, 255),
                                                  QColor(0, 128, 0), QColor(255, 255, 0)};
    return colours[population];
}

QColor WindowColour(int population) {
    static const std::array<QColor, 4> colours = {QColor(255, 0, 0), QColor(0, 0, 255),
                                                  QColor(0, 255, 0), QColor(255, 255, 0)};
    return colours[population];
}

CurveChart::CurveChart(const QString& leftTitle, Qt::Alignment legendPlace, QWidget* parent)
    : QChartView(new QChart, parent), axisY_(new QValueAxis), axisX_(new QCategoryAxis),
      rubberBand_(new QRubberBand(QRubberBand::Rectangle, viewport())) {
    QChart* view = chart();
    view->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
    view->layout()->setContentsMargins(0, 0, 0, 0);
    view->setBackgroundRoundness(0);
    view->setAnimationOptions(QChart::NoAnimation);
    view->setAnimationDuration(kZoomAnimationMs);
    view->legend()->setAlignment(legendPlace);
    view->legend()->setFont(PixelFont(font(), 10));
    view->legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);

    axisX_->setTitleText("Generation");
    axisX_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axisY_->setTitleText(leftTitle);
    for (QAbstractAxis* axis :
         {static_cast<QAbstractAxis*>(axisX_), static_cast<QAbstractAxis*>(axisY_)}) {
        axis->setTitleFont(PixelFont(font(), 9));
        axis->setLabelsFont(PixelFont(font(), 10));
    }
    axisX_->setRange(0, 1);
    axisY_->setRange(0, 1);
    view->addAxis(axisX_, Qt::AlignBottom);
    view->addAxis(axisY_, Qt::AlignLeft);

    connect(axisX_, &QValueAxis::rangeChanged, this, [this] { UpdateBottomLabels(); });
    connect(view, &QChart::plotAreaChanged, this, [this] { UpdateBottomLabels(); });
    UpdateBottomLabels();
}

QLineSeries* CurveChart::NewSeries(const QString& name, const QColor& colour, Qt::PenStyle style) {
    auto* series = new QLineSeries;
    series->setName(name);
    QPen pen(colour);
    pen.setWidth(1);
    pen.setStyle(style);
    series->setPen(pen);
    chart()->addSeries(series);
    series->attachAxis(axisX_);
    series->attachAxis(axisY_);
    return series;
}

int CurveChart::AddCurve(const QString& name, const QColor& colour, Qt::PenStyle style,
                         bool inLegend) {
    CurveData curve;
    curve.series = NewSeries(name, colour, style);
    curve.inLegend = inLegend;
    curves_.push_back(std::move(curve));
    ApplyLegendEntries();
    return CurveCount() - 1;
}

void CurveChart::AddKeyEntry(const QString& name, Qt::PenStyle style) {
    keyEntries_.push_back(NewSeries(name, Qt::black, style));
}

void CurveChart::AddPopulationCurves(const QString& solidName, const QString& dottedName,
                                     QColor (*colour)(int), bool inLegend) {
    for (int population = 0; population < 4; ++population) {
        const QString number = QString::number(population + 1);
        AddCurve(solidName + number, colour(population), Qt::SolidLine, inLegend);
        AddCurve(dottedName + number, colour(population), Qt::DotLine, inLegend);
    }
}

void CurveChart::ApplyLegendEntries() {
    // The chart hides the entry of a hidden curve; the legend lists every
    // curve that belongs to it all the same.
    for (const CurveData& curve : curves_)
        for (QLegendMarker* marker : chart()->legend()->markers(curve.series))
            marker->setVisible(curve.inLegend);
}

void CurveChart::AppendPoint(int curve, double x, double y, const QString& label) {
    if (!std::isfinite(x) || !std::isfinite(y))
        return;
    CurveData& data = curves_[curve];
    const bool first = data.series->count() == 0;
    data.series->append(x, y);
    data.labels.push_back(label);
    data.maxX = first ? x : std::max(data.maxX, x);
    data.maxY = first ? y : std::max(data.maxY, y);
    if (data.series->isVisible())
        FitAxes();
    if (!label.isEmpty())
        UpdateBottomLabels();
}

void CurveChart::SetCurveVisible(int curve, bool visible) {
    QLineSeries* series = curves_[curve].series;
    if (series->isVisible() == visible)
        return;
    series->setVisible(visible);
    ApplyLegendEntries();
    FitAxes();
    UpdateBottomLabels();
}

void CurveChart::ClearCurves() {
    for (CurveData& curve : curves_) {
        curve.series->clear();
        curve.labels.clear();
        curve.maxX = 0;
        curve.maxY = 0;
    }
    for (QLineSeries* entry : keyEntries_)
        entry->clear();
    chart()->setMargins(QMargins(kMargin, kMargin, kMargin, kMargin));
    ResetZoom();
}

void CurveChart::ResetZoom() {
    if (chart()->isZoomed())
        chart()->zoomReset();
    fittedMaxX_ = -1;
    fittedMaxY_ = -1;
    FitAxes();
    UpdateBottomLabels();
}

bool CurveChart::IsZoomed() const {
    return chart()->isZoomed();
}

void CurveChart::FitAxes() {
    if (IsZoomed())
        return;
    double maxX = 0;
    double maxY = 0;
    for (const CurveData& curve : curves_) {
        if (!curve.series->isVisible() || curve.series->count() == 0)
            continue;
        maxX = std::max(maxX, curve.maxX);
        maxY = std::max(maxY, curve.maxY);
    }
    if (maxX != fittedMaxX_) {
        fittedMaxX_ = maxX;
        axisX_->setRange(0, maxX > 0 ? maxX : 1);
    }
    if (maxY != fittedMaxY_) {
        fittedMaxY_ = maxY;
        axisY_->setRange(0, maxY > 0 ? maxY : 1);
        if (maxY > 0)
            axisY_->applyNiceNumbers();
    }
}

void CurveChart::UpdateBottomLabels() {
    const double low = axisX_->min();
    const double high = axisX_->max();
    std::map<double, QString> labelled;
    for (const CurveData& curve : curves_) {
        if (!curve.series->isVisible())
            continue;
        for (size_t i = 0; i < curve.labels.size(); ++i) {
            const double x = curve.series->at(static_cast<int>(i)).x();
            if (!curve.labels[i].isEmpty() && x >= low && x <= high)
                labelled.emplace(x, curve.labels[i]);
        }
    }

    const auto capacity = static_cast<size_t>(
        std::max(2, static_cast<int>(chart()->plotArea().width()) / kLabelSpacing));
    double step = 1;
    auto onStep = [&step](double x) { return std::fmod(x, step) == 0; };
    auto countOnStep = [&] {
        return static_cast<size_t>(
            std::count_if(labelled.begin(), labelled.end(),
                          [&](const auto& entry) { return onStep(entry.first); }));
    };
    while (countOnStep() > capacity)
        step = NextStep(step);

    QList<double> chosen;
    for (const auto& [x, text] : labelled)
        if (onStep(x))
            chosen.push_back(x);
    if (chosen == shownLabelPositions_ && !axisX_->categoriesLabels().isEmpty())
        return;
    for (const QString& text : axisX_->categoriesLabels())
        axisX_->remove(text);
    for (double x : chosen)
        axisX_->append(labelled[x], x);
    if (chosen.isEmpty())
        axisX_->append(kNoLabel, 0);
    shownLabelPositions_ = chosen;
    KeepLastLabelInView();
}

void CurveChart::KeepLastLabelInView() {
    // A number is centred on its mark, so one near the right end of the axis
    // needs room beside the plot. The room only grows until the curves are
    // cleared, so that it cannot swing with the labels it makes room for.
    if (shownLabelPositions_.isEmpty())
        return;
    const double span = axisX_->max() - axisX_->min();
    const double toEnd = span > 0 ? (axisX_->max() - shownLabelPositions_.last()) / span *
                                        chart()->plotArea().width()
                                  : 0;
    const QString last = axisX_->categoriesLabels().last();
    const double half = QFontMetrics(axisX_->labelsFont()).horizontalAdvance(last) / 2.0;
    const int right = kMargin + std::max(0, static_cast<int>(std::ceil(half - toEnd)));
    QMargins margins = chart()->margins();
    if (right > margins.right()) {
        margins.setRight(right);
        chart()->setMargins(margins);
    }
}

QStringList CurveChart::BottomLabels() const {
    QStringList labels = axisX_->categoriesLabels();
    labels.removeAll(kNoLabel);
    return labels;
}

void CurveChart::ZoomTo(const QRect& area) {
    chart()->setAnimationOptions(QChart::AllAnimations);
    if (area.isNull()) {
        ResetZoom();
    } else {
        chart()->zoomIn(area);
        // Round values at the ticks (0.02, 0.04, ...), not the drag's edges.
        axisY_->applyNiceNumbers();
    }
    QTimer::singleShot(kZoomAnimationMs + 100, this,
                       [this] { chart()->setAnimationOptions(QChart::NoAnimation); });
}

void CurveChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QChartView::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    dragOrigin_ = event->position().toPoint();
    rubberBand_->setGeometry(QRect(dragOrigin_, QSize()));
    rubberBand_->show();
}

void CurveChart::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    rubberBand_->setGeometry(QRect(dragOrigin_, event->position().toPoint()).normalized());
}

void CurveChart::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        ZoomTo(QRect());
        return;
    }
    if (event->button() != Qt::LeftButton || !dragging_) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    rubberBand_->hide();
    const QPoint end = event->position().toPoint();
    const QRect dragged = QRect(dragOrigin_, end).normalized();
    if (dragged.width() < kMinimumZoomSide || dragged.height() < kMinimumZoomSide)
        return;
    // Dragging towards the left undoes the zoom, to the right zooms in.
    if (end.x() < dragOrigin_.x()) {
        ZoomTo(QRect());
        return;
    }
    const QRect area = dragged.intersected(chart()->plotArea().toRect());
    if (area.width() >= kMinimumZoomSide && area.height() >= kMinimumZoomSide)
        ZoomTo(area);
}

void CurveChart::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
}

} // namespace quba
