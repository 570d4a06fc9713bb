#pragma once

#include "stats/fields.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <string>

namespace velbrin::app {

// The engine's fields as the controls of the main window: captions of labels, texts of text
// boxes, whatever their visibility or enabled state. A read returns the text last written, every
// byte of it, as long as the control still shows that text; once the user has changed it, the
// control's text.
class WidgetFieldStore final : public stats::FieldStore
{
public:
    // Finds the controls among the children of `window` by their object names. `written`, if
    // given, hears of every write once the control shows the new text.
    explicit WidgetFieldStore(QWidget* window, std::function<void(stats::Field)> written = nullptr);

    std::string read(stats::Field field) const override;
    void write(stats::Field field, std::string_view text) override;

private:
    QString shownText(stats::Field field) const;

    struct Control
    {
        QPointer<QWidget> widget;
        std::string written; // exactly as the engine wrote it
        QString shown; // what that became in the control
    };
    std::array<Control, stats::fieldCount> m_controls;
    std::function<void(stats::Field)> m_written;
};

} // namespace velbrin::app
