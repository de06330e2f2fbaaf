// A modeless window showing one chart of the results page at full size, with
// every curve in the legend. It lives as long as the main window; closing it
// only hides it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace quba {

class CurveChart;

struct ChartWindowLayout {
    const char* objectName;
    int slot; // 0 opens first in line beside the main window, 1 after it
    QString caption;
    QSize clientSize;
    QSize chartSize;
    QString leftTitle;
    QString solidCurveName;  // followed by the population number
    QString dottedCurveName; // followed by the population number
};

class ChartWindow : public QDialog {
    Q_OBJECT
public:
    ChartWindow(const ChartWindowLayout& layout, QWidget* parent);

    [[nodiscard]] CurveChart* Chart() const { return chart_; }
    // Shows the window, or brings it forward when it is already shown. The
    // first time, it opens beside the main window, where the screen has room.
    void ShowInFront();

private:
    CurveChart* chart_;
    int slot_;
    bool placed_ = false;
};

// What a new window of the main window should leave visible: the main
// window's frame, its run controls (Front..., the progress bar, Start and
// Stop), the screen's free area and the frames of the windows already open.
struct WindowScene {
    QRect main;
    QRect keepClear;
    QRect screen;
    std::vector<QRect> openWindows;
};

// Where a window whose frame has `window` size covers the least of `scene`:
// beside the main window if there is room (slot 1 below slot 0), otherwise
// at the screen's freer side, cascaded by slot; always on the screen.
QPoint LeastCoveringPosition(const WindowScene& scene, const QSize& window, int slot);
// A window of the main window that is not kept above it: the user can bring
// the main window to the front.
void MakeIndependentWindow(QWidget& window);
// Moves a window of the main window (its parent) to its place beside it.
void PlaceBesideMainWindow(QWidget& window, int slot);

} // namespace quba
