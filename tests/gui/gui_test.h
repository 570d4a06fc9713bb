#pragma once

// Shared by the window tests: the offscreen platform unless one is set, the program's style, look
// and font mapping, and a watch that fails the test on any modal dialog nobody expected.

#include "app/fonts.h"
#include "app/start_up_style.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <initializer_list>

namespace velbrin::test {

// Call in initTestCase().
inline void prepareApplication()
{
    QApplication::setStyle(new velbrin::app::StartUpStyle);
    velbrin::app::useOwnLook();
    velbrin::app::mapChineseFaces();
}

// Finds a child by object name and fails the test when there is none.
template<typename T>
T* child(const QObject* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qFatal("no child named %s", name);
    return found;
}

// The windows without a parent that carry the object name `name`, shown or not.
inline QList<QWidget*> topLevels(const char* name)
{
    QList<QWidget*> found;
    for (QWidget* window : QApplication::topLevelWidgets())
        if (!window->parentWidget() && window->objectName() == QString::fromUtf8(name))
            found.append(window);
    return found;
}

// Deletes every window named `name` that a test left behind, so the next test starts alone.
inline void deleteTopLevels(std::initializer_list<const char*> names)
{
    for (const char* name : names)
        qDeleteAll(topLevels(name));
}

// A modal dialog blocks a test until it times out; this one closes it at once and fails.
class ModalWatch : public QObject
{
public:
    ModalWatch()
    {
        connect(&m_timer, &QTimer::timeout, this, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                const QString title = modal->windowTitle();
                modal->close();
                QFAIL(qPrintable(QStringLiteral("unexpected modal dialog: ") + title));
            }
        });
        m_timer.start(200);
    }

private:
    QTimer m_timer;
};

} // namespace velbrin::test

// QTEST_MAIN with the offscreen platform as default.
#define VELBRIN_GUI_TEST_MAIN(TestClass)                                                           \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                        \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                               \
        QApplication app(argc, argv);                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                   \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
