#include "ui/chart_window.h"

#include "ui/controls.h"
#include "ui/curve_chart.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

ChartWindow::ChartWindow(const ChartWindowLayout& layout, QWidget* parent)
    : QDialog(parent), chart_(new CurveChart(layout.leftTitle, Qt::AlignRight, this)) {
    setObjectName(layout.objectName);
    UseInterfaceFont(this);
    setWindowTitle(layout.caption);
    setModal(false);
    setFixedSize(layout.clientSize);

    chart_->setObjectName("Chart1");
    chart_->setFixedSize(layout.chartSize);
    chart_->AddPopulationCurves(layout.solidCurveName, layout.dottedCurveName, WindowColour, true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName("CloseButton");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(5, 5, 5, 8);
    column->addWidget(chart_, 0, Qt::AlignHCenter | Qt::AlignTop);
    column->addStretch();
    column->addWidget(buttons);
}

void ChartWindow::ShowInFront() {
    show();
    raise();
    activateWindow();
}
