// The "Add noise" dialog and the two noise commands: the shared ratio and its
// clamping, the number of draws, the copy into a following validation grid
// and the redraws.
#include "tests/ui/ui_test_support.h"

#include "data/noise.h"
#include "data/patterns.h"
#include "data/rendering.h"
#include "ui/controls.h"
#include "ui/unit9.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace quba;

namespace {

// Answers the noise dialog as soon as it is shown: types `text` over the
// selection (a null text types nothing) and presses OK or Cancel. After an OK
// that leaves the dialog open it presses Cancel, so a test never hangs.
class DialogAnswer {
public:
    DialogAnswer(QString text, bool ok) : text_(std::move(text)), ok_(ok) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Answer(); });
        poll_.start(0);
    }

    bool shown = false;
    QString offeredText;
    bool offeredSelected = false;
    bool editFocused = false;
    bool openAfterOk = false;

private:
    void Answer() {
        auto* dialog = qobject_cast<TForm9*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        poll_.stop();
        shown = true;
        auto* edit = dialog->findChild<QLineEdit*>("RatioEdit");
        offeredText = edit->text();
        offeredSelected = edit->selectedText() == edit->text();
        editFocused = dialog->focusWidget() == edit;
        if (!text_.isNull()) {
            edit->selectAll();
            QTest::keyClicks(edit, text_);
        }
        QTest::mouseClick(dialog->findChild<QPushButton*>(ok_ ? "OKBtn" : "CancelBtn"),
                          Qt::LeftButton);
        openAfterOk = ok_ && dialog->isVisible();
        if (openAfterOk)
            QTest::mouseClick(dialog->findChild<QPushButton*>("CancelBtn"), Qt::LeftButton);
    }

    QString text_;
    bool ok_;
    QTimer poll_;
};

class NoiseTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        form->Random().SetState({12345u, 678u});
    }
    [[nodiscard]] RandomState GeneratorState() const { return form->Random().State(); }

    // Presses `button` with the dialog answered by `answer`.
    void AddNoiseWith(const char* button, DialogAnswer& answer) const {
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
        EXPECT_TRUE(answer.shown) << button;
    }
    // The training pattern "circle" at `size`.
    void PickTraining(int size) const {
        Find<QSpinBox>("CSpinEdit1")->setValue(size);
        PickPattern("ListBox1", 0);
    }
    [[nodiscard]] QImage Picture(const char* name) const {
        return Find<GridPicture>(name)->Image();
    }
};

// A generator as it stands after `draws` RandomUnit draws from `from`.
RandomState StateAfterDraws(RandomState from, int draws) {
    RandomGenerator random;
    random.SetState(from);
    for (int i = 0; i < draws; ++i)
        (void)random.RandomUnit();
    return random.State();
}

// `grid` with the noise that `ratio` makes from generator state `from`.
DataGrid WithNoise(DataGrid grid, float clampedRatio, RandomState from) {
    RandomGenerator random;
    random.SetState(from);
    AddNoise(grid, clampedRatio, random);
    return grid;
}

// `picture` with `grid` drawn over it, as the window redraws a picture.
QImage DrawnOver(QImage picture, const DataGrid& grid) {
    QPainter painter(&picture);
    DrawGrid(picture.width(), picture.height(), grid.Size(), grid.Cells().data(),
             [&painter](const CellRect& cell, Rgb colour) {
                 painter.fillRect(
                     QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top),
                     QColor(colour.red, colour.green, colour.blue));
             });
    painter.end();
    return picture;
}

TEST_F(NoiseTest, DialogHasItsCaptionLabelAndDefaultRatio) {
    auto* dialog = form->findChild<TForm9*>("Form9");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Add noise");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->findChild<QLineEdit*>("RatioEdit")->text(), "0.05");
    QStringList labels;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        labels << label->text();
    EXPECT_EQ(labels, QStringList({"noise ratio (0-1)"}));
    EXPECT_EQ(form->NoiseRatio(), 0.05f);
}

TEST_F(NoiseTest, WithoutAGridBothCommandsAskForAPatternFirst) {
    Find<QCheckBox>("CheckBox3")->setChecked(false);
    DialogAnswer answer(QString(), false);
    for (const char* button : {"Button1", "Button2"})
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_FALSE(answer.shown);
    EXPECT_EQ(form->messages, QStringList({kNoGridMessage, kNoGridMessage}));
    EXPECT_EQ(QString(kNoGridMessage), "You must generate pattern first!");
}

TEST_F(NoiseTest, RatioSetsTheNumberOfDrawsAndIsStoredClamped) {
    struct Case {
        const char* text;
        int size;
        float storedRatio;
        int draws;
    };
    const std::vector<Case> cases = {
        {"0.05", 30, 0.05f, 45}, {"0.0011", 30, 0.0011f, 0}, {"1", 30, 1.0f, 900},
        {"-0.3", 10, 0.0f, 0},   {"7", 10, 1.0f, 100},       {"0.5", 3, 0.5f, 4},
    };
    for (const Case& test : cases) {
        PickTraining(test.size);
        const DataGrid before = *form->TrainingGrid();
        const QImage preview = Picture("Image1");
        const QImage resultsPicture = Picture("Image5");
        const RandomState from = GeneratorState();
        DialogAnswer answer(test.text, true);
        AddNoiseWith("Button1", answer);

        EXPECT_EQ(form->NoiseRatio(), test.storedRatio) << test.text;
        EXPECT_TRUE(GeneratorState() == StateAfterDraws(from, 3 * test.draws)) << test.text;
        EXPECT_EQ(*form->TrainingGrid(), WithNoise(before, test.storedRatio, from)) << test.text;
        EXPECT_EQ(*form->ValidationGrid(), *form->TrainingGrid()) << test.text;
        EXPECT_EQ(Picture("Image1"), DrawnOver(preview, *form->TrainingGrid())) << test.text;
        EXPECT_EQ(Picture("Image5"), DrawnOver(resultsPicture, *form->TrainingGrid())) << test.text;
    }
}

TEST_F(NoiseTest, FullRatioChangesAboutTwoThirdsOfTheCells) {
    PickTraining(30);
    const DataGrid before = *form->TrainingGrid();
    DialogAnswer answer("1", true);
    AddNoiseWith("Button1", answer);
    int changed = 0;
    for (int32_t r = 0; r < 30; ++r)
        for (int32_t c = 0; c < 30; ++c)
            changed += form->TrainingGrid()->At(r, c) != before.At(r, c) ? 1 : 0;
    // 1 - 1/e of 900 is about 569; cells hit more than once change once.
    EXPECT_GT(changed, 500);
    EXPECT_LT(changed, 640);
}

TEST_F(NoiseTest, RatioZeroChangesNothingButRedraws) {
    PickTraining(30);
    const DataGrid before = *form->TrainingGrid();
    const QImage drawn = Picture("Image1");
    // Paint something else over the picture to see the redraw.
    const DataGrid other = GeneratePattern(3, 30);
    Find<GridPicture>("Image1")->Draw(other);
    ASSERT_NE(Picture("Image1"), drawn);

    const RandomState from = GeneratorState();
    DialogAnswer answer("0", true);
    AddNoiseWith("Button1", answer);
    EXPECT_EQ(*form->TrainingGrid(), before);
    EXPECT_TRUE(GeneratorState() == from);
    EXPECT_EQ(Picture("Image1"), drawn);
}

TEST_F(NoiseTest, CancelKeepsRatioAndGridAndTheTypedText) {
    PickTraining(10);
    const DataGrid before = *form->TrainingGrid();
    DialogAnswer cancelled("0.5", false);
    AddNoiseWith("Button1", cancelled);
    EXPECT_EQ(form->NoiseRatio(), 0.05f);
    EXPECT_EQ(*form->TrainingGrid(), before);

    DialogAnswer next(QString(), false);
    AddNoiseWith("Button1", next);
    EXPECT_EQ(next.offeredText, "0.5") << "the edit box keeps what was typed";
}

TEST_F(NoiseTest, DialogOpensWithItsWholeTextSelectedInFocus) {
    PickTraining(10);
    DialogAnswer first("0.25", true);
    AddNoiseWith("Button1", first);
    EXPECT_EQ(first.offeredText, "0.05");
    EXPECT_TRUE(first.offeredSelected);
    EXPECT_TRUE(first.editFocused);
    EXPECT_EQ(form->NoiseRatio(), 0.25f);

    DialogAnswer second(QString(), false);
    AddNoiseWith("Button1", second);
    EXPECT_EQ(second.offeredText, "0.25");
    EXPECT_TRUE(second.offeredSelected);
}

TEST_F(NoiseTest, TextThatIsNoNumberIsReportedAndKeepsTheRatio) {
    PickTraining(10);
    const DataGrid before = *form->TrainingGrid();
    const RandomState from = GeneratorState();
    DialogAnswer answer("abc", true);
    AddNoiseWith("Button1", answer);
    EXPECT_TRUE(answer.openAfterOk) << "the dialog waits for a number or Cancel";
    EXPECT_EQ(form->messages, QStringList({"'abc' is not a valid floating point value"}));
    EXPECT_EQ(form->NoiseRatio(), 0.05f);
    EXPECT_EQ(*form->TrainingGrid(), before);
    EXPECT_TRUE(GeneratorState() == from);
}

TEST_F(NoiseTest, ValidationNoiseTouchesOnlyTheValidationGrid) {
    PickTraining(10);
    Find<QCheckBox>("CheckBox3")->setChecked(false);
    const DataGrid training = *form->TrainingGrid();
    const DataGrid validation = *form->ValidationGrid();
    const QImage trainingPicture = Picture("Image1");
    const QImage preview = Picture("Image4");
    const QImage resultsPicture = Picture("Image5");
    const RandomState from = GeneratorState();
    DialogAnswer answer("0.3", true);
    AddNoiseWith("Button2", answer);

    EXPECT_EQ(*form->TrainingGrid(), training);
    EXPECT_EQ(Picture("Image1"), trainingPicture);
    EXPECT_EQ(*form->ValidationGrid(), WithNoise(validation, 0.3f, from));
    EXPECT_NE(*form->ValidationGrid(), validation);
    EXPECT_EQ(Picture("Image4"), DrawnOver(preview, *form->ValidationGrid()));
    EXPECT_EQ(Picture("Image5"), DrawnOver(resultsPicture, *form->ValidationGrid()));
}

TEST_F(NoiseTest, TrainingNoiseLeavesASeparateValidationGridAlone) {
    PickTraining(10);
    Find<QCheckBox>("CheckBox3")->setChecked(false);
    const DataGrid validation = *form->ValidationGrid();
    DialogAnswer answer("1", true);
    AddNoiseWith("Button1", answer);
    EXPECT_EQ(*form->ValidationGrid(), validation);
    EXPECT_NE(*form->TrainingGrid(), validation);
}

TEST_F(NoiseTest, MenuShortcutsRunTheSameCommands) {
    PickTraining(10);
    const DataGrid before = *form->TrainingGrid();
    {
        DialogAnswer answer("1", true);
        QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
        EXPECT_TRUE(answer.shown);
    }
    EXPECT_NE(*form->TrainingGrid(), before);

    Find<QCheckBox>("CheckBox3")->setChecked(false);
    const DataGrid validation = *form->ValidationGrid();
    // Shortcuts reach the window only while it is active.
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    DialogAnswer answer("1", true);
    QTest::keyClick(form.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(answer.shown);
    EXPECT_NE(*form->ValidationGrid(), validation);
}

TEST_F(NoiseTest, EnterConfirmsTheDialog) {
    PickTraining(10);
    auto* dialog = form->findChild<TForm9*>("Form9");
    QTimer::singleShot(0, dialog, [dialog] {
        auto* edit = dialog->findChild<QLineEdit*>("RatioEdit");
        edit->selectAll();
        QTest::keyClicks(edit, "0.75");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    QTest::mouseClick(Find<QPushButton>("Button1"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(form->NoiseRatio(), 0.75f);
}

} // namespace
