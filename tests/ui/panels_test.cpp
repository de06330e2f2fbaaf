// The problem and population pages: defaults, derived labels, dependent
// fields, the number of sheets, the generation bound and the leaving checks.
#include "tests/ui/ui_test_support.h"

#include "setup/labels.h"
#include "setup/messages.h"
#include "tests/decimal_forms.h"
#include "ui/controls.h"
#include "ui/populations_page.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

#include <array>

using namespace quba;

namespace {

struct SheetFields {
    std::array<const char*, 11> edits; // in the order of kSheetDefaults
    const char* reproduction;
    const char* constant;
    const char* tournament;
    const char* elite;
    const char* eliteShare;
    const char* radioGroup;
    const char* swatch;
};

constexpr std::array<const char*, 11> kSheetDefaults = {"1000", "50",   "6",    "10",   "100", "5",
                                                        "0.70", "0.20", "0.00", "0.50", "0.20"};

constexpr std::array<SheetFields, 4> kSheets = {{
    {{"Edit1", "Edit2", "Edit3", "Edit7", "Edit8", "Edit9", "Edit4", "Edit5", "Edit6", "Edit13",
      "Edit14"},
     "Label6",
     "ConstLabel",
     "Edit3",
     "CheckBox1",
     "Edit7",
     "RadioGroup1",
     "Shape1"},
    {{"Edit18", "Edit19", "Edit20", "Edit21", "Edit22", "Edit23", "Edit24", "Edit25", "Edit26",
      "Edit27", "Edit28"},
     "Label42",
     "Label46",
     "Edit20",
     "CheckBox8",
     "Edit21",
     "RadioGroup2",
     "Shape2"},
    {{"Edit30", "Edit31", "Edit32", "Edit33", "Edit34", "Edit35", "Edit36", "Edit37", "Edit38",
      "Edit39", "Edit40"},
     "Label59",
     "Label63",
     "Edit32",
     "CheckBox10",
     "Edit33",
     "RadioGroup3",
     "Shape3"},
    {{"Edit42", "Edit43", "Edit44", "Edit45", "Edit46", "Edit47", "Edit48", "Edit49", "Edit50",
      "Edit51", "Edit52"},
     "Label75",
     "Label79",
     "Edit44",
     "CheckBox12",
     "Edit45",
     "RadioGroup4",
     "Shape4"},
}};

QColor WindowColour() {
    return QApplication::palette().color(QPalette::Active, QPalette::Base);
}
QColor ButtonFace() {
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

class PanelsTest : public FormTest {
protected:
    void ExpectFieldState(const char* name, bool enabled) const {
        QLineEdit* field = Edit(name);
        EXPECT_EQ(field->isEnabled(), enabled) << name;
        EXPECT_EQ(field->palette().color(QPalette::Base), enabled ? WindowColour() : ButtonFace())
            << name;
    }
    void ChooseSelection(int sheet, const char* method) const {
        for (auto* button :
             Find<QGroupBox>(kSheets[sheet].radioGroup)->findChildren<QRadioButton*>())
            if (button->text() == method)
                button->click();
    }
};

TEST_F(PanelsTest, WindowOpensWithItsCaptionSizeFontAndPages) {
    EXPECT_EQ(form->windowTitle(), "QUBA for Image Compression ver.1.0");
    EXPECT_EQ(form->size(), QSize(637, 614));
    EXPECT_EQ(form->font().pixelSize(), 12);
    QTabWidget* pages = Pages();
    ASSERT_EQ(pages->count(), 3);
    EXPECT_EQ(pages->tabText(0), "Problem Configration");
    EXPECT_EQ(pages->tabText(1), "Populations");
    EXPECT_EQ(pages->tabText(2), "Results");
    EXPECT_EQ(CurrentPage(), "TabSheet1");
}

TEST_F(PanelsTest, MenuHasItsItemsShortcutsAndHiddenRunMenu) {
    struct Item {
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        bool enabled;
    };
    const std::vector<Item> items = {
        {"Loadtrainingdata1", "Load training data (&T)", QKeySequence("Ctrl+T"), true},
        {"Loadvalidationdata1", "Load validation data (&V)", QKeySequence("Ctrl+V"), false},
        {"Addnoisefortrainingdata1", "Add noise (for training data)(&A)", QKeySequence("Ctrl+A"),
         true},
        {"Addnoiseforvalidationdata1", "Add noise (for validation data)(&B)",
         QKeySequence("Ctrl+B"), false},
        {"Exit1", "Exit (&X)", QKeySequence(), true},
        {"StartGPrun1", "Start GP run", QKeySequence("Ctrl+S"), true},
        {"AboutQUBA1", "About QUBA (&A)", QKeySequence(), true},
        {"QUBAWebSite1", "QUBA Web Site", QKeySequence(), true},
    };
    for (const Item& item : items) {
        auto* action = Find<QAction>(item.name);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), item.caption) << item.name;
        EXPECT_EQ(action->shortcut(), item.shortcut) << item.name;
        EXPECT_EQ(action->isEnabled(), item.enabled) << item.name;
    }
    QStringList shownMenus;
    for (QAction* menu : form->menuBar()->actions())
        if (menu->isVisible())
            shownMenus << menu->text();
    EXPECT_EQ(shownMenus, QStringList({"File (&F)", "Search (&S)", "View (&V)", "Help (&H)"}));
    // The search beyond the plain one: off at start, each tick for the next Start.
    auto* scaling = Find<QAction>("LinearScaling");
    auto* tuning = Find<QAction>("TuneConstants");
    ASSERT_TRUE(scaling && tuning);
    EXPECT_EQ(tuning->text(), "Tune constants (10)");
    EXPECT_EQ(form->SearchChoices(), SearchValues{});
    scaling->setChecked(true);
    tuning->setChecked(true);
    EXPECT_EQ(form->SearchChoices(), (SearchValues{true, 10, 1}));
}

TEST_F(PanelsTest, ProblemPageStartsWithItsDefaults) {
    const std::vector<std::pair<const char*, const char*>> edits = {
        {"Edit10", "-1"}, {"Edit11", "1"}, {"Edit12", "1000"},
        {"Edit16", "X"},  {"Edit17", "Y"}, {"Edit54", "C"}};
    for (const auto& [name, text] : edits)
        EXPECT_EQ(Edit(name)->text(), text) << name;

    for (const char* name : {"CSpinEdit1", "CSpinEdit2"}) {
        auto* size = Find<QSpinBox>(name);
        EXPECT_EQ(size->value(), 30);
        EXPECT_EQ(size->minimum(), 2);
        EXPECT_EQ(size->maximum(), 50);
    }
    const QStringList patterns = {"circle", "circle2", "cup", "line", "line2", "line3", "S curve"};
    for (const char* name : {"ListBox1", "ListBox2"}) {
        auto* list = Find<QListWidget>(name);
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        EXPECT_EQ(texts, patterns);
        EXPECT_EQ(list->currentRow(), -1);
    }
    auto* functions = Find<QListWidget>("CheckListBox1");
    ASSERT_EQ(functions->count(), 12);
    EXPECT_EQ(functions->item(1)->text(), "- ");
    EXPECT_EQ(functions->item(8)->text(), "log10 (abs)");
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(functions->item(i)->checkState() == Qt::Checked, i < 4) << i;

    EXPECT_TRUE(Find<QCheckBox>("CheckBox3")->isChecked());
    EXPECT_EQ(Find<QCheckBox>("CheckBox3")->text(), "use training data ");
    for (const char* name : {"BitBtn3", "Button1"})
        EXPECT_TRUE(Find<QWidget>(name)->isEnabled()) << name;
    for (const char* name : {"BitBtn4", "Button2", "ListBox2", "CSpinEdit2"})
        EXPECT_FALSE(Find<QWidget>(name)->isEnabled()) << name;
    EXPECT_EQ(Find<GridPicture>("Image1")->contentsRect().size(), QSize(145, 145));
    EXPECT_EQ(Find<GridPicture>("Image4")->contentsRect().size(), QSize(145, 145));
    EXPECT_TRUE(Find<GridPicture>("Image1")->Image().isNull());
    EXPECT_FALSE(form->TrainingGrid().has_value());
    EXPECT_FALSE(form->ValidationGrid().has_value());
}

TEST_F(PanelsTest, PopulationSheetsStartWithTheSameDefaults) {
    const std::array<QColor, 4> swatches = {QColor(255, 0, 0), QColor(0, 0, 255), QColor(0, 128, 0),
                                            QColor(255, 255, 0)};
    for (int sheet = 0; sheet < 4; ++sheet) {
        const SheetFields& fields = kSheets[sheet];
        for (size_t i = 0; i < fields.edits.size(); ++i)
            EXPECT_EQ(Edit(fields.edits[i])->text(), kSheetDefaults[i]) << fields.edits[i];
        EXPECT_EQ(LabelText(fields.reproduction), "0.1");
        EXPECT_EQ(LabelText(fields.constant), "0.3");
        ExpectFieldState(fields.tournament, false);
        ExpectFieldState(fields.eliteShare, true);
        EXPECT_TRUE(Find<QCheckBox>(fields.elite)->isChecked());
        auto* swatch = Find<ColourSwatch>(fields.swatch);
        EXPECT_EQ(swatch->Colour(), swatches[sheet]);
        EXPECT_EQ(swatch->size(), QSize(33, 33));
        auto buttons = Find<QGroupBox>(fields.radioGroup)->findChildren<QRadioButton*>();
        ASSERT_EQ(buttons.size(), 3);
        EXPECT_TRUE(buttons[0]->isChecked());
        EXPECT_EQ(buttons[0]->text(), "Proportional");
    }
    auto* number = Find<QComboBox>("ComboBox1");
    EXPECT_EQ(number->currentText(), "1");
    EXPECT_EQ(number->count(), 4);
    EXPECT_FALSE(number->isEditable());
    QTabWidget* sheets = Sheets();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(sheets->tabText(i), QString("No%1").arg(i + 1));
        EXPECT_EQ(sheets->isTabVisible(i), i == 0);
    }
    EXPECT_EQ(CurrentSheet(), "TabSheet2");
    EXPECT_EQ(form->PopulationsPanel().PopulationCount(), 1);
    EXPECT_EQ(form->PopulationsPanel().GenerationBound(), 50);
    EXPECT_EQ(form->PopulationsPanel().LabelPopulation(), 0);
}

TEST_F(PanelsTest, DerivedLabelsShowTheRoundedRemainder) {
    struct Case {
        const char* first;
        const char* second;
        const char* third; // one-point mutation; null for the node ratios
        const char* shown;
    };
    const std::vector<Case> rates = {
        {"0.65", "0.20", "0.00", "0.2000"}, {"0.75", "0.10", "0.00", "0.1000"},
        {"0.8", "0.3", "0.00", "-0.1000"},  {"0.70", "0.20", "0.00", "0.1000"},
        {"0.5", "0.2", "0.00", "0.3000"},   {"0.5", "0.2", "0.05", "0.2000"},
        {"0.70", "0.25", "0.05", "0.0000"},
    };
    ShowPage("TabSheet3");
    for (const Case& c : rates) {
        Edit("Edit4")->setText(c.first);
        Edit("Edit5")->setText(c.second);
        Edit("Edit6")->setText(c.third);
        EXPECT_EQ(LabelText("Label6"), c.shown) << c.first << " " << c.second << " " << c.third;
    }
    const std::vector<Case> ratios = {{"0.6", "0.6", nullptr, "-0.2000"},
                                      {"0.5", "0.2", nullptr, "0.3000"},
                                      {"0.95", "0", nullptr, "0.0500"}};
    for (const Case& c : ratios) {
        Edit("Edit13")->setText(c.first);
        Edit("Edit14")->setText(c.second);
        EXPECT_EQ(LabelText("ConstLabel"), c.shown) << c.first << " " << c.second;
    }
    EXPECT_TRUE(form->messages.isEmpty());

    // An out-of-range remainder is shown whole, not clipped.
    Edit("Edit4")->setText("123456789.5");
    const auto* label = Find<WholeTextLabel>("Label6");
    EXPECT_EQ(label->text(), "-100000000.0000");
    const auto fits = [label] {
        QFont shown = label->font();
        shown.setPixelSize(label->ShownPixelSize());
        return QFontMetrics(shown).horizontalAdvance(label->text()) + label->indent() <=
               label->contentsRect().width();
    };
    // The layouts settle over a few passes of the event loop, more on a busy machine.
    QTRY_VERIFY_WITH_TIMEOUT(fits(), 5000);
    EXPECT_GE(label->ShownPixelSize(), 7);
}

TEST_F(PanelsTest, DerivedLabelsFollowTheSheetInFront) {
    ShowPage("TabSheet3");
    SetPopulationCount(2);
    Sheets()->setCurrentIndex(1);
    Type("Edit24", "0.9");
    EXPECT_EQ(LabelText("Label42"), "-0.1000");
    EXPECT_EQ(LabelText("Label6"), "0.1");
    Type("Edit28", "0.45");
    EXPECT_EQ(LabelText("Label46"), "0.0500");
    EXPECT_EQ(LabelText("ConstLabel"), "0.3");
}

TEST_F(PanelsTest, TypingAnyDecimalKeyByKeyShowsNoMessage) {
    ShowPage("TabSheet3");
    Type("Edit4", "0.8");
    EXPECT_TRUE(form->messages.isEmpty());
    EXPECT_EQ(LabelText("Label6"), "0.0000");
    Type("Edit4", ".7");
    EXPECT_EQ(LabelText("Label6"), "0.1000");
    // "-" and "1e" wait for the next key; the label keeps the last number.
    Type("Edit5", "-");
    EXPECT_EQ(LabelText("Label6"), "0.1000");
    Type("Edit5", "2e-1");
    EXPECT_EQ(LabelText("Label6"), "0.1000");

    for (const char* field : {"Edit4", "Edit5", "Edit6", "Edit13", "Edit14"})
        for (const DecimalForm& decimal : kAcceptedDecimals)
            Type(field, decimal.text);
    EXPECT_TRUE(form->messages.isEmpty()) << form->messages.join("|").toStdString();
}

TEST_F(PanelsTest, TextThatIsNoNumberShowsTheConversionMessageAndKeepsTheLabel) {
    ShowPage("TabSheet3");
    Edit("Edit4")->setText("0.5");
    ASSERT_EQ(LabelText("Label6"), "0.3000");
    Edit("Edit4")->setText("abc");
    EXPECT_EQ(form->messages, QStringList({"'abc' is not a valid floating point value"}));
    EXPECT_EQ(LabelText("Label6"), "0.3000");
    Edit("Edit14")->setText("");
    EXPECT_EQ(form->messages.last(), "'' is not a valid floating point value");
    EXPECT_EQ(LabelText("ConstLabel"), "0.3");
}

TEST_F(PanelsTest, TournamentAndEliteFieldsFollowTheirOwnSheet) {
    ChooseSelection(2, "Tournament");
    for (int sheet = 0; sheet < 4; ++sheet)
        ExpectFieldState(kSheets[sheet].tournament, sheet == 2);
    ChooseSelection(0, "Tournament");
    ChooseSelection(2, "Random");
    for (int sheet = 0; sheet < 4; ++sheet)
        ExpectFieldState(kSheets[sheet].tournament, sheet == 0);

    Find<QCheckBox>("CheckBox10")->click();
    for (int sheet = 0; sheet < 4; ++sheet)
        ExpectFieldState(kSheets[sheet].eliteShare, sheet != 2);
    Find<QCheckBox>("CheckBox10")->click();
    ExpectFieldState("Edit33", true);
}

TEST_F(PanelsTest, NumberOfPopulationShowsTheSheetsAndKeepsHiddenValues) {
    ShowPage("TabSheet3");
    SetPopulationCount(3);
    EXPECT_EQ(form->PopulationsPanel().PopulationCount(), 3);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(Sheets()->isTabVisible(i), i < 3) << i;
    Sheets()->setCurrentIndex(2);
    Edit("Edit30")->setText("77");

    SetPopulationCount(1);
    EXPECT_EQ(form->PopulationsPanel().PopulationCount(), 1);
    for (int i = 1; i < 4; ++i)
        EXPECT_FALSE(Sheets()->isTabVisible(i)) << i;
    EXPECT_EQ(CurrentSheet(), "TabSheet2");
    EXPECT_EQ(Edit("Edit30")->text(), "77");
}

TEST_F(PanelsTest, GenerationFieldsOnlyEverRaiseTheBound) {
    ShowPage("TabSheet3");
    SetPopulationCount(2);
    Sheets()->setCurrentIndex(1);
    Type("Edit19", "120");
    EXPECT_EQ(form->PopulationsPanel().GenerationBound(), 120);
    EXPECT_EQ(form->PopulationsPanel().LabelPopulation(), 1);
    Type("Edit19", "30");
    EXPECT_EQ(form->PopulationsPanel().GenerationBound(), 120);
    EXPECT_EQ(form->PopulationsPanel().LabelPopulation(), 1);
    Type("Edit2", "120");
    EXPECT_EQ(form->PopulationsPanel().LabelPopulation(), 1)
        << "an equal count does not take the labels";

    Edit("Edit19")->clear();
    EXPECT_EQ(form->messages, QStringList({"'' is not a valid integer value"}));
    EXPECT_EQ(form->PopulationsPanel().GenerationBound(), 120);
}

TEST_F(PanelsTest, LeavingPopulationsResetsNegativeRatesOfNo1) {
    ShowPage("TabSheet3");
    Edit("Edit4")->setText("0.8");
    Edit("Edit5")->setText("0.3");
    ASSERT_EQ(LabelText("Label6"), "-0.1000");
    ShowPage("TabSheet4");
    EXPECT_EQ(form->messages, QStringList({"The sum of operation rate must be 1.0"}));
    EXPECT_EQ(Edit("Edit4")->text(), "0.70");
    EXPECT_EQ(Edit("Edit5")->text(), "0.20");
    EXPECT_EQ(Edit("Edit6")->text(), "0.00");
    EXPECT_EQ(LabelText("Label6"), "0.10");
    EXPECT_EQ(CurrentPage(), "TabSheet3");
}

TEST_F(PanelsTest, LeavingPopulationsShowsBothMessagesInOrder) {
    ShowPage("TabSheet3");
    Edit("Edit13")->setText("0.6");
    Edit("Edit14")->setText("0.6");
    Edit("Edit4")->setText("0.9");
    Edit("Edit5")->setText("0.2");
    ShowPage("TabSheet1");
    EXPECT_EQ(form->messages, QStringList({"The sum of operation rate must be 1.0",
                                           "The sum of initial node ratio must be 1.0"}));
    EXPECT_EQ(Edit("Edit13")->text(), "0.50");
    EXPECT_EQ(Edit("Edit14")->text(), "0.20");
    EXPECT_EQ(LabelText("ConstLabel"), "0.30");
    EXPECT_EQ(CurrentPage(), "TabSheet3");
}

TEST_F(PanelsTest, LeavingPopulationsIgnoresTheOtherSheetsAndAZeroRemainder) {
    ShowPage("TabSheet3");
    SetPopulationCount(2);
    Sheets()->setCurrentIndex(1);
    Edit("Edit24")->setText("0.9");
    Sheets()->setCurrentIndex(0);
    Edit("Edit4")->setText("0.8");
    ASSERT_EQ(LabelText("Label6"), "0.0000");
    ShowPage("TabSheet4");
    EXPECT_TRUE(form->messages.isEmpty());
    EXPECT_EQ(CurrentPage(), "TabSheet4");
}

TEST_F(PanelsTest, LeavingTheProblemPageRepairsAnEmptyConstantRange) {
    for (const auto& [lower, upper] :
         std::vector<std::pair<const char*, const char*>>{{"1", "1"}, {"2", "-3"}}) {
        ShowPage("TabSheet1");
        form->messages.clear();
        Edit("Edit10")->setText(lower);
        Edit("Edit11")->setText(upper);
        ShowPage("TabSheet3");
        EXPECT_EQ(form->messages, QStringList({"Please set the range of constants proparly"}));
        EXPECT_EQ(Edit("Edit10")->text(), "-10");
        EXPECT_EQ(Edit("Edit11")->text(), "10");
        EXPECT_EQ(CurrentPage(), "TabSheet1");
    }
    form->messages.clear();
    ShowPage("TabSheet3");
    EXPECT_TRUE(form->messages.isEmpty());
    EXPECT_EQ(CurrentPage(), "TabSheet3");
}

TEST_F(PanelsTest, HiddenPanelItemsBringTheirPagesToTheFront) {
    Find<QAction>("Results1")->trigger();
    EXPECT_EQ(CurrentPage(), "TabSheet4");
    Find<QAction>("GPParameters1")->trigger();
    EXPECT_EQ(CurrentPage(), "TabSheet3");
    Find<QAction>("ProblemConfiguration1")->trigger();
    EXPECT_EQ(CurrentPage(), "TabSheet1");
}

} // namespace
