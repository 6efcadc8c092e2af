#pragma once

// The language of the desktop program: the program's own texts come from the
// string and command tables in that language; what Qt draws itself (the
// buttons of message boxes, the file, font and print dialogs) comes from
// Qt's own catalogue for it, where Qt keeps its catalogues. English needs
// none: it is Qt's own language.

#include "res/Language.h"

#include <QString>

namespace tessel {

class ProfileStore;

// The language the settings file ("Misc"/"Language") or else the locale
// asks for.
Language StartLanguage(const ProfileStore& profile);

// Makes `language` the language of every text from now on, with Qt's
// catalogue for it (replacing one loaded before), from `qtFolder` or else
// where Qt keeps its catalogues. Needs the application object. False when
// Qt's catalogue could not be loaded: the program then runs with its own
// texts in that language and Qt's in English.
bool ApplyLanguage(Language language, const QString& qtFolder = {});

// Where Qt's catalogue for `language` is looked for, by file name; empty
// for a language Qt speaks by itself.
QString QtCataloguePath(Language language);

} // namespace tessel
