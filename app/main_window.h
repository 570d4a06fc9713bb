#pragma once

// The main window `Form1`: the input box, the count, the list, the three results and the status
// line, the four buttons and the menus. The engine in stats/ reaches its fields through
// WidgetFieldStore; the style window recolours it through style::SchemeTargets.

#include "style/scheme.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace velbrin::about {
class AboutWindow;
}
namespace velbrin::stats {
class FieldStore;
}
namespace velbrin::style {
class StyleWindow;
}

namespace velbrin::app {

class Backdrop;
class ListEdit;

class MainWindow final : public QMainWindow, public style::SchemeTargets {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    void setBackground(style::SchemeTarget target, style::ColourValue colour) override;

    stats::FieldStore& fields();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildMenus();
    void placeOnScreen();
    void fitCount();

    void showStyleWindow();
    void showAboutWindow();

    Backdrop* m_backdrop = nullptr;
    QPushButton* m_next = nullptr; // `w`: the default and cancel button
    QLineEdit* m_input = nullptr;
    ListEdit* m_list = nullptr;
    // The labels a colour scheme paints, in the order of style::SchemeTarget after Form1.
    std::array<QLabel*, 7> m_schemeLabels {};
    QLabel* m_count = nullptr; // `text2`
    QLabel* m_countAfter = nullptr; // `Label2`, "个数"
    std::unique_ptr<stats::FieldStore> m_fields;
    // The secondary windows: at most one of each, without an owner, gone once closed.
    QPointer<style::StyleWindow> m_styleWindow;
    QPointer<about::AboutWindow> m_aboutWindow;
};

} // namespace velbrin::app
