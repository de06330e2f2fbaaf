#include "ui/unit9.h"

#include "core/decimal.h"
#include "ui/controls.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace quba {

namespace {

constexpr const char* kDefaultRatioText = "0.05";

} // namespace

TForm9::TForm9(std::function<void(const QString&)> report, QWidget* parent)
    : QDialog(parent), report_(std::move(report)),
      ratioEdit_(new QLineEdit(kDefaultRatioText, this)), ratio_(TextToFloat(kDefaultRatioText)) {
    setObjectName("Form9");
    UseInterfaceFont(this);
    setWindowTitle("Add noise");
    setModal(true);
    ratioEdit_->setObjectName("RatioEdit");
    ratioEdit_->setFixedWidth(90);

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKBtn");
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("CancelBtn");
    connect(ok, &QPushButton::clicked, this, &TForm9::accept);
    connect(cancel, &QPushButton::clicked, this, &TForm9::reject);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(16, 14, 16, 12);
    layout->setVerticalSpacing(14);
    layout->addWidget(new QLabel("noise ratio (0-1)", this), 0, 0);
    layout->addWidget(ratioEdit_, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons, 1, 0, 1, 2);
    setFixedSize(sizeHint());
}

void TForm9::accept() {
    try {
        ratio_ = TextToFloat(ratioEdit_->text().toStdString());
    } catch (const ConversionError& error) {
        report_(QString::fromStdString(error.what()));
        SelectText();
        return;
    }
    QDialog::accept();
}

void TForm9::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    SelectText();
}

void TForm9::SelectText() {
    ratioEdit_->setFocus();
    ratioEdit_->selectAll();
}

} // namespace quba
