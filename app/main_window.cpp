#include "app/main_window.h"

#include "about/about_window.h"
#include "about/window_activation.h"
#include "app/fonts.h"
#include "app/icon.xpm"
#include "app/input_edit.h"
#include "app/list_edit.h"
#include "app/widget_fields.h"
#include "stats/series.h"
#include "style/colour.h"
#include "style/style_window.h"
#include "style/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>

#include <algorithm>
#include <climits>
#include <optional>

namespace velbrin::app {

using style::px;
using style::twipsRect;

namespace {

// Shows a secondary window created on first use, or brings the one already open to the front.
// A window closed but not yet deleted does not count: a new one takes its place.
template<typename Window, typename Create>
void showSecondaryWindow(QPointer<Window>& window, Create create)
{
    if (!window || !window->isVisible()) {
        window = create();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    // A minimised window comes back: the about window has no task-bar entry to fetch it from.
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    about::bringToFront(*window);
}

// `text2` and `Label2` as laid out for a count of up to three digits.
QRect countPlace()
{
    return twipsRect(1080, 1080, 375, 255);
}

QRect countAfterPlace()
{
    return twipsRect(1560, 1080, 375, 255);
}

} // namespace

// The client area: controls sit on it at fixed places, over a background of one colour. It paints
// the colour itself rather than through its palette, so a new colour reaches no child control.
class Backdrop final : public QWidget
{
public:
    explicit Backdrop(QWidget* parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void setColour(const QColor& colour)
    {
        m_colour = colour;
        update();
    }

    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter(this).fillRect(event->rect(), m_colour);
    }

private:
    QColor m_colour;
};

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("平均数、方差计算器——jbk工作室"));
    setWindowIcon(QIcon(QPixmap(velbrin_icon)));
    // A resizable frame with the minimise button and without the maximise button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
        | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_backdrop = new Backdrop(this);
    m_backdrop->setObjectName(QStringLiteral("client"));
    m_backdrop->setColour(style::toQColor(style::orange));
    setCentralWidget(m_backdrop);

    buildControls();
    buildMenus();
    m_fields = std::make_unique<WidgetFieldStore>(this, [this](stats::Field field) {
        if (field == stats::Field::text2)
            fitCount();
    });
    placeOnScreen();
    m_input->setFocus();
}

MainWindow::~MainWindow() = default;

stats::FieldStore& MainWindow::fields()
{
    return *m_fields;
}

void MainWindow::buildControls()
{
    QWidget* client = m_backdrop;
    const auto label = [client](const char* name, const char* caption, QRect geometry,
                           style::ColourValue background,
                           std::optional<style::ColourValue> text = std::nullopt) {
        auto* control = new QLabel(QString::fromUtf8(caption), client);
        control->setObjectName(QString::fromUtf8(name));
        control->setTextFormat(Qt::PlainText);
        control->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control->setGeometry(geometry);
        control->setAccessibleName(QString::fromUtf8(caption));
        style::setColours(*control, background, text);
        return control;
    };
    const auto textBox = [client](const char* name, const char* text, QRect geometry,
                             const char* accessibleName, QLineEdit* control = nullptr) {
        if (!control)
            control = new QLineEdit(client);
        control->setMaxLength(INT_MAX);
        control->setText(QString::fromUtf8(text));
        control->setObjectName(QString::fromUtf8(name));
        control->setGeometry(geometry);
        control->setAccessibleName(QString::fromUtf8(accessibleName));
        return control;
    };
    const auto button
        = [client](const char* name, const char* caption, QRect geometry, const QFont& font) {
              auto* control = new QPushButton(QString::fromUtf8(caption), client);
              control->setObjectName(QString::fromUtf8(name));
              control->setGeometry(geometry);
              control->setFont(font);
              // A focused button takes Enter itself; Enter elsewhere presses `w`.
              control->setAutoDefault(true);
              control->setAccessibleName(QString::fromUtf8(caption));
              return control;
          };

    // The running sums live in two labels nobody sees.
    QLabel* sum = label("s", "0", twipsRect(360, 240, 375, 255), 0x0080FF80, style::orange);
    sum->setAccessibleName(QStringLiteral("和"));
    sum->hide();
    QLabel* squares = label("ss", "0", twipsRect(840, 240, 375, 255), 0x00C0FFC0, style::orange);
    squares->setAccessibleName(QStringLiteral("平方和"));
    squares->hide();

    m_next = button("w", "下一个数", twipsRect(2520, 240, 1695, 735), chineseFont("宋体", 15));
    m_next->setDefault(true); // drawn as the button Enter presses
    m_input = textBox(
        "Text1", "", twipsRect(840, 720, 1455, 270), "输入下一个数", new InputEdit(client));
    QLabel* before = label("Label1", "您输入了", twipsRect(360, 1080, 735, 255), style::orange);
    QLabel* count = label("text2", "0", countPlace(), style::orange, 0x0000FFFF);
    // A screen reader hears the count itself, kept current by the label: its name is its text.
    count->setAccessibleName(QString());
    count->setAccessibleDescription(QStringLiteral("已输入的个数"));
    QLabel* after = label("Label2", "个数", countAfterPlace(), style::orange);
    QPushButton* restyle
        = button("z", "换背景", twipsRect(840, 1440, 975, 495), chineseFont("隶书", 12));
    QPushButton* compute
        = button("x", "计算", twipsRect(2160, 1440, 975, 495), chineseFont("隶书", 14.25));
    QPushButton* clear
        = button("y", "清空", twipsRect(3360, 1440, 975, 495), chineseFont("隶书", 14.25));
    QLabel* heading
        = label("Label3", "请您核对", twipsRect(360, 2160, 855, 255), style::orange, 0x00C00000);

    m_list = new ListEdit(client);
    m_list->setObjectName(QStringLiteral("v"));
    m_list->setGeometry(twipsRect(960, 2400, 2655, 615));
    m_list->setAccessibleName(QStringLiteral("请您核对"));
    m_list->installEventFilter(this);

    QLabel* meanName = label("Label4", "平均数", twipsRect(120, 3120, 735, 255), style::orange);
    QLineEdit* mean = textBox("Text3", "平均数", twipsRect(960, 3120, 2655, 270), "平均数");
    QLabel* varianceName = label("Label5", "方差", twipsRect(120, 3480, 735, 255), style::orange);
    QLineEdit* variance = textBox("Text4", "方差", twipsRect(960, 3480, 2655, 270), "方差");
    QLabel* deviationName
        = label("Label6", "标准差", twipsRect(120, 3840, 735, 255), style::orange);
    QLineEdit* deviation = textBox("u", "标准差", twipsRect(960, 3840, 2655, 270), "标准差");
    // 45 twips wider than the client area and reaching below it: the window clips it.
    QLineEdit* status = textBox("zt", "状态栏:", twipsRect(0, 4320, 5175, 390), "状态栏");
    style::setColours(*status, style::systemScrollBar, {}, QPalette::Base);
    // At the top, so the part of the box below the window's edge holds no text.
    status->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLineEdit* result : { mean, variance, deviation, status })
        result->setEnabled(false);
    m_schemeLabels = { before, after, heading, count, meanName, varianceName, deviationName };
    m_count = count;
    m_countAfter = after;

    // Tab order; labels and disabled boxes take no focus, so Tab cycles Text1, w, x, y, z, v.
    QWidget* const order[]
        = { m_input, m_next, compute, clear, mean, variance, restyle, m_list, deviation, status };
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(m_next, &QPushButton::clicked, this, [this] { stats::AddNextValue(*m_fields); });
    connect(compute, &QPushButton::clicked, this, [this] { stats::ComputeResults(*m_fields); });
    connect(clear, &QPushButton::clicked, this, [this] { stats::ResetSeries(*m_fields); });
    connect(restyle, &QPushButton::clicked, this, &MainWindow::showStyleWindow);
}

// The count takes the width its text needs, never less than its own, and "个数" moves right only
// when the count and a blank after it would reach it: "1000" and "100000" read whole on one line
// with the words around them, and up to three digits nothing moves.
void MainWindow::fitCount()
{
    const QRect given = countPlace();
    const int width = std::max(given.width(), m_count->sizeHint().width());
    m_count->resize(width, given.height());
    const int blank = m_countAfter->fontMetrics().horizontalAdvance(u' ');
    m_countAfter->move(std::max(countAfterPlace().x(), given.x() + width + blank), given.y());
}

void MainWindow::buildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件"));
    file->setObjectName(QStringLiteral("文件"));
    QAction* quit = file->addAction(QStringLiteral("退出"));
    quit->setObjectName(QStringLiteral("退出"));
    // At once: no window runs its close handling.
    connect(quit, &QAction::triggered, qApp, [] { QCoreApplication::exit(0); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助"));
    help->setObjectName(QStringLiteral("帮助"));
    QAction* about = help->addAction(QStringLiteral("关于"));
    about->setObjectName(QStringLiteral("关于"));
    connect(about, &QAction::triggered, this, &MainWindow::showAboutWindow);
}

void MainWindow::placeOnScreen()
{
    // The client area, below the menu bar, is 5130 × 4590 twips with its top-left corner at
    // (2310, 2880) twips on the screen.
    const int menuHeight = menuBar()->sizeHint().height();
    setGeometry(px(2310), px(2880) - menuHeight, px(5130), px(4590) + menuHeight);
}

void MainWindow::setBackground(style::SchemeTarget target, style::ColourValue colour)
{
    if (target == style::SchemeTarget::Form1) {
        m_backdrop->setColour(style::toQColor(colour));
        return;
    }
    style::setColours(*m_schemeLabels.at(static_cast<std::size_t>(target) - 1), colour);
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    // Enter and Esc that no focused button took press `w`: it is the default and cancel button.
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        m_next->click();
        return;
    default:
        QMainWindow::keyPressEvent(event);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the list presses `w` too, and never types a line break.
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            m_next->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showStyleWindow()
{
    showSecondaryWindow(m_styleWindow, [this] { return new style::StyleWindow(this); });
}

void MainWindow::showAboutWindow()
{
    showSecondaryWindow(m_aboutWindow, [] { return new about::AboutWindow; });
}

} // namespace velbrin::app
