#include "app/list_edit.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace velbrin::app {

namespace {

// The text of a document with the characters it stores as they are: no-break spaces kept, and
// each block break read as a line feed.
QString documentText(const QTextDocument& document)
{
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += QLatin1Char('\n');
        text += block.text();
    }
    return text;
}

} // namespace

ListEdit::ListEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    // The list is one long line of numbers and commas without break opportunities: breaking it
    // anywhere keeps the layout linear in its length.
    setWordWrapMode(QTextOption::WrapAnywhere);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_writing)
            m_edited = true;
    });
}

QString ListEdit::text() const
{
    return m_edited ? documentText(*document()) : m_text;
}

void ListEdit::setText(const QString& text)
{
    const QString current = this->text();
    m_writing = true;
    if (text.size() >= current.size() && QStringView(text).startsWith(current))
        append(QStringView(text).mid(current.size()));
    else
        replaceAll(text);
    m_writing = false;
    m_text = text;
    m_edited = false;
    // What the program writes is not the user's to undo.
    document()->clearUndoRedoStacks();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void ListEdit::replaceAll(const QString& text)
{
    document()->setPlainText(text);
}

void ListEdit::append(QStringView tail)
{
    if (tail.isEmpty())
        return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(tail.toString());
}

} // namespace velbrin::app
