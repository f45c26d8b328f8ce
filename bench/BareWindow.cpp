// The floor of the start-up bench: the least a Qt 6 program does to show a
// window, an application object and one empty widget.

#include <QApplication>
#include <QWidget>

int main(int Argc, char** Argv)
{
    QApplication Application(Argc, Argv);
    QWidget Window;
    Window.setWindowTitle(QStringLiteral("Bare Qt Window"));
    Window.show();
    return QApplication::exec();
}
