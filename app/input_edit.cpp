#include "app/input_edit.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

namespace velbrin::app {

namespace {

// All a single-line box takes of `text`: what stands before its first line break.
QString firstLine(const QString& text)
{
    const auto end = std::find_if(
        text.cbegin(), text.cend(), [](QChar c) { return c == u'\r' || c == u'\n'; });
    return text.left(end - text.cbegin());
}

} // namespace

InputEdit::InputEdit(QWidget* parent)
    : QLineEdit(parent)
{ }

void InputEdit::pasteFirstLine(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString text = QGuiApplication::clipboard()->text(mode);
    const QString line = firstLine(text);
    if (line.size() == text.size() && mode == QClipboard::Clipboard) {
        paste(); // nothing to cut
        return;
    }
    if (line.isEmpty() && !hasSelectedText())
        return;
    closeUndoStep();
    insert(line);
    closeUndoStep();
}

// The line edit ends an undo step when the caret moves or a selection is replaced, and Qt's own
// paste ends one before and after the pasted text. A step aside and back does the same here, so
// undo takes back the insertion alone, not the typing before or after it.
void InputEdit::closeUndoStep()
{
    if (hasSelectedText())
        return;
    const int at = cursorPosition();
    const int aside = at > 0 ? at - 1 : at + 1;
    if (aside > text().size())
        return; // an empty box: nowhere to step
    setCursorPosition(aside);
    setCursorPosition(at);
}

void InputEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        pasteFirstLine();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void InputEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // The middle button pastes the selection, where the system has one (X11).
    if (event->button() == Qt::MiddleButton && !isReadOnly()
        && QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        pasteFirstLine(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void InputEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    // Qt's edit menu joins its paste entry to QLineEdit::paste() by the slot's name.
    for (QAction* action : menu->actions())
        if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste())))
            connect(action, &QAction::triggered, this, [this] { pasteFirstLine(); });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void InputEdit::dropEvent(QDropEvent* event)
{
    const QString text = event->mimeData()->text();
    const QString line = firstLine(text);
    if (line.size() == text.size()) {
        QLineEdit::dropEvent(event);
        return;
    }
    QMimeData cut;
    cut.setText(line);
    QDropEvent drop(
        event->position(), event->possibleActions(), &cut, event->buttons(), event->modifiers());
    drop.setDropAction(event->dropAction());
    QLineEdit::dropEvent(&drop);
    event->setDropAction(drop.dropAction());
    event->setAccepted(drop.isAccepted());
}

void InputEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString line = firstLine(event->commitString());
    if (line.size() == event->commitString().size()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent cut(event->preeditString(), event->attributes());
    cut.setCommitString(line, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&cut);
    event->setAccepted(cut.isAccepted());
}

} // namespace velbrin::app
