// Linked into a test-only build of velbrin (velbrin_report.exe) and into nothing else. Wine gives
// the smoke test no way to read a Qt window's controls, so this build writes what it shows to the
// file named by VELBRIN_FIELD_REPORT (a Windows path), anew whenever something changed:
//   button x <centre of 计算 on the screen, x y>
//   input Text1 <centre of the input box on the screen, x y>
//   box results <screen rectangle of Text3 to u: x y width height>
//   field <name> <text>          one line for each field, texts with \n for line breaks
//   qt prefix <folder>           where Qt looks for its settings and translations
// The window, its controls and their behaviour are those of velbrin.exe.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>
#include <QWidget>

namespace {

QString fieldText(const QWidget* field)
{
    if (const auto* box = qobject_cast<const QLineEdit*>(field))
        return box->text();
    if (const auto* label = qobject_cast<const QLabel*>(field))
        return label->text();
    if (const auto* list = qobject_cast<const QPlainTextEdit*>(field))
        return list->toPlainText();
    return {};
}

QString screenPoint(const QWidget* widget, QPoint local)
{
    const QPoint global = widget->mapToGlobal(local);
    return QStringLiteral("%1 %2").arg(global.x()).arg(global.y());
}

class FieldReport final : public QObject
{
public:
    FieldReport()
        : QObject(qApp)
    {
        connect(&m_timer, &QTimer::timeout, this, &FieldReport::write);
        m_timer.start(100);
    }

private:
    void write()
    {
        const QString path = qEnvironmentVariable("VELBRIN_FIELD_REPORT");
        QWidget* window = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == QLatin1String("Form1") && top->isVisible())
                window = top;
        if (path.isEmpty() || !window)
            return;

        QString report;
        if (const auto* compute = window->findChild<QPushButton*>(QStringLiteral("x")))
            report += QStringLiteral("button x ") + screenPoint(compute, compute->rect().center())
                + QLatin1Char('\n');
        if (const auto* input = window->findChild<QLineEdit*>(QStringLiteral("Text1")))
            report += QStringLiteral("input Text1 ") + screenPoint(input, input->rect().center())
                + QLatin1Char('\n');
        const auto* first = window->findChild<QWidget*>(QStringLiteral("Text3"));
        const auto* last = window->findChild<QWidget*>(QStringLiteral("u"));
        if (first && last) {
            const QPoint topLeft = first->mapToGlobal(QPoint(0, 0));
            const QPoint bottomRight = last->mapToGlobal(last->rect().bottomRight());
            report += QStringLiteral("box results %1 %2 %3 %4\n")
                          .arg(topLeft.x())
                          .arg(topLeft.y())
                          .arg(bottomRight.x() - topLeft.x() + 1)
                          .arg(bottomRight.y() - topLeft.y() + 1);
        }
        for (const char* name : { "Text1", "text2", "s", "ss", "v", "Text3", "Text4", "u", "zt" })
            if (const auto* field = window->findChild<QWidget*>(QString::fromUtf8(name)))
                report
                    += QStringLiteral("field %1 %2\n")
                           .arg(QString::fromUtf8(name),
                               fieldText(field).replace(QLatin1Char('\n'), QLatin1String("\\n")));
        report += QStringLiteral("qt prefix ") + QLibraryInfo::path(QLibraryInfo::PrefixPath)
            + QLatin1Char('\n');
        if (report == m_written)
            return;
        QSaveFile file(path);
        if (file.open(QIODevice::WriteOnly) && file.write(report.toUtf8()) >= 0 && file.commit())
            m_written = report;
    }

    QTimer m_timer;
    QString m_written;
};

void startReport()
{
    new FieldReport; // lives as long as the process
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startReport)
