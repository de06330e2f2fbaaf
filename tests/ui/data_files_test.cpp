// Loading the grids from data files through the window, and the "use
// training data " option with the controls it closes and the copies it makes.
#include "tests/ui/ui_test_support.h"

#include "data/data_file.h"
#include "data/patterns.h"
#include "tests/core/grids.h"
#include "ui/controls.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using namespace quba;

namespace {

class DataFilesTest : public FormTest {
protected:
    // Writes `text` into a file of the scratch folder and returns its path.
    QString WriteFile(const QString& name, const QByteArray& text) const {
        const QString path = folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path;
    }
    // A file holding `grid` as the program writes data files.
    QString WriteGrid(const QString& name, const DataGrid& grid) const {
        return WriteFile(name, QByteArray::fromStdString(DataFileText(grid)));
    }
    // Presses a "Load" button with the dialog answering `path`.
    void Load(const char* button, const QString& path) const {
        form->chosenFiles = {path};
        QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton);
    }
    [[nodiscard]] QImage Picture(const char* name) const {
        return Find<GridPicture>(name)->Image();
    }
    void UseTrainingData(bool checked) const { Find<QCheckBox>("CheckBox3")->setChecked(checked); }

    QTemporaryDir folder;
};

TEST_F(DataFilesTest, TrainingFileLoadsWithItsGroupsSizeAndIsCopiedForValidation) {
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    Load("BitBtn3", WriteFile("two.txt", "0.5\t-0.25\n1\t-1e-1\n"));
    EXPECT_TRUE(form->messages.isEmpty());
    ASSERT_TRUE(form->TrainingGrid());
    EXPECT_EQ(*form->TrainingGrid(), GridOf(2, {0.5f, -0.25f, 1.0f, -0.1f}));
    EXPECT_EQ(form->ValidationGrid(), form->TrainingGrid());
    for (const char* picture : {"Image1", "Image2", "Image4", "Image5"})
        EXPECT_FALSE(Picture(picture).isNull()) << picture;
}

TEST_F(DataFilesTest, ValuesWithoutDigitsOnOneSideOfThePointLoad) {
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    Load("BitBtn3", WriteFile("points.txt", "5.\t.5\n-.5\t5.e-1\n"));
    EXPECT_TRUE(form->messages.isEmpty());
    ASSERT_TRUE(form->TrainingGrid());
    EXPECT_EQ(*form->TrainingGrid(), GridOf(2, {5, 0.5f, -0.5f, 0.5f}));
}

TEST_F(DataFilesTest, PicturesLoadAtTheGroupsSizeAndAreToldByTheirContent) {
    // A grey picture named like a data file, and a data file named like a picture.
    QImage picture(4, 2, QImage::Format_Grayscale8);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            picture.scanLine(y)[x] = static_cast<uchar>(60 * x);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "png");
    const float one = static_cast<float>(2 * 60 / 255.0 - 1);
    const float two = static_cast<float>(2 * 120 / 255.0 - 1);

    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    Load("BitBtn3", WriteFile("picture.txt", png));
    ASSERT_TRUE(form->messages.isEmpty()) << form->messages.join("").toStdString();
    EXPECT_EQ(*form->TrainingGrid(), GridOf(2, {one, two, one, two}));
    EXPECT_EQ(form->ValidationGrid(), form->TrainingGrid());

    form->findChild<QAction*>("StretchPictures1")->setChecked(true);
    Load("BitBtn3", WriteFile("picture.png", png));
    EXPECT_EQ(form->TrainingGrid()->At(0, 1), static_cast<float>(2 * 150 / 255.0 - 1));
    Load("BitBtn3", WriteFile("numbers.png", "1 2\n3 4\n"));
    EXPECT_EQ(*form->TrainingGrid(), GridOf(2, {1, 2, 3, 4}));

    // A cut picture is refused and changes nothing.
    const DataGrid before = *form->TrainingGrid();
    Load("BitBtn3", WriteFile("cut.png", png.left(png.size() / 2)));
    ASSERT_EQ(form->messages.size(), 1);
    EXPECT_TRUE(form->messages[0].startsWith("Cannot read the picture "))
        << form->messages[0].toStdString();
    EXPECT_TRUE(form->messages[0].contains(": it is damaged or cut short"));
    EXPECT_EQ(*form->TrainingGrid(), before);
}

TEST_F(DataFilesTest, TheStretchItemRereadsTheLoadedPictureAndLoadsForgetThePattern) {
    // Dark left half, light right half, twice as wide as high.
    QImage picture(8, 4, QImage::Format_Grayscale8);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            picture.scanLine(y)[x] = x < 2 ? 0 : x < 6 ? 128 : 255;
    const QString path = folder.filePath("wide.png");
    ASSERT_TRUE(picture.save(path));
    auto* list = Find<QListWidget>("ListBox1");
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    PickPattern("ListBox1", 1);
    ASSERT_EQ(list->currentRow(), 1);

    Load("BitBtn3", path);
    ASSERT_TRUE(form->messages.isEmpty()) << form->messages.join("").toStdString();
    EXPECT_EQ(list->currentRow(), -1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
    const DataGrid cropped = *form->TrainingGrid();
    EXPECT_EQ(cropped.At(0, 0), static_cast<float>(2 * 128 / 255.0 - 1)); // the central square

    auto* stretch = form->findChild<QAction*>("StretchPictures1");
    stretch->setChecked(true);
    EXPECT_EQ(form->TrainingGrid()->At(0, 0), static_cast<float>(2 * 64 / 255.0 - 1));
    EXPECT_EQ(form->ValidationGrid(), form->TrainingGrid());
    stretch->setChecked(false);
    EXPECT_EQ(*form->TrainingGrid(), cropped);

    // Patterns are not pictures: the item changes nothing.
    PickPattern("ListBox1", 2);
    const DataGrid pattern = *form->TrainingGrid();
    stretch->setChecked(true);
    EXPECT_EQ(*form->TrainingGrid(), pattern);
    EXPECT_TRUE(form->messages.isEmpty());
}

TEST_F(DataFilesTest, TheValidationSizeFieldShowsTheSizeOfTheCopiedGrid) {
    Find<QSpinBox>("CSpinEdit1")->setValue(5);
    Load("BitBtn3", WriteGrid("five.txt", DataGrid(5)));
    EXPECT_EQ(Find<QSpinBox>("CSpinEdit2")->value(), 5);
    UseTrainingData(false);
    Find<QSpinBox>("CSpinEdit2")->setValue(3);
    UseTrainingData(true);
    EXPECT_EQ(Find<QSpinBox>("CSpinEdit2")->value(), 5);
}

TEST_F(DataFilesTest, PatternSavedAsFileLoadsBackToTheSameGridAndPicture) {
    const DataGrid pattern = GeneratePattern(PatternIndex("S curve"), 30);
    const QString path = WriteGrid("s-curve.txt", pattern);
    PickPattern("ListBox1", 6);
    const QImage drawn = Picture("Image1");
    PickPattern("ListBox1", 0);
    ASSERT_NE(Picture("Image1"), drawn);

    Load("BitBtn3", path);
    EXPECT_EQ(*form->TrainingGrid(), pattern);
    EXPECT_EQ(Picture("Image1"), drawn);
}

TEST_F(DataFilesTest, FirstSizeBySizeValuesAreReadWhateverTheLineStructure) {
    Find<QSpinBox>("CSpinEdit1")->setValue(3);
    Load("BitBtn3", WriteFile("one-line.txt", "1\t2\t3\t4\t5\t6\t7\t8\t9\n"));
    const DataGrid oneLine = *form->TrainingGrid();
    EXPECT_EQ(oneLine, GridOf(3, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // A 4 x 4 file read with size 3: row 1 starts with the last value of line 0.
    Load("BitBtn3",
         WriteFile("four.txt", "1\t2\t3\t4\n5\t6\t7\t8\n9\t10\t11\t12\n13\t14\t15\t16\n"));
    EXPECT_EQ(*form->TrainingGrid(), GridOf(3, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(form->messages.isEmpty());
}

TEST_F(DataFilesTest, RefusedFileLeavesGridsSizesAndPicturesAsTheyWere) {
    struct Case {
        const char* what;
        QByteArray text;
    };
    const std::vector<Case> cases = {
        {"one value short", "1\t2\n3\n"},
        {"a zero", "1\t0\n3\t4\n"},
        {"a zero written 0.0", "0.0\t2\n3\t4\n"},
        {"no number", "1\tabc\n3\t4\n"},
        {"not finite", "1\tinf\n3\t4\n"},
        {"beyond 32 bits", "1\t1e39\n3\t4\n"},
        {"empty", ""},
    };
    PickPattern("ListBox1", 2);
    const DataGrid training = *form->TrainingGrid();
    const QImage picture = Picture("Image1");
    const QImage validationPicture = Picture("Image5");
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    for (const Case& refused : cases) {
        form->messages.clear();
        Load("BitBtn3", WriteFile("refused.txt", refused.text));
        EXPECT_EQ(form->messages, QStringList({kFormatMessage})) << refused.what;
        EXPECT_EQ(*form->TrainingGrid(), training) << refused.what;
        EXPECT_EQ(*form->ValidationGrid(), training) << refused.what;
        EXPECT_EQ(Picture("Image1"), picture) << refused.what;
        EXPECT_EQ(Picture("Image5"), validationPicture) << refused.what;
    }
    EXPECT_EQ(QString(kFormatMessage).split('\n').size(), 3);
}

TEST_F(DataFilesTest, FileThatCannotBeOpenedIsNamedAndChangesNothing) {
    const QString missing = folder.filePath("missing.txt");
    Load("BitBtn3", missing);
    EXPECT_EQ(form->messages, QStringList({"Cannot open file " + missing}));
    EXPECT_FALSE(form->TrainingGrid());
    EXPECT_FALSE(form->ValidationGrid());
    EXPECT_TRUE(Picture("Image1").isNull());
}

TEST_F(DataFilesTest, CancelledDialogChangesNothing) {
    PickPattern("ListBox1", 1);
    const DataGrid training = *form->TrainingGrid();
    const QString folderBefore = form->DataFolder();
    const QString currentBefore = QDir::currentPath();
    Load("BitBtn3", QString());
    EXPECT_EQ(form->dialogFolders.size(), 1);
    EXPECT_EQ(*form->TrainingGrid(), training);
    EXPECT_EQ(form->DataFolder(), folderBefore);
    EXPECT_EQ(QDir::currentPath(), currentBefore);
    EXPECT_TRUE(form->messages.isEmpty());
}

TEST_F(DataFilesTest, ChosenFileMovesIntoItsFolderWhereTheNextDialogStarts) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("sub"));
    const QString sub = QDir(folder.path()).filePath("sub");
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    Load("BitBtn3", WriteFile("sub/a.txt", "1\t2\n3\t4\n"));
    EXPECT_EQ(QDir::currentPath(), QDir(sub).canonicalPath());
    Load("BitBtn3", QString());
    ASSERT_EQ(form->dialogFolders.size(), 2);
    EXPECT_EQ(form->dialogFolders[0], QDir::homePath()) << "nothing kept yet";
    EXPECT_EQ(QDir(form->dialogFolders[1]).canonicalPath(), QDir(sub).canonicalPath());
}

TEST_F(DataFilesTest, MenuShortcutsOpenTheSameDialogs) {
    form->chosenFiles = {QString(), QString()};
    QTest::keyClick(form.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(form->dialogFolders.size(), 1);
    QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->dialogFolders.size(), 1) << "validation load is closed while following";
    UseTrainingData(false);
    QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(form->dialogFolders.size(), 2);
}

TEST_F(DataFilesTest, ValidationFileReplacesOnlyTheValidationGrid) {
    PickPattern("ListBox1", 0);
    const DataGrid training = *form->TrainingGrid();
    UseTrainingData(false);
    Find<QSpinBox>("CSpinEdit1")->setValue(9);
    Find<QSpinBox>("CSpinEdit2")->setValue(2);
    Load("BitBtn4", WriteFile("v.txt", "4 3 2 1"));
    EXPECT_EQ(*form->ValidationGrid(), GridOf(2, {4, 3, 2, 1}));
    EXPECT_EQ(*form->TrainingGrid(), training);

    // Unticked, a training load leaves the validation grid alone.
    Find<QSpinBox>("CSpinEdit1")->setValue(2);
    Load("BitBtn3", WriteFile("t.txt", "1 2 3 4"));
    EXPECT_EQ(*form->TrainingGrid(), GridOf(2, {1, 2, 3, 4}));
    EXPECT_EQ(*form->ValidationGrid(), GridOf(2, {4, 3, 2, 1}));
}

TEST_F(DataFilesTest, UseTrainingDataOpensAndClosesTheValidationControls) {
    const std::vector<const char*> controls = {"validationSizeLabel",
                                               "CSpinEdit2",
                                               "validationPatternLabel",
                                               "ListBox2",
                                               "BitBtn4",
                                               "Button2"};
    const std::vector<const char*> items = {"Loadvalidationdata1", "Addnoiseforvalidationdata1"};
    for (bool checked : {false, true, false}) {
        UseTrainingData(checked);
        for (const char* name : controls)
            EXPECT_EQ(Find<QWidget>(name)->isEnabled(), !checked) << name << " " << checked;
        for (const char* name : items)
            EXPECT_EQ(Find<QAction>(name)->isEnabled(), !checked) << name << " " << checked;
    }
    EXPECT_TRUE(Find<QCheckBox>("CheckBox3")->isEnabled());
}

TEST_F(DataFilesTest, TickingUseTrainingDataCopiesTheTrainingGrid) {
    UseTrainingData(true);
    EXPECT_FALSE(form->ValidationGrid()) << "no training grid, nothing to copy";
    UseTrainingData(false);
    Find<QSpinBox>("CSpinEdit2")->setValue(5);
    PickPattern("ListBox2", 3);
    PickPattern("ListBox1", 4);
    EXPECT_EQ(form->ValidationGrid()->Size(), 5) << "unticked: no copy";
    const QImage separate = Picture("Image4");

    UseTrainingData(true);
    EXPECT_EQ(form->ValidationGrid(), form->TrainingGrid());
    EXPECT_NE(Picture("Image4"), separate);
    UseTrainingData(false);
    EXPECT_EQ(form->ValidationGrid(), form->TrainingGrid()) << "unticking keeps the copy";
}

} // namespace
