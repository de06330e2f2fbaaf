#include "ui/controls.h"

#include "picture/grid_image.h"
#include "ui/save_formats.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSpacerItem>

#include <algorithm>

namespace quba {

namespace {

constexpr const char* kSidewaysTip =
    "Grid rows are drawn as columns: row 1 is the leftmost stripe, so a picture appears "
    "mirrored across its diagonal. View, \"Draw grid pictures upright\" turns it.";
constexpr const char* kUprightTip =
    "Drawn upright: row 1 is the top stripe, as in the picture the grid came from.";

DataGrid Transposed(const DataGrid& grid) {
    DataGrid turned(grid.Size());
    for (int32_t r = 0; r < grid.Size(); ++r)
        for (int32_t c = 0; c < grid.Size(); ++c)
            turned.At(c, r) = grid.At(r, c);
    return turned;
}

} // namespace

GridPicture::GridPicture(int side, QWidget* parent)
    : QFrame(parent), side_(side), saveAction_(new QAction("Save picture...", this)) {
    saveAction_->setEnabled(false);
    addAction(saveAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setToolTip(kSidewaysTip);
    connect(saveAction_, &QAction::triggered, this, &GridPicture::SavePictureClicked);
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
    saveAction_->setEnabled(true);
    Render();
}

int CaptionWidth(const QString& caption) {
    constexpr int kTitleBarControls = 150; // the icon and three buttons
    QFont bold = QApplication::font();
    bold.setBold(true);
    bold.setPixelSize(std::max(bold.pixelSize(), 14));
    return QFontMetrics(bold).horizontalAdvance(caption) + kTitleBarControls;
}

void FitCaption(QMessageBox& box) {
    // The box lays itself out anew when shown; a spanning spacer in its grid
    // is the width it keeps.
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr)
        return;
    grid->addItem(new QSpacerItem(CaptionWidth(box.windowTitle()), 0, QSizePolicy::Minimum,
                                  QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

void ShowMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                    const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    FitCaption(box);
    box.exec();
}

void GridPicture::Clear() {
    grid_ = DataGrid();
    image_ = QImage();
    saveAction_->setEnabled(false);
    update();
}

void GridPicture::SetUpright(bool upright) {
    if (upright == upright_)
        return;
    upright_ = upright;
    setToolTip(upright ? kUprightTip : kSidewaysTip);
    if (!grid_.Empty())
        Render();
}

QImage GridPicture::ShownImage(int pixels) const {
    return GridImage(upright_ ? Transposed(grid_) : grid_, pixels);
}

bool GridPicture::SavePicture(const QString& path, int pixels) const {
    if (grid_.Empty())
        return false;
    return !WriteWholeFile(path, PngBytes(ShownImage(pixels)));
}

void GridPicture::SavePictureClicked() {
    bool chosen = false;
    const int pixels = QInputDialog::getInt(
        this, "Save picture", "Size in pixels:", std::max(side_, 512), 1, 8192, 1, &chosen);
    if (!chosen)
        return;
    const QString path =
        QFileDialog::getSaveFileName(this, "Save picture", "picture.png", "PNG pictures (*.png)");
    if (!path.isEmpty() && !SavePicture(path, pixels))
        ShowMessageBox(this, QMessageBox::Warning, QCoreApplication::applicationName(),
                       "Cannot write file " + path);
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
    // A fresh image on white: a smaller grid leaves no strip of the previous one.
    image_ = ShownImage(side_);
    update();
}

void GridPicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (image_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
}

int WholeTextLabel::ShownPixelSize() const {
    constexpr int kSmallestPixelSize = 7;
    QFont shown = font();
    const int available = contentsRect().width() - std::max(indent(), 0);
    while (shown.pixelSize() > kSmallestPixelSize &&
           QFontMetrics(shown).horizontalAdvance(text()) > available)
        shown.setPixelSize(shown.pixelSize() - 1);
    return shown.pixelSize();
}

void WholeTextLabel::paintEvent(QPaintEvent* event) {
    const int pixelSize = ShownPixelSize();
    if (pixelSize == font().pixelSize()) {
        QLabel::paintEvent(event);
        return;
    }
    QFont smaller = font();
    smaller.setPixelSize(pixelSize);
    QPainter painter(this);
    painter.setFont(smaller);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(contentsRect().adjusted(std::max(indent(), 0), 0, 0, 0), alignment(), text());
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
