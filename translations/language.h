// The language a program speaks: the system's own texts ("original", the
// default), plain English ("en") or Chinese ("zh_CN"), from the catalogues
// built into the program.
#pragma once

#include <QCommandLineOption>
#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

namespace taplink {

// The programs' own texts outside any window class: Programs::tr("...").
struct Programs {
    Q_DECLARE_TR_FUNCTIONS(Programs)
};

enum class Language { Original, English, Chinese };

// "original", "en", "zh_CN" or "system": the locale's language when there is
// a catalogue for it, otherwise the original texts. Nothing for any other
// name.
std::optional<Language> LanguageFromName(const QString& name,
                                         const QLocale& system = QLocale::system());

// The refusal of a name that LanguageFromName does not take.
QString UnknownLanguageText(const QString& name);

// The texts of every translatable part of the program from now on; replaces
// the catalogue installed before. Original installs none.
void InstallLanguage(Language language);
Language InstalledLanguage();

// --language, for a program's parser.
QCommandLineOption LanguageOption();

// Takes --language NAME (or --language=NAME) out of a program's arguments
// and installs that language, before the parser that reads the rest is made,
// so that its help and refusals are in that language too. nothing: no
// --language; false, with the refusal in *why, for a bad or missing name.
std::optional<bool> TakeLanguageArgument(QStringList& arguments, QString* why);

}  // namespace taplink
