#include "tests/ui/ui_test_support.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

using namespace quba;

QString TestForm::ChooseDataFile(const QString& startFolder) {
    dialogFolders.push_back(startFolder);
    return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
}

void TestForm::PumpMessages(bool waitForMore, int wakeMs) {
    ++processCalls;
    if (onProcess)
        onProcess();
    TForm1::PumpMessages(waitForMore, wakeMs);
}

// Spelled out rather than taken from the program, so that a wrong name there
// shows.
QVariant KeptFolder() {
    return QSettings("QUBA", "Regression").value("DIRECTORY/INIT");
}

void ForgetSettings() {
    QSettings("QUBA", "Regression").clear();
}

void FormTest::SetUp() {
    startFolder = QDir::currentPath();
    ForgetSettings();
    Restart();
}

void FormTest::Restart() {
    form.reset();
    form = std::make_unique<TestForm>();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
}

void FormTest::TearDown() {
    form.reset();
    QDir::setCurrent(startFolder);
}

QLineEdit* FormTest::Edit(const char* name) const {
    return Find<QLineEdit>(name);
}

QString FormTest::LabelText(const char* name) const {
    return Find<QLabel>(name)->text();
}

void FormTest::ShowPage(const char* page) const {
    Pages()->setCurrentWidget(Find<QWidget>(page));
}

void FormTest::Type(const char* edit, const QString& text) const {
    QLineEdit* field = Edit(edit);
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, text);
    ASSERT_EQ(field->text(), text) << edit;
}

void FormTest::PickPattern(const char* list, int row) const {
    auto* patterns = Find<QListWidget>(list);
    QListWidgetItem* item = patterns->item(row);
    patterns->scrollToItem(item);
    QTest::mouseClick(patterns->viewport(), Qt::LeftButton, {},
                      patterns->visualItemRect(item).center());
    ASSERT_EQ(patterns->currentRow(), row);
}

void FormTest::SetPopulationCount(int count) const {
    Find<QComboBox>("ComboBox1")->setCurrentIndex(count - 1);
}

void FormTest::PrepareSmallRun(const std::vector<int>& generations) const {
    Find<QSpinBox>("CSpinEdit1")->setValue(6);
    PickPattern("ListBox1", 3);
    ShowPage("TabSheet3");
    SetPopulationCount(static_cast<int>(generations.size()));
    constexpr std::array<std::pair<const char*, const char*>, 4> fields = {
        {{"Edit1", "Edit2"}, {"Edit18", "Edit19"}, {"Edit30", "Edit31"}, {"Edit42", "Edit43"}}};
    for (size_t i = 0; i < generations.size(); ++i) {
        Edit(fields[i].first)->setText("20");
        Edit(fields[i].second)->setText(QString::number(generations[i]));
    }
}

void FormTest::PressStart() const {
    ShowPage("TabSheet4");
    // A check on leaving the page may have brought the user back.
    if (CurrentPage() != "TabSheet4")
        return;
    QTest::mouseClick(Find<QPushButton>("BitBtn2"), Qt::LeftButton);
}
