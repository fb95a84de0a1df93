// The catalogues against the sources: lupdate run into a copy of each finds
// every translatable text already there, none gone from the sources, each
// translated, with the same placeholders as its source.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

struct Entry {
    QString context, source, comment, translation, type;
};

std::vector<Entry> Read(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    std::vector<Entry> entries;
    QString context;
    Entry* e = nullptr;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            entries.push_back({context, {}, {}, {}, {}});
            e = &entries.back();
        } else if (e && name == QLatin1String("source")) {
            e->source = xml.readElementText();
        } else if (e && name == QLatin1String("comment")) {
            e->comment = xml.readElementText();
        } else if (e && name == QLatin1String("translation")) {
            e->type = xml.attributes().value(QLatin1String("type")).toString();
            e->translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return entries;
}

// %1 to %9, as QString::arg and the core's patterns fill them ("%999" is a
// document number, not a placeholder).
QStringList Placeholders(const QString& text) {
    static const QRegularExpression kPlaceholder(QStringLiteral("%[1-9](?![0-9])"));
    QStringList found;
    for (const auto& m : kPlaceholder.globalMatch(text))
        found << m.captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

TEST(Catalogues, HoldEveryTextOfTheSourcesTranslatedWithItsPlaceholders) {
    QTemporaryDir dir;
    const QStringList catalogues = QStringLiteral(TAPLINK_TS_FILES).split(u'|');
    ASSERT_EQ(catalogues.size(), 2);
    QStringList copies;
    for (const QString& ts : catalogues) {
        copies << dir.filePath(ts.section(u'/', -1));
        ASSERT_TRUE(QFile::copy(ts, copies.back())) << ts.toStdString();
    }
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(
        QStringLiteral(TAPLINK_LUPDATE),
        QStringLiteral(TAPLINK_LUPDATE_OPTIONS).split(u'|') +
            QStringList{QStringLiteral("@" TAPLINK_TR_SOURCE_LIST), QStringLiteral("-ts")} +
            copies);
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    const QString said = QString::fromUtf8(lupdate.readAll());
    ASSERT_EQ(lupdate.exitCode(), 0) << said.toStdString();
    // A text lupdate cannot read (tr() with no literal, say) is a warning.
    EXPECT_FALSE(said.contains(QLatin1String("warning"), Qt::CaseInsensitive))
        << said.toStdString();

    for (const QString& copy : copies) {
        SCOPED_TRACE(copy.section(u'/', -1).toStdString());
        const std::vector<Entry> entries = Read(copy);
        EXPECT_GT(entries.size(), 150u);
        for (const Entry& e : entries) {
            const std::string where = (e.context + QStringLiteral(": ") + e.source +
                                       (e.comment.isEmpty() ? QString() : " (" + e.comment + ")"))
                                          .toStdString();
            // unfinished: new in the sources, or never translated; obsolete
            // and vanished: gone from them. cmake --build ... --target
            // update_translations brings the catalogues up to date.
            EXPECT_TRUE(e.type.isEmpty()) << e.type.toStdString() << ": " << where;
            EXPECT_FALSE(e.translation.isEmpty()) << "empty: " << where;
            // A variant's translation may say more than its source: the
            // values the message carries for it (a time-out's seconds).
            const QStringList mine = Placeholders(e.translation);
            const QStringList source = Placeholders(e.source);
            if (e.comment.isEmpty()) {
                EXPECT_EQ(mine.join(' ').toStdString(), source.join(' ').toStdString()) << where;
            } else {
                for (const QString& p : source)
                    EXPECT_TRUE(mine.contains(p)) << p.toStdString() << " lost: " << where;
            }
        }
    }
}

}  // namespace
