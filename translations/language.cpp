#include "language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

namespace taplink {
namespace {

std::unique_ptr<QTranslator>& Installed() {
    static std::unique_ptr<QTranslator> translator;
    return translator;
}

Language& Current() {
    static Language language = Language::Original;
    return language;
}

}  // namespace

std::optional<Language> LanguageFromName(const QString& name, const QLocale& system) {
    if (name == QLatin1String("original")) return Language::Original;
    if (name == QLatin1String("en")) return Language::English;
    if (name == QLatin1String("zh_CN")) return Language::Chinese;
    if (name != QLatin1String("system")) return std::nullopt;
    // Any other language, and the C locale, is no choice of ours: the
    // programs' own texts.
    if (system.language() == QLocale::Chinese) return Language::Chinese;
    if (system.language() == QLocale::English) return Language::English;
    return Language::Original;
}

QString UnknownLanguageText(const QString& name) {
    return Programs::tr(
               "unknown language \"%1\" (use original, en, zh_CN or "
               "system)")
        .arg(name);
}

void InstallLanguage(Language language) {
    auto& translator = Installed();
    if (translator) {
        QCoreApplication::removeTranslator(translator.get());
        translator.reset();
    }
    Current() = language;
    if (language == Language::Original) return;
    auto next = std::make_unique<QTranslator>();
    const QString file = language == Language::Chinese ? QStringLiteral(":/i18n/taplink_zh_CN.qm")
                                                       : QStringLiteral(":/i18n/taplink_en.qm");
    // Built into every program: a missing one is a broken build, which
    // still works, in the original texts.
    if (!next->load(file)) {
        qWarning("The catalogue %s is missing from this build", qPrintable(file));
        Current() = Language::Original;
        return;
    }
    QCoreApplication::installTranslator(next.get());
    translator = std::move(next);
}

Language InstalledLanguage() {
    return Current();
}

QCommandLineOption LanguageOption() {
    return QCommandLineOption(
        QStringLiteral("language"),
        Programs::tr(
            "The language of every text: original (the system's own texts, the default), en "
            "(plain English), zh_CN (Chinese) or system (the locale's)."),
        QStringLiteral("LANGUAGE"));
}

std::optional<bool> TakeLanguageArgument(QStringList& arguments, QString* why) {
    std::optional<QString> name;
    for (qsizetype k = 1; k < arguments.size();) {
        const QString& arg = arguments[k];
        if (arg == QLatin1String("--")) break;
        if (arg == QLatin1String("--language")) {
            name = k + 1 < arguments.size() ? arguments[k + 1] : QString();
            arguments.remove(k, std::min<qsizetype>(2, arguments.size() - k));
        } else if (arg.startsWith(QLatin1String("--language="))) {
            name = arg.mid(11);
            arguments.remove(k);
        } else {
            ++k;
        }
    }
    if (!name) return std::nullopt;
    const auto language = LanguageFromName(*name);
    if (!language) {
        *why = UnknownLanguageText(*name);
        return false;
    }
    InstallLanguage(*language);
    return true;
}

}  // namespace taplink
