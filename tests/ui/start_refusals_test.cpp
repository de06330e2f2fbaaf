// Absurd settings and fields that hold no number, refused by Start: a
// message, the offending field in front, nothing built and nothing changed.
#include "tests/ui/ui_test_support.h"

#include "ui/curve_chart.h"
#include "ui/run_controller.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>

using namespace quba;

namespace {

// What a refusal shows: its message, the page and, on the populations
// page, the sheet in front.
struct Expected {
    const char* message;
    const char* page;
    const char* sheet; // null on the problem page
};

constexpr Expected OnSheet(const char* message) {
    return {message, "TabSheet3", "TabSheet2"};
}

class StartRefusalTest : public FormTest {
protected:
    [[nodiscard]] bool NothingRan() const {
        return form->processCalls == 0 && form->Runner().CurrentRun() == nullptr &&
               Find<CurveChart>("Chart2")->Curve(0)->count() == 0 &&
               Find<QPushButton>("BitBtn2")->isEnabled();
    }
    void ChooseTournament() const {
        Find<QGroupBox>("RadioGroup1")->findChildren<QRadioButton*>()[1]->setChecked(true);
    }

    // Presses Start on a small run whose fields `changes` were typed over,
    // and checks what a refusal must show and keep.
    void ExpectRefused(const std::vector<std::pair<const char*, const char*>>& changes,
                       const Expected& expected, const char* focused) {
        const std::string where =
            std::string(changes.back().first) + " '" + changes.back().second + "'";
        SCOPED_TRACE(where);
        for (const auto& [field, text] : changes)
            Edit(field)->setText(text);
        form->messages.clear();
        PressStart();
        ASSERT_FALSE(form->messages.isEmpty());
        EXPECT_EQ(form->messages.last(), expected.message);
        EXPECT_EQ(CurrentPage(), expected.page);
        if (expected.sheet != nullptr) {
            EXPECT_EQ(CurrentSheet(), expected.sheet);
        }
        if (focused != nullptr) {
            EXPECT_TRUE(Edit(focused)->hasFocus());
        }
        for (const auto& [field, text] : changes)
            EXPECT_EQ(Edit(field)->text(), text) << field;
        EXPECT_TRUE(NothingRan());
    }
};

TEST_F(StartRefusalTest, AbsurdPopulationSettingsAreRefused) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> changes;
        const char* message;
        bool tournament;
    };
    const std::vector<Case> cases = {
        {{{"Edit1", "0"}}, "Population size must be at least 2.", false},
        {{{"Edit1", "1"}}, "Population size must be at least 2.", false},
        {{{"Edit1", "1000000000"}},
         "Not enough memory for populations of this size and maximum length.",
         false},
        {{{"Edit2", "-1"}}, "Generation must not be negative.", false},
        {{{"Edit8", "0"}}, "Maximum length must be at least 70.", false},
        {{{"Edit3", "0"}}, "Tournament size must be at least 1.", true},
        {{{"Edit3", "-5"}}, "Tournament size must be at least 1.", true},
        {{{"Edit14", "0"}, {"Edit13", "1"}}, "Function ratio must be below 1.", false},
    };
    for (const Case& c : cases) {
        SetUp();
        PrepareSmallRun({2});
        if (c.tournament)
            ChooseTournament();
        ExpectRefused(c.changes, OnSheet(c.message), c.changes.back().first);
    }
}

TEST_F(StartRefusalTest, EveryNumericFieldRefusesEmptyTextAndNonNumbers) {
    // Sheet No1 and the problem page; the tournament size is read, and so
    // checked, only with tournament selection.
    const char* integerFields[] = {"Edit1", "Edit2", "Edit3", "Edit8", "Edit9"};
    const char* decimalFields[] = {"Edit4", "Edit5", "Edit6", "Edit7", "Edit13", "Edit14"};
    const char* problemFields[] = {"Edit12", "Edit10", "Edit11"};
    for (const char* text : {"", "abc", "1.5x", " 7", "0x10", "inf", "1e99"}) {
        const std::string quoted = std::string("'") + text + "'";
        for (const char* field : integerFields) {
            SetUp();
            PrepareSmallRun({2});
            ChooseTournament();
            const std::string message = quoted + " is not a valid integer value";
            ExpectRefused({{field, text}}, OnSheet(message.c_str()), field);
        }
        for (const char* field : decimalFields) {
            // The elite share is read in extended precision and its count
            // clamped to the population, so 1e99 percent is a valid share.
            if (std::string(field) == "Edit7" && std::string(text) == "1e99")
                continue;
            SetUp();
            PrepareSmallRun({2});
            const std::string message = quoted + " is not a valid floating point value";
            ExpectRefused({{field, text}}, OnSheet(message.c_str()), field);
        }
        for (const char* field : problemFields) {
            SetUp();
            PrepareSmallRun({2});
            const bool count = std::string(field) == "Edit12";
            const std::string message = quoted + (count ? " is not a valid integer value"
                                                        : " is not a valid floating "
                                                          "point value");
            ExpectRefused({{field, text}}, {message.c_str(), "TabSheet1", nullptr}, field);
        }
    }
}

TEST_F(StartRefusalTest, AConstantCountBeyondMemoryIsRefused) {
    PrepareSmallRun({2});
    ExpectRefused({{"Edit12", "2147483647"}},
                  {"Not enough memory for this number of constants.", "TabSheet1", nullptr},
                  "Edit12");
}

TEST_F(StartRefusalTest, AReversedRangeIsRepairedAndNothingRuns) {
    PrepareSmallRun({2});
    ShowPage("TabSheet1");
    Edit("Edit10")->setText("2");
    Edit("Edit11")->setText("1");
    PressStart();
    EXPECT_EQ(form->messages, QStringList({"Please set the range of constants proparly"}));
    EXPECT_EQ(Edit("Edit10")->text(), "-10");
    EXPECT_EQ(Edit("Edit11")->text(), "10");
    EXPECT_EQ(CurrentPage(), "TabSheet1");
    EXPECT_TRUE(NothingRan());
}

} // namespace
