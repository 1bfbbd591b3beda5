// Reelvista: the main window over the folder the program was started in.
#include "form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Reelvista"));
    QApplication::setDesktopFileName(QStringLiteral("reelvista"));
    Form1 form;
    form.Form_Load();
    return QApplication::exec();
}
