#include "gui_test.h"

#include "app/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

using velbrin::app::MainWindow;
using velbrin::test::child;
using velbrin::test::topLevels;

namespace {

const QString description = QStringLiteral("    "
                                           "嗨！您好！！欢迎使用jbk工作室出品的平均数方差计算器！！"
                                           "按几个钮，敲几个键，任意多个数，我也帮您算！！");

bool hasChinese(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
        [](QChar c) { return c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF; });
}

QRect pixelsOf(QRect twips)
{
    return QRect(twips.x() / 15, twips.y() / 15, twips.width() / 15, twips.height() / 15);
}

// Answers the next message box with OK, noting what it showed. An access key presses its button
// a moment later, so it keeps looking until a box comes.
class MessageAnswer : public QObject
{
public:
    MessageAnswer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            m_timer.stop();
            answered = true;
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            buttons = box->buttons().size();
            box->close();
        });
        m_timer.start(5);
    }

    bool answered = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    qsizetype buttons = 0;

private:
    QTimer m_timer;
};

} // namespace

class AboutWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void windowFrameAndPlace();
    void controlGeometry_data();
    void controlGeometry();
    void coloursAndEngravedRule();
    void pictureShowsNinetySixBackgroundPixels();
    void textsFitTheirLabels();
    void focusStartsOnOkAndTabGoesRound();
    void keysThatCloseTheWindow_data();
    void keysThatCloseTheWindow();
    void keysThatPressSysInfo_data();
    void keysThatPressSysInfo();
    void sysInfoStartsTheToolFoundOnPath();
    void focusComesBackAfterTheMessage_data();
    void focusComesBackAfterTheMessage();
    void showingAgainRestoresAMinimisedWindow_data();
    void showingAgainRestoresAMinimisedWindow();

    void aboutShowsOneWindow();
    void reopeningRunsTheLoadStepAgain();
    void closingTheMainWindowLeavesTheOthersOpen_data();
    void closingTheMainWindowLeavesTheOthersOpen();

private:
    QWidget* openAbout();
    void expectLoadedTexts(QWidget* about);

    QTemporaryDir m_noTools; // PATH for the tests: no system-information tool to find
    QPointer<MainWindow> m_window; // deleted when closed, as the program runs it
    std::optional<velbrin::test::ModalWatch> m_modalWatch;
};

void AboutWindowTest::initTestCase()
{
    velbrin::test::prepareApplication();
    QVERIFY(m_noTools.isValid());
    qputenv("PATH", QFile::encodeName(m_noTools.path()));
}

void AboutWindowTest::init()
{
    m_modalWatch.emplace();
    m_window = new MainWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
}

void AboutWindowTest::cleanup()
{
    delete m_window;
    velbrin::test::deleteTopLevels({ "frmAbout", "Form2" });
    m_modalWatch.reset();
}

QWidget* AboutWindowTest::openAbout()
{
    child<QAction>(m_window, "关于")->trigger();
    const QList<QWidget*> windows = topLevels("frmAbout");
    if (windows.size() != 1)
        return nullptr;
    // Not isActiveWindow(): some styles call every tool window active.
    QWidget* about = windows.first();
    return QTest::qWaitFor([about] { return QApplication::activeWindow() == about; }) ? about
                                                                                      : nullptr;
}

void AboutWindowTest::expectLoadedTexts(QWidget* about)
{
    QCOMPARE(about->windowTitle(), QStringLiteral("关于 velbrin"));
    QCOMPARE(child<QLabel>(about, "lblTitle")->text(), QStringLiteral("velbrin"));
    QCOMPARE(child<QLabel>(about, "lblVersion")->text(), QStringLiteral("版本 1.0.0"));
    QCOMPARE(child<QLabel>(about, "lblDescription")->text(), description);
    QCOMPARE(child<QPushButton>(about, "cmdOK")->text(), QStringLiteral("确定"));
    QCOMPARE(child<QPushButton>(about, "cmdSysInfo")->text(), QStringLiteral("系统信息(&S)..."));
}

void AboutWindowTest::windowFrameAndPlace()
{
    // Even with an icon for the whole program, the about window shows none.
    QApplication::setWindowIcon(QIcon(QPixmap(16, 16)));
    QWidget* about = openAbout();
    QApplication::setWindowIcon(QIcon());
    QVERIFY(about);
    expectLoadedTexts(about);
    QVERIFY(about->windowIcon().isNull());

    QVERIFY(!about->parentWidget()); // no owner
    QCOMPARE(about->size(), QSize(382, 237)); // 5730 × 3555 twips
    QCOMPARE(about->minimumSize(), about->size()); // not resizable
    QCOMPARE(about->maximumSize(), about->size());
    QCOMPARE(about->mapToGlobal(QPoint(0, 0)), QPoint(156, 129)); // 2340, 1935 twips
    const Qt::WindowFlags flags = about->windowFlags();
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    // An ordinary window: a tool or dialog window would be made transient for the program and
    // kept above the main window. It keeps the program running like any other.
    QCOMPARE(about->windowType(), Qt::Window);
    QVERIFY(about->testAttribute(Qt::WA_QuitOnClose));
    QCOMPARE(QAccessible::queryAccessibleInterface(about)->role(), QAccessible::Dialog);
    QCOMPARE(QAccessible::queryAccessibleInterface(about)->text(QAccessible::Name),
        QStringLiteral("关于 velbrin"));
}

void AboutWindowTest::controlGeometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("pixels");
    const struct
    {
        const char* name;
        QRect twips;
    } controls[] = {
        { "picIcon", { 240, 240, 240, 270 } },
        { "lblTitle", { 1050, 240, 3885, 480 } },
        { "lblVersion", { 1050, 780, 3885, 225 } },
        { "lblDescription", { 1050, 1125, 3885, 1170 } },
        { "lblDisclaimer", { 255, 2625, 2430, 225 } },
        { "cmdOK", { 4200, 2625, 1500, 345 } },
        { "cmdSysInfo", { 4200, 3075, 1485, 345 } },
    };
    for (const auto& c : controls)
        QTest::addRow("%s", c.name) << QString::fromUtf8(c.name) << pixelsOf(c.twips);
    // The lines run from x = 90 and 105 twips (pixels 6 and 7) to 5654 twips, inside pixel 376;
    // the grey one at y = 2445 (pixel 163), the white one two pixels wide below it.
    QTest::addRow("Line1(1) grey") << "Line1 1" << QRect(QPoint(6, 163), QPoint(376, 163));
    QTest::addRow("Line1(0) white") << "Line1 0" << QRect(QPoint(7, 164), QPoint(376, 165));
}

void AboutWindowTest::controlGeometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, pixels);
    QWidget* about = openAbout();
    QVERIFY(about);
    QWidget* control = nullptr;
    if (name.startsWith(QLatin1String("Line1 "))) {
        const int index = name.mid(6).toInt();
        for (QWidget* line : about->findChildren<QWidget*>(QStringLiteral("Line1")))
            if (line->property("index").toInt() == index)
                control = line;
        QCOMPARE(about->findChildren<QWidget*>(QStringLiteral("Line1")).size(), 2);
    } else {
        control = about->findChild<QWidget*>(name);
    }
    QVERIFY(control);
    QCOMPARE(control->parentWidget(), about);
    QCOMPARE(control->geometry(), pixels);
    QVERIFY(control->isVisible());
    QVERIFY2(hasChinese(control->accessibleName()), qPrintable(control->accessibleName()));
    QCOMPARE(control->font(), about->font()); // the default font throughout
}

void AboutWindowTest::coloursAndEngravedRule()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    const QImage picture = about->grab().toImage();
    const QColor orange(255, 128, 0), grey(128, 128, 128), white(255, 255, 255);
    for (QPoint point : { QPoint(5, 5), QPoint(200, 100), QPoint(250, 220), QPoint(381, 236) })
        QCOMPARE(picture.pixelColor(point), orange);

    // The rule: grey over white, orange around it; columns 5, 6, 7, 100, 376 and 377, rows 162
    // to 166.
    const int columns[] = { 5, 6, 7, 100, 376, 377 };
    const QColor o = orange, g = grey, w = white;
    const QColor expected[5][6] = {
        { o, o, o, o, o, o },
        { o, g, g, g, g, o },
        { o, o, w, w, w, o },
        { o, o, w, w, w, o },
        { o, o, o, o, o, o },
    };
    for (int row = 0; row < 5; ++row)
        for (int column = 0; column < 6; ++column)
            QVERIFY2(picture.pixelColor(columns[column], 162 + row) == expected[row][column],
                qPrintable(QStringLiteral("at %1,%2").arg(columns[column]).arg(162 + row)));

    const auto colours = [about](const char* name) {
        const QPalette palette = child<QLabel>(about, name)->palette();
        return std::pair(palette.color(QPalette::Window), palette.color(QPalette::WindowText));
    };
    const QColor defaultText = QApplication::palette().color(QPalette::WindowText);
    QCOMPARE(colours("lblTitle"), std::pair(orange, QColor(0, 0, 255)));
    QCOMPARE(colours("lblVersion"), std::pair(orange, defaultText));
    QCOMPARE(colours("lblDescription"), std::pair(orange, QColor(Qt::black)));
    QCOMPARE(colours("lblDisclaimer"), std::pair(QColor(255, 0, 0), QColor(Qt::black)));
    // Seen on the screen too: the label's bottom-right corner carries no text.
    for (const char* name : { "lblTitle", "lblVersion", "lblDescription", "lblDisclaimer" }) {
        auto* label = child<QLabel>(about, name);
        const QPoint corner = label->geometry().bottomRight();
        QVERIFY2(picture.pixelColor(corner) == colours(name).first, name);
    }
    // The buttons keep the colours of any button.
    const QPalette buttons = QApplication::palette(child<QPushButton>(about, "cmdOK"));
    for (const char* name : { "cmdOK", "cmdSysInfo" }) {
        const QPalette palette = child<QPushButton>(about, name)->palette();
        QCOMPARE(palette.color(QPalette::Button), buttons.color(QPalette::Button));
        QCOMPARE(palette.color(QPalette::Window), buttons.color(QPalette::Window));
    }
}

void AboutWindowTest::pictureShowsNinetySixBackgroundPixels()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    auto* icon = child<QLabel>(about, "picIcon");
    const QImage picture = icon->grab().toImage();
    QCOMPARE(picture.size(), QSize(16, 18));
    // A one-pixel border in the window-text colour ...
    const QColor border = QApplication::palette().color(QPalette::WindowText);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 16; ++x)
            if (x == 0 || x == 15 || y == 0 || y == 17)
                QVERIFY(picture.pixelColor(x, y) == border);
    // ... around the 14 × 16 picture, whose transparent pixels show the light pink background.
    const QColor pink(255, 192, 192);
    int shown = 0;
    for (int y = 1; y <= 16; ++y)
        for (int x = 1; x <= 14; ++x)
            shown += picture.pixelColor(x, y) == pink;
    QCOMPARE(shown, 96);
    QCOMPARE(icon->pixmap().size(), QSize(14, 16));
}

void AboutWindowTest::textsFitTheirLabels()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    // The warning is one line inside its label.
    auto* disclaimer = child<QLabel>(about, "lblDisclaimer");
    QVERIFY(!disclaimer->text().isEmpty());
    QVERIFY(!disclaimer->wordWrap());
    QVERIFY(!disclaimer->text().contains(QLatin1Char('\n')));
    QVERIFY(disclaimer->fontMetrics().horizontalAdvance(disclaimer->text()) <= disclaimer->width());
    // The description wraps and, wrapped, fits its label's height.
    auto* text = child<QLabel>(about, "lblDescription");
    QVERIFY(text->wordWrap());
    QVERIFY(text->heightForWidth(text->width()) <= text->height());
    QVERIFY(text->heightForWidth(text->width()) > text->fontMetrics().height()); // it does wrap
    for (const char* name : { "lblTitle", "lblVersion" }) {
        auto* label = child<QLabel>(about, name);
        QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(), name);
    }
}

void AboutWindowTest::focusStartsOnOkAndTabGoesRound()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    const char* const cycle[] = { "cmdOK", "picIcon", "cmdSysInfo", "cmdOK", "picIcon" };
    for (const char* name : cycle) {
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(about, name));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    // Now on cmdSysInfo; and back.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(about, "picIcon"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QCOMPARE(QApplication::focusWidget(), child<QWidget>(about, "cmdOK"));
}

void AboutWindowTest::keysThatCloseTheWindow_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addRow("Enter on cmdOK") << "cmdOK" << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::addRow("keypad Enter on cmdOK")
        << "cmdOK" << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::addRow("Esc on cmdOK") << "cmdOK" << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::addRow("Space on cmdOK") << "cmdOK" << int(Qt::Key_Space) << int(Qt::NoModifier);
    QTest::addRow("Enter on picIcon") << "picIcon" << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::addRow("Esc on picIcon") << "picIcon" << int(Qt::Key_Escape) << int(Qt::NoModifier);
    QTest::addRow("Esc on cmdSysInfo")
        << "cmdSysInfo" << int(Qt::Key_Escape) << int(Qt::NoModifier);
}

void AboutWindowTest::keysThatCloseTheWindow()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QPointer<QWidget> about = openAbout();
    QVERIFY(about);
    QWidget* target = about->findChild<QWidget*>(focus);
    target->setFocus();
    QCOMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QVERIFY(!about || !about->isVisible());
    QTRY_VERIFY(about.isNull()); // unloaded, not just hidden
    QVERIFY(m_window->isVisible());
}

void AboutWindowTest::keysThatPressSysInfo_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addRow("click") << "" << 0 << 0;
    QTest::addRow("Enter on cmdSysInfo")
        << "cmdSysInfo" << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::addRow("keypad Enter on cmdSysInfo")
        << "cmdSysInfo" << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
    QTest::addRow("Space on cmdSysInfo")
        << "cmdSysInfo" << int(Qt::Key_Space) << int(Qt::NoModifier);
    QTest::addRow("Alt+S from cmdOK") << "cmdOK" << int(Qt::Key_S) << int(Qt::AltModifier);
    QTest::addRow("Alt+S from picIcon") << "picIcon" << int(Qt::Key_S) << int(Qt::AltModifier);
}

void AboutWindowTest::keysThatPressSysInfo()
{
    QFETCH(QString, focus);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    m_modalWatch.reset(); // this test expects a message box and answers it itself
    QPointer<QWidget> about = openAbout();
    QVERIFY(about);
    MessageAnswer answer;
    if (focus.isEmpty()) {
        QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
    } else {
        QWidget* target = about->findChild<QWidget*>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    }
    QTRY_VERIFY(answer.answered);
    QCOMPARE(answer.title, QStringLiteral("velbrin"));
    QCOMPARE(answer.text, QStringLiteral("此时系统信息不可用"));
    QCOMPARE(answer.icon, QMessageBox::NoIcon);
    QCOMPARE(answer.buttons, 1); // OK
    // The about window stays open.
    QTest::qWait(10);
    QVERIFY(about);
    QVERIFY(about->isVisible());
}

void AboutWindowTest::sysInfoStartsTheToolFoundOnPath()
{
#ifdef Q_OS_WIN
    QSKIP("Windows finds the tool in the registry (the Wine test of the launcher covers that)");
#endif
    // A system-information tool that leaves a mark when started.
    QTemporaryDir tools;
    QVERIFY(tools.isValid());
    const QString marker = tools.filePath(QStringLiteral("started"));
    QFile tool(tools.filePath(QStringLiteral("hardinfo")));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\necho \"$0\" > '" + QFile::encodeName(marker) + "'\n");
    tool.close();
    tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()));

    QWidget* about = openAbout();
    QVERIFY(about);
    // No message box: the modal watch would fail the test.
    QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
    qputenv("PATH", path);
    QTRY_VERIFY(QFile::exists(marker));
    QFile mark(marker);
    QVERIFY(mark.open(QIODevice::ReadOnly));
    QCOMPARE(mark.readAll().trimmed(), QFile::encodeName(tool.fileName()));
    QVERIFY(about->isVisible());
}

void AboutWindowTest::focusComesBackAfterTheMessage_data()
{
    QTest::addColumn<QString>("userInput");
    QTest::addColumn<bool>("aboutKeepsTheFocus");
    QTest::addRow("window manager moves the focus") << "" << true;
    QTest::addRow("then the user clicks the main window") << "click" << false;
    QTest::addRow("the user presses a key, then goes to the main window") << "key" << false;
}

void AboutWindowTest::focusComesBackAfterTheMessage()
{
    QFETCH(QString, userInput);
    QFETCH(bool, aboutKeepsTheFocus);
    m_modalWatch.reset(); // the message box is expected here
    QPointer<QWidget> about = openAbout();
    QVERIFY(about);
    MessageAnswer answer;
    QTest::mouseClick(child<QPushButton>(about, "cmdSysInfo"), Qt::LeftButton);
    QTRY_VERIFY(answer.answered);
    QTRY_COMPARE(QApplication::activeWindow(), about.data());

    // What xfwm4 does once the box is gone: it gives the main window the focus.
    m_window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), about.data());
    QTest::qWait(50);
    QCOMPARE(QApplication::activeWindow(), about.data());

    // Once the user acts, where the focus goes is theirs to say.
    if (userInput == QLatin1String("click")) {
        QTest::mouseClick(child<QLineEdit>(m_window, "Text1"), Qt::LeftButton);
        m_window->activateWindow(); // what the window manager does on the click
    } else if (userInput == QLatin1String("key")) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_7);
        m_window->activateWindow();
    }
    QWidget* const expected = aboutKeepsTheFocus ? about.data() : m_window.data();
    QTRY_COMPARE(QApplication::activeWindow(), expected);
    QTest::qWait(100);
    QCOMPARE(QApplication::activeWindow(), expected);
    if (aboutKeepsTheFocus) {
        // So Esc closes the about window and enters nothing in the main window.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(about.isNull());
        QCOMPARE(child<QLabel>(m_window, "text2")->text(), QStringLiteral("0"));
        QCOMPARE(child<QLineEdit>(m_window, "zt")->text(), QStringLiteral("状态栏:"));
    }
}

void AboutWindowTest::showingAgainRestoresAMinimisedWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("about window") << "frmAbout";
    QTest::addRow("style window") << "Form2";
}

void AboutWindowTest::showingAgainRestoresAMinimisedWindow()
{
    QFETCH(QString, name);
    const auto show = [this, &name] {
        if (name == QLatin1String("Form2"))
            QTest::mouseClick(child<QPushButton>(m_window, "z"), Qt::LeftButton);
        else
            child<QAction>(m_window, "关于")->trigger();
        return topLevels(qPrintable(name)).value(0);
    };
    QWidget* window = show();
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    window->showMinimized();
    QTRY_VERIFY(window->isMinimized());
    m_window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_window));

    QCOMPARE(show(), window); // the same window, not a new one
    QVERIFY(!window->isMinimized());
    QVERIFY(window->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), window);
}

void AboutWindowTest::aboutShowsOneWindow()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    // The main window stays usable.
    QTest::keyClicks(child<QWidget>(m_window, "Text1"), QStringLiteral("7"));
    QTest::mouseClick(child<QPushButton>(m_window, "w"), Qt::LeftButton);
    QCOMPARE(child<QLabel>(m_window, "text2")->text(), QStringLiteral("1"));

    // 关于 again, with the main window in front: the same window comes to the front.
    m_window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(m_window));
    QCOMPARE(openAbout(), about);
    QCOMPARE(openAbout(), about);
    QCOMPARE(topLevels("frmAbout").size(), 1);

    // Closed and shown again before the closed one is gone: one window on the screen all the same.
    QPointer<QWidget> closing = about;
    about->close();
    child<QAction>(m_window, "关于")->trigger();
    QTRY_VERIFY(closing.isNull());
    QCOMPARE(topLevels("frmAbout").size(), 1);
    QVERIFY(topLevels("frmAbout").first()->isVisible());
}

void AboutWindowTest::reopeningRunsTheLoadStepAgain()
{
    QPointer<QWidget> about = openAbout();
    QVERIFY(about);
    // Whatever happens to the texts, a new window starts from its load step.
    about->setWindowTitle(QStringLiteral("x"));
    child<QLabel>(about, "lblTitle")->setText(QStringLiteral("x"));
    child<QLabel>(about, "lblVersion")->setText(QStringLiteral("x"));
    QTest::mouseClick(child<QPushButton>(about, "cmdOK"), Qt::LeftButton);
    QTRY_VERIFY(about.isNull());
    QVERIFY(topLevels("frmAbout").isEmpty());

    for (int round = 0; round < 2; ++round) {
        about = openAbout();
        QVERIFY(about);
        expectLoadedTexts(about);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(about, "cmdOK"));
        about->close(); // the close box
        QTRY_VERIFY(about.isNull());
    }
}

void AboutWindowTest::closingTheMainWindowLeavesTheOthersOpen_data()
{
    QTest::addColumn<QStringList>("open");
    QTest::addRow("about window") << QStringList { "frmAbout" };
    QTest::addRow("style window") << QStringList { "Form2" };
    QTest::addRow("both, style window closed first") << QStringList { "Form2", "frmAbout" };
    QTest::addRow("both, about window closed first") << QStringList { "frmAbout", "Form2" };
}

void AboutWindowTest::closingTheMainWindowLeavesTheOthersOpen()
{
    QFETCH(QStringList, open);
    QList<QPointer<QWidget>> windows;
    for (const QString& name : open) {
        if (name == QLatin1String("Form2"))
            QTest::mouseClick(child<QPushButton>(m_window, "z"), Qt::LeftButton);
        else
            child<QAction>(m_window, "关于")->trigger();
        windows.append(topLevels(qPrintable(name)).value(0));
        QVERIFY(windows.last());
    }

    // Inside the event loop: close the main window, then the others one by one. The loop must
    // run on until the last one is closed, and end then.
    QObject guard; // takes the timers with it
    int closedWhileRunning = 0;
    QTimer::singleShot(0, &guard, [this] { m_window->close(); });
    for (int i = 0; i < windows.size(); ++i) {
        QTimer::singleShot(100 * (i + 1), &guard, [&, i] {
            if (!m_window.isNull())
                return;
            for (int j = i; j < windows.size(); ++j)
                if (!windows[j] || !windows[j]->isVisible())
                    return;
            ++closedWhileRunning;
            windows[i]->close();
        });
    }
    QTimer::singleShot(5000, &guard, [] { QCoreApplication::exit(1); }); // only if nothing quit
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(closedWhileRunning, windows.size());
}

VELBRIN_GUI_TEST_MAIN(AboutWindowTest)
#include "about_window_test.moc"
