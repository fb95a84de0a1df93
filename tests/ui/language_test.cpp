// The window in each language: with Setup open every label's and button's
// text shows whole (within the window, under no control above it, a button's
// within its face), and so do those of its dialogs and message boxes. Each
// is drawn into screenshots/ beside the test program, to be looked at.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "event_wait.h"
#include "file_commands.h"
#include "language.h"
#include "main_window.h"
#include "modal_watcher.h"
#include "qt_window_services.h"
#include "scripted_comm.h"

namespace taplink {
namespace {

// The advanced group, in dialog order: where the Setup picture is cut.
constexpr int kAdvanced[] = {1023, 1024, 1031, 1032, 1033, 1034, 1035, 1036,
                             1037, 1040, 1041, 1042, 1043, 1044, 1045};

void Save(QWidget* widget, const QString& name, QRect part = {}) {
    const QDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/screenshots"));
    dir.mkpath(QStringLiteral("."));
    EXPECT_TRUE(widget->grab(part.isNull() ? QRect(QPoint(0, 0), QSize(-1, -1)) : part)
                    .save(dir.filePath(name + QStringLiteral(".png"))));
}

// Every label and button directly in top shows its whole text: inside top,
// under no visible sibling above it; a label that wraps is laid out by Qt.
void ExpectWhole(QWidget* top) {
    const QList<QWidget*> shown = top->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (qsizetype k = 0; k < shown.size(); ++k) {
        QWidget* w = shown[k];
        if (!w->isVisible()) continue;
        QRect text;
        if (const auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap() || label->text().isEmpty()) continue;
            text = QRect(label->pos(), QSize(label->sizeHint().width(), label->height()));
        } else if (const auto* button = qobject_cast<QAbstractButton*>(w)) {
            const int margin =
                button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
            EXPECT_LE(
                button->fontMetrics().horizontalAdvance(QString(button->text()).remove(u'&')) +
                    margin,
                button->contentsRect().width())
                << "cut: " << button->text().toStdString();
            text = button->geometry();
        } else {
            continue;
        }
        const std::string name = w->property("text").toString().toStdString();
        EXPECT_TRUE(top->rect().contains(text)) << "beyond the edge: " << name;
        for (qsizetype above = k + 1; above < shown.size(); ++above) {
            if (!shown[above]->isVisible() || shown[above]->isWindow()) continue;
            EXPECT_FALSE(shown[above]->geometry().intersects(text))
                << name << " under " << shown[above]->objectName().toStdString();
        }
    }
}

class LanguageTest : public ::testing::TestWithParam<const char*> {
  protected:
    void TearDown() override { InstallLanguage(Language::Original); }
};

TEST_P(LanguageTest, TheWindowItsDialogsAndItsBoxesShowEveryTextWhole) {
    const QString lang = QString::fromLatin1(GetParam());
    const auto language = LanguageFromName(lang);
    ASSERT_TRUE(language);
    InstallLanguage(*language);
    testing::ModalWatcher boxes;
    auto comm = std::make_unique<testing::ScriptedComm>();
    const testing::ScriptedComm& log = *comm;
    CCncCommDlg window(std::move(comm), StartOptions{QStringLiteral("/dev/ttyTEST0")});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_TRUE(testing::WaitFor([&] { return log.log.size() == 12u; }));
    Save(&window, lang + QStringLiteral("-window"));
    QTest::mouseClick(qobject_cast<QPushButton*>(window.Control(1047)), Qt::LeftButton);
    ExpectWhole(&window);
    Save(&window, lang + QStringLiteral("-setup"));
    QRect group;
    for (const int id : kAdvanced)
        group |= window.Control(id)->geometry();
    Save(&window, lang + QStringLiteral("-setup-group"), group.adjusted(-4, -4, 4, 4));

    // Each kind of box, from what the window shows.
    QStringList looked;
    QString next;
    boxes.look = [&](QWidget* box) {
        if (looked.contains(next)) return;
        looked << next;
        SCOPED_TRACE(next.toStdString());
        if (!qobject_cast<QMessageBox*>(box)) ExpectWhole(box);
        Save(box, lang + QStringLiteral("-") + next);
        if (!qobject_cast<QMessageBox*>(box)) qobject_cast<QDialog*>(box)->reject();
    };
    // A send that went well: a warning's icon only in the original texts.
    next = QStringLiteral("box-done");
    const std::size_t before = boxes.seen.size();
    window.Services().ShowMessage(msg::kProgramSent);
    ASSERT_EQ(boxes.seen.size(), before + 1);
    EXPECT_EQ(boxes.seen.back().icon,
              *language == Language::Original ? QMessageBox::Warning : QMessageBox::Information);
    const std::pair<const char*, Message> messages[] = {
        {"box-none", msg::NotReady(true, 60)},
        {"box-exclamation", msg::kProgramNumber},
        {"box-stop", ReadFailedMessage("/home/operator/part.txt", "No such file or directory")},
    };
    for (const auto& [kind, message] : messages) {
        next = QString::fromLatin1(kind);
        window.Services().ShowMessage(message);
    }
    next = QStringLiteral("save-query");
    window.Services().AskSaveQuery();
    next = QStringLiteral("about");
    QTest::mouseClick(qobject_cast<QPushButton*>(window.Control(1046)), Qt::LeftButton);
    // The question before closing over changes, answered Cancel: the window stays.
    next = QStringLiteral("box-question");
    QTest::keyClicks(window.Control(1000), QStringLiteral("%01"));
    window.close();
    EXPECT_EQ(looked.join(' ').toStdString(),
              "box-done box-none box-exclamation box-stop save-query about box-question");
    EXPECT_TRUE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguageTest, ::testing::Values("original", "en", "zh_CN"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace taplink
