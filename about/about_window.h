#pragma once

// The about window `frmAbout`: the program's title and version, a greeting, a warning line, and
// the buttons `cmdOK` (close) and `cmdSysInfo` (the system-information tool). Every time it is
// created it runs its load step, which writes the caption, `lblTitle` and `lblVersion` from the
// program's title and version. It needs nothing from the main window.

#include <QDialog>

class QLabel;
class QPushButton;

namespace velbrin::about {

class AboutWindow final : public QDialog
{
    Q_OBJECT

public:
    AboutWindow();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();
    void load();
    void startSysInfo();

    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QPushButton* m_ok = nullptr;
};

} // namespace velbrin::about
