// Ways to grow a wrapping list box by one entry, timed side by side: each entry adds a value and
// "," to a box the size of `v`, keeps the end in view and is painted. The list box `v` appends the
// new end to one paragraph that wraps anywhere; the others are plain-text boxes with word wrap,
// which either append or replace the whole text. A second table times the user typing near the
// start of the list, where every line after the change may move.
//
//   list_strategies_bench [--entries N] [--sizes 10,100,...]   (offscreen unless QT_QPA_PLATFORM
//   is set)

#include "app/fonts.h"
#include "app/list_edit.h"
#include "bench/list_values.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextCursor>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The list box of the main window: 2655 × 615 twips.
constexpr QSize boxSize(177, 41);

struct Strategy
{
    const char* name;
    std::function<QPlainTextEdit*(QWidget*)> make;
    // Shows `list`, which is the text shown before with `tail` added (or everything, for the fill).
    std::function<void(QPlainTextEdit*, const QString& list, const QString& tail)> show;
    bool typedInto; // also timed for the user's typing (word wrap is out of the race by then)
};

QPlainTextEdit* plainBox(QWidget* parent, QTextOption::WrapMode wrap)
{
    auto* box = new QPlainTextEdit(parent);
    box->setWordWrapMode(wrap);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return box;
}

void toEnd(QPlainTextEdit* box)
{
    box->verticalScrollBar()->setValue(box->verticalScrollBar()->maximum());
}

void appendAtEnd(QPlainTextEdit* box, const QString&, const QString& tail)
{
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(tail);
    toEnd(box);
}

std::vector<Strategy> strategies()
{
    const auto wordWrap = [](QWidget* parent) {
        return plainBox(parent, QTextOption::WrapAtWordBoundaryOrAnywhere);
    };
    const auto wrapAnywhere
        = [](QWidget* parent) { return plainBox(parent, QTextOption::WrapAnywhere); };
    const auto replaceAll = [](QPlainTextEdit* box, const QString& list, const QString&) {
        box->setPlainText(list);
        toEnd(box);
    };
    const auto listEdit
        = [](QWidget* parent) -> QPlainTextEdit* { return new velbrin::app::ListEdit(parent); };
    const auto setText = [](QPlainTextEdit* box, const QString& list, const QString&) {
        static_cast<velbrin::app::ListEdit*>(box)->setText(list);
    };
    return {
        { "replace all, word wrap", wordWrap, replaceAll, false },
        { "append, word wrap", wordWrap, appendAtEnd, false },
        { "append, wrap anywhere, shaped", wrapAnywhere, appendAtEnd, false },
        { "list box v (append, wrap anywhere)", listEdit, setText, true },
    };
}

// A strategy's box, shown in a window of its own, holding `values` values.
class BoxUnderTest
{
public:
    BoxUnderTest(const Strategy& strategy, int values)
        : m_strategy(strategy)
        , m_list(QString::fromStdString(velbrin::bench::listOf(values)))
    {
        m_window.resize(boxSize + QSize(20, 20));
        m_box = strategy.make(&m_window);
        m_box->setGeometry(QRect(QPoint(10, 10), boxSize));
        m_window.show();
        if (!QTest::qWaitForWindowExposed(&m_window))
            std::fprintf(stderr, "the window was not exposed\n");
        strategy.show(m_box, m_list, m_list);
        QApplication::processEvents();
    }

    QPlainTextEdit* box() const { return m_box; }

    void add(const QString& tail)
    {
        m_list += tail;
        m_strategy.show(m_box, m_list, tail);
    }

private:
    const Strategy& m_strategy;
    QString m_list;
    QWidget m_window;
    QPlainTextEdit* m_box = nullptr;
};

struct Timing
{
    double median = 0;
    double max = 0;
};

// Times `step` with the repaint it causes, `count` times (fewer for the slow ones).
template<typename Step>
Timing timeSteps(int count, Step step)
{
    std::vector<double> times;
    const auto budget = Clock::now() + std::chrono::seconds(5);
    for (int i = 0; i < count && (i < 3 || Clock::now() < budget); ++i) {
        const auto start = Clock::now();
        step(i);
        QApplication::processEvents();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return { times[times.size() / 2], times.back() };
}

Timing timeEntries(const Strategy& strategy, int values, int count)
{
    BoxUnderTest subject(strategy, values);
    return timeSteps(count,
        [&](int i) { subject.add(velbrin::bench::valueText(values + i) + QLatin1Char(',')); });
}

Timing timeTyping(const Strategy& strategy, int values, int count)
{
    BoxUnderTest subject(strategy, values);
    QPlainTextEdit* box = subject.box();
    box->setFocus();
    QTextCursor cursor = box->textCursor();
    cursor.setPosition(5);
    box->setTextCursor(cursor);
    QApplication::processEvents();
    return timeSteps(count, [&](int) { QTest::keyClick(box, Qt::Key_7); });
}

void printTable(const char* title, Timing (*time)(const Strategy&, int, int), bool typing,
    const std::vector<int>& sizes, int count)
{
    std::printf("%s, in a %d x %d box: median / max ms over %d\n", title, boxSize.width(),
        boxSize.height(), count);
    std::printf("%-36s", "values");
    for (int values : sizes)
        std::printf(" %15d", values);
    std::printf("\n");
    for (const Strategy& strategy : strategies()) {
        if (typing && !strategy.typedInto)
            continue;
        std::printf("%-36s", strategy.name);
        bool tooSlow = false;
        for (int values : sizes) {
            if (tooSlow) {
                std::printf(" %15s", "-");
                continue;
            }
            const Timing timing = time(strategy, values, count);
            std::printf(" %7.2f/%7.2f", timing.median, timing.max);
            std::fflush(stdout);
            // Beyond a second each, longer lists are not worth the wait.
            tooSlow = timing.median > 1000;
        }
        std::printf("\n");
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    velbrin::app::mapChineseFaces();

    const auto options = velbrin::bench::parseListOptions(argc, argv, 21);
    const int count = options.entries;
    const std::vector<int>& sizes = options.sizes;
    printTable("One entry (a value and \",\" added, the end kept in view, painted)", timeEntries,
        false, sizes, count);
    printTable("The user types a digit near the start (painted)", timeTyping, true, sizes, count);
    return 0;
}
