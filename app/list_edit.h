#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace velbrin::app {

// The list box `v`: a multi-line box with a vertical scroll bar, holding every entered text
// followed by "," as one paragraph that wraps anywhere (the list has no break opportunities).
// What it shows is what toPlainText() returns, what the user copies and what a screen reader
// reads.
//
// The program grows the list by writing it back one entry longer: setText() then inserts only the
// new end, so an entry costs one insertion and a screen reader hears only what was added. A write
// by the program is no undo step and, as in a classic edit box, forgets the undo history; the
// user's own edits undo and redo as in any plain-text box. Enter is left to the window, which
// presses its default button: nobody types a line break into the list.
class ListEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ListEdit(QWidget* parent = nullptr);

    void setText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace velbrin::app
