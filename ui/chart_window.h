// A modeless window showing one chart of the results page at full size, with
// every curve in the legend. It lives as long as the main window; closing it
// only hides it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

namespace quba {

class CurveChart;

struct ChartWindowLayout {
    const char* objectName;
    int slot; // 0 opens level with the main window's top, 1 below the window of slot 0
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

// Where a window whose frame has `window` size stands beside the main window's
// frame `main` on `screen`: right of it, else left of it, in `slot` 0 level
// with its top or in slot 1 below the window of slot 0, kept on the screen.
QPoint BesidePosition(const QRect& main, const QSize& window, const QRect& screen, int slot);
// Moves a window of the main window (its parent) to its place beside it.
void PlaceBesideMainWindow(QWidget& window, int slot);

} // namespace quba
