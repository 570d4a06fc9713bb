#include "about/about_window.h"

#include "about/calculator.xpm"
#include "about/launcher.h"
#include "about/task_bar.h"
#include "about/window_activation.h"
#include "style/colour.h"
#include "style/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <chrono>
#include <optional>
#include <string_view>

namespace velbrin::about {

using style::px;
using style::twipsRect;

namespace {

// The program's title and version come from the build (the project's name and version).
const QString& programTitle()
{
    static const QString title = QString::fromUtf8(VELBRIN_TITLE);
    return title;
}

} // namespace

AboutWindow::AboutWindow()
    : QDialog(nullptr,
        // A fixed dialog frame: title and close box, no minimise or maximise button. An ordinary
        // window: on X11 Qt makes a tool or dialog window without a parent transient for the
        // whole program, and window managers then keep it above the main window.
        // keepOffTaskBar below keeps it out of the task bar.
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    // No icon, not even the program's own, should one be set for the whole application.
    setWindowIcon(QIcon());
    // The client area is 5730 × 3555 twips, its top-left corner at (2340, 1935) on the screen.
    setFixedSize(px(5730), px(3555));
    setGeometry(twipsRect(2340, 1935, 5730, 3555));

    buildControls();
    load();
    m_ok->setFocus();
    keepOffTaskBar(*this);
    // Only a window of this program's is overruled: the focus the user takes to another program
    // (no window of ours focused) stays there.
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
        // A click on this window while its message box is open: the box comes back over it. X11
        // window managers keep a transient window above its parent; a Wayland compositor may
        // raise the parent over it (sway does), and the box would be out of sight with the keys
        // going nowhere.
        if (focused && focused == windowHandle() && m_message) {
            bringToFront(*m_message);
            return;
        }
        if (focused && !m_keepFocusUntil.hasExpired())
            takeFocusBack();
    });
}

void AboutWindow::buildControls()
{
    const auto label = [this](const char* name, const QString& caption, QRect geometry,
                           style::ColourValue background,
                           std::optional<style::ColourValue> text = std::nullopt) {
        auto* control = new QLabel(caption, this);
        control->setObjectName(QString::fromUtf8(name));
        control->setTextFormat(Qt::PlainText);
        control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control->setGeometry(geometry);
        style::setColours(*control, background, text);
        return control;
    };
    const auto line = [this](int index, QRect geometry, style::ColourValue colour) {
        auto* control = new QWidget(this);
        control->setObjectName(QStringLiteral("Line1"));
        control->setProperty("index", index);
        control->setAccessibleName(QStringLiteral("分隔线"));
        control->setGeometry(geometry);
        style::setColours(*control, colour);
        return control;
    };
    const auto button = [this](const char* name, const char* caption, QRect geometry,
                            const char* accessibleName) {
        auto* control = new QPushButton(QString::fromUtf8(caption), this);
        control->setObjectName(QString::fromUtf8(name));
        control->setAccessibleName(QString::fromUtf8(accessibleName));
        control->setGeometry(geometry);
        // A focused button takes Enter itself; Enter and Esc elsewhere press `cmdOK`.
        control->setAutoDefault(true);
        return control;
    };

    // The picture box: a one-pixel border around the 14 × 16 picture, whose transparent pixels
    // show light pink.
    auto* icon
        = label("picIcon", {}, twipsRect(240, 240, 240, 270), 0x00C0C0FF, style::systemWindowText);
    icon->setPixmap(QPixmap(velbrin_calculator));
    icon->setFrameStyle(QFrame::Box | QFrame::Plain);
    icon->setLineWidth(1);
    icon->setFocusPolicy(Qt::StrongFocus);
    icon->setAccessibleName(QStringLiteral("计算器图标"));

    // The load step writes these two and their accessible names.
    m_title = label("lblTitle", {}, twipsRect(1050, 240, 3885, 480), style::orange, 0x00FF0000);
    m_version = label("lblVersion", {}, twipsRect(1050, 780, 3885, 225), style::orange);
    QLabel* description = label("lblDescription",
        QStringLiteral("    嗨！您好！！欢迎使用jbk工作室出品的平均数方差计算器！！"
                       "按几个钮，敲几个键，任意多个数，我也帮您算！！"),
        twipsRect(1050, 1125, 3885, 1170), style::orange, 0x00000000);
    description->setWordWrap(true);
    description->setAccessibleName(description->text().trimmed());

    // An engraved rule: a grey line with a white one just below it. Line ends are in twips as
    // well; a line covers the pixels from its start up to and including the one its end falls in.
    line(1, QRect(QPoint(px(90), px(2445)), QPoint(px(5654), px(2445))), 0x00808080);
    line(0, QRect(QPoint(px(105), px(2460)), QPoint(px(5654), px(2460) + 1)), 0x00FFFFFF);

    QLabel* disclaimer = label("lblDisclaimer", QStringLiteral("警告：仅供学习交流使用"),
        twipsRect(255, 2625, 2430, 225), 0x000000FF, 0x00000000);
    disclaimer->setAccessibleName(disclaimer->text());

    m_ok = button("cmdOK", "确定", twipsRect(4200, 2625, 1500, 345), "确定");
    // Drawn as the default button whenever no other button has the focus.
    m_ok->setDefault(true);
    QPushButton* sysInfo
        = button("cmdSysInfo", "系统信息(&S)...", twipsRect(4200, 3075, 1485, 345), "系统信息");

    // Labels take no focus, so Tab goes round cmdOK, picIcon and cmdSysInfo.
    setTabOrder(m_ok, icon);
    setTabOrder(icon, sysInfo);

    connect(m_ok, &QPushButton::clicked, this, &QWidget::close);
    connect(sysInfo, &QPushButton::clicked, this, &AboutWindow::startSysInfo);
}

void AboutWindow::load()
{
    const QString caption = QStringLiteral("关于 ") + programTitle();
    setWindowTitle(caption);
    setAccessibleName(caption);
    m_version->setText(QStringLiteral("版本 ") + QString::number(VELBRIN_VERSION_MAJOR)
        + QLatin1Char('.') + QString::number(VELBRIN_VERSION_MINOR) + QLatin1Char('.')
        + QString::number(VELBRIN_VERSION_PATCH));
    m_version->setAccessibleName(m_version->text());
    m_title->setText(programTitle());
    m_title->setAccessibleName(QStringLiteral("程序名称 ") + programTitle());
}

void AboutWindow::startSysInfo()
{
    bool boxShown = false;
    const auto showMessage = [this, &boxShown](std::string_view text, std::string_view title) {
        QMessageBox box(QMessageBox::NoIcon,
            QString::fromUtf8(title.data(), qsizetype(title.size())),
            QString::fromUtf8(text.data(), qsizetype(text.size())), QMessageBox::Ok, this);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        m_message = &box;
        box.exec();
        boxShown = true;
    };
    StartSysInfo(*makeSystemPlatform(showMessage));
    if (boxShown)
        keepFocusAfterMessage();
}

void AboutWindow::keepFocusAfterMessage()
{
    // Window managers may hand the focus to the main window when the box closes, and the next
    // Esc, meant for this window, would then press `w` there. xfwm4 does so, passing over a
    // window kept off the task bar, and only after the box is gone: an activation asked for
    // before it has moved the focus is overruled. So for a short while this window takes the
    // focus back whenever it goes to another window of the program's, until the user presses a
    // key or a mouse button.
    constexpr std::chrono::milliseconds period { 2000 };
    m_keepFocusUntil.setRemainingTime(period);
    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, &AboutWindow::takeFocusBack);
}

void AboutWindow::takeFocusBack()
{
    if (m_keepFocusUntil.hasExpired()) {
        qApp->removeEventFilter(this);
        return;
    }
    if (QGuiApplication::focusWindow() != windowHandle()) {
        raise();
        activateWindow();
    }
}

bool AboutWindow::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        // The user moves on; where the focus goes from now on is theirs to say.
        m_keepFocusUntil = QDeadlineTimer(0);
        qApp->removeEventFilter(this);
        break;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void AboutWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc that no focused button took press `cmdOK`: it is the default and cancel
    // button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        m_ok->click();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void AboutWindow::paintEvent(QPaintEvent* event)
{
    // Painted rather than set in the palette, so the buttons keep their own colours.
    QPainter(this).fillRect(event->rect(), style::toQColor(style::orange));
}

} // namespace velbrin::about
