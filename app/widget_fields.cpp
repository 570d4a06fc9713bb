#include "app/widget_fields.h"

#include "app/input_edit.h"
#include "app/list_edit.h"

#include <QLabel>
#include <QLineEdit>

#include <stdexcept>
#include <utility>

namespace velbrin::app {

namespace {

std::size_t indexOf(stats::Field field)
{
    return static_cast<std::size_t>(field);
}

QString controlText(const QWidget* widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->text();
    if (const auto* line = qobject_cast<const QLineEdit*>(widget))
        return line->text();
    if (const auto* list = qobject_cast<const QPlainTextEdit*>(widget))
        return list->toPlainText();
    return {};
}

void setControlText(QWidget* widget, const QString& text)
{
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(text);
    else if (auto* input = qobject_cast<InputEdit*>(widget))
        input->setTextAsWritten(text);
    else if (auto* line = qobject_cast<QLineEdit*>(widget))
        line->setText(text);
    else if (auto* list = qobject_cast<ListEdit*>(widget))
        list->setText(text);
}

} // namespace

WidgetFieldStore::WidgetFieldStore(QWidget* window, std::function<void(stats::Field)> written)
    : m_written(std::move(written))
{
    for (stats::Field field : stats::allFields) {
        const auto name = QString::fromUtf8(stats::fieldName(field));
        QWidget* widget = window->findChild<QWidget*>(name);
        if (!widget)
            throw std::logic_error("the main window has no control " + name.toStdString());
        Control& control = m_controls[indexOf(field)];
        control.widget = widget;
        control.shown = controlText(widget);
        control.written = control.shown.toStdString();
    }
}

QString WidgetFieldStore::shownText(stats::Field field) const
{
    return controlText(m_controls[indexOf(field)].widget);
}

std::string WidgetFieldStore::read(stats::Field field) const
{
    const Control& control = m_controls[indexOf(field)];
    const QString shown = shownText(field);
    if (shown == control.shown)
        return control.written;
    return shown.toStdString();
}

void WidgetFieldStore::write(stats::Field field, std::string_view text)
{
    Control& control = m_controls[indexOf(field)];
    const QString given = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    setControlText(control.widget, given);
    // A control may keep less than it was given (a line edit's length limit): then reads must see
    // what it really holds. The list box keeps every character, though its plain text shows some
    // of them otherwise (a no-break space as a space, any line break as "\n").
    control.shown = shownText(field);
    const bool keptAll = control.shown == given || qobject_cast<QPlainTextEdit*>(control.widget);
    control.written = keptAll ? std::string(text) : control.shown.toStdString();
    if (m_written)
        m_written(field);
}

} // namespace velbrin::app
