// The read-only box that shows the best programs. Lines break only after a
// blank, so numbers and names stay whole; each new text is shown from its
// first line, except while the user holds a selection in the box.
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
};

} // namespace quba
