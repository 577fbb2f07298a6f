#include "widget.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    int result = 0;
    {
        Widget window;
        window.setWindowTitle(QStringLiteral("Brimtalon"));
        window.setWindowIcon(QIcon(QStringLiteral(":/images/icon.png")));
        const QRect available = window.screen()->availableGeometry();
        window.setGeometry(available);
        window.setFixedSize(available.width(), available.height());
        window.show();
        result = application.exec();
    }
    return result;
}
