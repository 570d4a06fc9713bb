#include "app/list_edit.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

#include <algorithm>

namespace velbrin::app {

namespace {

// Set on the format of a block that follows a line break of the text. Any other block boundary
// is a wrap: the box broke the line there, and the text has no character for it.
constexpr int afterLineBreak = QTextFormat::UserProperty;

bool followsLineBreak(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(afterLineBreak);
}

// Characters that end a line: a text document would make a new block of each ("\r\n" counts
// once), and a layout breaks the line at U+2028. They all go into the document as marked blocks.
bool isLineBreak(QChar c)
{
    switch (c.unicode()) {
    case u'\n':
    case u'\r':
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
    case 0xFDD0: // a text document's frame marks
    case 0xFDD1:
        return true;
    default:
        return false;
    }
}

// Events through which the user may change the text. The lines are broken again right after
// them, before anything is painted.
bool mayEdit(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::Drop:
    case QEvent::MouseButtonRelease: // pasting the selection with the middle button
    case QEvent::ContextMenu: // its paste, cut, delete, undo and redo
        return true;
    default:
        return false;
    }
}

// A layout of one line takes few characters; one of many lines is cheaper per line. The window
// of text laid out at once grows while the breaks keep moving after an edit.
constexpr int firstWindow = 256;
constexpr int largestWindow = 16384;

} // namespace

// The document changes at the box's own hands: the user's edits are not noted, and unless the
// change belongs with an edit of the user's, nothing of it can be undone.
class ListEdit::ProgramEdit
{
public:
    ProgramEdit(ListEdit& box, bool undoable)
        : m_box(box)
        , m_undoable(undoable)
    {
        m_box.m_programEdit = true;
        if (!m_undoable)
            m_box.document()->setUndoRedoEnabled(false);
    }

    ~ProgramEdit()
    {
        if (!m_undoable)
            m_box.document()->setUndoRedoEnabled(true);
        m_box.m_programEdit = false;
    }

    ProgramEdit(const ProgramEdit&) = delete;
    ProgramEdit& operator=(const ProgramEdit&) = delete;

private:
    ListEdit& m_box;
    bool m_undoable;
};

ListEdit::ListEdit(QWidget* parent)
    : QPlainTextEdit(parent)
{
    setWordWrapMode(QTextOption::WrapAnywhere);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, &ListEdit::noteChange);
}

QString ListEdit::text() const
{
    return m_edited ? listText(0, document()->characterCount() - 1) : m_text;
}

void ListEdit::setText(const QString& text)
{
    settle();
    const QString current = this->text();
    {
        const ProgramEdit edit(*this, false);
        QTextCursor cursor(document());
        cursor.beginEditBlock();
        if (QStringView(text).startsWith(current)) {
            QStringView tail = QStringView(text).mid(current.size());
            // The "\r" shown as a line break already was the start of a "\r\n".
            if (current.endsWith(u'\r') && tail.startsWith(u'\n'))
                tail = tail.mid(1);
            if (!tail.isEmpty()) {
                cursor.movePosition(QTextCursor::End);
                const int from = cursor.position();
                insertListText(cursor, tail);
                rebreak(from, cursor.position());
            }
        } else {
            cursor.select(QTextCursor::Document);
            cursor.removeSelectedText();
            cursor.setBlockFormat(QTextBlockFormat());
            insertListText(cursor, text);
            rebreak(0, cursor.position());
        }
        cursor.endEditBlock();
    }
    m_text = text;
    m_edited = false;
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

bool ListEdit::event(QEvent* event)
{
    if (!mayEdit(event->type()))
        return QPlainTextEdit::event(event);
    bool handled = false;
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::InputMethod) {
        // A typed character would be an undo step of its own, which the new line breaks could not
        // join: the key gets an edit block for them to join. It starts at the cursor, where undo
        // puts the cursor back.
        QTextCursor group = textCursor();
        group.beginEditBlock();
        handled = QPlainTextEdit::event(event);
        group.endEditBlock();
    } else {
        handled = QPlainTextEdit::event(event);
    }
    settle();
    return handled;
}

bool ListEdit::viewportEvent(QEvent* event)
{
    const bool editing = mayEdit(event->type());
    const bool handled = QPlainTextEdit::viewportEvent(event);
    if (editing)
        settle();
    return handled;
}

void ListEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Nobody types a line break into the list: Enter is left to the window, whose default
        // button it presses.
        event->ignore();
        return;
    case Qt::Key_Backspace:
        stepOverWrap(false);
        break;
    case Qt::Key_Delete:
        stepOverWrap(true);
        break;
    default:
        if (event->matches(QKeySequence::DeleteEndOfLine))
            stepOverWrap(true);
        break;
    }
    QPlainTextEdit::keyPressEvent(event);
}

// Deleting at a wrap would remove only the block boundary, which the lines would get back at
// once: the key is to act on the character on the other side of the wrap, as it does where no
// wrap is. The cursor moves over the wrap first; that changes no text.
void ListEdit::stepOverWrap(bool forward)
{
    QTextCursor cursor = textCursor();
    if (cursor.hasSelection())
        return;
    const QTextBlock block = cursor.block();
    if (forward) {
        const QTextBlock next = block.next();
        if (!cursor.atBlockEnd() || !next.isValid() || followsLineBreak(next))
            return;
        cursor.setPosition(next.position());
    } else {
        if (!cursor.atBlockStart() || !block.previous().isValid() || followsLineBreak(block))
            return;
        cursor.setPosition(block.position() - 1);
    }
    setTextCursor(cursor);
}

void ListEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString commit = event->commitString();
    if (std::none_of(commit.begin(), commit.end(), isLineBreak)) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // Line breaks in a committed text go in as pasted ones do.
    QInputMethodEvent rest(event->preeditString(), event->attributes());
    rest.setCommitString(QString(), event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&rest);
    QTextCursor cursor = textCursor();
    insertListText(cursor, commit);
    setTextCursor(cursor);
    event->accept();
}

void ListEdit::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    if (lineWidth() != m_brokenWidth)
        rebreakAll();
}

void ListEdit::changeEvent(QEvent* event)
{
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::ApplicationFontChange)
        rebreakAll();
}

QMimeData* ListEdit::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto* selection = new QMimeData;
    selection->setText(listText(cursor.selectionStart(), cursor.selectionEnd()));
    return selection;
}

void ListEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source || !source->hasText() || isReadOnly())
        return;
    QTextCursor cursor = textCursor();
    insertListText(cursor, source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}

// The text between two document positions: wraps left out, line breaks as "\n".
QString ListEdit::listText(int from, int to) const
{
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = block.position();
        if (start > from && followsLineBreak(block))
            text += QLatin1Char('\n');
        const int begin = std::max(from, start) - start;
        const int end = std::min(to, start + block.length() - 1) - start;
        if (end > begin)
            text += QStringView(block.text()).mid(begin, end - begin);
    }
    return text;
}

// Inserts `text` at `cursor` in place of its selection, each of its line breaks as a marked block.
void ListEdit::insertListText(QTextCursor& cursor, QStringView text)
{
    QTextBlockFormat afterBreak;
    afterBreak.setProperty(afterLineBreak, true);
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLineBreak(text[i]))
            continue;
        if (i > start)
            cursor.insertText(text.mid(start, i - start).toString());
        cursor.insertBlock(afterBreak);
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        cursor.insertText(text.mid(start).toString());
    cursor.endEditBlock();
}

void ListEdit::noteChange(int position, int removed, int added)
{
    if (m_programEdit || (removed == 0 && added == 0))
        return;
    m_edited = true;
    // Positions after the change move with it.
    const auto moved
        = [&](int p) { return p < position ? p : std::max(p + added - removed, position); };
    if (m_unsettled) {
        m_changedFrom = std::min(moved(m_changedFrom), position);
        m_changedTo = std::max(moved(m_changedTo), position + added);
    } else {
        m_changedFrom = position;
        m_changedTo = position + added;
        m_unsettled = true;
    }
    // For changes that come through no event of the box's (a call of paste() or undo(), say).
    if (!m_settleQueued) {
        m_settleQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_settleQueued = false;
                settle();
            },
            Qt::QueuedConnection);
    }
}

// Breaks the lines again after an edit of the user's, as part of that edit: one undo step
// takes back both.
void ListEdit::settle()
{
    if (!m_unsettled)
        return;
    m_unsettled = false;
    {
        const ProgramEdit edit(*this, true);
        QTextCursor group = textCursor();
        group.joinPreviousEditBlock();
        rebreak(m_changedFrom, m_changedTo);
        group.endEditBlock();
    }
    ensureCursorVisible();
}

// For a new line width or font. Undo steps taken before would bring back lines of the old
// width, so they go.
void ListEdit::rebreakAll()
{
    settle();
    const ProgramEdit edit(*this, false);
    QTextCursor group(document());
    group.beginEditBlock();
    rebreak(0, document()->characterCount());
    group.endEditBlock();
}

// Makes every block from the line of `from` on hold exactly one line, as a layout of its whole
// paragraph would break it. The text before `from` and from `to` on is as it was when the lines
// were last broken, so the work ends at the first line past `to` that needs no change.
void ListEdit::rebreak(int from, int to)
{
    QTextDocument* doc = document();
    m_brokenWidth = lineWidth();
    QTextCursor unchangedFrom(doc); // moves along with the edits below
    unchangedFrom.setPosition(std::clamp(to, 0, doc->characterCount() - 1));
    QTextCursor edit(doc);

    QTextBlock block = doc->findBlock(from);
    // A line that now starts with another character may let the line before it take that.
    if (from == block.position() && !followsLineBreak(block) && block.previous().isValid())
        block = block.previous();
    int window = std::clamp(4 * block.length(), firstWindow, largestWindow);
    while (block.isValid()) {
        int start = block.position();
        bool ends = false;
        const QString text = paragraphText(block, window, ends);
        const QList<int> lines = lineLengths(text, ends);
        if (lines.isEmpty()) {
            window *= 2; // a line longer than the window
            continue;
        }
        window = std::min(2 * window, largestWindow);

        for (int length : lines) {
            // Make the block at `start` hold this line: take in what follows, cut off the rest.
            bool changed = false;
            block = doc->findBlock(start);
            while (block.length() - 1 < length) {
                const QTextBlock next = block.next();
                if (!next.isValid() || followsLineBreak(next))
                    break; // cannot happen: the line lies within the paragraph
                edit.setPosition(next.position() - 1);
                edit.deleteChar();
                block = doc->findBlock(start);
                changed = true;
            }
            if (block.length() - 1 > length) {
                edit.setPosition(start + length);
                edit.insertBlock(QTextBlockFormat());
                block = doc->findBlock(start);
                changed = true;
            }
            const int end = start + block.length() - 1;
            // The old breaks hold from here on.
            if (!changed && end >= unchangedFrom.position())
                return;
            start = end + 1;
        }

        block = doc->findBlock(start);
        if (!ends || !block.isValid() || block.position() != start)
            continue;
        // The paragraph is done; a wrap left over at its end had an empty line after it.
        while (block.isValid() && !followsLineBreak(block) && block.length() == 1) {
            edit.setPosition(block.position() - 1);
            edit.deleteChar();
            block = doc->findBlock(start - 1).next();
        }
        if (!block.isValid() || block.position() - 1 >= unchangedFrom.position())
            return;
        window = std::clamp(4 * block.length(), firstWindow, largestWindow);
    }
}

// At most `limit` characters of a paragraph's text, from the start of `block` on; `ends` tells
// whether they reach the paragraph's end.
QString ListEdit::paragraphText(const QTextBlock& first, int limit, bool& ends) const
{
    QString text;
    for (QTextBlock block = first;;) {
        const int length = block.length() - 1;
        if (length <= limit - text.size()) {
            text += block.text();
        } else {
            // A long block, such as a pasted text before it is broken into lines.
            QTextCursor part(block);
            part.setPosition(block.position() + limit - int(text.size()), QTextCursor::KeepAnchor);
            text += part.selectedText();
            ends = false;
            return text;
        }
        block = block.next();
        if (!block.isValid() || followsLineBreak(block)) {
            ends = true;
            return text;
        }
        if (text.size() >= limit) {
            ends = false;
            return text;
        }
    }
}

// The lengths of the lines a layout of the document's makes of `text`. Unless the text ends its
// paragraph, the last line is left out: it might go on past the text.
QList<int> ListEdit::lineLengths(const QString& text, bool ends) const
{
    const QTextDocument* doc = document();
    QTextLayout layout(text, doc->defaultFont(), doc->documentLayout()->paintDevice());
    layout.setTextOption(doc->defaultTextOption());
    const qreal width = m_brokenWidth;
    QList<int> lengths;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lengths.append(line.textLength());
    }
    layout.endLayout();
    if (!ends && !lengths.isEmpty())
        lengths.removeLast();
    return lengths;
}

// The width the document's layout gives each line: read off a line it laid out, since it takes
// the width from the viewport only at certain times.
qreal ListEdit::lineWidth() const
{
    const QTextBlock first = document()->firstBlock();
    if (const auto* layout
        = qobject_cast<QPlainTextDocumentLayout*>(document()->documentLayout())) {
        layout->ensureBlockLayout(first);
        if (first.layout()->lineCount() > 0)
            return first.layout()->lineAt(0).width();
    }
    return viewport()->width() - 2 * document()->documentMargin();
}

} // namespace velbrin::app
