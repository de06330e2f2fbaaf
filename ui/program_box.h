// The read-only box that shows the best programs. Lines break only after a
// blank, so numbers and names stay whole; each new text is shown from its
// first line, unless the user has scrolled the box (the text then stays where
// it was scrolled to) or holds a selection in it (the text waits until the
// selection is over).
#pragma once

#include <QPlainTextEdit>
#include <QString>

#include <optional>

namespace quba {

class ProgramBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ProgramBox(QWidget* parent);

    // Shows `text` from its first line, or keeps it until the user's
    // selection is over.
    void ShowText(const QString& text);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    [[nodiscard]] bool UserIsSelecting() const;
    void ShowPendingText();

    std::optional<QString> pending_; // the newest text, held back by a selection
    bool userScrolled_ = false;      // the user moved the box away from its first line
    bool showingText_ = false;       // a new text is being put in
};

} // namespace quba
