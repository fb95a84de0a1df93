// Qt's own texts that the programs show, read by lupdate only (never
// compiled): Debian's Qt catalogues are a package of their own, and the
// standard buttons and the parser's help should speak the chosen language
// without it. Qt looks them up in every installed catalogue by these
// contexts.
QT_TRANSLATE_NOOP("QPlatformTheme", "OK")
QT_TRANSLATE_NOOP("QPlatformTheme", "Save")
QT_TRANSLATE_NOOP("QPlatformTheme", "Discard")
QT_TRANSLATE_NOOP("QPlatformTheme", "Cancel")
QT_TRANSLATE_NOOP("QPlatformTheme", "&Yes")
QT_TRANSLATE_NOOP("QPlatformTheme", "&No")
QT_TRANSLATE_NOOP("QPlatformTheme", "Close")
QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help on commandline options.")
QT_TRANSLATE_NOOP("QCommandLineParser", "Displays help including Qt specific options.")
QT_TRANSLATE_NOOP("QCommandLineParser", "Displays version information.")
QT_TRANSLATE_NOOP("QCommandLineParser", "Usage: %1")
QT_TRANSLATE_NOOP("QCommandLineParser", "Options:")
QT_TRANSLATE_NOOP("QCommandLineParser", "Arguments:")
QT_TRANSLATE_NOOP("QCommandLineParser", "[options]")
QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown option '%1'.")
QT_TRANSLATE_NOOP("QCommandLineParser", "Unknown options: %1.")
QT_TRANSLATE_NOOP("QCommandLineParser", "Missing value after '%1'.")
QT_TRANSLATE_NOOP("QCommandLineParser", "Unexpected value after '%1'.")
