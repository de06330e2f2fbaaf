#include "ui/unit5.h"

namespace quba {

TForm5::TForm5(QWidget* parent)
    : ChartWindow({"Form5", 0, "Fitness of Vest Indiv.", QSize(595, 415), QSize(585, 281),
                   "Fitness of best indv.", "Validation fitness ", "Training fitness "},
                  parent) {}

} // namespace quba
