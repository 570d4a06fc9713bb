#include "style/style_window.h"

#include "style/twips.h"

#include <QAccessibleWidget>
#include <QPushButton>

namespace velbrin::style {

namespace {

// Screen readers would take a plain widget for a pane; this one is a window of its own.
QAccessibleInterface* accessibleStyleWindow(const QString& className, QObject* object)
{
    if (className == QLatin1String(StyleWindow::staticMetaObject.className())
        && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    return nullptr;
}

} // namespace

StyleWindow::StyleWindow(QObject* targetsObject, SchemeTargets* targets)
    : QWidget(nullptr)
    , m_targetsObject(targetsObject)
    , m_targets(targets)
{
    // Before anything asks for the window's accessible interface, which is then kept.
    static const bool accessible = (QAccessible::installFactory(accessibleStyleWindow), true);
    Q_UNUSED(accessible);
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Form2"));
    setAccessibleName(QStringLiteral("换背景"));
    // A resizable frame with a close box and neither a minimise nor a maximise button. No
    // position is set, so the window system places it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    resize(px(3630), px(1500));

    const struct
    {
        const char* name;
        const char* caption;
        int left;
        ColourValue colour;
    } schemes[] = {
        { "Command1", "传统风格", 360, systemButtonFace },
        { "Command2", "普通风格", 1320, systemDesktop },
        { "Command3", "热情奔放", 2280, orange },
    };
    QWidget* previous = nullptr;
    for (const auto& scheme : schemes) {
        auto* button = new QPushButton(QString::fromUtf8(scheme.caption), this);
        button->setObjectName(QString::fromUtf8(scheme.name));
        button->setAccessibleName(button->text());
        button->setGeometry(px(scheme.left), px(120), px(975), px(495));
        // A focused button takes Enter, as Space; the window has no default button, so Enter
        // with the focus elsewhere presses nothing. Outside a dialog autoDefault only does the
        // first.
        button->setAutoDefault(true);
        const ColourValue colour = scheme.colour;
        connect(button, &QPushButton::clicked, this, [this, colour] { apply(colour); });
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }
}

void StyleWindow::apply(ColourValue colour)
{
    if (m_targetsObject)
        ApplyColourScheme(*m_targets, colour);
}

} // namespace velbrin::style
