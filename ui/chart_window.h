// A modeless window showing one chart of the results page at full size, with
// every curve in the legend. It lives as long as the main window; closing it
// only hides it.
#pragma once

#include <QDialog>
#include <QSize>
#include <QString>

class CurveChart;

struct ChartWindowLayout {
    const char* objectName;
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
    // Shows the window, or brings it forward when it is already shown.
    void ShowInFront();

private:
    CurveChart* chart_;
};
