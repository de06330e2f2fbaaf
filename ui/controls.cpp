#include "ui/controls.h"

#include "data/rendering.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace quba {

GridPicture::GridPicture(int side, QWidget* parent) : QFrame(parent), side_(side) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette frame = palette();
    frame.setColor(QPalette::WindowText, frame.color(QPalette::Dark));
    setPalette(frame);
    setFixedSize(side + 2 * frameWidth(), side + 2 * frameWidth());
}

void GridPicture::Draw(const DataGrid& grid) {
    if (grid.Empty())
        return;
    grid_ = grid;
    Render();
}

void GridPicture::SetSide(int side) {
    if (side == side_)
        return;
    side_ = side;
    setFixedSize(side + 2 * frameWidth(), side + 2 * frameWidth());
    if (!grid_.Empty())
        Render();
}

void GridPicture::Render() {
    // A smaller grid must not leave a strip of the previous one at the edges.
    image_ = QImage(side_, side_, QImage::Format_RGB32);
    image_.fill(Qt::white);
    QPainter painter(&image_);
    DrawGrid(side_, side_, grid_.Size(), grid_.Data(),
             [&painter](const CellRect& cell, Rgb colour) {
                 painter.fillRect(
                     QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top),
                     QColor(colour.red, colour.green, colour.blue));
             });
    update();
}

void GridPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (image_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
}

void PatternList::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr)
        emit picked();
}

void PatternList::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0)
        emit picked();
}

PageControl::PageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new HotTrackTabBar(this));
}

HotTrackTabBar::HotTrackTabBar(QWidget* parent) : QTabBar(parent) {
    setMouseTracking(true);
}

void HotTrackTabBar::mouseMoveEvent(QMouseEvent* event) {
    Light(tabAt(event->position().toPoint()));
    QTabBar::mouseMoveEvent(event);
}

void HotTrackTabBar::leaveEvent(QEvent* event) {
    Light(-1);
    QTabBar::leaveEvent(event);
}

void HotTrackTabBar::Light(int tab) {
    if (tab == litTab_)
        return;
    if (litTab_ >= 0 && litTab_ < count())
        setTabTextColor(litTab_, QColor()); // back to the normal caption colour
    litTab_ = tab;
    if (tab >= 0)
        setTabTextColor(tab, palette().color(QPalette::Highlight));
}

ColourSwatch::ColourSwatch(const QColor& colour, QWidget* parent)
    : QWidget(parent), colour_(colour) {
    setFixedSize(33, 33);
}

void ColourSwatch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(colour_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void UseInterfaceFont(QWidget* widget) {
    QFont font = widget->font();
    font.setPixelSize(12);
    widget->setFont(font);
}

} // namespace quba
