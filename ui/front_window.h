// The "Front" window: every population's size-accuracy front, training error
// on a logarithmic axis against length, updated after every step that changes
// it. Pointing at a member shows its formula, error and PSNR; clicking it
// shows its redraw beside the training picture and offers it for export.
#pragma once

#include "core/grid.h"
#include "engine/best_program.h"
#include "engine/fitness.h"

#include <QDialog>
#include <QPointF>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QChart;
class QLabel;
class QLineSeries;
class QLogValueAxis;
class QPushButton;
class QScatterSeries;
class QValueAxis;

namespace quba {

class GridPicture;

class FrontWindow : public QDialog {
    Q_OBJECT
public:
    // `outputName` gives the name the members' texts begin with.
    FrontWindow(std::function<std::string()> outputName, QWidget* parent);

    // Shows the window, or brings it forward; the first time beside the main
    // window.
    void ShowInFront();
    // Population i's front after a step; -1 clears every front (a new run).
    void SetFront(int population, const std::vector<BestProgram>& members);

    [[nodiscard]] int MemberCount(int population) const;
    // What pointing at a member shows.
    [[nodiscard]] QString MemberText(int population, int index);
    // What clicking a member does: its redraw beside the training picture.
    void SelectMember(int population, int index);
    // The clicked member, while it is still on its front.
    [[nodiscard]] const BestProgram* Selected() const;
    // Every member of every front, their validation errors and texts
    // computed, for the Export dialog.
    [[nodiscard]] std::vector<BestProgram> CompletedFront(int population);
    [[nodiscard]] QScatterSeries* Points(int population) const { return points_[population]; }
    [[nodiscard]] QValueAxis* LengthAxis() const { return lengthAxis_; }
    // Exporting is possible after a run and while it is paused.
    void SetExportAllowed(bool allowed);

signals:
    // The Export button: the clicked member and every front, for the dialog.
    void exportRequested();

private:
    void BuildChart();
    void ShowPoints(int population);
    void FitErrorAxis();
    void FitLengthAxis(double longest);
    BestProgram& Completed(int population, int index);
    void PointHovered(int population, const QPointF& point, bool entered);
    void UpdateExportButton();
    // The clicked member's text, or a hint when none is clicked.
    void ShowSelectedText();

    std::function<std::string()> outputName_;
    FitnessEvaluators evaluators_{EvaluationOptions{}};
    std::array<std::vector<BestProgram>, 4> fronts_;
    std::optional<std::pair<int, std::vector<int32_t>>> selected_; // population and program
    QString selectedText_;

    QChart* chart_ = nullptr;
    QValueAxis* lengthAxis_ = nullptr;
    QLogValueAxis* errorAxis_ = nullptr;
    std::array<QLineSeries*, 4> lines_{};
    std::array<QScatterSeries*, 4> points_{};
    std::array<QLabel*, 4> legend_{}; // shown for the populations with members
    GridPicture* trainingPicture_ = nullptr;
    GridPicture* redrawPicture_ = nullptr;
    QLabel* memberLabel_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    bool placed_ = false;
    bool exportAllowed_ = false;
};

} // namespace quba
