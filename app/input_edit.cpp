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
{
    connect(this, &QLineEdit::textChanged, this, &InputEdit::keepOneLine);
}

// Text that reaches the box through setText() with a line break in it: an assistive tool inserted
// or replaced a piece of it (the editable-text interface sets the whole text). Everything from the
// first line break to the end of that piece goes; the piece ends where the text the box held
// before resumes. Where a change can be read two ways, the reading that keeps more of it.
void InputEdit::keepOneLine(const QString& text)
{
    const qsizetype firstBreak = firstLine(text).size();
    if (m_asWritten || firstBreak == text.size()) {
        m_before = text;
        return;
    }
    const auto isBreak = [](QChar c) { return c == u'\r' || c == u'\n'; };
    const qsizetype afterLastBreak
        = text.crend() - std::find_if(text.crbegin(), text.crend(), isBreak);
    const qsizetype room = std::min(text.size() - afterLastBreak, m_before.size());
    qsizetype tail = 0;
    while (tail < room && text[text.size() - 1 - tail] == m_before[m_before.size() - 1 - tail])
        ++tail;
    setText(text.left(firstBreak) + text.right(tail)); // comes back here without a break
    setCursorPosition(int(firstBreak));
}

void InputEdit::setTextAsWritten(const QString& text)
{
    m_asWritten = true;
    setText(text);
    m_asWritten = false;
}

void InputEdit::pasteFirstLine(QClipboard::Mode mode)
{
    if (isReadOnly())
        return;
    const QString line = firstLine(QGuiApplication::clipboard()->text(mode));
    if (line.isEmpty() && !hasSelectedText())
        return;
    closeUndoStep();
    insert(line);
    closeUndoStep();
}

// The line edit ends an undo step when the caret moves or a selection is replaced, and Qt's own
// paste ends one before and after the pasted text. A step aside and back does the same here, so
// undo takes back the insertion alone, not the typing before or after it. An empty box has nowhere
// to step: clearing it changes nothing there but ends the step all the same.
void InputEdit::closeUndoStep()
{
    if (hasSelectedText())
        return;
    if (text().isEmpty()) {
        clear();
        return;
    }
    const int at = cursorPosition();
    setCursorPosition(at > 0 ? at - 1 : at + 1);
    setCursorPosition(at);
}

void InputEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Paste)) {
        // Ctrl+Shift+Insert is a paste key only where the system has a selection (X11), and it
        // pastes that selection.
        const bool selection = event->key() == Qt::Key_Insert
            && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        pasteFirstLine(selection ? QClipboard::Selection : QClipboard::Clipboard);
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

QMenu* InputEdit::createEditMenu()
{
    QMenu* menu = QLineEdit::createStandardContextMenu();
    // Qt's paste entry calls QLineEdit::paste(), which takes every line. It is replaced by an entry
    // of the same text, icon and state that pastes the first line; found by its text, which
    // QLineEdit translates in this very context, since Qt names and connects it differently from
    // version to version.
    const QString pasteText = QLineEdit::tr("&Paste");
    for (QAction* action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) != pasteText)
            continue;
        auto* paste = new QAction(action->icon(), action->text(), menu);
        paste->setObjectName(QStringLiteral("edit-paste"));
        paste->setEnabled(action->isEnabled());
        connect(paste, &QAction::triggered, this, [this] { pasteFirstLine(); });
        menu->insertAction(action, paste);
        menu->removeAction(action);
        delete action;
        break;
    }
    return menu;
}

void InputEdit::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createEditMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

// What of a dragged text the box takes: its first line. A text cut short is taken as a copy, so
// that the source keeps what was not taken; a text whose first line is empty is refused.
bool InputEdit::takesDrop(QDropEvent* event) const
{
    if (isReadOnly() || !event->mimeData()->hasText())
        return false;
    const QString text = event->mimeData()->text();
    const QString line = firstLine(text);
    if (line.isEmpty())
        return false;
    if (line.size() < text.size()) {
        if (!(event->possibleActions() & Qt::CopyAction))
            return false;
        event->setDropAction(Qt::CopyAction);
    }
    return true;
}

void InputEdit::dragMoveEvent(QDragMoveEvent* event)
{
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    const Qt::DropAction action = event->dropAction();
    QLineEdit::dragMoveEvent(event); // shows the caret where the text would go
    event->setDropAction(action);
}

void InputEdit::dropEvent(QDropEvent* event)
{
    if (!takesDrop(event)) {
        event->ignore();
        return;
    }
    const QString text = event->mimeData()->text();
    const QString line = firstLine(text);
    if (event->source() != this)
        deselect();
    closeUndoStep();
    if (line.size() == text.size()) {
        QLineEdit::dropEvent(event);
    } else {
        QMimeData cut;
        cut.setText(line);
        QDropEvent drop(event->position(), Qt::CopyAction, &cut, event->buttons(),
            event->modifiers(), event->type());
        QLineEdit::dropEvent(&drop);
        event->setDropAction(Qt::CopyAction);
        event->setAccepted(drop.isAccepted());
    }
    closeUndoStep();
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
