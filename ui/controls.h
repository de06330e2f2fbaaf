// Small widgets of the main window: grid pictures, the pattern lists and the
// population colour swatches.
#pragma once

#include <QColor>
#include <QFrame>
#include <QImage>
#include <QListWidget>
#include <QWidget>

#include <cstdint>

// A framed picture of side x side pixels showing a grid cell by cell in the
// colour map. It stays empty until the first grid is drawn; later grids paint
// over the previous picture, so pixels that no cell covers keep their colour.
class GridPicture : public QFrame {
    Q_OBJECT
public:
    GridPicture(int side, QWidget* parent);

    // `cells` is row-major, size x size values.
    void Draw(int32_t size, const float* cells);
    [[nodiscard]] const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int side_;
    QImage image_;
};

// A list whose pick is a mouse click on an item (the same item again
// included) or a change of the current item from the keyboard.
class PatternList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void picked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};

// A filled square with a thin black outline.
class ColourSwatch : public QWidget {
    Q_OBJECT
public:
    ColourSwatch(const QColor& colour, QWidget* parent);
    [[nodiscard]] QColor Colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

// The interface font: the widget's font, 12 pixels high.
void UseInterfaceFont(QWidget* widget);
