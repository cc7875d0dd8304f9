// The yardstick of the start-up benchmark: the least a Qt Widgets program does
// to put a main window with a menu bar and a few controls on the screen.
#include "app/shownprobe.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    auto *label = new QLabel(QStringLiteral("Minimal window"), &window);
    window.setCentralWidget(label);
    window.statusBar()->showMessage(QStringLiteral("Ready"));
    window.resize(753, 788);
    ShownProbe::watch(&window);
    window.show();
    return application.exec();
}
