#include "ui/front_window.h"

#include "engine/front.h"
#include "export/figures.h"
#include "export/render.h"
#include "ui/chart_window.h"
#include "ui/controls.h"
#include "ui/curve_chart.h"

#include <QChart>
#include <QChartView>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPushButton>
#include <QScatterSeries>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace quba {

namespace {

// An exact fit has no place on a logarithmic axis: it is drawn here.
constexpr double kLowestShownError = 1e-12;
constexpr int kPictureSide = 120;
constexpr const char* kHint = "Point at a member to see its formula; click it to see it redrawn.";
constexpr int kMostLengthTicks = 10;

// The step between whole-number length ticks: 1, 2, 5, 10, 20, 50, ...
int WholeTickStep(double longest) {
    for (int step = 1;; step *= 10)
        for (const int factor : {1, 2, 5})
            if (longest / (step * factor) <= kMostLengthTicks)
                return step * factor;
}

double Shown(float error) {
    return std::max(static_cast<double>(error), kLowestShownError);
}

DataGrid TrainingGridOf(const Problem& problem) {
    DataGrid grid(problem.trainingSide);
    std::copy(problem.trainingTargets.begin(), problem.trainingTargets.end(), grid.Data());
    return grid;
}

} // namespace

FrontWindow::FrontWindow(std::function<std::string()> outputName, QWidget* parent)
    : QDialog(parent), outputName_(std::move(outputName)) {
    setObjectName("FrontWindow");
    UseInterfaceFont(this);
    setWindowTitle("Front: training error against length");
    setModal(false);
    MakeIndependentWindow(*this);
    BuildChart();

    trainingPicture_ = new GridPicture(kPictureSide, this);
    trainingPicture_->setObjectName("FrontTraining");
    redrawPicture_ = new GridPicture(kPictureSide, this);
    redrawPicture_->setObjectName("FrontRedraw");
    memberLabel_ = new QLabel(kHint, this);
    memberLabel_->setObjectName("FrontMember");
    memberLabel_->setWordWrap(true);
    memberLabel_->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    memberLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    exportButton_ = new QPushButton("&Export...", this);
    exportButton_->setObjectName("FrontExport");
    exportButton_->setEnabled(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    connect(exportButton_, &QPushButton::clicked, this, &FrontWindow::exportRequested);

    auto* view = new QChartView(chart_, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(520, 320);
    auto* legend = new QHBoxLayout;
    legend->addStretch();
    for (int i = 0; i < 4; ++i) {
        legend_[i] = new QLabel(QString("\u25CF No%1").arg(i + 1), this);
        legend_[i]->setObjectName(QString("FrontLegendNo%1").arg(i + 1));
        legend_[i]->setStyleSheet(QString("color: %1").arg(WindowColour(i).name()));
        legend_[i]->hide();
        legend->addWidget(legend_[i]);
    }
    legend->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addLayout(legend, 0, 0, 1, 4);
    layout->addWidget(view, 1, 0, 1, 4);
    layout->addWidget(new QLabel("training data", this), 2, 0);
    layout->addWidget(new QLabel("member", this), 2, 1);
    layout->addWidget(trainingPicture_, 3, 0, Qt::AlignTop);
    layout->addWidget(redrawPicture_, 3, 1, Qt::AlignTop);
    layout->addWidget(memberLabel_, 2, 2, 2, 2);
    layout->addWidget(exportButton_, 4, 0, 1, 2, Qt::AlignLeft);
    layout->addWidget(buttons, 4, 2, 1, 2);
    layout->setColumnStretch(2, 1);
    layout->setRowStretch(1, 1);
}

void FrontWindow::BuildChart() {
    chart_ = new QChart;
    chart_->setBackgroundRoundness(0);
    lengthAxis_ = new QValueAxis(chart_);
    lengthAxis_->setTitleText("Length");
    lengthAxis_->setLabelFormat("%d");
    errorAxis_ = new QLogValueAxis(chart_);
    errorAxis_->setTitleText("Training error");
    errorAxis_->setBase(10);
    errorAxis_->setLabelFormat("%g");
    errorAxis_->setRange(1e-3, 1);
    FitLengthAxis(9);
    chart_->addAxis(lengthAxis_, Qt::AlignBottom);
    chart_->addAxis(errorAxis_, Qt::AlignLeft);
    for (int i = 0; i < 4; ++i) {
        lines_[i] = new QLineSeries(chart_);
        lines_[i]->setPen(QPen(WindowColour(i), 1));
        points_[i] = new QScatterSeries(chart_);
        points_[i]->setName(QString("No%1").arg(i + 1));
        points_[i]->setColor(WindowColour(i));
        points_[i]->setBorderColor(WindowColour(i).darker(150));
        points_[i]->setMarkerSize(9);
        for (QAbstractSeries* series : {static_cast<QAbstractSeries*>(lines_[i]),
                                        static_cast<QAbstractSeries*>(points_[i])}) {
            chart_->addSeries(series);
            series->attachAxis(lengthAxis_);
            series->attachAxis(errorAxis_);
        }
        connect(points_[i], &QScatterSeries::hovered, this,
                [this, i](const QPointF& point, bool entered) { PointHovered(i, point, entered); });
        connect(points_[i], &QScatterSeries::clicked, this, [this, i](const QPointF& point) {
            const auto& front = fronts_[i];
            for (size_t k = 0; k < front.size(); ++k)
                if (static_cast<double>(front[k].nodes.size()) == point.x())
                    SelectMember(i, static_cast<int>(k));
        });
    }
    // The legend is the row of labels above the chart: Qt's own mislays its
    // markers when series come and go between runs.
    chart_->legend()->hide();
}

void FrontWindow::ShowInFront() {
    if (!placed_) {
        PlaceBesideMainWindow(*this, 2);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

void FrontWindow::SetFront(int population, const std::vector<BestProgram>& members) {
    if (population < 0) {
        fronts_ = {};
        selected_.reset();
        selectedText_.clear();
        trainingPicture_->Clear();
        redrawPicture_->Clear();
        ShowSelectedText();
        for (int i = 0; i < 4; ++i)
            ShowPoints(i);
        UpdateExportButton();
        return;
    }
    // A member that stays keeps what was computed for it.
    std::vector<BestProgram> next = members;
    for (BestProgram& member : next)
        for (const BestProgram& old : fronts_[population])
            if (old.nodes == member.nodes && !NeedsCompletion(old))
                member = old;
    fronts_[population] = std::move(next);
    ShowPoints(population);
    if (selected_ && selected_->first == population && Selected() == nullptr) {
        selectedText_ = QString("The member of No%1 of length %2 that you clicked has left the "
                                "front: a better one took its place. Click another member.")
                            .arg(population + 1)
                            .arg(selected_->second.size());
        selected_.reset();
        redrawPicture_->Clear();
        ShowSelectedText();
    }
    UpdateExportButton();
}

void FrontWindow::SetExportAllowed(bool allowed) {
    exportAllowed_ = allowed;
    UpdateExportButton();
}

void FrontWindow::UpdateExportButton() {
    exportButton_->setEnabled(exportAllowed_ && Selected() != nullptr);
}

void FrontWindow::ShowPoints(int population) {
    QList<QPointF> points;
    QList<QPointF> steps;
    for (const BestProgram& member : fronts_[population]) {
        const QPointF point(static_cast<double>(member.nodes.size()),
                            Shown(member.trainingFitness));
        if (!steps.isEmpty())
            steps.append(QPointF(point.x(), steps.last().y()));
        steps.append(point);
        points.append(point);
    }
    points_[population]->replace(points);
    lines_[population]->replace(steps);
    // Only populations with members are in the legend.
    legend_[population]->setVisible(!points.isEmpty());
    FitErrorAxis();
}

void FrontWindow::FitErrorAxis() {
    double lowest = INFINITY;
    double highest = 0;
    double longest = 0;
    for (const auto& front : fronts_)
        for (const BestProgram& member : front) {
            lowest = std::min(lowest, Shown(member.trainingFitness));
            highest = std::max(highest, Shown(member.trainingFitness));
            longest = std::max(longest, static_cast<double>(member.nodes.size()));
        }
    if (highest == 0)
        return;
    // Just below the power of ten, so that its label is drawn.
    errorAxis_->setRange(std::pow(10.0, std::floor(std::log10(lowest))) * (1 - 1e-9),
                         std::pow(10.0, std::ceil(std::log10(highest) + 1e-9)));
    FitLengthAxis(longest);
}

void FrontWindow::FitLengthAxis(double longest) {
    // Lengths are whole numbers, and so are their ticks.
    const int step = WholeTickStep(longest + 1);
    lengthAxis_->setTickType(QValueAxis::TicksDynamic);
    lengthAxis_->setTickAnchor(0);
    lengthAxis_->setTickInterval(step);
    lengthAxis_->setRange(0, std::ceil((longest + 1) / step) * step);
}

int FrontWindow::MemberCount(int population) const {
    return static_cast<int>(fronts_[population].size());
}

BestProgram& FrontWindow::Completed(int population, int index) {
    BestProgram& member = fronts_[population][static_cast<size_t>(index)];
    if (NeedsCompletion(member))
        CompleteFrontMember(member, outputName_(), evaluators_);
    return member;
}

QString FrontWindow::MemberText(int population, int index) {
    const BestProgram& member = Completed(population, index);
    const FormulaFigures figures = FiguresOf(member);
    return QString("No%1, length %2, first seen at generation %3\n%4\ntraining error %5, "
                   "PSNR %6 dB, %7 bytes")
        .arg(population + 1)
        .arg(member.nodes.size())
        .arg(member.generation)
        .arg(QString::fromStdString(member.text))
        .arg(static_cast<double>(member.trainingFitness), 0, 'g', 6)
        .arg(figures.psnr, 0, 'f', 2)
        .arg(figures.formulaBytes);
}

void FrontWindow::PointHovered(int population, const QPointF& point, bool entered) {
    if (!entered) {
        QToolTip::hideText();
        ShowSelectedText();
        return;
    }
    const auto& front = fronts_[population];
    for (size_t k = 0; k < front.size(); ++k)
        if (static_cast<double>(front[k].nodes.size()) == point.x()) {
            const QString text = MemberText(population, static_cast<int>(k));
            memberLabel_->setText(text);
            QToolTip::showText(QCursor::pos(), text, this);
        }
}

void FrontWindow::ShowSelectedText() {
    memberLabel_->setText(selectedText_.isEmpty() ? kHint : selectedText_);
}

void FrontWindow::SelectMember(int population, int index) {
    const QString text = MemberText(population, index);
    const BestProgram& member = fronts_[population][static_cast<size_t>(index)];
    selected_ = std::make_pair(population, member.nodes);
    trainingPicture_->Draw(TrainingGridOf(*member.problem));
    redrawPicture_->Draw(TrainingOutput(member, evaluators_));
    selectedText_ = text;
    ShowSelectedText();
    UpdateExportButton();
}

const BestProgram* FrontWindow::Selected() const {
    if (!selected_)
        return nullptr;
    for (const BestProgram& member : fronts_[selected_->first])
        if (member.nodes == selected_->second)
            return &member;
    return nullptr;
}

std::vector<BestProgram> FrontWindow::CompletedFront(int population) {
    for (int k = 0; k < MemberCount(population); ++k)
        Completed(population, k);
    return fronts_[population];
}

} // namespace quba
