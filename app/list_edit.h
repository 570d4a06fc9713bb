#pragma once

#include <QList>
#include <QPlainTextEdit>
#include <QString>

class QTextBlock;
class QTextCursor;

namespace velbrin::app {

// The list box `v`: a multi-line box with a vertical scroll bar whose text wraps anywhere, holding
// every entered text followed by ",". The program grows the list by writing it back one entry
// longer; the box turns that into an insertion at the end and keeps the end in view.
//
// The list is one long line without break opportunities, and a text layout lays out a whole
// paragraph again whenever any part of it changes: kept as one paragraph, every entry would cost
// time in proportion to the length of the list. So the box keeps each line it shows as a block of
// its own, broken exactly where a layout of the whole paragraph wraps it, and an entry lays out
// the last line or two only. A block that follows a line break of the text carries a mark; the
// other block boundaries are wraps and belong to no text. After the user edits, the lines are
// broken again from the change on, until they meet the old breaks.
//
// text() is exactly what setText() last put in (no-break spaces and line breaks of any kind
// included) until the user edits the box; after that it is what the box shows, each line break
// read as "\n" and wraps left out. Copying gives the selected part of that same text. Read the
// list with text(): toPlainText() and the document's blocks show a line break at every wrap.
class ListEdit : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit ListEdit(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    class ProgramEdit;

    QString listText(int from, int to) const;
    void insertListText(QTextCursor& cursor, QStringView text);
    void noteChange(int position, int removed, int added);
    void settle();
    void rebreakAll();
    void rebreak(int from, int to);
    QString paragraphText(const QTextBlock& block, int limit, bool& ends) const;
    QList<int> lineLengths(const QString& text, bool ends) const;
    qreal lineWidth() const;
    void stepOverWrap(bool forward);

    QString m_text;
    bool m_edited = false; // by the user, since the last setText()
    bool m_programEdit = false; // the document changes at the box's own hands
    qreal m_brokenWidth = -1; // the line width the lines are broken for
    // Where the user changed the document and the lines are not broken again yet.
    bool m_unsettled = false;
    bool m_settleQueued = false;
    int m_changedFrom = 0;
    int m_changedTo = 0;
};

} // namespace velbrin::app
