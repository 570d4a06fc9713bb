// The list box `v` on its own: one paragraph that is exactly the list for every reader, grown by
// inserting only the new end, with the program's writes kept out of the user's undo history.

#include "app/list_edit.h"

#include "tests/gui/gui_test.h"

#include <QAccessible>
#include <QAccessibleTextInterface>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextLayout>

#include <memory>

using velbrin::app::ListEdit;

namespace {

// Values as a user might enter them; every other one a long whole number, likely to cross a wrap.
QString values(int count, int from = 0)
{
    QString list;
    for (int i = from; i < from + count; ++i)
        list += (i % 2 ? QString::number(i * 7 % 1000) + QStringLiteral(".25")
                       : QString::number(123456789012LL + i))
            + QLatin1Char(',');
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

// Where the lines of the box's one paragraph start.
QList<int> lineStarts(const QPlainTextEdit& box)
{
    const QTextBlock block = box.document()->firstBlock();
    qobject_cast<QPlainTextDocumentLayout*>(box.document()->documentLayout())
        ->ensureBlockLayout(block);
    QList<int> starts;
    for (int i = 0; i < block.layout()->lineCount(); ++i)
        starts << block.layout()->lineAt(i).textStart();
    return starts;
}

} // namespace

class ListEditTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { velbrin::test::prepareApplication(); }
    void init();
    void cleanup() { m_host.reset(); }

    void wrappedEntriesAreOneTextForEveryReader();
    void aLongerListInsertsOnlyItsNewEnd_data();
    void aLongerListInsertsOnlyItsNewEnd();
    void programWritesAreNoUndoStep();
    void userEditsUndoAndRedoAtTheEdit();
    void endStaysInView();
    void enterIsLeftToTheWindow();

private:
    std::unique_ptr<Host> m_host;
    ListEdit* m_list = nullptr;
};

void ListEditTest::init()
{
    m_host = std::make_unique<Host>();
    m_host->resize(300, 100);
    m_list = new ListEdit(m_host.get());
    m_list->setGeometry(10, 10, 177, 41); // the size of `v`
    m_host->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    m_list->setFocus();
}

void ListEditTest::wrappedEntriesAreOneTextForEveryReader()
{
    // Entered one at a time, as the window does.
    QString list;
    for (int i = 0; i < 40; ++i) {
        list += values(1, i);
        m_list->setText(list);
    }
    const QList<int> starts = lineStarts(*m_list);
    QVERIFY2(starts.size() > 5, "the list should wrap over several lines");
    QCOMPARE(m_list->document()->blockCount(), 1);
    QCOMPARE(m_list->toPlainText(), list);
    QCOMPARE(m_list->property("plainText").toString(), list);

    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(m_list);
    QVERIFY(accessible && accessible->textInterface());
    QAccessibleTextInterface* text = accessible->textInterface();
    QCOMPARE(text->characterCount(), list.size());
    QCOMPARE(text->text(0, text->characterCount()), list);

    // A number that a wrap cuts in two is still one word, and one key press per character
    // moves over the wrap.
    int crossing = -1;
    for (int start : starts)
        if (start > 0 && list[start - 1].isDigit() && list[start].isDigit()
            && list.lastIndexOf(u'.', start) < list.lastIndexOf(u',', start)
            && list.indexOf(u',', start) < list.indexOf(u'.', start))
            crossing = start; // within a whole number
    QVERIFY2(crossing > 0, "some number should cross a wrap");
    const qsizetype wordStart = list.lastIndexOf(u',', crossing) + 1;
    const qsizetype wordEnd = list.indexOf(u',', crossing);
    int start = -1;
    int end = -1;
    QCOMPARE(text->textAtOffset(crossing, QAccessible::WordBoundary, &start, &end),
        list.mid(wordStart, wordEnd - wordStart));
    QCOMPARE(start, int(wordStart));
    QCOMPARE(end, int(wordEnd));

    QTextCursor cursor = m_list->textCursor();
    cursor.setPosition(crossing - 2);
    m_list->setTextCursor(cursor);
    for (int i = 1; i <= 4; ++i) {
        QTest::keyClick(m_list, Qt::Key_Right);
        QCOMPARE(m_list->textCursor().position(), crossing - 2 + i);
    }
}

void ListEditTest::aLongerListInsertsOnlyItsNewEnd_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("position"); // where the change is, -1 for the whole text
    QTest::addColumn<QString>("shown"); // what the box then reads back
    QTest::addRow("one more entry")
        << values(300) << values(301) << int(values(300).size()) << values(301);
    QTest::addRow("an empty entry")
        << QStringLiteral("1,") << QStringLiteral("1,,") << 2 << QStringLiteral("1,,");
    QTest::addRow("CR, then LF appended")
        << QStringLiteral("1,\r") << QStringLiteral("1,\r\n2,") << 3 << QStringLiteral("1,\n2,");
    QTest::addRow("shorter") << values(300) << values(3) << -1 << values(3);
    QTest::addRow("changed in the middle") << QStringLiteral("1,2,3,") << QStringLiteral("1,5,3,4,")
                                           << -1 << QStringLiteral("1,5,3,4,");
    QTest::addRow("emptied") << values(30) << QString() << -1 << QString();
}

void ListEditTest::aLongerListInsertsOnlyItsNewEnd()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, position);
    QFETCH(QString, shown);
    m_list->setText(before);
    // What a screen reader is told of the change, too.
    QSignalSpy changes(m_list->document(), &QTextDocument::contentsChange);
    m_list->setText(after);
    QCOMPARE(m_list->toPlainText(), shown);
    QCOMPARE(m_list->document()->blockCount(), int(shown.count(u'\n')) + 1);
    if (position < 0)
        return;
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes[0][0].toInt(), position); // where
    QCOMPARE(changes[0][1].toInt(), 0); // removed
    QCOMPARE(changes[0][2].toInt(), shown.size() - position); // added
}

void ListEditTest::programWritesAreNoUndoStep()
{
    m_list->setText(QStringLiteral("1,"));
    QTest::keyClicks(m_list, QStringLiteral("77"));
    QVERIFY(m_list->document()->isUndoAvailable());
    // The program writes the list again, as an entry does: the user's typing is no longer undone,
    // and neither is the entry.
    const QString listed = m_list->toPlainText() + QStringLiteral("2,");
    m_list->setText(listed);
    QVERIFY(!m_list->document()->isUndoAvailable());
    QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_list->toPlainText(), listed);
}

void ListEditTest::userEditsUndoAndRedoAtTheEdit()
{
    const QString list = values(60);
    m_list->setText(list);
    QTextCursor cursor = m_list->textCursor();
    cursor.setPosition(40);
    m_list->setTextCursor(cursor);
    // Each key changes one character, and a screen reader is told just that.
    QSignalSpy changes(m_list->document(), &QTextDocument::contentsChange);
    QTest::keyClicks(m_list, QStringLiteral("999"));
    QCOMPARE(changes.count(), 3);
    QCOMPARE(changes.last(), (QVariantList { 42, 0, 1 }));
    QString edited = list;
    edited.insert(40, QStringLiteral("999"));
    QCOMPARE(m_list->toPlainText(), edited);

    // The typed word goes in one step; the caret stays where the user was.
    QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(m_list->toPlainText(), list);
    QCOMPARE(m_list->textCursor().position(), 40);
    QVERIFY(!m_list->document()->isUndoAvailable());

    for (const QKeyCombination redo :
        { QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z),
            QKeyCombination(Qt::ControlModifier, Qt::Key_Y) }) {
        QTest::keyClick(m_list, redo.key(), redo.keyboardModifiers());
        QCOMPARE(m_list->toPlainText(), edited);
        QCOMPARE(m_list->textCursor().position(), 43);
        QTest::keyClick(m_list, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_list->toPlainText(), list);
        QCOMPARE(m_list->textCursor().position(), 40);
    }
    // The next key goes where the user left off.
    QTest::keyClick(m_list, Qt::Key_5);
    QCOMPARE(m_list->toPlainText().mid(38, 4), list.mid(38, 2) + QStringLiteral("5") + list[40]);
}

void ListEditTest::endStaysInView()
{
    QString list;
    for (int i = 0; i < 300; ++i) {
        list += values(1, i);
        m_list->setText(list);
    }
    QScrollBar* bar = m_list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QTextCursor end(m_list->document());
    end.movePosition(QTextCursor::End);
    QVERIFY(m_list->viewport()->rect().contains(m_list->cursorRect(end)));

    // Also after the user scrolled away.
    bar->setValue(0);
    m_list->setText(list + "1,");
    QCOMPARE(bar->value(), bar->maximum());
}

void ListEditTest::enterIsLeftToTheWindow()
{
    m_list->setText(values(30));
    QTest::keyClick(m_list, Qt::Key_Return);
    QTest::keyClick(m_list, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(m_list, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(m_host->keys, (QList<int> { Qt::Key_Return, Qt::Key_Return, Qt::Key_Enter }));
    QCOMPARE(m_list->toPlainText(), values(30));
}

VELBRIN_GUI_TEST_MAIN(ListEditTest)

#include "list_edit_test.moc"
