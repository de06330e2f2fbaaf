// The window "Length of gene": the program-length curves of the results page.
#pragma once

#include "ui/chart_window.h"

namespace quba {

class TForm6 : public ChartWindow {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent);
};

} // namespace quba
