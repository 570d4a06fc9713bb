// The list box `v` on its own: its text read back exactly, its lines the same as a plain-text box
// shows the text as one paragraph, and the user's edits, copies and keys.

#include "app/list_edit.h"

#include "tests/gui/gui_test.h"

#include <QClipboard>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

using velbrin::app::ListEdit;

namespace {

// Every line a box lays out, in order.
QStringList shownLines(const QPlainTextEdit& box)
{
    QStringList lines;
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(box.document()->documentLayout());
    for (QTextBlock block = box.document()->begin(); block.isValid(); block = block.next()) {
        layout->ensureBlockLayout(block);
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            const QTextLine line = block.layout()->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength());
        }
    }
    return lines;
}

QString values(int count, int from = 0)
{
    QString list;
    for (int i = from; i < from + count; ++i)
        list += QString::number(i * 7 % 1000)
            + (i % 3 ? QStringLiteral(".5,") : QStringLiteral(","));
    return list;
}

// Remembers the Enter keys that reach it from the list.
class Host : public QWidget
{
public:
    QList<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            keys << event->key();
    }
};

} // namespace

class ListEditTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void textIsExactlyWhatWasSet_data();
    void textIsExactlyWhatWasSet();
    void linesFillTheWidthAsOneParagraphWould_data();
    void linesFillTheWidthAsOneParagraphWould();
    void newWidthOrFontBreaksTheLinesAgain();
    void typingAndDeletingInTheMiddle();
    void backspaceAndDeleteAtAWrapRemoveACharacter();
    void pastedLineBreaksShowAndAreRead();
    void copyGivesTheTextWithoutWraps();
    void undoTakesBackAnEditWithItsWraps();
    void endStaysInView();
    void enterIsLeftToTheWindow();

private:
    // The reference: a plain-text box of the same size that lays out each paragraph whole.
    void checkLines(const QString& text);
    void placeCursor(int textIndex, bool afterWrap = true);

    std::unique_ptr<Host> m_host;
    ListEdit* m_list = nullptr;
    QPlainTextEdit* m_reference = nullptr;
};

void ListEditTest::initTestCase()
{
    velbrin::test::prepareApplication();
}

void ListEditTest::init()
{
    m_host = std::make_unique<Host>();
    m_host->resize(400, 200);
    m_list = new ListEdit(m_host.get());
    m_list->setGeometry(10, 10, 177, 41); // the size of `v`
    m_reference = new QPlainTextEdit(m_host.get());
    m_reference->setGeometry(10, 100, 177, 41);
    m_reference->setWordWrapMode(QTextOption::WrapAnywhere);
    m_reference->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    m_list->setFocus();
}

void ListEditTest::cleanup()
{
    m_host.reset();
}

void ListEditTest::checkLines(const QString& text)
{
    m_reference->setGeometry(m_reference->x(), m_reference->y(), m_list->width(), m_list->height());
    m_reference->setFont(m_list->font());
    m_reference->setPlainText(text);
    const QStringList lines = shownLines(*m_list);
    QCOMPARE(lines, shownLines(*m_reference));
    QCOMPARE(m_list->document()->blockCount(), lines.size()); // one line each
}

// Puts the cursor before the character `textIndex` of text(); where that is the first one on a
// line, at the start of that line or else at the end of the line before.
void ListEditTest::placeCursor(int textIndex, bool afterWrap)
{
    int seen = 0;
    for (QTextBlock block = m_list->document()->begin(); block.isValid(); block = block.next()) {
        const int length = block.length() - 1;
        if (textIndex < seen + length || (textIndex == seen + length && !afterWrap)
            || !block.next().isValid()) {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + textIndex - seen);
            m_list->setTextCursor(cursor);
            return;
        }
        seen += length; // the lists placed in here have no line breaks
    }
}

void ListEditTest::textIsExactlyWhatWasSet_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("text");
    const QString nbsp(QChar(0x00A0));
    QTest::addRow("no-break spaces") << QString() << QStringLiteral("1") + nbsp + "000," + nbsp;
    QTest::addRow("CR LF") << QString() << QStringLiteral("a\r\nb,");
    QTest::addRow("lone CR") << QString() << QStringLiteral("a\rb,");
    QTest::addRow("line and paragraph separators")
        << QString() << QStringLiteral("a\u2028b\u2029c,");
    QTest::addRow("CR, then LF appended") << QStringLiteral("1,\r") << QStringLiteral("1,\r\n2,");
    QTest::addRow("tab and blanks") << QString() << QStringLiteral(" \t5 ,");
    QTest::addRow("long") << values(10) << values(2000);
    QTest::addRow("shorter") << values(2000) << values(10);
    QTest::addRow("emptied") << values(50) << QString();
}

void ListEditTest::textIsExactlyWhatWasSet()
{
    QFETCH(QString, before);
    QFETCH(QString, text);
    m_list->setText(before);
    m_list->setText(text);
    QCOMPARE(m_list->text(), text);
    // Wrapping anew changes no text.
    m_list->resize(120, 60);
    m_list->setFont(QFont(m_list->font().family(), 15));
    QApplication::processEvents();
    QCOMPARE(m_list->text(), text);
}

void ListEditTest::linesFillTheWidthAsOneParagraphWould_data()
{
    QTest::addColumn<QString>("text");
    QTest::addRow("numbers") << values(300);
    QTest::addRow("one long value") << QString(700, QLatin1Char('7'));
    QTest::addRow("wide and narrow") << QStringLiteral("WWW,iii,").repeated(60);
    QTest::addRow("Chinese and blanks") << QStringLiteral("平均数 12,  方差,").repeated(40);
    QTest::addRow("no-break spaces") << QStringLiteral("1\u00A0000,").repeated(80);
    QTest::addRow("line breaks") << QStringLiteral("1,2,\n\n") + values(40) + "\n" + values(3);
}

void ListEditTest::linesFillTheWidthAsOneParagraphWould()
{
    QFETCH(QString, text);
    m_list->setText(text);
    checkLines(text);

    // The same text entered a piece at a time.
    m_list->setText(QString());
    for (qsizetype i = 0; i < text.size(); i += 5)
        m_list->setText(text.left(i + 5));
    QCOMPARE(m_list->text(), text);
    checkLines(text);
}

void ListEditTest::newWidthOrFontBreaksTheLinesAgain()
{
    const QString text = values(200);
    m_list->setText(text);
    m_list->resize(131, 70);
    QApplication::processEvents();
    checkLines(text);
    m_list->setFont(QFont(m_list->font().family(), 14));
    QApplication::processEvents();
    checkLines(text);
}

void ListEditTest::typingAndDeletingInTheMiddle()
{
    const QString text = values(200);
    m_list->setText(text);
    placeCursor(301);
    QTest::keyClicks(m_list, QStringLiteral("999,"));
    QString edited = text;
    edited.insert(301, QStringLiteral("999,"));
    QCOMPARE(m_list->text(), edited);
    checkLines(edited);

    for (int i = 0; i < 4; ++i)
        QTest::keyClick(m_list, Qt::Key_Backspace);
    QCOMPARE(m_list->text(), text);
    checkLines(text);

    // A selection over several lines, typed over.
    QTextCursor cursor = m_list->textCursor();
    cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 3);
    const int removed = int(cursor.selectionEnd() - cursor.selectionStart()) - 3; // less 3 wraps
    m_list->setTextCursor(cursor);
    QTest::keyClick(m_list, Qt::Key_5);
    edited = text;
    edited.replace(301, removed, QStringLiteral("5"));
    QCOMPARE(m_list->text(), edited);
    checkLines(edited);

    // The program appends to what the user left.
    m_list->setText(edited + "8,");
    QCOMPARE(m_list->text(), edited + "8,");
    checkLines(edited + "8,");
}

void ListEditTest::backspaceAndDeleteAtAWrapRemoveACharacter()
{
    QString text = values(100);
    m_list->setText(text);
    const int wrap = m_list->document()->begin().length() - 1; // text index of line 2's start

    placeCursor(wrap, true); // start of line 2
    QTest::keyClick(m_list, Qt::Key_Backspace);
    text.remove(wrap - 1, 1);
    QCOMPARE(m_list->text(), text);
    checkLines(text);

    const int secondWrap = m_list->document()->begin().next().position() - 1;
    placeCursor(secondWrap, false); // end of line 1
    QTest::keyClick(m_list, Qt::Key_Delete);
    text.remove(secondWrap, 1);
    QCOMPARE(m_list->text(), text);
    checkLines(text);
}

void ListEditTest::pastedLineBreaksShowAndAreRead()
{
    QString text = values(60);
    m_list->setText(text);
    placeCursor(40);
    QApplication::clipboard()->setText(QStringLiteral("7,\r\n8,\n"));
    QTest::keyClick(m_list, Qt::Key_V, Qt::ControlModifier);
    text.insert(40, QStringLiteral("7,\n8,\n"));
    QCOMPARE(m_list->text(), text);
    checkLines(text);

    // A long paste in one piece.
    const QString pasted = values(3000, 7);
    QApplication::clipboard()->setText(pasted);
    QTest::keyClick(m_list, Qt::Key_V, Qt::ControlModifier);
    text.insert(46, pasted);
    QCOMPARE(m_list->text(), text);
    checkLines(text);

    // A paste that comes through no event of the box's is broken into lines before it is drawn.
    QApplication::clipboard()->setText(QStringLiteral("\n5,"));
    m_list->paste();
    QApplication::processEvents();
    text.insert(46 + pasted.size(), QStringLiteral("\n5,"));
    QCOMPARE(m_list->text(), text);
    checkLines(text);
}

void ListEditTest::copyGivesTheTextWithoutWraps()
{
    const QString text = values(80) + QStringLiteral("\n1\u00A0000,") + values(20);
    m_list->setText(text);
    QTest::keyClick(m_list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(m_list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), text);

    // From the middle of line 2 to the middle of a later line.
    placeCursor(40);
    QTextCursor cursor = m_list->textCursor();
    cursor.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 4);
    const int wraps = 4;
    const int length = int(cursor.selectionEnd() - cursor.selectionStart()) - wraps;
    m_list->setTextCursor(cursor);
    QTest::keyClick(m_list, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), text.mid(40, length));
}

void ListEditTest::undoTakesBackAnEditWithItsWraps()
{
    const QString text = values(200);
    m_list->setText(text);
    QVERIFY(!m_list->document()->isUndoAvailable()); // the program's text is not the user's to undo
    const QStringList lines = shownLines(*m_list);
    placeCursor(100);
    const int position = m_list->textCursor().position();
    QTest::keyClicks(m_list, QStringLiteral("WW"));
    QString edited = text;
    edited.insert(100, QStringLiteral("WW"));
    QVERIFY(shownLines(*m_list) != lines);

    QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier); // a step for each letter
    QCOMPARE(m_list->text(), text);
    QCOMPARE(shownLines(*m_list), lines);
    QCOMPARE(m_list->document()->blockCount(), lines.size());
    QCOMPARE(m_list->textCursor().position(), position);

    QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_list->text(), edited);
    checkLines(edited);
}

void ListEditTest::endStaysInView()
{
    QString text;
    for (int i = 0; i < 300; ++i) {
        text += values(1, i);
        m_list->setText(text);
    }
    QScrollBar* bar = m_list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QTextCursor end(m_list->document());
    end.movePosition(QTextCursor::End);
    QVERIFY(m_list->viewport()->rect().contains(m_list->cursorRect(end)));

    // Also after the user scrolled away.
    bar->setValue(0);
    m_list->setText(text + "1,");
    QCOMPARE(bar->value(), bar->maximum());
}

void ListEditTest::enterIsLeftToTheWindow()
{
    m_list->setText(values(30));
    const int blocks = m_list->document()->blockCount();
    QTest::keyClick(m_list, Qt::Key_Return);
    QTest::keyClick(m_list, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(m_list, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_host->keys, (QList<int> { Qt::Key_Return, Qt::Key_Return, Qt::Key_Enter }));
    QCOMPARE(m_list->text(), values(30));
    QCOMPARE(m_list->document()->blockCount(), blocks);
}

VELBRIN_GUI_TEST_MAIN(ListEditTest)

#include "list_edit_test.moc"
