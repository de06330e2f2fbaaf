// The window "Fitness of Vest Indiv.": the fitness curves of the results page.
#pragma once

#include "ui/chart_window.h"

namespace quba {

class TForm5 : public ChartWindow {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent);
};

} // namespace quba
