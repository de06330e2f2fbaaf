// The "Populations" page: the number of populations and one settings sheet
// per population, with the handlers that keep the sheets consistent, and the
// panel's own count of populations and largest generation count.
#pragma once

#include "setup/settings.h"
#include "setup/start_check.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class QComboBox;
class QLineEdit;
class QTabWidget;

namespace quba {

class FormHost;
class PopulationSheet;

class PopulationsPage : public QWidget {
    Q_OBJECT
public:
    PopulationsPage(FormHost& host, QWidget* parent);

    // "Number of Population", as the selector was last changed to.
    [[nodiscard]] int32_t PopulationCount() const { return populationCount_; }
    // The largest generation count typed so far, and whose it is: a typed
    // count only ever raises it.
    [[nodiscard]] int32_t GenerationBound() const { return generationBound_; }
    [[nodiscard]] int32_t LabelPopulation() const { return labelPopulation_; }

    // The first `count` sheets as Start reads them.
    [[nodiscard]] std::vector<PopulationSettings> Settings(int32_t count) const;
    [[nodiscard]] PopulationSheet& Sheet(int32_t population) const { return *sheets_[population]; }
    // Brings sheet `population` to the front of the page.
    void ShowSheet(int32_t population);
    // The check made when the user leaves the page: No1's derived labels;
    // true when a message sent the user back.
    bool TabSheet3Hide();

    // The handlers of the page's controls.
    void Edit4Change();
    void Edit13Change();
    void RadioGroup1Click();
    void CheckBox1Click();
    void ComboBox1Change();
    void Edit2Change();
    void Edit19Change();
    void Edit31Change();
    void Edit43Change();

private:
    void Connect();
    void GenerationChange(int32_t population);
    [[nodiscard]] PopulationSheet* FrontSheet() const;

    FormHost& host_;
    QComboBox* populationNumber_ = nullptr;
    QTabWidget* sheetTabs_ = nullptr;
    std::array<PopulationSheet*, 4> sheets_{};
    int32_t populationCount_ = defaults::kPopulationCount;
    int32_t generationBound_ = 0;
    int32_t labelPopulation_ = 0;
};

} // namespace quba
