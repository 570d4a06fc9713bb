// Linked into the start-up benchmark's builds of velbrin and of the baseline program, and into
// nothing else. Once the first window has been painted, the process prints the monotonic clock in
// nanoseconds on a line of its own and ends at once; the benchmark reads the line and the
// process's peak memory.

#include <QCoreApplication>
#include <QEvent>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

class FirstFrame final : public QObject
{
protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!m_painting && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_painting = true;
            // A frame is painted and put on the screen in one go; the event loop turns to
            // posted events only after that.
            QCoreApplication::postEvent(this, new QEvent(QEvent::User));
        }
        return false;
    }

    bool event(QEvent* event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("%lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        std::_Exit(0);
    }

private:
    bool m_painting = false;
};

void watchForTheFirstFrame()
{
    QCoreApplication::instance()->installEventFilter(new FirstFrame);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForTheFirstFrame)
