#include "gui_test.h"

#include "app/main_window.h"
#include "style/colour.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>

#include <utility>

using velbrin::app::MainWindow;
using velbrin::test::child;
using velbrin::test::topLevels;

namespace {

const QStringList schemeLabels { "Label1", "Label2", "Label3", "text2", "Label4", "Label5",
    "Label6" };

// Points of the main window's client area with nothing on them but its background; the third
// lies where the hidden label `s` would be.
const QPoint backgroundPoints[] = { { 5, 5 }, { 300, 150 }, { 30, 20 } };

// What a colour scheme could change, and what it must not: the palette of every named control
// of the main window, the background seen at the points above and at each label's top-right
// corner, and every text.
struct Look
{
    QHash<QString, QPalette> palettes;
    QList<QColor> pixels;
    QHash<QString, QString> texts;

    bool operator==(const Look&) const = default;
};

Look lookOf(MainWindow* window)
{
    Look look;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (widget->objectName().isEmpty())
            continue;
        look.palettes.insert(widget->objectName(), widget->palette());
        if (auto* label = qobject_cast<QLabel*>(widget))
            look.texts.insert(widget->objectName(), label->text());
        else if (auto* box = qobject_cast<QLineEdit*>(widget))
            look.texts.insert(widget->objectName(), box->text());
    }
    look.texts.insert(
        QStringLiteral("v"), child<QWidget>(window, "v")->property("plainText").toString());
    const QImage picture = window->grab().toImage();
    const QPoint client = window->centralWidget()->pos();
    for (QPoint point : backgroundPoints)
        look.pixels.append(picture.pixelColor(client + point));
    for (const QString& name : schemeLabels) {
        auto* label = window->findChild<QLabel*>(name);
        look.pixels.append(picture.pixelColor(label->mapTo(window, QPoint(label->width() - 1, 0))));
    }
    return look;
}

} // namespace

class StyleWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { velbrin::test::prepareApplication(); }
    void init();
    void cleanup();

    void styleWindowFrame();
    void buttons_data();
    void buttons();
    void noDefaultButton();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void zShowsOneWindow();
    void schemePaintsExactlyTheEightTargets_data();
    void schemePaintsExactlyTheEightTargets();
    void sameSchemeTwiceIsOnce_data();
    void sameSchemeTwiceIsOnce();
    void schemeClickAfterTheMainWindowIsGone();

private:
    QWidget* openStyleWindow();

    // As the program runs it: deleted when closed.
    QPointer<MainWindow> m_window;
    velbrin::test::ModalWatch m_modalWatch;
};

void StyleWindowTest::init()
{
    m_window = new MainWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    // Something in the fields, which no scheme may touch.
    for (const char* value : { "1.5", "x", "4" }) {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(value));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QTest::mouseClick(child<QPushButton>(m_window, "x"), Qt::LeftButton);
}

void StyleWindowTest::cleanup()
{
    delete m_window;
    velbrin::test::deleteTopLevels({ "Form2" });
}

QWidget* StyleWindowTest::openStyleWindow()
{
    QTest::mouseClick(child<QPushButton>(m_window, "z"), Qt::LeftButton);
    const QList<QWidget*> windows = topLevels("Form2");
    return windows.size() == 1 ? windows.first() : nullptr;
}

void StyleWindowTest::styleWindowFrame()
{
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    QVERIFY(style->isVisible());
    QCOMPARE(style->windowTitle(), QStringLiteral("Form2"));
    QCOMPARE(style->size(), QSize(242, 100)); // 3630 × 1500 twips
    QVERIFY(!style->parentWidget()); // no owner
    QVERIFY(!style->testAttribute(Qt::WA_Moved)); // placed by the window system
    QCOMPARE(style->windowType(), Qt::Window); // an entry in the task bar
    const Qt::WindowFlags flags = style->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(style->minimumSize() != style->maximumSize()); // resizable
    // To a screen reader a window, under a Chinese name.
    QCOMPARE(QAccessible::queryAccessibleInterface(style)->role(), QAccessible::Window);
    QCOMPARE(QAccessible::queryAccessibleInterface(style)->text(QAccessible::Name),
        QStringLiteral("换背景"));

    // Tab order Command1, Command2, Command3 and round again; the focus starts on Command1.
    QVERIFY(QTest::qWaitForWindowActive(style));
    for (const char* name : { "Command1", "Command2", "Command3", "Command1" }) {
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(style, name));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

void StyleWindowTest::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addRow("Command1") << "Command1"
                              << "传统风格" << QRect(360, 120, 975, 495);
    QTest::addRow("Command2") << "Command2"
                              << "普通风格" << QRect(1320, 120, 975, 495);
    QTest::addRow("Command3") << "Command3"
                              << "热情奔放" << QRect(2280, 120, 975, 495);
}

void StyleWindowTest::buttons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    auto* button = style->findChild<QPushButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->accessibleName(), caption);
    const QRect pixels(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
    QCOMPARE(button->geometry(), pixels);
    QCOMPARE(button->font(), style->font());
}

void StyleWindowTest::noDefaultButton()
{
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    QVERIFY(QTest::qWaitForWindowActive(style));
    const Look before = lookOf(m_window);
    // Esc, and Enter that reaches the window with no button focused, press nothing.
    for (const char* name : { "Command1", "Command2", "Command3" }) {
        auto* button = child<QPushButton>(style, name);
        QSignalSpy pressed(button, &QPushButton::clicked);
        button->setFocus();
        QTest::keyClick(button, Qt::Key_Escape);
        for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape })
            QTest::keyClick(style, key);
        QCOMPARE(pressed.count(), 0);
        // Focused, a button takes Enter as if it were the default; left, it is no longer.
        button->clearFocus();
        QVERIFY(!button->isDefault());
    }
    QVERIFY(lookOf(m_window) == before);
    QVERIFY(style->isVisible());
}

void StyleWindowTest::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<uint>("colour");
    for (const auto& [name, colour] :
        { std::pair { "Command1", 0x8000000Fu }, std::pair { "Command2", 0x80000001u } }) {
        QTest::addRow("Enter on %s", name)
            << name << int(Qt::Key_Return) << int(Qt::NoModifier) << colour;
        QTest::addRow("keypad Enter on %s", name)
            << name << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << colour;
        QTest::addRow("Space on %s", name)
            << name << int(Qt::Key_Space) << int(Qt::NoModifier) << colour;
    }
}

void StyleWindowTest::enterPressesTheFocusedButton()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(uint, colour);
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    QVERIFY(QTest::qWaitForWindowActive(style));
    // Reached with Tab from the first button, as the keyboard gets there.
    while (QApplication::focusWidget()->objectName() != button)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QSignalSpy pressed(style->findChild<QPushButton*>(button), &QPushButton::clicked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(pressed.count(), 1);
    // The one press painted the main window; the focus stays where it was.
    for (const QColor& pixel : lookOf(m_window).pixels)
        QCOMPARE(pixel, velbrin::style::toQColor(colour));
    QCOMPARE(QApplication::focusWidget()->objectName(), button);
}

void StyleWindowTest::zShowsOneWindow()
{
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    QVERIFY(QTest::qWaitForWindowActive(style));

    // Again, with the main window in front: the same window comes to the front.
    m_window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_window));
    QCOMPARE(openStyleWindow(), style);
    QTRY_COMPARE(QApplication::activeWindow(), style);
    QCOMPARE(openStyleWindow(), style);
    QCOMPARE(topLevels("Form2").size(), 1);

    // Closing unloads it; the next click on `z` makes a new one.
    QPointer<QWidget> closed = style;
    style->close();
    QTRY_VERIFY(closed.isNull());
    QVERIFY(topLevels("Form2").isEmpty());
    QWidget* again = openStyleWindow();
    QVERIFY(again);
    QVERIFY(again->isVisible());

    // Closed and shown again before the closed one is gone: one window on the screen all the same.
    QPointer<QWidget> closing = again;
    again->close();
    QTest::mouseClick(child<QPushButton>(m_window, "z"), Qt::LeftButton);
    QTRY_VERIFY(closing.isNull());
    QCOMPARE(topLevels("Form2").size(), 1);
    QVERIFY(topLevels("Form2").first()->isVisible());
}

void StyleWindowTest::schemePaintsExactlyTheEightTargets_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<uint>("colour");
    QTest::addRow("传统风格: button face") << "Command1" << 0x8000000Fu;
    QTest::addRow("普通风格: desktop") << "Command2" << 0x80000001u;
    QTest::addRow("热情奔放: orange") << "Command3" << 0x000080FFu;
}

void StyleWindowTest::schemePaintsExactlyTheEightTargets()
{
    QFETCH(QString, button);
    QFETCH(uint, colour);
    const QColor painted = velbrin::style::toQColor(colour);
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    const Look before = lookOf(m_window);
    const QPalette stylePalette = style->palette();

    QTest::mouseClick(style->findChild<QPushButton*>(button), Qt::LeftButton);
    const Look after = lookOf(m_window);

    // The form's background and the seven labels' backgrounds, on the screen and in the palette.
    for (const QColor& pixel : after.pixels)
        QCOMPARE(pixel, painted);
    for (auto it = before.palettes.cbegin(); it != before.palettes.cend(); ++it) {
        QPalette expected = it.value();
        // Of the labels only the background changes: text2 stays yellow, Label3 dark blue.
        if (schemeLabels.contains(it.key())) {
            QCOMPARE(after.palettes[it.key()].color(QPalette::Window), painted);
            expected.setColor(QPalette::Window, painted);
        }
        // Buttons, text boxes and the hidden sums stay as they are.
        QVERIFY2(after.palettes[it.key()] == expected, qPrintable(it.key()));
    }
    QCOMPARE(after.texts, before.texts);
    // The style window keeps its own colours and stays open.
    QVERIFY(style->isVisible());
    QVERIFY(style->palette() == stylePalette);
}

void StyleWindowTest::sameSchemeTwiceIsOnce_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QStringList>("sameAs");
    QTest::addRow("传统风格 twice")
        << QStringList { "Command1", "Command1" } << QStringList { "Command1" };
    QTest::addRow("普通风格 twice")
        << QStringList { "Command2", "Command2" } << QStringList { "Command2" };
    QTest::addRow("热情奔放 at start") << QStringList { "Command3" } << QStringList {};
    QTest::addRow("热情奔放 after 传统风格")
        << QStringList { "Command1", "Command3" } << QStringList {};
    QTest::addRow("热情奔放 after 普通风格")
        << QStringList { "Command2", "Command3" } << QStringList {};
    QTest::addRow("last scheme counts")
        << QStringList { "Command2", "Command3", "Command1" } << QStringList { "Command1" };
}

void StyleWindowTest::sameSchemeTwiceIsOnce()
{
    QFETCH(QStringList, clicks);
    QFETCH(QStringList, sameAs);
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    const auto press = [style](const QStringList& buttons) {
        for (const QString& name : buttons)
            QTest::mouseClick(style->findChild<QPushButton*>(name), Qt::LeftButton);
    };
    press(sameAs);
    const Look expected = lookOf(m_window);
    // Undo whatever `sameAs` did, then take the longer road.
    press({ "Command3" });
    press(clicks);
    QVERIFY(lookOf(m_window) == expected);
}

void StyleWindowTest::schemeClickAfterTheMainWindowIsGone()
{
    QWidget* style = openStyleWindow();
    QVERIFY(style);
    m_window->close();
    QTRY_VERIFY(m_window.isNull());
    QVERIFY(style->isVisible());
    for (const char* name : { "Command1", "Command2", "Command3" })
        QTest::mouseClick(child<QPushButton>(style, name), Qt::LeftButton);
    QVERIFY(style->isVisible());
}

VELBRIN_GUI_TEST_MAIN(StyleWindowTest)
#include "style_window_test.moc"
