// The catalogues against the sources: lupdate run into a copy of each finds
// every translatable text already there, none gone from the sources, each
// translated, with the same placeholders as its source.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

namespace {

// A message's fields by element name, and its translation's type.
using Entry = std::map<QString, QString>;

std::vector<Entry> Read(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    std::vector<Entry> entries;
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const QString name = xml.name().toString();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            entries.push_back({{"context", context}});
        } else if (!entries.empty() && name != QLatin1String("context")) {
            entries.back()["type"] += xml.attributes().value(QLatin1String("type")).toString();
            entries.back()[name] = xml.readElementText();
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
    QStringList copies;
    for (const QString& ts : QStringLiteral(TAPLINK_TS_FILES).split(u'|')) {
        copies << dir.filePath(ts.section(u'/', -1));
        ASSERT_TRUE(QFile::copy(ts, copies.back())) << ts.toStdString();
    }
    ASSERT_EQ(copies.size(), 2);
    QProcess lupdate;
    lupdate.setProcessChannelMode(QProcess::MergedChannels);
    lupdate.start(QStringLiteral(TAPLINK_LUPDATE),
                  QStringLiteral(TAPLINK_LUPDATE_OPTIONS).split(u'|') +
                      QStringList{"@" TAPLINK_TR_SOURCE_LIST, "-ts"} + copies);
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    const std::string said = lupdate.readAll().toStdString();
    ASSERT_EQ(lupdate.exitCode(), 0) << said;
    // A text lupdate cannot read (tr() of no literal, say) is a warning.
    EXPECT_EQ(said.find("arning"), std::string::npos) << said;

    for (const QString& copy : copies) {
        SCOPED_TRACE(copy.section(u'/', -1).toStdString());
        const std::vector<Entry> entries = Read(copy);
        EXPECT_GT(entries.size(), 150u);
        for (Entry e : entries) {
            const std::string where =
                (e["context"] + ": " + e["source"] + " " + e["comment"]).toStdString();
            // unfinished: new in the sources, or never translated; obsolete
            // and vanished: gone from them. The update_translations target
            // brings the catalogues up to date.
            EXPECT_TRUE(e["type"].isEmpty()) << e["type"].toStdString() << ": " << where;
            EXPECT_FALSE(e["translation"].isEmpty()) << "empty: " << where;
            // A variant's translation may say more than its source: the
            // values the message carries for it (a time-out's seconds).
            const QStringList mine = Placeholders(e["translation"]),
                              source = Placeholders(e["source"]);
            for (const QString& p : source)
                EXPECT_TRUE(mine.contains(p)) << p.toStdString() << " lost: " << where;
            if (e["comment"].isEmpty()) {
                EXPECT_EQ(mine.size(), source.size())
                    << mine.join(' ').toStdString() << ": " << where;
            }
        }
    }
}

}  // namespace
