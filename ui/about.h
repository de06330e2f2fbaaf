// The About box "QUBA1.0": product name, version and authors under a picture.
// The main window shows it as the start-up splash and from the Help menu; it
// stays on top of the other windows and OK only hides it.
#pragma once

#include <QDialog>
#include <QImage>

namespace quba {

inline constexpr const char* kProductName = "QUBA for Image Compression";
inline constexpr const char* kAuthorLine = "by the QUBA developers";

// The About box's picture, 225 x 81 pixels: the "S curve" pattern drawn with
// the colour map beside the formula that stands for it.
QImage AboutPicture();

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent);

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace quba
