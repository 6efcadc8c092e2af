// The desktop program.
#include "app/KivaApp.h"
#include "app/ToolbarIcons.h"
#include "settings/ProfileStore.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TESSEL Software"));
    QApplication::setApplicationVersion(QStringLiteral(TESSEL_VERSION));
    QApplication::setWindowIcon(tessel::ApplicationIcon());

    // The settings file is beside the executable, whatever the current folder.
    tessel::CKivaApp app(tessel::ProfilePathFor(tessel::ExecutablePath()));
    if (!app.InitInstance(QApplication::arguments().mid(1)))
        return 1;
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
