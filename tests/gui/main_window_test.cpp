#include "gui_test.h"

#include "app/list_edit.h"
#include "app/main_window.h"
#include "app/translations.h"
#include "stats/fields.h"

#include <QAccessible>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>

#include <algorithm>
#include <memory>

using velbrin::app::ListEdit;
using velbrin::app::MainWindow;
using velbrin::stats::Field;
using velbrin::test::child;

class MainWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        velbrin::test::prepareApplication();
        velbrin::app::useChineseQtTexts(); // as the program starts: its edit menus in Chinese
    }
    void init();
    void cleanup() { m_window.reset(); }

    void windowFrameAndPlace();
    void controlGeometry_data();
    void controlGeometry();
    void startUpTextsAndColours();
    void buttonFonts_data();
    void buttonFonts();
    void menus();
    void onlyInputAndListTakeTheFocus();

    void enterAndEscFromInputPressNext_data();
    void enterAndEscFromInputPressNext();
    void enterInListPressesNextWithoutLineBreak_data();
    void enterInListPressesNextWithoutLineBreak();
    void enterOnAFocusedButtonPressesThatButton();
    void tabCyclesTheSixControls();
    void roadOfOneValue();
    void pastedOrDroppedTextEntersItsFirstLine_data();
    void pastedOrDroppedTextEntersItsFirstLine();
    void computeAndClearButtons();
    void endOfListStaysInView();

    void fieldsReadBackExactlyWhatWasWritten_data();
    void fieldsReadBackExactlyWhatWasWritten();
    void userEditsOfTheListAreRead();
    void aScreenReaderHearsTheCount();
    void resizingMovesNoControl();
    void quitEndsTheEventLoopWithoutClosingWindows();
    void editMenuOfTheTextBoxesIsChinese();

private:
    QString text(const char* name) const;
    void type(const char* text);

    std::unique_ptr<MainWindow> m_window;
    velbrin::test::ModalWatch m_modalWatch;
};

void MainWindowTest::init()
{
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    m_window->activateWindow(); // on an X display without a window manager too
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

QString MainWindowTest::text(const char* name) const
{
    QWidget* widget = child<QWidget>(m_window.get(), name);
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->text();
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return line->text();
    if (auto* list = qobject_cast<QPlainTextEdit*>(widget))
        return list->toPlainText();
    return {};
}

void MainWindowTest::type(const char* text)
{
    QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(text));
}

void MainWindowTest::windowFrameAndPlace()
{
    QCOMPARE(m_window->objectName(), QStringLiteral("Form1"));
    QCOMPARE(m_window->windowTitle(), QStringLiteral("平均数、方差计算器——jbk工作室"));
    QWidget* client = m_window->centralWidget();
    QCOMPARE(client->size(), QSize(342, 306)); // 5130 × 4590 twips
    QCOMPARE(client->mapToGlobal(QPoint(0, 0)), QPoint(154, 192)); // 2310, 2880 twips
    QVERIFY(m_window->menuBar()->geometry().bottom() < client->geometry().top());

    const Qt::WindowFlags flags = m_window->windowFlags();
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(m_window->minimumSize() != m_window->maximumSize()); // resizable

    const QImage icon = m_window->windowIcon().pixmap(32, 32).toImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(icon.pixelColor(0, 0), QColor(Qt::white));
    QVERIFY(!icon.hasAlphaChannel() || icon.pixelColor(16, 16).alpha() == 255);
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            colours.insert(icon.pixel(x, y));
    QVERIFY(colours.size() <= 16);
}

void MainWindowTest::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    const struct
    {
        const char* name;
        QRect twips;
    } controls[] = {
        { "s", { 360, 240, 375, 255 } },
        { "ss", { 840, 240, 375, 255 } },
        { "w", { 2520, 240, 1695, 735 } },
        { "Text1", { 840, 720, 1455, 270 } },
        { "Label1", { 360, 1080, 735, 255 } },
        { "text2", { 1080, 1080, 375, 255 } },
        { "Label2", { 1560, 1080, 375, 255 } },
        { "z", { 840, 1440, 975, 495 } },
        { "x", { 2160, 1440, 975, 495 } },
        { "y", { 3360, 1440, 975, 495 } },
        { "Label3", { 360, 2160, 855, 255 } },
        { "v", { 960, 2400, 2655, 615 } },
        { "Label4", { 120, 3120, 735, 255 } },
        { "Text3", { 960, 3120, 2655, 270 } },
        { "Label5", { 120, 3480, 735, 255 } },
        { "Text4", { 960, 3480, 2655, 270 } },
        { "Label6", { 120, 3840, 735, 255 } },
        { "u", { 960, 3840, 2655, 270 } },
        { "zt", { 0, 4320, 5175, 390 } },
    };
    for (const auto& c : controls)
        QTest::addRow("%s", c.name) << QString::fromUtf8(c.name) << c.twips;
}

void MainWindowTest::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto* control = m_window->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), m_window->centralWidget());
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(control->geometry(), pixels);
    QVERIFY(!QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());

    // Counts as the engine writes them: up to three digits nothing moves; a longer count widens
    // to show all of it, and 个数 follows on the same line.
    auto* count = child<QLabel>(m_window.get(), "text2");
    auto* after = child<QLabel>(m_window.get(), "Label2");
    for (const std::string shown : { "999", "1000", "100000" }) {
        m_window->fields().write(Field::text2, shown);
        if (shown.size() <= 3 || (control != count && control != after)) {
            QCOMPARE(control->geometry(), pixels);
            continue;
        }
        QCOMPARE(control->pos().y(), pixels.y());
        QVERIFY(count->fontMetrics().horizontalAdvance(count->text()) <= count->width());
        QVERIFY(after->x() > count->geometry().right());
    }
}

void MainWindowTest::startUpTextsAndColours()
{
    QCOMPARE(text("Text1"), QString());
    QCOMPARE(text("text2"), QStringLiteral("0"));
    QCOMPARE(text("s"), QStringLiteral("0"));
    QCOMPARE(text("ss"), QStringLiteral("0"));
    QCOMPARE(text("v"), QString());
    QCOMPARE(text("Text3"), QStringLiteral("平均数"));
    QCOMPARE(text("Text4"), QStringLiteral("方差"));
    QCOMPARE(text("u"), QStringLiteral("标准差"));
    QCOMPARE(text("zt"), QStringLiteral("状态栏:"));
    QCOMPARE(child<QPushButton>(m_window.get(), "w")->text(), QStringLiteral("下一个数"));
    QVERIFY(child<QPushButton>(m_window.get(), "w")->isDefault());
    QCOMPARE(child<QPushButton>(m_window.get(), "x")->text(), QStringLiteral("计算"));
    QCOMPARE(child<QPushButton>(m_window.get(), "y")->text(), QStringLiteral("清空"));
    QCOMPARE(child<QPushButton>(m_window.get(), "z")->text(), QStringLiteral("换背景"));
    QCOMPARE(text("Label1"), QStringLiteral("您输入了"));
    QCOMPARE(text("Label2"), QStringLiteral("个数"));
    QCOMPARE(text("Label3"), QStringLiteral("请您核对"));
    QCOMPARE(text("Label4"), QStringLiteral("平均数"));
    QCOMPARE(text("Label5"), QStringLiteral("方差"));
    QCOMPARE(text("Label6"), QStringLiteral("标准差"));

    // The sums are never shown; the result boxes and the status line are disabled.
    QVERIFY(!child<QLabel>(m_window.get(), "s")->isVisible());
    QVERIFY(!child<QLabel>(m_window.get(), "ss")->isVisible());
    for (const char* name : { "Text3", "Text4", "u", "zt" })
        QVERIFY2(!child<QWidget>(m_window.get(), name)->isEnabled(), name);
    for (const char* name : { "Text1", "v" })
        QVERIFY2(child<QWidget>(m_window.get(), name)->isEnabled(), name);

    // The picture: orange behind everything, yellow count, dark blue heading.
    const QColor orange(255, 128, 0);
    const QImage picture = m_window->grab().toImage();
    const QPoint client = m_window->centralWidget()->pos();
    QCOMPARE(picture.pixelColor(client + QPoint(5, 5)), orange);
    QCOMPARE(picture.pixelColor(client + QPoint(300, 150)), orange);
    QCOMPARE(picture.pixelColor(client + QPoint(30, 20)), orange); // where `s` would be
    for (const char* name :
        { "Label1", "Label2", "Label3", "text2", "Label4", "Label5", "Label6" }) {
        auto* label = child<QLabel>(m_window.get(), name);
        QVERIFY2(label->autoFillBackground(), name);
        QCOMPARE(label->palette().color(QPalette::Window), orange);
        const QPoint corner = label->mapTo(m_window.get(), QPoint(label->width() - 1, 0));
        QVERIFY2(picture.pixelColor(corner) == orange, name);
    }
    QCOMPARE(child<QLabel>(m_window.get(), "text2")->palette().color(QPalette::WindowText),
        QColor(255, 255, 0));
    QCOMPARE(child<QLabel>(m_window.get(), "Label3")->palette().color(QPalette::WindowText),
        QColor(0, 0, 192));
    QCOMPARE(child<QLabel>(m_window.get(), "s")->palette().color(QPalette::Window),
        QColor(128, 255, 128));
    QCOMPARE(child<QLabel>(m_window.get(), "ss")->palette().color(QPalette::Window),
        QColor(192, 255, 192));
    QCOMPARE(
        child<QLineEdit>(m_window.get(), "zt")->palette().color(QPalette::Disabled, QPalette::Base),
        QColor(200, 200, 200));
}

void MainWindowTest::buttonFonts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addRow("w") << "w"
                       << "宋体" << 15.0;
    QTest::addRow("z") << "z"
                       << "隶书" << 12.0;
    QTest::addRow("x") << "x"
                       << "隶书" << 14.25;
    QTest::addRow("y") << "y"
                       << "隶书" << 14.25;
}

void MainWindowTest::buttonFonts()
{
    QFETCH(QString, name);
    QFETCH(QString, family);
    QFETCH(qreal, points);
    auto* button = m_window->findChild<QPushButton*>(name);
    const QFont font = button->font();
    QCOMPARE(font.family(), family);
    QCOMPARE(font.pointSizeF(), points);
    QCOMPARE(font.weight(), QFont::Normal);
    QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    // The face the name maps to draws every character of the caption by itself.
    const QFontMetrics metrics(font);
    for (const QChar c : button->text())
        QVERIFY2(metrics.inFont(c), qPrintable(button->text()));
}

void MainWindowTest::menus()
{
    QMenuBar* bar = m_window->menuBar();
    const QList<QAction*> top = bar->actions();
    QCOMPARE(top.size(), 2);
    QCOMPARE(top[0]->text(), QStringLiteral("文件"));
    QCOMPARE(top[1]->text(), QStringLiteral("帮助"));
    const auto entries
        = [this](const char* menu) { return child<QMenu>(m_window.get(), menu)->actions(); };
    QCOMPARE(entries("文件").size(), 1);
    QCOMPARE(entries("帮助").size(), 1);
    QCOMPARE(entries("文件")[0], child<QAction>(m_window.get(), "退出"));
    QCOMPARE(entries("帮助")[0], child<QAction>(m_window.get(), "关于"));
    for (QAction* action : { entries("文件")[0], entries("帮助")[0] }) {
        QCOMPARE(action->text(), action->objectName());
        QVERIFY(action->shortcut().isEmpty());
        QVERIFY(!action->isCheckable());
        QVERIFY(action->isEnabled() && action->isVisible());
    }
}

void MainWindowTest::onlyInputAndListTakeTheFocus()
{
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(m_window.get(), "Text1"));
    for (const char* name : { "Text3", "Text4", "u", "zt" }) {
        QWidget* box = child<QWidget>(m_window.get(), name);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY2(!box->hasFocus(), name);
    }
}

void MainWindowTest::enterAndEscFromInputPressNext_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::addRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::addRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier);
}

void MainWindowTest::enterAndEscFromInputPressNext()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    auto* input = child<QLineEdit>(m_window.get(), "Text1");
    QSignalSpy pressed(child<QPushButton>(m_window.get(), "w"), &QPushButton::clicked);
    type("5");
    QTest::keyClick(input, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    type("7");
    QTest::keyClick(input, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(pressed.count(), 2);
    QCOMPARE(text("text2"), QStringLiteral("2"));
    QCOMPARE(text("v"), QStringLiteral("5,7,"));
    QCOMPARE(text("Text1"), QString());
    QCOMPARE(QApplication::focusWidget(), input);
}

void MainWindowTest::enterInListPressesNextWithoutLineBreak_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addRow("Enter") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::addRow("Shift+Enter") << int(Qt::Key_Return) << int(Qt::ShiftModifier);
    QTest::addRow("Ctrl+Enter") << int(Qt::Key_Return) << int(Qt::ControlModifier);
    QTest::addRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::addRow("Esc") << int(Qt::Key_Escape) << int(Qt::NoModifier);
}

void MainWindowTest::enterInListPressesNextWithoutLineBreak()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    child<QLineEdit>(m_window.get(), "Text1")->setText(QStringLiteral("4"));
    auto* list = child<ListEdit>(m_window.get(), "v");
    list->setFocus();
    QTest::keyClick(list, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(text("text2"), QStringLiteral("1"));
    QCOMPARE(text("v"), QStringLiteral("4,"));
    QCOMPARE(list->document()->blockCount(), 1); // no line break in the document either
}

void MainWindowTest::enterOnAFocusedButtonPressesThatButton()
{
    child<QLineEdit>(m_window.get(), "Text1")->setText(QStringLiteral("3"));
    auto* next = child<QPushButton>(m_window.get(), "w");
    next->setFocus();
    QTest::keyClick(next, Qt::Key_Return);
    child<QLineEdit>(m_window.get(), "Text1")->setText(QStringLiteral("5"));
    QTest::keyClick(next, Qt::Key_Return);
    QCOMPARE(text("v"), QStringLiteral("3,5,"));

    auto* compute = child<QPushButton>(m_window.get(), "x");
    compute->setFocus();
    QTest::keyClick(compute, Qt::Key_Return);
    QCOMPARE(text("Text3"), QStringLiteral("4"));
    QCOMPARE(text("u"), QStringLiteral(" 1"));
    QCOMPARE(text("text2"), QStringLiteral("2")); // not an entry

    // Esc on a focused button still presses `w`.
    QTest::keyClick(compute, Qt::Key_Escape);
    QCOMPARE(text("v"), QStringLiteral("3,5,,"));
    QCOMPARE(text("zt"), QStringLiteral("状态栏：输入错误"));

    auto* clear = child<QPushButton>(m_window.get(), "y");
    clear->setFocus();
    QTest::keyClick(clear, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(text("v"), QString());
    QCOMPARE(text("zt"), QStringLiteral("状态栏："));
}

void MainWindowTest::tabCyclesTheSixControls()
{
    const char* const cycle[] = { "Text1", "w", "x", "y", "z", "v", "Text1", "w" };
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    for (std::size_t i = 1; i < std::size(cycle); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromUtf8(cycle[i]));
    }
    // And back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Text1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("v"));
}

void MainWindowTest::roadOfOneValue()
{
    type("2.5");
    QCOMPARE(text("Text1"), QStringLiteral("2.5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(text("Text1"), QString());
    QCOMPARE(text("text2"), QStringLiteral("1"));
    QCOMPARE(text("s"), QStringLiteral("2.5"));
    QCOMPARE(text("ss"), QStringLiteral("6.25"));
    QCOMPARE(text("v"), QStringLiteral("2.5,"));
    QCOMPARE(text("zt"), QStringLiteral("状态栏:"));

    type("abc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(text("text2"), QStringLiteral("1"));
    QCOMPARE(text("v"), QStringLiteral("2.5,abc,"));
    QCOMPARE(text("zt"), QStringLiteral("状态栏：输入错误"));
}

namespace {
// Ctrl+V; Ctrl+Shift+Insert and the middle button, which paste the selection where the system has
// one (X11) and nothing elsewhere; the edit menu; a drop; an assistive tool's insertText().
enum class Insert { keys, selectionKeys, middleButton, menu, drop, assistive };
} // namespace
Q_DECLARE_METATYPE(Insert)

void MainWindowTest::pastedOrDroppedTextEntersItsFirstLine_data()
{
    // Inserted at the caret after a typed 9, or into the box emptied after it (undo must not bring
    // the 9 back); "entered" is empty for what the box refuses.
    QTest::addColumn<Insert>("how");
    QTest::addColumn<bool>("emptied");
    QTest::addColumn<Qt::DropActions>("actions"); // the source's, for a drop
    QTest::addColumn<QString>("inserted");
    QTest::addColumn<QString>("entered");
    const auto row = [](const char* name, Insert how, bool emptied, Qt::DropActions actions,
                         const char* inserted, const char* entered) {
        QTest::newRow(name) << how << emptied << actions << QString::fromUtf8(inserted)
                            << QString::fromUtf8(entered);
    };
    const Qt::DropActions copy = Qt::CopyAction, move = Qt::MoveAction;
    row("keys 5 CR LF", Insert::keys, false, copy, "5\r\n", "95");
    row("keys 5 LF", Insert::keys, false, copy, "5\n", "95");
    row("keys 3 lines", Insert::keys, false, copy, "12\n34\n5", "912");
    row("keys, emptied", Insert::keys, true, copy, "5\r\n", "5");
    row("Ctrl+Shift+Insert 5 CR LF", Insert::selectionKeys, false, copy, "5\r\n", "95");
    row("middle button 5 LF", Insert::middleButton, false, copy, "5\n", "95");
    row("edit menu 5 CR LF", Insert::menu, false, copy, "5\r\n", "95");
    row("drop 5 CR LF", Insert::drop, false, copy, "5\r\n", "95");
    row("drop 3 lines", Insert::drop, false, copy, "12\n34\n5", "912");
    row("drop, emptied", Insert::drop, true, copy, "5\r\n", "5");
    row("drop as move", Insert::drop, false, copy | move, "5\r\n", "95");
    row("drop, move only", Insert::drop, false, move, "5\r\n", "");
    row("drop, first line empty", Insert::drop, false, copy, "\n5", "");
    row("assistive 5 CR LF", Insert::assistive, false, copy, "5\r\n", "95");
    row("assistive 3 lines", Insert::assistive, false, copy, "12\n34\n5", "912");
    row("assistive, emptied", Insert::assistive, true, copy, "5\n", "5");
    row("assistive, first line empty", Insert::assistive, false, copy, "\n5", "");
}

void MainWindowTest::pastedOrDroppedTextEntersItsFirstLine()
{
    QFETCH(Insert, how);
    QFETCH(bool, emptied);
    QFETCH(Qt::DropActions, actions);
    QFETCH(QString, inserted);
    QFETCH(QString, entered);
    auto* input = child<QLineEdit>(m_window.get(), "Text1");
    type("9");
    if (emptied) {
        input->selectAll();
        QTest::keyClick(input, Qt::Key_Delete);
    }
    const QString before = input->text();
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(inserted);
    const bool selection = how == Insert::selectionKeys || how == Insert::middleButton;
    if (selection && clipboard->supportsSelection())
        clipboard->setText(inserted, QClipboard::Selection);
    else if (selection) // no selection to paste: the clipboard's text must not come instead
        entered.clear();
    QMimeData data;
    data.setText(inserted);
    const QPointF caret = input->inputMethodQuery(Qt::ImCursorRectangle).toRectF().center();
    QDragEnterEvent enter(caret.toPoint(), actions, &data, Qt::LeftButton, {});
    QDropEvent drop(caret, actions, &data, Qt::LeftButton, {});
    if (how == Insert::keys) {
        QTest::keyClick(input, Qt::Key_V, Qt::ControlModifier);
    } else if (how == Insert::selectionKeys) {
        QTest::keyClick(input, Qt::Key_Insert, Qt::ControlModifier | Qt::ShiftModifier);
    } else if (how == Insert::middleButton) {
        QTest::mouseClick(input, Qt::MiddleButton, {}, caret.toPoint());
    } else if (how == Insert::assistive) {
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(input);
        QVERIFY(box && box->editableTextInterface());
        box->editableTextInterface()->insertText(input->cursorPosition(), inserted);
    } else if (how == Insert::menu) {
        QContextMenuEvent click(
            QContextMenuEvent::Mouse, caret.toPoint(), input->mapToGlobal(caret.toPoint()));
        QApplication::sendEvent(input, &click);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        // The program's own paste entry, in place of Qt's: one entry of that text.
        const QList<QAction*> actions = menu->actions();
        const auto isPaste
            = [](QAction* action) { return action->text().startsWith(QStringLiteral("粘贴")); };
        QCOMPARE(std::count_if(actions.begin(), actions.end(), isPaste), 1);
        (*std::find_if(actions.begin(), actions.end(), isPaste))->trigger();
        menu->close();
    } else {
        QApplication::sendEvent(input, &enter);
        QApplication::sendEvent(input, &drop);
        QCOMPARE(drop.isAccepted(), !entered.isEmpty());
        if (drop.isAccepted()) // the source keeps the lines the box did not take
            QCOMPARE(drop.dropAction(), Qt::CopyAction);
    }
    if (entered.isEmpty()) {
        QCOMPARE(input->text(), before);
        return;
    }
    QCOMPARE(input->text(), entered);
    if (how != Insert::assistive) { // a tool's setText() is no undo step
        input->undo(); // the insertion in one step, and nothing else
        QCOMPARE(input->text(), before);
        input->redo();
    }
    QTest::keyClick(input, Qt::Key_Return);
    QCOMPARE(text("text2"), QStringLiteral("1"));
    QCOMPARE(text("s"), entered);
    QCOMPARE(text("v"), entered + u',');
    QCOMPARE(text("zt"), QStringLiteral("状态栏:"));
}

void MainWindowTest::computeAndClearButtons()
{
    for (const char* value : { "1", "2", "2" }) {
        type(value);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QTest::mouseClick(child<QPushButton>(m_window.get(), "x"), Qt::LeftButton);
    QCOMPARE(text("Text3"), QStringLiteral("1.66666666666667"));
    QCOMPARE(text("Text4"), QStringLiteral("0.222222222222211"));
    QCOMPARE(text("u"), QStringLiteral(" .47140452079102"));

    QTest::mouseClick(child<QPushButton>(m_window.get(), "y"), Qt::LeftButton);
    QCOMPARE(text("text2"), QStringLiteral("0"));
    QCOMPARE(text("Text3"), QStringLiteral("平均数"));
    QCOMPARE(text("v"), QString());
    QCOMPARE(text("zt"), QStringLiteral("状态栏："));
}

void MainWindowTest::endOfListStaysInView()
{
    auto* list = child<ListEdit>(m_window.get(), "v");
    QScrollBar* bar = list->verticalScrollBar();
    for (int i = 0; i < 200; ++i) {
        type("123.456");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(text("text2"), QStringLiteral("200"));
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(list->document()->blockCount() >= 1);
}

void MainWindowTest::fieldsReadBackExactlyWhatWasWritten_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addRow("no-break space") << QByteArray("1\xC2\xA0"
                                                  "000,");
    QTest::addRow("line feed") << QByteArray("a\nb,");
    QTest::addRow("carriage return") << QByteArray("a\r\nb,");
    QTest::addRow("paragraph separator") << QByteArray("a\xE2\x80\xA9"
                                                       "b");
    QTest::addRow("tab and blanks") << QByteArray(" \t5 ");
    QTest::addRow("long") << QByteArray(40000, '7');
    QTest::addRow("markup") << QByteArray("<b>1</b>&amp;");
}

void MainWindowTest::fieldsReadBackExactlyWhatWasWritten()
{
    QFETCH(QByteArray, text);
    velbrin::stats::FieldStore& fields = m_window->fields();
    for (Field field : velbrin::stats::allFields) {
        fields.write(field, text.toStdString());
        QCOMPARE(QByteArray::fromStdString(fields.read(field)), text);
    }
}

void MainWindowTest::userEditsOfTheListAreRead()
{
    type("1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    auto* list = child<ListEdit>(m_window.get(), "v");
    list->setFocus();
    list->moveCursor(QTextCursor::End);
    QTest::keyClicks(list, QStringLiteral("9,"));
    QCOMPARE(m_window->fields().read(Field::v), std::string("1,9,"));
    child<QLineEdit>(m_window.get(), "Text1")->setText(QStringLiteral("2"));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(text("v"), QStringLiteral("1,9,2,"));
    QCOMPARE(text("text2"), QStringLiteral("2")); // the typed 9 was never entered
}

void MainWindowTest::aScreenReaderHearsTheCount()
{
    // The count's own text is what a screen reader reads out; the description says what it is.
    auto* count = child<QLabel>(m_window.get(), "text2");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(count);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("0"));
    QCOMPARE(accessible->text(QAccessible::Description), QStringLiteral("已输入的个数"));
    for (const char* value : { "4", "x", "5", "6" }) {
        type(value);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(accessible->text(QAccessible::Name), text("text2"));
    }
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("3"));
    QTest::mouseClick(child<QPushButton>(m_window.get(), "y"), Qt::LeftButton);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("0"));
}

void MainWindowTest::resizingMovesNoControl()
{
    QHash<QString, QRect> before;
    for (QWidget* control :
        m_window->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        before.insert(control->objectName(), control->geometry());
    m_window->resize(200, 150);
    QTest::qWait(10);
    for (QWidget* control :
        m_window->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QCOMPARE(control->geometry(), before.value(control->objectName()));
    m_window->resize(600, 500);
    QTest::qWait(10);
    for (QWidget* control :
        m_window->centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        QCOMPARE(control->geometry(), before.value(control->objectName()));
}

void MainWindowTest::quitEndsTheEventLoopWithoutClosingWindows()
{
    QSignalSpy closing(m_window.get(), &QObject::destroyed);
    QObject guard; // takes the fallback timer with it
    QTimer::singleShot(0, child<QAction>(m_window.get(), "退出"), &QAction::trigger);
    QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); }); // only if 退出 failed
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(m_window->isVisible());
    QCOMPARE(closing.count(), 0);
}

void MainWindowTest::editMenuOfTheTextBoxesIsChinese()
{
    velbrin::app::useChineseQtTexts();
    for (const char* name : { "Text1", "v" }) {
        QWidget* box = child<QWidget>(m_window.get(), name);
        std::unique_ptr<QMenu> menu;
        if (auto* line = qobject_cast<QLineEdit*>(box))
            menu.reset(line->createStandardContextMenu());
        else
            menu.reset(qobject_cast<ListEdit*>(box)->createStandardContextMenu());
        QVERIFY(menu);
        const QList<QAction*> actions = menu->actions();
        QVERIFY(std::any_of(actions.begin(), actions.end(),
            [](QAction* action) { return action->text().startsWith(QStringLiteral("粘贴")); }));
    }
}

VELBRIN_GUI_TEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
