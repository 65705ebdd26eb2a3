// Placeholder start-up, replaced by the real one with the main window.
#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return 0;
}
