#include "ui/program_box.h"

#include <QKeyEvent>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <functional>
#include <utility>

namespace quba {

namespace {

bool StartsAfterBlank(const QString& text, int position) {
    return position == 0 || text[position - 1] == u' ';
}

// Program texts have blanks around every composite, so breaking only after a
// blank keeps every token whole. The platform's line breaking also breaks
// inside numbers ("0." / "003"), so the lines are chosen here.
class BlankWrapLayout : public QPlainTextDocumentLayout {
public:
    // `lineWidth` is the box's current width for the text.
    BlankWrapLayout(QTextDocument* document, std::function<int()> lineWidth)
        : QPlainTextDocumentLayout(document), lineWidth_(std::move(lineWidth)) {}

    QRectF blockBoundingRect(const QTextBlock& block) const override {
        if (block.isValid() && !BreaksAfterBlanks(block))
            const_cast<BlankWrapLayout*>(this)->LayOut(block);
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    }

private:
    static bool BreaksAfterBlanks(const QTextBlock& block) {
        const QTextLayout* layout = block.layout();
        if (layout->lineCount() == 0)
            return false;
        for (int i = 1; i < layout->lineCount(); ++i)
            if (!StartsAfterBlank(block.text(), layout->lineAt(i).textStart()))
                return false;
        return true;
    }

    // Where the line that starts at `start` and would end at `end` ends
    // instead: after its last blank, or, for a token wider than the line,
    // after the first blank beyond it.
    static int LineEnd(const QString& text, int start, int end) {
        if (end >= text.size() || StartsAfterBlank(text, end))
            return end;
        for (int p = end - 1; p > start; --p)
            if (StartsAfterBlank(text, p))
                return p;
        int p = end + 1;
        while (p < text.size() && !StartsAfterBlank(text, p))
            ++p;
        return p;
    }

    void LayOut(const QTextBlock& block) {
        const QTextDocument* doc = document();
        const qreal margin = doc->documentMargin();
        const qreal available = lineWidth_() - 2 * margin;
        const QString text = block.text();
        QTextLayout* layout = block.layout();
        layout->setTextOption(doc->defaultTextOption());
        const int linesBefore = doc->lineCount();
        layout->beginLayout();
        qreal height = 0;
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(available);
            const int start = line.textStart();
            const int end = LineEnd(text, start, start + line.textLength());
            if (end != start + line.textLength())
                line.setNumColumns(end - start, available);
            line.setPosition(QPointF(margin, height));
            height += line.height();
        }
        layout->endLayout();
        const_cast<QTextBlock&>(block).setLineCount(block.isVisible() ? layout->lineCount() : 0);
        if (doc->lineCount() != linesBefore)
            emit documentSizeChanged(documentSize());
    }

    std::function<int()> lineWidth_;
};

} // namespace

ProgramBox::ProgramBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    document()->setDocumentLayout(
        new BlankWrapLayout(document(), [this] { return viewport()->width(); }));
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!showingText_)
            userScrolled_ = value != 0;
    });
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] {
        if (!UserIsSelecting())
            ShowPendingText();
    });
}

bool ProgramBox::UserIsSelecting() const {
    return hasFocus() && textCursor().hasSelection();
}

void ProgramBox::ShowText(const QString& text) {
    pending_ = text;
    if (!UserIsSelecting())
        ShowPendingText();
}

void ProgramBox::ShowPendingText() {
    if (!pending_)
        return;
    const QString text = std::move(*pending_);
    pending_.reset();
    // Where the user has scrolled, the new text stands at the same place;
    // otherwise it is shown from its first line.
    showingText_ = true;
    const int kept = userScrolled_ ? verticalScrollBar()->value() : 0;
    setPlainText(text);
    verticalScrollBar()->setValue(kept);
    showingText_ = false;
}

bool ProgramBox::event(QEvent* event) {
    // Select-all belongs to the box while it has the keyboard, not to a menu
    // item that has the same keys.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        event->accept();
        return true;
    }
    return QPlainTextEdit::event(event);
}

void ProgramBox::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void ProgramBox::focusOutEvent(QFocusEvent* event) {
    QPlainTextEdit::focusOutEvent(event);
    ShowPendingText();
}

} // namespace quba
