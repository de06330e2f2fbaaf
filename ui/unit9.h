// The "Add noise" dialog: asks for the share of a grid's cells to overwrite
// with random values. It is created once and reused, so the edit box offers
// the text entered last.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QLineEdit;
class QPushButton;

namespace quba {

class TForm9 : public QDialog {
    Q_OBJECT
public:
    // `report` shows the message of a text that is no number.
    TForm9(std::function<void(const QString&)> report, QWidget* parent);

    // The ratio of the text confirmed last with OK (at first the default
    // text's), not clamped.
    [[nodiscard]] float Ratio() const { return ratio_; }

    // OK: keeps the text's value and closes; a text that is no number is
    // reported and the dialog stays open with the ratio unchanged.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SelectText();

    std::function<void(const QString&)> report_;
    QLineEdit* ratioEdit_;
    float ratio_;
};

} // namespace quba
