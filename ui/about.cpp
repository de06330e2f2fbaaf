#include "ui/about.h"

#include "data/patterns.h"
#include "data/rendering.h"
#include "ui/controls.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace quba {

namespace {

constexpr QSize kPictureSize(225, 81);
constexpr int kPatternCells = 27; // 3 x 3 pixels a cell on the 81-pixel square

void DrawPattern(QPainter& painter, const char* name, int side) {
    const DataGrid grid = GeneratePattern(PatternIndex(name), kPatternCells);
    DrawGrid(side, side, grid.Size(), grid.Cells().data(),
             [&painter](const CellRect& cell, Rgb colour) {
                 painter.fillRect(
                     QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top),
                     QColor(colour.red, colour.green, colour.blue));
             });
}

void DrawFormula(QPainter& painter, const QRect& area) {
    painter.setPen(QColor(40, 40, 90));
    QFont font("DejaVu Serif");
    font.setPixelSize(20);
    font.setItalic(true);
    painter.setFont(font);
    painter.drawText(area, Qt::AlignCenter, "C = f(X, Y)");
}

void DrawArrow(QPainter& painter, int left, int right, int y) {
    painter.setPen(QPen(QColor(90, 90, 90), 2));
    painter.drawLine(left, y, right, y);
    painter.drawLine(right, y, right - 6, y - 5);
    painter.drawLine(right, y, right - 6, y + 5);
}

QLabel* CentredLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

// A white panel with a lowered outer and a raised inner bevel.
QFrame* NewPanel(QWidget* parent, QFrame** inner) {
    auto* outer = new QFrame(parent);
    outer->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    *inner = new QFrame(outer);
    (*inner)->setObjectName("Panel1");
    (*inner)->setFrameStyle(QFrame::Panel | QFrame::Raised);
    (*inner)->setAutoFillBackground(true);
    QPalette white = (*inner)->palette();
    white.setColor(QPalette::Window, Qt::white);
    (*inner)->setPalette(white);
    auto* layout = new QVBoxLayout(outer);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(*inner);
    return outer;
}

} // namespace

QImage AboutPicture() {
    QImage image(kPictureSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const int side = kPictureSize.height();
    DrawPattern(painter, "S curve", side);
    painter.setRenderHint(QPainter::Antialiasing);
    DrawArrow(painter, side + 5, side + 21, side / 2);
    DrawFormula(painter, QRect(side + 24, 0, kPictureSize.width() - side - 24, side));
    return image;
}

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName("AboutBox");
    UseInterfaceFont(this);
    setWindowTitle("QUBA1.0");
    setModal(false);

    QFrame* inner = nullptr;
    QFrame* panel = NewPanel(this, &inner);
    auto* picture = new QLabel(inner);
    picture->setObjectName("ProgramIcon");
    picture->setPixmap(QPixmap::fromImage(AboutPicture()));
    picture->setFixedSize(kPictureSize);
    auto* product = CentredLabel(kProductName, inner);
    product->setObjectName("ProductName");
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPixelSize(14);
    product->setFont(bold);
    auto* version = CentredLabel("Version 1.0", inner);
    version->setObjectName("Version");
    auto* authors = CentredLabel(kAuthorLine, inner);
    authors->setObjectName("Copyright");

    auto* panelLayout = new QVBoxLayout(inner);
    panelLayout->setContentsMargins(12, 12, 12, 12);
    panelLayout->setSpacing(8);
    panelLayout->addWidget(picture, 0, Qt::AlignHCenter);
    panelLayout->addSpacing(4);
    panelLayout->addWidget(product);
    panelLayout->addWidget(version);
    panelLayout->addWidget(authors);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(panel);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

void TAboutBox::showEvent(QShowEvent* event) {
    // Centred on the screen, whatever the main window's place.
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

} // namespace quba
