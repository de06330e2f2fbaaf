// Shared helpers of the desktop program's tests: the main window with its
// message boxes recorded instead of shown, and a hook into the run loop.
#pragma once

#include "ui/unit1.h"

#include <QString>
#include <QStringList>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

class QLineEdit;
class QListWidget;
class CurveChart;

// The main window; ShowMessage records, and every message processing of a
// run first calls `onProcess`.
class TestForm : public TForm1 {
public:
    QStringList messages;
    int processCalls = 0;
    std::function<void()> onProcess;

    void ShowMessage(const QString& text) override { messages.push_back(text); }
    bool ProcessPendingMessages() override;
};

// A fresh, shown main window per test, with the run counters as at start-up.
class FormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

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
};
