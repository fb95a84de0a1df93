// The names a language is asked for by, and what "system" takes from the
// locale.
#include "language.h"

#include <gtest/gtest.h>

namespace taplink {
namespace {

TEST(Language, IsOneOfTheCataloguesOrTheOriginalTexts) {
    struct Case {
        const char *name, *locale;
        std::optional<Language> language;
    };
    const Case cases[] = {
        {"original", "zh_CN", Language::Original},
        {"en", "zh_CN", Language::English},
        {"zh_CN", "en_US", Language::Chinese},
        {"system", "zh_CN", Language::Chinese},
        {"system", "zh_TW", Language::Chinese},
        {"system", "en_GB", Language::English},
        {"system", "C", Language::Original},
        {"system", "de_DE", Language::Original},
        {"zh", "zh_CN", std::nullopt},
        {"EN", "en_US", std::nullopt},
        {"", "en_US", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " in " + c.locale);
        EXPECT_EQ(
            LanguageFromName(QString::fromLatin1(c.name), QLocale(QString::fromLatin1(c.locale))),
            c.language);
    }
}

}  // namespace
}  // namespace taplink
