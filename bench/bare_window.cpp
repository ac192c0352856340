// The yardstick for start-up: the least a Qt Widgets program does to show a window of the
// title screen's size.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(176, 230);
    window.show();
    return QApplication::exec();
}
