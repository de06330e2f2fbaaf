#include "ui/unit6.h"

namespace quba {

TForm6::TForm6(QWidget* parent)
    : ChartWindow({"Form6", 1, "Length of gene", QSize(594, 415), QSize(593, 313), "Length of gene",
                   "Best indv. ", "Average "},
                  parent) {}

} // namespace quba
