#include "setup/settings.h"

namespace quba {

PopulationSettings::PopulationSettings() {
    for (const SettingRow& setting : PopulationSchema())
        texts[PopulationIndex(setting.field)] = setting.defaultText;
}

SelectionMethod PopulationSettings::Selection() const {
    const std::string& name = Text(SettingField::Selection);
    for (size_t i = 0; i < kSelectionNames.size(); ++i)
        if (name == kSelectionNames[i])
            return static_cast<SelectionMethod>(i);
    return SelectionMethod::Proportional;
}

} // namespace quba
