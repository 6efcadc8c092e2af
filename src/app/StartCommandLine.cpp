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

// The options every Qt program takes (QGuiApplication and QApplication read
// them), given with one dash or two: those with a value, then the others.
constexpr const char16_t* kQtValueOptions[] = {u"platform",
                                               u"platformpluginpath",
                                               u"platformtheme",
                                               u"plugin",
                                               u"qwindowgeometry",
                                               u"qwindowicon",
                                               u"qwindowtitle",
                                               u"style",
                                               u"stylesheet",
                                               u"session",
                                               u"display",
                                               u"geometry",
                                               u"title",
                                               u"name",
                                               u"visual",
                                               u"cmap",
                                               u"font",
                                               u"fn",
                                               u"bg",
                                               u"fg",
                                               u"btn",
                                               u"button",
                                               u"im",
                                               u"inputstyle"};
constexpr const char16_t* kQtFlags[] = {u"reverse", u"widgetcount", u"nograb",
                                        u"dograb",  u"sync",        u"qmljsdebugger"};

// How many arguments from `i` are an option of Qt's: 0, 1 or 2 (the option
// and its value).
int QtOptionAt(const QStringList& arguments, qsizetype i) {
    const QString& argument = arguments[i];
    if (!argument.startsWith(u'-') || argument == QStringLiteral("--"))
        return 0;
    QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf(u'=');
    const bool valueGiven = equals >= 0;
    name.truncate(valueGiven ? equals : name.size());
    for (const char16_t* option : kQtValueOptions)
        if (name == QStringView(option))
            return valueGiven || i + 1 == arguments.size() ? 1 : 2;
    for (const char16_t* flag : kQtFlags)
        if (name == QStringView(flag))
            return 1;
    return 0;
}

// `arguments` without Qt's options and their values.
QStringList WithoutQtOptions(const QStringList& arguments) {
    QStringList rest;
    for (qsizetype i = 0; i < arguments.size();) {
        if (arguments[i] == QStringLiteral("--")) {
            rest.append(arguments.mid(i)); // file names from here on
            break;
        }
        const int taken = QtOptionAt(arguments, i);
        if (taken == 0)
            rest.append(arguments[i]);
        i += taken == 0 ? 1 : taken;
    }
    return rest;
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
    // The framework's switches are the program's own words, not options;
    // Qt's own options (-style, -platform, ...) are Qt's to read.
    QStringList args{QStringLiteral("tessel")};
    for (const QString& argument : WithoutQtOptions(arguments))
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
               "Qt's own options (-style NAME, -platform NAME, -reverse, ...) are taken too.\n"
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
