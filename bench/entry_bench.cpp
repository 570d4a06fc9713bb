// What a user waits for after pressing Enter in `Text1`: the entry and the repaint it causes,
// timed in the main window with 10 to 100,000 values already in the list. Prints the median and
// the maximum per list length, and checks both against one 60 Hz frame at 1,000 and 10,000.
//
//   entry_bench [--entries N] [--sizes 10,100,...]      (offscreen unless QT_QPA_PLATFORM is set)

#include "app/fonts.h"
#include "app/main_window.h"
#include "bench/list_values.h"
#include "stats/fields.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using velbrin::stats::Field;

// Counts the paint events of a widget, to make sure every timed entry was drawn.
class PaintCounter : public QObject
{
public:
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
};

struct Timing
{
    int values = 0;
    double median = 0;
    double max = 0;
    bool allPainted = true;
};

Timing timeEntries(int values, int entries)
{
    velbrin::app::MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not exposed\n");
    velbrin::stats::FieldStore& fields = window.fields();
    fields.write(Field::v, velbrin::bench::listOf(values));
    fields.write(Field::text2, std::to_string(values));
    QApplication::processEvents();

    auto* input = window.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* list = window.findChild<QPlainTextEdit*>(QStringLiteral("v"));
    PaintCounter painted;
    list->viewport()->installEventFilter(&painted);

    constexpr int warmUp = 3;
    Timing timing;
    timing.values = values;
    std::vector<double> times;
    for (int i = 0; i < warmUp + entries; ++i) {
        input->setText(velbrin::bench::valueText(values + i));
        QApplication::processEvents();
        const int paintsBefore = painted.count;
        const auto start = Clock::now();
        QTest::keyClick(input, Qt::Key_Return);
        QApplication::processEvents();
        const auto end = Clock::now();
        if (i < warmUp)
            continue;
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
        if (painted.count == paintsBefore)
            timing.allPainted = false;
    }
    std::sort(times.begin(), times.end());
    timing.median = times[times.size() / 2];
    timing.max = times.back();
    return timing;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    velbrin::app::mapChineseFaces();

    const auto options = velbrin::bench::parseListOptions(argc, argv, 51);
    const int entries = options.entries;
    const std::vector<int>& sizes = options.sizes;

    std::printf("One Enter in Text1 (entry + repaint), %d entries per list length, platform %s\n",
        entries, qPrintable(QGuiApplication::platformName()));
    std::printf("%10s %12s %12s\n", "values", "median ms", "max ms");
    std::vector<Timing> timings;
    for (int values : sizes) {
        const Timing timing = timeEntries(values, entries);
        std::printf("%10d %12.2f %12.2f%s\n", timing.values, timing.median, timing.max,
            timing.allPainted ? "" : "  (some entries were not painted)");
        std::fflush(stdout);
        timings.push_back(timing);
    }

    std::printf("\n");
    bool met = true;
    for (const Timing& timing : timings) {
        if (timing.values != 1000 && timing.values != 10000)
            continue;
        const bool ok = timing.median < 16.0 && timing.max < 16.0 && timing.allPainted;
        met = met && ok;
        std::printf("%6d values: median %.2f ms, max %.2f ms (target under 16 ms: %s)\n",
            timing.values, timing.median, timing.max, ok ? "met" : "MISSED");
    }
    return met ? 0 : 1;
}
