// The least a Qt Widgets program shows: one window with one Chinese label. The start-up time and
// the memory of velbrin are measured against it.

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QLabel label(QStringLiteral("平均数"));
    label.show();
    return QApplication::exec();
}
