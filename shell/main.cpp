#include "shell/app/chinese.h"
#include "shell/startup.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::useChineseTexts(application);
    if (!shell::startUp())
        return 0;
    return application.exec();
}
