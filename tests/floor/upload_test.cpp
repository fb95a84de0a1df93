// An upload into each model's outbox: placed whole under its own name
// when the controller would take it, refused with the send check's own
// message when not, never over another file, never larger than 64 KiB.
#include "upload.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "dialog_state.h"

namespace taplink {
namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

TEST(PlaceUpload, PlacesWhatTheControllerTakesAndRefusesTheRest) {
    using O = Upload::Outcome;
    const QByteArray biggest = "%12\nG01 X1\n" + QByteArray((64 << 10) - 11, '\n');
    struct Case {
        const char* what;
        int model;
        QString name;
        QByteArray bytes;
        O outcome;
        QString nameOrReason;            // the file placed, or why not
        const char* existing = nullptr;  // a file already in the outbox
    };
    const Case cases[] = {
        {"R40 good", kModelR40, "O1.txt", "%12\nG01 X1\n", O::Placed, "O1.txt"},
        {"R40 no program number", kModelR40, "O2.txt", "G01 X1\n", O::Refused,
         "CNC Procedure must add the procedure number beginning that two figures are composed of "
         "from the number '%'，Examine that if procedure satisfy a request after transferring "
         "please!"},
        {"R40 empty", kModelR40, "O3", "", O::Refused, "Can not dispatch empty space document!"},
        {"R80 good", kModelR80, "p.txt", "%001\r\nG00\r\n", O::Placed, "p.txt"},
        {"R80 two-digit number", kModelR80, "p.txt", "%01\r\nG00\r\n", O::Refused,
         "The instruction document of R80 must use '%' with the document number that 3 "
         "significant digits are composed of begins!"},
        {"R80 ld2 without its text", kModelR80, "l.ld2", "%999\r\n", O::Refused,
         "Do not discover the PLC document,Examine that the document is entire or not please!"},
        {"Memory good", kModelMemory, "m.hex", "\x01\x02", O::Placed, "m.hex"},
        {"Memory one byte", kModelMemory, "m.hex", "\x01", O::Refused,
         "Can not send empty space document!"},
        {"a name taken", kModelR40, "O1.txt", "%12\nG01 X1\n", O::Taken,
         "O1.txt is already waiting in the machine's outbox: remove it first, or give this "
         "document another name",
         "O1.txt"},
        {"a name before its extension too long", kModelR40, QString(201, 'a') + ".txt", "%12\n",
         O::BadName, "the name before its extension is 201 bytes long; an upload's is at most 200"},
        {"64 KiB", kModelR40, "big.txt", biggest, O::Placed, "big.txt"},
        {"64 KiB + 1", kModelR40, "big.txt", biggest + '\n', O::TooLarge,
         "the document is 65537 bytes; an upload is at most 65536"},
        {"a way out", kModelR40, "../x.txt", "%12\n", O::BadName,
         "the name holds a /, which separates folders"},
    };
    const QDateTime now(QDate(2025, 3, 4), QTime(5, 6, 7));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QTemporaryDir dir;
        MachineConfig machine;
        machine.model = c.model;
        machine.outbox = dir.path();
        QStringList expected;
        if (c.existing) {
            QFile old(dir.filePath(c.existing));
            ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
            expected << c.existing;
        }
        const Upload up = PlaceUpload(machine, c.name, c.bytes, now);
        EXPECT_EQ(up.outcome, c.outcome);
        EXPECT_EQ((up.outcome == O::Placed ? up.name : up.reason).toStdString(),
                  c.nameOrReason.toStdString());
        if (up.outcome == O::Placed) {
            EXPECT_EQ(ReadAll(dir.filePath(up.name)), c.bytes);
            expected << up.name;
        }
        if (c.existing) {
            EXPECT_EQ(ReadAll(dir.filePath(c.existing)), "old");
        }
        // Nothing else, hidden or not, is left behind.
        expected.sort();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }
}

}  // namespace
}  // namespace taplink
