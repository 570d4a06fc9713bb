#include "app/list_edit.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace velbrin::app {

ListEdit::ListEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setWordWrapMode(QTextOption::WrapAnywhere);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    // The list is numbers and commas, which need none of the shaping rules a font may carry
    // (kerning, ligatures); laying out a long list without them takes half the time.
    QFont listFont = font();
    listFont.setStyleStrategy(QFont::PreferNoShaping);
    setFont(listFont);
}

void ListEdit::setText(const QString& text)
{
    QTextDocument* document = this->document();
    // What the box holds, as it reads back: every line break as "\n". A "\r" written last reads
    // as "\n" too, and a "\n" written after it only completes that line break.
    const QString current = toPlainText();
    QStringView tail;
    bool extends = text.startsWith(current);
    if (extends) {
        tail = QStringView(text).mid(current.size());
    } else if (current.endsWith(u'\n') && text.startsWith(current.chopped(1) + u'\r')) {
        extends = true;
        tail = QStringView(text).mid(current.size());
        if (tail.startsWith(u'\n'))
            tail = tail.mid(1);
    }

    // Switching undo off and on again clears its history: the program's writes are nobody's to
    // undo, and the user's edits before them would no longer fit the text.
    document->setUndoRedoEnabled(false);
    if (!extends) {
        setPlainText(text);
    } else if (!tail.isEmpty()) {
        // Inside an edit block a cursor does not work out its place on the screen, which would
        // take a layout of the whole paragraph both before and after the insertion.
        QTextCursor end(document);
        end.beginEditBlock();
        end.movePosition(QTextCursor::End);
        end.insertText(tail.toString());
        end.endEditBlock();
    }
    document->setUndoRedoEnabled(true);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ListEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

} // namespace velbrin::app
