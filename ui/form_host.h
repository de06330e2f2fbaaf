// What the pages and the run controller ask of the main window that holds
// them: its message box, its file dialog and its tab control.
#pragma once

#include "engine/run_settings.h"

#include <QString>

#include <optional>

class QWidget;

namespace quba {

class FormHost {
public:
    virtual ~FormHost() = default;

    // A modal box with an OK button, captioned with the application title.
    virtual void ShowMessage(const QString& text) = 0;
    // The file-open dialog, starting in `startFolder`; empty when cancelled.
    virtual QString ChooseDataFile(const QString& startFolder) = 0;
    // The "Add noise" dialog; the clamped ratio confirmed with OK, or none
    // when cancelled.
    virtual std::optional<float> AskNoiseRatio() = 0;
    // Brings one of the main tab control's pages to the front.
    virtual void ShowPage(QWidget* page) = 0;
    // The same, without the check of the page being left: a check puts the
    // user back on its own page.
    virtual void ReturnToPage(QWidget* page) = 0;
    // The Search menu's choices for the next run.
    [[nodiscard]] virtual SearchValues SearchChoices() const = 0;
    // Shows `message` and ends the program with status 1, keeping no setting.
    virtual void EndForLackOfMemory(const QString& message) = 0;
};

} // namespace quba
