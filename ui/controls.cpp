#include "ui/controls.h"

#include "data/rendering.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

GridPicture::GridPicture(int side, QWidget* parent) : QFrame(parent), side_(side) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    QPalette frame = palette();
    frame.setColor(QPalette::WindowText, frame.color(QPalette::Dark));
    setPalette(frame);
    setFixedSize(side + 2 * frameWidth(), side + 2 * frameWidth());
}

void GridPicture::Draw(int32_t size, const float* cells) {
    if (size <= 0)
        return;
    if (image_.isNull()) {
        image_ = QImage(side_, side_, QImage::Format_RGB32);
        image_.fill(Qt::white);
    }
    QPainter painter(&image_);
    DrawGrid(side_, side_, size, cells, [&painter](const CellRect& cell, Rgb colour) {
        painter.fillRect(QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top),
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
