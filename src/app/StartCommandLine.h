#pragma once

#include <QString>
#include <QStringList>

namespace tessel {

// What the desktop program's command line asks for. Every file named opens
// (with or without --open before it), and the switches "Embedding" and
// "Automation" (after "/" or "-") keep their effects.
struct StartCommandLine {
    bool help = false;
    bool version = false;
    bool newInstance = false; // start on its own, even while another runs
    QStringList open;         // the files named, as given
    QString usageError;       // set when the command line is not one the program takes
};

// Reads the arguments after the program's name.
StartCommandLine ParseStartCommandLine(const QStringList& arguments);

// The text of --help, and of --version.
QString StartHelpText(const QString& settingsPath);
QString StartVersionText();

} // namespace tessel
