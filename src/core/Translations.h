#pragma once

#include <QLocale>
#include <QString>

namespace trevisk {

// The program's catalogue and Qt's own for one locale, loaded once at start and put into every
// application object the process creates (the command line's, the monitor's, the windows').
class Translations
{
public:
    // Loads the catalogues matching `locale` (the system's by default); English needs none.
    // Replaces whatever an earlier call loaded, also in the running application.
    static void load(const QLocale& locale = systemLocale());
    // Drops the loaded catalogues: English again.
    static void unload();
    // The language of the loaded catalogue and where it came from, for --help and `trevisk paths`.
    static QString describe();
    // Translates before an application object exists (the usage text, argument errors), from the
    // program's catalogue or else Qt's.
    static QString text(const char* context, const char* source, int n = -1);
    // The locale whose language the user reads: QLocale::system() (LANGUAGE, LC_ALL, LC_MESSAGES,
    // LANG), except that a C or POSIX locale means the untranslated texts, as gettext does.
    static QLocale systemLocale();
    // The locale for the numbers and dates a person reads: the loaded language's (the system's when
    // it is the same); with English texts the C locale's forms, so that English reads as it always has.
    static QLocale shownLocale();
};

} // namespace trevisk
