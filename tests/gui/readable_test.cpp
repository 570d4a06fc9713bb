#include "gui_test.h"

#include "about/about_window.h"
#include "app/main_window.h"
#include "style/colour.h"

#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <memory>

using velbrin::app::MainWindow;
using velbrin::style::contrastRatio;
using velbrin::style::readableOn;
using velbrin::test::child;

namespace {

// A desktop palette for the tests: Qt's own, or one of a dark desktop scheme.
QPalette desktopPalette(const QString& scheme)
{
    QPalette palette = QApplication::style()->standardPalette();
    if (scheme == QLatin1String("dark")) {
        const QColor window(45, 45, 48), base(30, 30, 30), text(220, 220, 220);
        for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
            palette.setColor(group, QPalette::Window, window);
            palette.setColor(group, QPalette::Base, base);
            palette.setColor(group, QPalette::Text, text);
            palette.setColor(group, QPalette::WindowText, text);
            palette.setColor(group, QPalette::Button, window);
        }
        // Disabled text a shade off the background, as dark schemes often have it.
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(70, 70, 70));
        palette.setColor(QPalette::Disabled, QPalette::Base, window);
    }
    return palette;
}

// The desktop as its platform theme reaches Qt, before the program applies its own look: a
// palette and a font for the whole program, and the same for the classes a theme may treat apart.
void offerDesktop(const QString& scheme, const QFont& font)
{
    QPalette palette = desktopPalette(scheme);
    QApplication::style()->polish(palette);
    QApplication::setPalette(palette);
    QApplication::setFont(font);
    for (const char* name : { "QLabel", "QLineEdit", "QPushButton", "QMenuBar", "QMessageBox" }) {
        QApplication::setPalette(palette, name);
        QApplication::setFont(font, name);
    }
    velbrin::app::useOwnLook();
}

struct Painted
{
    QColor background; // the colour most of the box shows
    double contrast = 1; // of its most contrasting pixel against that
    int ink = 0; // pixels that differ visibly from the background
    int lowestInkRow = -1; // in the window's picture
};

// What the user sees of a box inside its frame (`inset` pixels wide), as far down as the window
// shows it.
Painted painted(const QImage& picture, QRect box, int inset = 3)
{
    const QRect inside = box.adjusted(inset, inset, -inset, -inset).intersected(picture.rect());
    QHash<QRgb, int> counts;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[picture.pixel(x, y)];
    Painted result;
    result.background = QColor(std::max_element(counts.cbegin(), counts.cend()).key());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const double contrast = contrastRatio(picture.pixelColor(x, y), result.background);
            result.contrast = std::max(result.contrast, contrast);
            if (contrast > 1.25) {
                ++result.ink;
                result.lowestInkRow = y;
            }
        }
    return result;
}

// The ink of `label` drawn alone with room to spare below it, and to the right unless it wraps.
int inkWithRoom(const QLabel& label)
{
    QLabel copy(label.text());
    copy.setFont(label.font());
    copy.setPalette(label.palette());
    copy.setAutoFillBackground(true);
    copy.setAlignment(label.alignment());
    copy.setWordWrap(label.wordWrap());
    copy.resize(label.width() * (label.wordWrap() ? 1 : 3), label.height() * 4);
    const QImage picture = copy.grab().toImage();
    return painted(picture, picture.rect(), 0).ink;
}

} // namespace

class ReadableTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_desktopFont = QApplication::font();
        velbrin::test::prepareApplication();
    }
    void cleanup();

    void contrastOfKnownPairs_data();
    void contrastOfKnownPairs();
    void readableOnMovesJustFarEnough_data();
    void readableOnMovesJustFarEnough();
    void resultsAndStatusAreReadableAsPainted_data();
    void resultsAndStatusAreReadableAsPainted();
    void labelsWholeAndReadableWhateverTheDesktop_data();
    void labelsWholeAndReadableWhateverTheDesktop();

private:
    std::unique_ptr<MainWindow> m_window;
    QFont m_desktopFont;
};

void ReadableTest::cleanup()
{
    m_window.reset();
    offerDesktop(QStringLiteral("Qt"), m_desktopFont);
}

void ReadableTest::contrastOfKnownPairs_data()
{
    QTest::addColumn<QColor>("a");
    QTest::addColumn<QColor>("b");
    QTest::addColumn<double>("ratio");
    QTest::addRow("black on white") << QColor(Qt::black) << QColor(Qt::white) << 21.0;
    QTest::addRow("white on black") << QColor(Qt::white) << QColor(Qt::black) << 21.0;
    QTest::addRow("the same colour") << QColor(255, 128, 0) << QColor(255, 128, 0) << 1.0;
    QTest::addRow("Qt's disabled grey on its box")
        << QColor(190, 190, 190) << QColor(239, 239, 239) << 1.62;
    QTest::addRow("Qt's disabled grey on the status line")
        << QColor(190, 190, 190) << QColor(200, 200, 200) << 1.11;
    QTest::addRow("classic grey on white") << QColor(128, 128, 128) << QColor(Qt::white) << 3.95;
    QTest::addRow("pure blue on black") << QColor(Qt::blue) << QColor(Qt::black) << 2.44;
}

void ReadableTest::contrastOfKnownPairs()
{
    QFETCH(QColor, a);
    QFETCH(QColor, b);
    QFETCH(double, ratio);
    QVERIFY2(
        qAbs(contrastRatio(a, b) - ratio) < 0.01, qPrintable(QString::number(contrastRatio(a, b))));
}

void ReadableTest::readableOnMovesJustFarEnough_data()
{
    QTest::addColumn<QColor>("text");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<double>("minimum");
    QTest::addColumn<bool>("darker"); // which way the text has to go
    const QColor grey(190, 190, 190);
    QTest::addRow("grey on Qt's box") << grey << QColor(239, 239, 239) << 4.5 << true;
    QTest::addRow("grey on the status line") << grey << QColor(200, 200, 200) << 7.0 << true;
    QTest::addRow("grey on white, 7:1") << grey << QColor(Qt::white) << 7.0 << true;
    QTest::addRow("dark grey on a dark box")
        << QColor(70, 70, 70) << QColor(30, 30, 30) << 7.0 << false;
    QTest::addRow("white on white") << QColor(Qt::white) << QColor(Qt::white) << 4.5 << true;
    QTest::addRow("black on black") << QColor(Qt::black) << QColor(Qt::black) << 4.5 << false;
    QTest::addRow("red on orange") << QColor(255, 0, 0) << QColor(255, 128, 0) << 4.5 << true;
    QTest::addRow("on mid grey, 7:1 out of reach") << grey << QColor(119, 119, 119) << 7.0 << true;
}

void ReadableTest::readableOnMovesJustFarEnough()
{
    QFETCH(QColor, text);
    QFETCH(QColor, background);
    QFETCH(double, minimum);
    QFETCH(bool, darker);
    const QColor result = readableOn(text, background, minimum);
    const QColor end = darker ? QColor(Qt::black) : QColor(Qt::white);
    // As far as the minimum, or to black or white where nothing less reaches it ...
    QVERIFY(contrastRatio(result, background) >= minimum || result == end);
    QCOMPARE(result.lightness() < text.lightness() || result == text, darker);
    // ... and not much farther: a colour a few steps back towards the start falls short.
    if (result != text && result != end) {
        // Three units a channel: more than three of the steps from the start to black or white.
        const auto back = [](int c, int s) { return c + std::clamp(s - c, -3, 3); };
        const QColor less(back(result.red(), text.red()), back(result.green(), text.green()),
            back(result.blue(), text.blue()));
        QVERIFY(contrastRatio(less, background) < minimum);
    }
    // A grey stays a grey.
    if (text.red() == text.green() && text.green() == text.blue())
        QVERIFY(result.red() == result.green() && result.green() == result.blue());
    // Text readable already keeps its colour.
    QCOMPARE(readableOn(result, background, minimum), result);
}

void ReadableTest::resultsAndStatusAreReadableAsPainted_data()
{
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<QFont>("font");
    QTest::addRow("Qt's palette") << "Qt" << m_desktopFont;
    QTest::addRow("a dark desktop scheme") << "dark" << m_desktopFont;
    // GNOME's font on Debian 13, larger than the 9 points the windows are laid out for.
    QTest::addRow("GNOME, dark, Cantarell 11") << "dark" << QFont(QStringLiteral("Cantarell"), 11);
}

void ReadableTest::resultsAndStatusAreReadableAsPainted()
{
    QFETCH(QString, scheme);
    QFETCH(QFont, font);
    offerDesktop(scheme, font);
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    auto* input = child<QLineEdit>(m_window.get(), "Text1");
    QTest::keyClicks(input, QStringLiteral("x"));
    QTest::keyClick(input, Qt::Key_Return);
    auto* status = child<QLineEdit>(m_window.get(), "zt");
    QCOMPARE(status->text(), QStringLiteral("状态栏：输入错误"));

    const QImage picture = m_window->grab().toImage();
    for (const char* name : { "Text3", "Text4", "u", "zt" }) {
        auto* box = child<QLineEdit>(m_window.get(), name);
        QVERIFY2(!box->isEnabled(), name); // readable, and still disabled
        const QRect area(box->mapTo(m_window.get(), QPoint(0, 0)), box->size());
        const Painted seen = painted(picture, area);
        QVERIFY2(seen.ink > 20, name);
        QVERIFY2(seen.contrast >= 4.5,
            qPrintable(QStringLiteral("%1: %2:1").arg(name).arg(seen.contrast)));
    }
    // The window shows the status line's upper part only; the message lies within it, clear
    // of the window's bottom edge.
    const QRect statusArea(status->mapTo(m_window.get(), QPoint(0, 0)), status->size());
    QVERIFY(statusArea.bottom() > picture.rect().bottom()); // the window does clip it
    const Painted seen = painted(picture, statusArea);
    QVERIFY2(seen.lowestInkRow < picture.rect().bottom(),
        qPrintable(QString::number(seen.lowestInkRow)));
    // The whole message: as many ink pixels as in the same box drawn in full.
    const QImage whole = status->grab().toImage();
    QCOMPARE(seen.ink, painted(whole, whole.rect()).ink);
}

void ReadableTest::labelsWholeAndReadableWhateverTheDesktop_data()
{
    resultsAndStatusAreReadableAsPainted_data();
}

// Every label shows its whole text, cut by none of its edges; those in the program's text colour
// read at 4.5:1 or more on the orange behind them.
void ReadableTest::labelsWholeAndReadableWhateverTheDesktop()
{
    QFETCH(QString, scheme);
    QFETCH(QFont, font);
    offerDesktop(scheme, font);
    m_window = std::make_unique<MainWindow>();
    velbrin::about::AboutWindow about;
    const QStringList ownTextColour
        = { "Label1", "Label2", "Label4", "Label5", "Label6", "lblVersion" };
    for (QWidget* window :
        { static_cast<QWidget*>(m_window.get()), static_cast<QWidget*>(&about) }) {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const QImage picture = window->grab().toImage();
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            const QString name = label->objectName();
            const QRect area(label->mapTo(window, QPoint(0, 0)), label->size());
            const QImage alone = label->grab().toImage();
            const int shown = painted(alone, alone.rect(), 0).ink;
            QVERIFY2(shown == inkWithRoom(*label),
                qPrintable(QStringLiteral("%1: %2 of %3 ink pixels shown")
                               .arg(name)
                               .arg(shown)
                               .arg(inkWithRoom(*label))));
            const Painted seen = painted(picture, area, 0);
            if (ownTextColour.contains(name))
                QVERIFY2(seen.contrast >= 4.5,
                    qPrintable(QStringLiteral("%1: %2:1").arg(name).arg(seen.contrast)));
        }
    }
}

VELBRIN_GUI_TEST_MAIN(ReadableTest)
#include "readable_test.moc"
