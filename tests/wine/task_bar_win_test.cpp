// The about window on Windows: no task-bar button (an owner that is never shown), yet an ordinary
// window: normal title bar, activated and stacked like the main window, and counted as an open
// window, so the program runs on while it is open. Needs the windows platform (Wine on a display).

#include "about/about_window.h"
#include "app/main_window.h"
#include "tests/gui/gui_test.h"

#include <QAction>
#include <QPointer>
#include <QTimer>

#include <windows.h>

using velbrin::app::MainWindow;
using namespace velbrin::test;

namespace {

HWND handleOf(QWidget* window)
{
    return reinterpret_cast<HWND>(window->winId());
}

// Would the shell give this window a button on the task bar: visible, top-level, and either
// without an owner and not a tool window, or marked as an application window.
bool hasTaskBarButton(HWND window)
{
    const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    if (!IsWindowVisible(window))
        return false;
    if (exStyle & WS_EX_APPWINDOW)
        return true;
    return !GetWindow(window, GW_OWNER) && !(exStyle & WS_EX_TOOLWINDOW);
}

// True when `upper` lies above `lower` in the z-order of the top-level windows.
bool isAbove(HWND upper, HWND lower)
{
    for (HWND window = GetWindow(lower, GW_HWNDPREV); window;
         window = GetWindow(window, GW_HWNDPREV))
        if (window == upper)
            return true;
    return false;
}

} // namespace

class TaskBarWinTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aboutHasNoTaskBarButton();
    void aboutStaysOffAfterHidingAndShowingAgain();
    void aboutIsAnOrdinaryWindow();
    void aboutAndMainWindowStackEitherWay();
    void aboutKeepsTheProgramRunning();

private:
    QWidget* openAbout();

    QPointer<MainWindow> m_window;
};

void TaskBarWinTest::initTestCase()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("windows"));
    prepareApplication();
}

void TaskBarWinTest::init()
{
    m_window = new MainWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TaskBarWinTest::cleanup()
{
    delete m_window;
    deleteTopLevels({ "frmAbout" });
}

QWidget* TaskBarWinTest::openAbout()
{
    child<QAction>(m_window, "关于")->trigger();
    const QList<QWidget*> windows = topLevels("frmAbout");
    if (windows.size() != 1 || !QTest::qWaitForWindowExposed(windows.first()))
        return nullptr;
    return windows.first();
}

void TaskBarWinTest::aboutHasNoTaskBarButton()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    const HWND handle = handleOf(about);
    const HWND owner = GetWindow(handle, GW_OWNER);
    QVERIFY(owner);
    QVERIFY(!IsWindowVisible(owner));
    QVERIFY(owner != handleOf(m_window)); // the main window would hold it above itself
    QVERIFY(!hasTaskBarButton(handle));
    // The main window keeps its button.
    QVERIFY(hasTaskBarButton(handleOf(m_window)));
}

void TaskBarWinTest::aboutStaysOffAfterHidingAndShowingAgain()
{
    // Qt sets the owner anew each time it shows a window; the button must not come back.
    QWidget* about = openAbout();
    QVERIFY(about);
    for (int round = 0; round < 3; ++round) {
        about->hide();
        QTRY_VERIFY(!IsWindowVisible(handleOf(about)));
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY2(!hasTaskBarButton(handleOf(about)), qPrintable(QString::number(round)));
    }
    // And after a change of window flags, which makes a new native window.
    about->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    about->show();
    QVERIFY(QTest::qWaitForWindowExposed(about));
    QVERIFY(!hasTaskBarButton(handleOf(about)));
}

void TaskBarWinTest::aboutIsAnOrdinaryWindow()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    const HWND handle = handleOf(about);
    const LONG_PTR exStyle = GetWindowLongPtrW(handle, GWL_EXSTYLE);
    // A tool window has a small title bar and is left out of Alt+Tab.
    QVERIFY(!(exStyle & WS_EX_TOOLWINDOW));
    QVERIFY(!(exStyle & WS_EX_TOPMOST));
    QVERIFY(GetWindowLongPtrW(handle, GWL_STYLE) & WS_CAPTION);
    QTRY_COMPARE(QApplication::activeWindow(), about);
    QTRY_COMPARE(GetForegroundWindow(), handle);
}

void TaskBarWinTest::aboutAndMainWindowStackEitherWay()
{
    QWidget* about = openAbout();
    QVERIFY(about);
    QTRY_COMPARE(QApplication::activeWindow(), about);
    QTRY_VERIFY(isAbove(handleOf(about), handleOf(m_window)));
    // The main window comes to the front over the about window, as over any other window.
    m_window->raise();
    m_window->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), m_window.data());
    QTRY_VERIFY(isAbove(handleOf(m_window), handleOf(about)));
    about->raise();
    about->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), about);
    QTRY_VERIFY(isAbove(handleOf(about), handleOf(m_window)));
}

void TaskBarWinTest::aboutKeepsTheProgramRunning()
{
    // A window Qt takes for a secondary one (a transient child) would let the program end with
    // the main window while the about window is still open.
    QPointer<QWidget> about = openAbout();
    QVERIFY(about);
    QObject guard; // takes the timers with it
    QString stateWhileRunning = QStringLiteral("the event loop ended first");
    QTimer::singleShot(0, &guard, [this] { m_window->close(); });
    QTimer::singleShot(300, &guard, [&] {
        const bool mainOpen = m_window && m_window->isVisible();
        const bool aboutOpen = about && about->isVisible();
        stateWhileRunning = QStringLiteral("main window %1, about window %2")
                                .arg(mainOpen ? "open" : "closed", aboutOpen ? "open" : "closed");
        if (about)
            about->close();
    });
    QTimer::singleShot(10000, &guard, [] { QCoreApplication::exit(1); }); // only if nothing quit
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(stateWhileRunning, QStringLiteral("main window closed, about window open"));
}

VELBRIN_GUI_TEST_MAIN(TaskBarWinTest)

#include "task_bar_win_test.moc"
