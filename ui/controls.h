// Small widgets of the main window: grid pictures, the pattern lists and the
// population colour swatches.
#pragma once

#include "core/grid.h"

#include <QAction>
#include <QColor>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <cstdint>

namespace quba {

// Shows a modal message box with an OK button, wide enough for its whole
// caption: a window manager cuts a caption wider than its box.
void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text);
// The width a box needs for its caption: the caption in a bold font, and
// room for the title bar's icon and buttons.
int CaptionWidth(const QString& caption);
// Widens `box` to CaptionWidth of its caption.
void FitCaption(QMessageBox& box);

// A framed picture of side x side pixels showing a grid cell by cell in the
// colour map. It stays empty until the first grid is drawn; each grid is drawn
// on white, so pixels that no cell covers are white. Its context menu saves
// the grid as a PNG at a chosen size.
class GridPicture : public QFrame {
    Q_OBJECT
public:
    GridPicture(int side, QWidget* parent);

    // The grid drawn on pixels x pixels written to `path` as a PNG; false
    // when nothing is shown or the file cannot be written.
    bool SavePicture(const QString& path, int pixels) const;
    [[nodiscard]] QAction* SavePictureAction() const { return saveAction_; }

    void Draw(const DataGrid& grid);
    // Shows nothing, as before the first Draw.
    void Clear();
    // Rows drawn as rows (upright), or as columns (the window's default: the
    // picture mirrored across its diagonal). The tooltip says which.
    void SetUpright(bool upright);
    // A new side redraws the grid shown, cell by cell at the new size.
    void SetSide(int side);
    [[nodiscard]] int Side() const { return side_; }
    [[nodiscard]] const QImage& Image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Render();
    [[nodiscard]] QImage ShownImage(int pixels) const;
    // Asks for a size and a file name, then saves.
    void SavePictureClicked();

    int side_;
    bool upright_ = false;
    DataGrid grid_;
    QImage image_;
    QAction* saveAction_;
};

// A one-line label that shows its whole text: where the layout cannot give
// it the room, the text is drawn in a smaller font.
class WholeTextLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    // The pixel size the text is drawn at in the label's current width.
    [[nodiscard]] int ShownPixelSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;
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

// A tab control whose tab captions light up under the mouse.
class PageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent);
};

// The tab bar of a PageControl: the caption under the mouse is drawn in the
// highlight colour.
class HotTrackTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit HotTrackTabBar(QWidget* parent);
    // The tab whose caption is lit, or -1.
    [[nodiscard]] int LitTab() const { return litTab_; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Light(int tab);

    int litTab_ = -1;
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

} // namespace quba
