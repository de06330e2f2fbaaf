// The "Results" page: the fitness and length charts, the best programs, the
// data pictures beside the pictures the best programs draw, the progress bar,
// the status lines and the Start and Stop buttons. It shows what a run
// reports; the run controller decides when.
#pragma once

#include "core/grid.h"
#include "engine/best_program.h"

#include <QSize>
#include <QWidget>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace quba {

class CurveChart;
class GridPicture;
class ProgramBox;

class ResultsPage : public QWidget {
    Q_OBJECT
public:
    // `fitnessWindowChart` and `lengthWindowChart` are the charts of the two
    // chart windows, which receive every point the page's charts do.
    explicit ResultsPage(QWidget* parent);
    void SetWindowCharts(CurveChart* fitnessWindowChart, CurveChart* lengthWindowChart);

    [[nodiscard]] QPushButton* StartButton() const { return startButton_; }
    [[nodiscard]] QPushButton* StopButton() const { return stopButton_; }
    // Opens the Front window.
    [[nodiscard]] QPushButton* FrontButton() const { return frontButton_; }
    // Start is enabled between runs, Stop during a run.
    void SetRunButtons(bool running);
    // Running: "Stop" is the cancel button (Esc). Paused: "Resume" is the
    // default button (Enter).
    void SetStopButtonRole(bool paused);
    [[nodiscard]] bool StopButtonIsDefault() const { return stopButtonIsDefault_; }
    [[nodiscard]] CurveChart* FitnessChart() const { return fitnessChart_; }
    [[nodiscard]] CurveChart* LengthChart() const { return lengthChart_; }
    // Population i's best program at its last step, kept after the run until
    // the next one starts.
    [[nodiscard]] const std::optional<BestProgram>& Best(int32_t population) const {
        return best_[population];
    }
    [[nodiscard]] const std::array<std::optional<BestProgram>, 4>& BestPrograms() const {
        return best_;
    }

    // The data pictures follow the problem page's grids.
    void ShowTrainingData(const DataGrid& grid);
    void ShowValidationData(const DataGrid& grid);

    // What a run reports (see RunDisplay).
    void ClearCurves(int32_t labelPopulation);
    void ShowStatusLines(int32_t populationCount);
    void SetStatusLine(int32_t population, int32_t step, int32_t generations);
    void SetProgressMaximum(int32_t maximum);
    void SetProgressPosition(int32_t position);
    void PublishCharts(int32_t population, int32_t generation, float validationFitness,
                       float trainingFitness, int32_t averageLength, int32_t bestLength);
    void SetBestProgram(const BestProgram& best);
    void SetBestText(const std::string& text);
    // Keeps population i's front and tells who listens.
    void SetFront(int32_t population, const std::vector<BestProgram>& members);
    // Population i's size-accuracy front, kept after the run until the next
    // one starts.
    [[nodiscard]] const std::vector<BestProgram>& Front(int32_t population) const {
        return fronts_[population];
    }
    void SetBestPictures(const DataGrid& training, const DataGrid& validation);

    // What the main window has grown beyond its default size goes to the
    // charts, the best-program box and the pictures.
    void Grow(QSize extra);

signals:
    void fitnessChartDoubleClicked();
    // A step changed population i's front, or a run cleared every front (-1).
    void frontChanged(int population);
    void lengthChartDoubleClicked();

private:
    QWidget* BuildChartColumn();
    QWidget* BuildPictureColumn();
    QWidget* BuildRunRow();

    QCheckBox* trainingFitnessBox_ = nullptr;
    CurveChart* fitnessChart_ = nullptr;
    CurveChart* lengthChart_ = nullptr;
    CurveChart* fitnessWindowChart_ = nullptr;
    CurveChart* lengthWindowChart_ = nullptr;
    ProgramBox* bestText_ = nullptr;
    GridPicture* trainingDataPicture_ = nullptr;
    GridPicture* bestTrainingPicture_ = nullptr;
    GridPicture* validationDataPicture_ = nullptr;
    GridPicture* bestValidationPicture_ = nullptr;
    QProgressBar* progress_ = nullptr;
    std::array<QLabel*, 4> statusLines_{};
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* frontButton_ = nullptr;

    bool stopButtonIsDefault_ = false;
    int32_t runLabelPopulation_ = 0; // whose points number the bottom axis in this run
    std::array<std::optional<BestProgram>, 4> best_;
    std::array<std::vector<BestProgram>, 4> fronts_;
};

} // namespace quba
