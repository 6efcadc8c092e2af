#include "app/StartCommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

namespace tessel {
namespace {

bool IsFrameworkSwitch(const QString& argument) {
    if (!argument.startsWith(u'/') && !argument.startsWith(u'-'))
        return false;
    const QString name = argument.mid(1);
    return name.compare(QStringLiteral("Embedding"), Qt::CaseInsensitive) == 0 ||
           name.compare(QStringLiteral("Automation"), Qt::CaseInsensitive) == 0;
}

} // namespace

StartCommandLine ParseStartCommandLine(const QStringList& arguments) {
    StartCommandLine result;
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, {});
    const QCommandLineOption open(QStringLiteral("open"), {});
    const QCommandLineOption newInstance(QStringLiteral("new-instance"), {});
    parser.addOptions({help, version, open, newInstance});
    // The framework's switches are the program's own words, not options.
    QStringList args{QStringLiteral("tessel")};
    for (const QString& argument : arguments)
        if (!IsFrameworkSwitch(argument))
            args.append(argument);
    if (!parser.parse(args)) {
        result.usageError = parser.errorText();
        return result;
    }
    result.help = parser.isSet(help);
    result.version = parser.isSet(version);
    result.newInstance = parser.isSet(newInstance);
    // Files open as a file manager's "open with" asks, with or without
    // --open (which scripts and the menu entry, "tessel --open %F", use);
    // none starts the program as it is.
    result.open = parser.positionalArguments();
    return result;
}

QString StartHelpText(const QString& settingsPath) {
    return QStringLiteral(
               "Usage: tessel [--open] [FILE...]\n"
               "The desktop program of TESSEL Software: edit BASIC, C, assembler, CASL, text\n"
               "and DATA files for the pocket computer, keep their line numbers in order,\n"
               "and move them to and from the device over a serial port.\n"
               "\n"
               "  FILE...              open each FILE in a window of its own, as File > Open\n"
               "                       does; while the program runs, the running one opens\n"
               "                       them and this start ends\n"
               "      --open           changes nothing: the files after it open as without it\n"
               "      --new-instance   start on its own even while the program runs\n"
               "  -h, --help           show this help\n"
               "  -v, --version        show the version\n"
               "\n"
               "Settings: %1\n"
               "Language: the locale's (Japanese for C and POSIX), or [Misc] Language=ja|en\n"
               "in the settings\n")
        .arg(settingsPath);
}

QString StartVersionText() {
    return QStringLiteral("tessel " TESSEL_VERSION "\n");
}

} // namespace tessel
