#include "ui/chart_window.h"

#include "ui/controls.h"
#include "ui/curve_chart.h"

#include <QDialogButtonBox>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace quba {

namespace {

constexpr int kGap = 8;

} // namespace

QPoint BesidePosition(const QRect& main, const QSize& window, const QRect& screen, int slot) {
    const int right = main.right() + 1 + kGap;
    const int left = main.left() - kGap - window.width();
    int x = right;
    if (right + window.width() > screen.right() + 1)
        x = left >= screen.left() ? left : screen.right() + 1 - window.width();
    const int y = main.top() + slot * (window.height() + kGap);
    return {
        std::max(x, screen.left()),
        std::clamp(y, screen.top(), std::max(screen.top(), screen.bottom() + 1 - window.height()))};
}

ChartWindow::ChartWindow(const ChartWindowLayout& layout, QWidget* parent)
    : QDialog(parent), chart_(new CurveChart(layout.leftTitle, Qt::AlignRight, this)),
      slot_(layout.slot) {
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

void PlaceBesideMainWindow(QWidget& window, int slot) {
    const QWidget* main = window.parentWidget();
    if (main == nullptr || main->screen() == nullptr)
        return;
    // The window's frame is not known before it is shown; the main window's
    // decorations are the same.
    const QMargins decorations(main->geometry().left() - main->frameGeometry().left(),
                               main->geometry().top() - main->frameGeometry().top(),
                               main->frameGeometry().right() - main->geometry().right(),
                               main->frameGeometry().bottom() - main->geometry().bottom());
    const QSize frame = window.size().grownBy(decorations);
    window.move(
        BesidePosition(main->frameGeometry(), frame, main->screen()->availableGeometry(), slot));
}

void ChartWindow::ShowInFront() {
    if (!placed_) {
        PlaceBesideMainWindow(*this, slot_);
        placed_ = true;
    }
    show();
    raise();
    activateWindow();
}

} // namespace quba
