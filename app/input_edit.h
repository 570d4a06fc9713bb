#pragma once

#include <QClipboard>
#include <QDropEvent>
#include <QLineEdit>

namespace velbrin::app {

// The input box `Text1`: one line, like a classic single-line edit box. Whatever the user puts in
// (pasted with the keyboard, the edit menu or the middle button, dropped, or committed by an
// input method) ends at its first "\r" or "\n", so a number copied with its line end ("5\r\n"
// from a spreadsheet cell, "5\n" from a terminal) goes in as "5". The text around the caret stays
// as it was, and undo takes the insertion back in one step. A drop cut short counts as a copy, so
// the source keeps what the box did not take; one whose first line is empty is refused. Text put
// in through setText() (as screen readers and other assistive tools insert and replace text) keeps
// the first line of what it inserted and the text around it. The program's own writes
// (setTextAsWritten()) are kept as written.
class InputEdit final : public QLineEdit
{
    Q_OBJECT

public:
    explicit InputEdit(QWidget* parent = nullptr);

    // paste(), taking the clipboard's text up to its first line break.
    void pasteFirstLine(QClipboard::Mode mode = QClipboard::Clipboard);

    // setText(), line breaks and all.
    void setTextAsWritten(const QString& text);

    // Qt's edit menu, whose 粘贴 pastes the first line.
    QMenu* createEditMenu();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override { dragMoveEvent(event); }
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool takesDrop(QDropEvent* event) const;
    void closeUndoStep();
    void keepOneLine(const QString& text);

    QString m_before; // the text as it stood before the last change
    bool m_asWritten = false;
};

} // namespace velbrin::app
