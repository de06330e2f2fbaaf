// The best-program box: lines that break only between tokens, each new text
// from its first line, and the keys of a read-only text box.
#include "tests/ui/ui_test_support.h"

#include "ui/program_box.h"
#include "ui/results_page.h"

#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <random>

using namespace quba;

namespace {

// Program texts as the engine writes them, with the numbers that the
// platform's own line breaking splits ("(Y/0." and "003)").
QString RandomProgram(std::mt19937& random, int depth) {
    static const std::array<const char*, 8> terminals = {"X",      "Y",     "-0.800", "0.003",
                                                         "-1e+01", "1.000", "-0.000", "0.500"};
    static const std::array<const char*, 4> operators = {"+", "-", "*", "/"};
    if (depth == 0 || random() % 3 == 0)
        return terminals[random() % terminals.size()];
    if (random() % 5 == 0)
        return "sin (" + RandomProgram(random, depth - 1) + ") ";
    const QString a = RandomProgram(random, depth - 1);
    return " (" + a + operators[random() % operators.size()] + RandomProgram(random, depth - 1) +
           ") ";
}

// A line that the box broke: its paragraph goes on in the next line.
struct BrokenLine {
    QString text;
    qreal width;
};

std::vector<BrokenLine> BrokenLines(const ProgramBox& box) {
    std::vector<BrokenLine> lines;
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        box.document()->documentLayout()->blockBoundingRect(block);
        const QTextLayout* layout = block.layout();
        for (int i = 0; i + 1 < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.push_back(
                {block.text().mid(line.textStart(), line.textLength()), line.naturalTextWidth()});
        }
    }
    return lines;
}

TEST(ProgramBox, LinesBreakOnlyAfterABlankAndFitWhereTheyCan) {
    ProgramBox box(nullptr);
    box.show();
    std::mt19937 random(5);
    int wrapped = 0;
    for (int width : {225, 180, 140}) {
        box.setFixedSize(width, 89);
        const qreal available = box.viewport()->width() - 2 * box.document()->documentMargin();
        for (int n = 0; n < 60; ++n) {
            box.ShowText("[Population No1]\r\nC=" + RandomProgram(random, 6) + "\r\n\r\n");
            const std::vector<BrokenLine> lines = BrokenLines(box);
            wrapped += !lines.empty();
            for (const BrokenLine& line : lines) {
                EXPECT_TRUE(line.text.endsWith(' ')) << line.text.toStdString();
                // Only a line without an inner blank may be wider than the box.
                if (line.text.trimmed().contains(' ')) {
                    EXPECT_LE(line.width, available + 0.5) << line.text.toStdString();
                }
            }
        }
    }
    EXPECT_GT(wrapped, 50);
}

class ProgramBoxTest : public FormTest {
protected:
    [[nodiscard]] ProgramBox* Box() const { return Find<ProgramBox>("Memo1"); }
    // A text of many lines, so that the box can scroll.
    static QString LongText(const QString& first) {
        QString text = first;
        for (int i = 0; i < 30; ++i)
            text += "\r\nline " + QString::number(i);
        return text;
    }
};

TEST_F(ProgramBoxTest, NewTextsStayWhereTheUserScrolledAndStartAtTheTopOtherwise) {
    ShowPage("TabSheet4");
    QScrollBar* scroll = Box()->verticalScrollBar();
    form->ResultsPanel().SetBestText(LongText("first").toStdString());
    EXPECT_EQ(scroll->value(), 0);
    ASSERT_GT(scroll->maximum(), 5);

    // The user scrolls down to read a later population: every step keeps it there.
    scroll->setValue(5);
    for (const char* next : {"second", "third"}) {
        form->ResultsPanel().SetBestText(LongText(next).toStdString());
        EXPECT_EQ(scroll->value(), 5) << next;
        EXPECT_TRUE(Box()->toPlainText().startsWith(QString(next) + "\n"));
    }
    // Back at the top, new texts are shown from their first line again.
    scroll->setValue(0);
    form->ResultsPanel().SetBestText(LongText("fourth").toStdString());
    EXPECT_EQ(scroll->value(), 0);
    // A shorter text keeps what it can of the place.
    scroll->setValue(scroll->maximum());
    form->ResultsPanel().SetBestText("[Population No1]\r\nC=X");
    EXPECT_EQ(scroll->value(), scroll->maximum());
}

TEST_F(ProgramBoxTest, ASelectionHoldsTheTextUntilItEnds) {
    ShowPage("TabSheet4");
    form->ResultsPanel().SetBestText("[Population No1]\r\nC=X");
    Box()->setFocus();
    QTest::keyClick(Box(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(form->messages.isEmpty()) << "Ctrl+A in the box is no menu command";
    ASSERT_EQ(Box()->textCursor().selectedText(),
              QString("[Population No1]") + QChar::ParagraphSeparator + "C=X");

    form->ResultsPanel().SetBestText("[Population No1]\r\nC=Y");
    EXPECT_EQ(Box()->toPlainText(), "[Population No1]\nC=X");
    Box()->moveCursor(QTextCursor::End);
    EXPECT_EQ(Box()->toPlainText(), "[Population No1]\nC=Y");

    // Away from the box, Ctrl+A is "Add noise" again.
    Find<QWidget>("CheckBox6")->setFocus();
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(form->messages, QStringList({"You must generate pattern first!"}));
}

} // namespace
