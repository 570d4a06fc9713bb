#pragma once

// The about window `frmAbout`: the program's title and version, a greeting, a warning line, and
// the buttons `cmdOK` (close) and `cmdSysInfo` (the system-information tool). Every time it is
// created it runs its load step, which writes the caption, `lblTitle` and `lblVersion` from the
// program's title and version. It needs nothing from the main window.

#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>

class QLabel;
class QMessageBox;
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
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void load();
    void startSysInfo();
    void keepFocusAfterMessage();
    void takeFocusBack();

    QLabel* m_title = nullptr;
    QLabel* m_version = nullptr;
    QPushButton* m_ok = nullptr;
    // The system-information message box while it is open.
    QPointer<QMessageBox> m_message;
    // Until then the window takes the focus back when it moves away (keepFocusAfterMessage).
    QDeadlineTimer m_keepFocusUntil { 0 };
};

} // namespace velbrin::about
