// The yardstick for the window's start-up: the least a Qt Widgets program does to show a window.
// With the argument "text" the window also holds one line edit and one button, the least a
// window with text does: it must load the system's fonts before it can lay its text out.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <cstring>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  if (argc > 1 && std::strcmp(argv[1], "text") == 0) {
    (new QLineEdit(&window))->setGeometry(64, 64, 297, 21);
    (new QPushButton(QStringLiteral("&Konec"), &window))->setGeometry(376, 64, 105, 25);
  }
  window.show();
  return QApplication::exec();
}
