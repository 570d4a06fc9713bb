#pragma once

// The style window `Form2`: three buttons, one per colour scheme, that recolour the main window
// through SchemeTargets. It keeps nothing: every scheme click paints the eight targets afresh.

#include "style/scheme.h"

#include <QPointer>
#include <QWidget>

#include <concepts>

namespace velbrin::style {

class StyleWindow final : public QWidget
{
    Q_OBJECT

public:
    // `targets` is the window the schemes paint. The style window has no owner and may outlive
    // it; once it is gone, a scheme click does nothing.
    template<typename Window>
    requires std::derived_from<Window, QObject> && std::derived_from<Window, SchemeTargets>
    explicit StyleWindow(Window* targets)
        : StyleWindow(static_cast<QObject*>(targets), static_cast<SchemeTargets*>(targets))
    { }

private:
    StyleWindow(QObject* targetsObject, SchemeTargets* targets);

    void apply(ColourValue colour);

    // The same object twice: the QObject side tells whether it still exists.
    QPointer<QObject> m_targetsObject;
    SchemeTargets* m_targets;
};

} // namespace velbrin::style
