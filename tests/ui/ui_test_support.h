// Shared helpers of the desktop program's tests: the main window with its
// message boxes recorded instead of shown, and a hook into the run loop.
#pragma once

#include "ui/unit1.h"

#include <QString>
#include <QStringList>
#include <QTabWidget>
#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

using namespace quba;

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class QLineEdit;
class QListWidget;

namespace quba {
class CurveChart;
} // namespace quba

// The main window without the splash; ShowMessage records, the file-open
// dialog answers with the queued paths (an empty one cancels), ending the
// program is recorded, and every message processing of a run first calls
// `onProcess`.
class TestForm : public TForm1 {
public:
    explicit TestForm(const StartOptions& options = {0}) : TForm1(options) {}

    QStringList messages;
    int processCalls = 0;
    std::function<void()> onProcess;
    QStringList chosenFiles;      // answers of the file-open dialog, first first
    QStringList dialogFolders;    // where each file-open dialog started
    std::vector<int> endStatuses; // every EndProgram call

    void ShowMessage(const QString& text) override { messages.push_back(text); }
    QString ChooseDataFile(const QString& startFolder) override;
    void EndProgram(int status) override { endStatuses.push_back(status); }
    void PumpMessages(bool waitForMore, int wakeMs) override;
};

// The kept data folder as the settings store holds it; null when none is kept.
QVariant KeptFolder();
// Removes every kept setting, as on a machine where the program never ran.
void ForgetSettings();

// A fresh, shown main window per test, with the run counters as at start-up,
// no kept setting, and the current folder put back afterwards.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // A new main window in place of the test's, as at the next start.
    void Restart();

    template <typename T> T* Find(const char* name) const {
        T* found = form->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QLineEdit* Edit(const char* name) const;
    QString LabelText(const char* name) const;
    [[nodiscard]] QTabWidget* Pages() const { return Find<QTabWidget>("PageControl1"); }
    [[nodiscard]] QTabWidget* Sheets() const { return Find<QTabWidget>("PageControl2"); }
    [[nodiscard]] QString CurrentPage() const { return Pages()->currentWidget()->objectName(); }
    [[nodiscard]] QString CurrentSheet() const { return Sheets()->currentWidget()->objectName(); }
    void ShowPage(const char* page) const;
    // Replaces the text as typing it would, one change per character.
    void Type(const char* edit, const QString& text) const;
    // Clicks pattern `row` of a pattern list.
    void PickPattern(const char* list, int row) const;
    void SetPopulationCount(int count) const;
    // Pattern "line" on a small grid and populations of 20 with the given
    // generation counts.
    void PrepareSmallRun(const std::vector<int>& generations) const;
    void PressStart() const;

    std::unique_ptr<TestForm> form;
    QString startFolder;
};
