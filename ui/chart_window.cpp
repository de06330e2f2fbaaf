#include "ui/chart_window.h"

#include "ui/controls.h"
#include "ui/curve_chart.h"

#include <QDialogButtonBox>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quba {

namespace {

constexpr int kGap = 8;
constexpr int kCascadeStep = 32;
constexpr int kTitleBarHeight = 30;
// The run's row at the foot of the results page: Front..., the progress
// bar, Start and Stop.
constexpr const char* kRunButtonNames[] = {"FrontButton", "ProgressBar1", "BitBtn2", "BitBtn1"};

} // namespace

namespace {

int OverlapArea(const QRect& a, const QRect& b) {
    const QRect both = a.intersected(b);
    return both.isEmpty() ? 0 : both.width() * both.height();
}

QPoint KeptOnScreen(QPoint at, const QSize& window, const QRect& screen) {
    return {std::clamp(at.x(), screen.left(),
                       std::max(screen.left(), screen.right() + 1 - window.width())),
            std::clamp(at.y(), screen.top(),
                       std::max(screen.top(), screen.bottom() + 1 - window.height()))};
}

} // namespace

QPoint LeastCoveringPosition(const WindowScene& scene, const QSize& window, int slot) {
    const QRect& main = scene.main;
    const QRect& screen = scene.screen;
    const int stacked = slot * (window.height() + kGap);
    const int cascade = slot * kCascadeStep;
    // Beside the main window, stacked by slot; against either side of the
    // screen, cascaded by slot; below and above it.
    const int xs[] = {main.right() + 1 + kGap, main.left() - kGap - window.width(),
                      screen.right() + 1 - window.width() - cascade, screen.left() + cascade,
                      main.left() + cascade};
    const int ys[] = {main.top() + stacked, main.top() + cascade, screen.top() + cascade,
                      main.bottom() + 1 + kGap + cascade,
                      main.top() - kGap - window.height() - cascade};
    // The run buttons weigh most, then the rest of the main window and the
    // title bars of the windows already open, then those windows; the first
    // candidate wins a tie.
    QPoint best;
    int64_t bestCost = std::numeric_limits<int64_t>::max();
    for (const int y : ys)
        for (const int x : xs) {
            const QPoint at = KeptOnScreen({x, y}, window, screen);
            const QRect placed(at, window);
            int64_t cost = int64_t{1000} * OverlapArea(placed, scene.keepClear) +
                           int64_t{10} * OverlapArea(placed, main);
            for (const QRect& open : scene.openWindows) {
                // Another window's title bar is where the user takes hold of it.
                const QRect title(open.topLeft(), QSize(open.width(), kTitleBarHeight));
                cost += OverlapArea(placed, open) + int64_t{10} * OverlapArea(placed, title);
            }
            if (cost < bestCost) {
                bestCost = cost;
                best = at;
            }
        }
    return best;
}

ChartWindow::ChartWindow(const ChartWindowLayout& layout, QWidget* parent)
    : QDialog(parent), chart_(new CurveChart(layout.leftTitle, Qt::AlignRight, this)),
      slot_(layout.slot) {
    setObjectName(layout.objectName);
    UseInterfaceFont(this);
    setWindowTitle(layout.caption);
    setModal(false);
    MakeIndependentWindow(*this);
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

void MakeIndependentWindow(QWidget& window) {
    window.setWindowFlags((window.windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
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
    // A window never shown has not taken its size from its layout yet.
    if (!window.testAttribute(Qt::WA_Resized))
        window.adjustSize();
    WindowScene scene{main->frameGeometry(), {}, main->screen()->availableGeometry(), {}};
    for (const char* name : kRunButtonNames)
        if (const auto* button = main->findChild<const QWidget*>(name);
            button && button->isVisible())
            scene.keepClear |= QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    for (const QWidget* other : main->findChildren<const QWidget*>(Qt::FindDirectChildrenOnly))
        if (other != &window && other->isWindow() && other->isVisible())
            scene.openWindows.push_back(other->frameGeometry());
    window.move(LeastCoveringPosition(scene, window.size().grownBy(decorations), slot));
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
