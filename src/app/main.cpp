// The desktop program.
#include "app/Application.h"
#include "app/DocumentManager.h"
#include "app/DocumentWindow.h"
#include "app/InstanceLink.h"
#include "app/MainWindow.h"
#include "app/StartCommandLine.h"
#include "app/ToolbarIcons.h"
#include "settings/ProfileStore.h"

#include <QApplication>
#include <QFileInfo>

#include <cstdio>

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // tessel.INI beside the executable when there is one (a portable copy),
    // else the user's own; whatever the current folder.
    const std::string settingsPath =
        tessel::SettingsPathFor(tessel::ProfilePathFor(tessel::ExecutablePath()));

    // Help, version and mistakes need no window.
    const tessel::StartCommandLine command = tessel::ParseStartCommandLine(arguments);
    if (!command.usageError.isEmpty()) {
        Print(stderr, QStringLiteral("tessel: %1\nUsage: tessel [--open] [FILE...]\nTry 'tessel "
                                     "--help' for more information.\n")
                          .arg(command.usageError));
        return 2;
    }
    if (command.help) {
        Print(stdout, tessel::StartHelpText(QString::fromStdString(settingsPath)));
        return 0;
    }
    if (command.version) {
        Print(stdout, tessel::StartVersionText());
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TESSEL Software"));
    QApplication::setApplicationVersion(QStringLiteral(TESSEL_VERSION));
    QApplication::setWindowIcon(tessel::ApplicationIcon());

    QStringList files;
    for (const QString& file : command.open)
        files.append(QFileInfo(file).absoluteFilePath());
    // While the program runs with these settings, it opens the files.
    tessel::InstanceLink link(QString::fromStdString(settingsPath));
    if (!command.newInstance && link.HandOver(files))
        return 0;

    // It opens the files itself.
    tessel::Application app(settingsPath);
    if (!app.InitInstance(arguments))
        return 1;
    link.Listen([&app](const QStringList& paths) {
        app.Window()->raise();
        app.Window()->activateWindow();
        for (const QString& path : paths)
            app.Documents().OpenDocumentFile(path);
    });
    const int status = QApplication::exec();
    app.ExitInstance();
    return status;
}
