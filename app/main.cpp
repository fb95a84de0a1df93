// TapLink: serial communications for QRN series CNC controllers.
#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "journal.h"
#include "language.h"
#include "line_trace.h"
#include "main_window.h"
#include "message_text.h"
#include "messages.h"
#include "qt_serial_comm.h"

namespace {

using taplink::Programs;

// The option's value to a model list position, or -1.
int ModelFromOption(const QString& value) {
    const QString v = value.toLower();
    if (v == QLatin1String("r40") || v == QLatin1String("r60") || v == QLatin1String("r40/r60")) {
        return taplink::kModelR40;
    }
    if (v == QLatin1String("r80")) return taplink::kModelR80;
    if (v == QLatin1String("memory")) return taplink::kModelMemory;
    return -1;
}

// Qt's own options, which the QApplication takes out of the arguments:
// those with a value in the next argument, those that may have it after '='
// as well, and flags.
const QStringList kQtValueOptions = {"platform",
                                     "platformpluginpath",
                                     "platformtheme",
                                     "plugin",
                                     "qwindowgeometry",
                                     "geometry",
                                     "qwindowtitle",
                                     "title",
                                     "qwindowicon",
                                     "icon",
                                     "session",
                                     "display",
                                     "name",
                                     "visual"};
const QStringList kQtJoinedOptions = {"style", "stylesheet", "qmljsdebugger"};
const QStringList kQtFlags = {"reverse", "widgetcount", "sync", "nograb", "dograb", "testability"};

// The arguments without Qt's own options, for our parser, which would take
// "-platform" for seven unknown one-letter options. display: whether one of
// them chose where the window goes.
QStringList WithoutQtOptions(const QStringList& args, bool* display) {
    QStringList ours;
    for (qsizetype k = 0; k < args.size(); ++k) {
        const QString& arg = args[k];
        if (arg == QLatin1String("--")) return ours + args.mid(k);
        // Qt takes "-style" and "--style" alike.
        const QString option = arg.mid(arg.startsWith(QLatin1String("--")) ? 2 : 1);
        const QString name = option.section('=', 0, 0);
        const bool joined = option.contains('=');
        const bool valued = kQtValueOptions.contains(name) || kQtJoinedOptions.contains(name);
        const bool qt =
            k > 0 && arg.startsWith('-') &&
            (joined ? kQtJoinedOptions.contains(name) : valued || kQtFlags.contains(name));
        if (!qt) {
            ours << arg;
            continue;
        }
        if (name == QLatin1String("platform") || name == QLatin1String("display")) *display = true;
        if (valued && !joined) ++k;  // its value
    }
    return ours;
}

// A window needs a display; without one the platform layer would abort.
// An explicit platform (offscreen, say) is the operator's choice.
bool HaveDisplay() {
    const auto set = [](const char* name) {
        const char* v = std::getenv(name);
        return v && *v;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("taplink"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAPLINK_VERSION));

    QCommandLineParser parser;
    bool displayChosen = false;
    taplink::StartOptions options;
    {
        // --help, --version and a wrong option answer before any window
        // exists, display or not: a console application reads the arguments
        // first, leaving Qt's own to the window's application. The language
        // comes first, so that the help is in it.
        QCoreApplication console(argc, argv);
        QStringList args = WithoutQtOptions(console.arguments(), &displayChosen);
        QString why;
        if (const auto chosen = taplink::TakeLanguageArgument(args, &why); chosen && !*chosen) {
            std::fprintf(stderr, "taplink: %s\n", qPrintable(why));
            return 2;
        }
        parser.setApplicationDescription(
            Programs::tr("Moves part programs, PLC documents and memory images between this "
                         "computer and a QRN series CNC controller over a serial line.\n"
                         "Qt's own options (-platform, -style, -display, ...) are passed to Qt."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.addOption(
            {QStringLiteral("port"),
             Programs::tr("Put DEVICE (such as /dev/ttyUSB0, a pseudo-terminal, "
                          "tcp://HOST:PORT or rfc2217://HOST:PORT for a serial device server, "
                          "or simulator) first in the port list and open it (default: the "
                          "first serial device, or simulator when there is none)."),
             QStringLiteral("DEVICE")});
        parser.addOption({QStringLiteral("model"),
                          Programs::tr("Preselect the model: r40, r80 or memory (default: r40)."),
                          QStringLiteral("MODEL")});
        parser.addOption({QStringLiteral("trace"),
                          Programs::tr("Write every byte in and out, with times, to FILE."),
                          QStringLiteral("FILE")});
        parser.addOption(
            {QStringLiteral("journal"),
             Programs::tr("Record every transfer in JOURNAL: a SQLite file, "
                          "postgresql://USER@HOST/DB, or none (default: the journal in the "
                          "user's data folder)."),
             QStringLiteral("JOURNAL")});
        parser.addOption(taplink::LanguageOption());
        parser.process(args);
        if (parser.isSet(QStringLiteral("model"))) {
            options.model = ModelFromOption(parser.value(QStringLiteral("model")));
            if (options.model < 0) {
                std::fprintf(
                    stderr, "taplink: %s\n",
                    qPrintable(Programs::tr("unknown model \"%1\" (use r40, r80 or memory)")
                                   .arg(parser.value(QStringLiteral("model")))));
                return 2;
            }
        }
    }
    if (!displayChosen && !HaveDisplay()) {
        std::fprintf(
            stderr, "taplink: %s\n",
            qPrintable(Programs::tr("no display to open the window on (set DISPLAY, or use "
                                    "taplink-cli for transfers without one)")));
        return 1;
    }
    QApplication app(argc, argv);
    // The catalogue went with the console application.
    taplink::InstallLanguage(taplink::InstalledLanguage());
    options.port = parser.value(QStringLiteral("port"));

    // The serial backend must exist before the window opens.
    taplink::CCncCommDlg* window = nullptr;
    std::unique_ptr<taplink::QtSerialComm> comm;
    try {
        comm = std::make_unique<taplink::QtSerialComm>(
            [&window](int n) { return window ? window->DeviceForPort(n) : std::string{}; });
    } catch (const std::exception&) {
        const auto m = taplink::msg::kSerialBackendMissing;
        QMessageBox::critical(nullptr, taplink::TranslatedCaption(m), taplink::TranslatedText(m));
        return 0;
    }

    std::unique_ptr<taplink::CMSComm> control = std::move(comm);
    const QString traceOption = QStringLiteral("trace");
    if (parser.isSet(traceOption)) {
        auto trace = std::make_shared<taplink::LineTrace>(parser.value(traceOption).toStdString());
        if (!trace->ok()) {
            std::fprintf(
                stderr, "taplink: %s\n",
                qPrintable(
                    Programs::tr("cannot write the trace %1").arg(parser.value(traceOption))));
            return 2;
        }
        // A trace that cannot go on is said once, from the event loop; the
        // transfer goes on without it.
        const QString path = parser.value(traceOption);
        trace->SetOnFailure([path, &window](const std::string& why) {
            QMetaObject::invokeMethod(
                qApp,
                [path, why, &window] {
                    QMessageBox::warning(
                        window,
                        QString::fromLatin1(taplink::kAppName.data(),
                                            static_cast<qsizetype>(taplink::kAppName.size())),
                        Programs::tr("The trace %1 stopped.\nError: %2")
                            .arg(path, QString::fromStdString(why)));
                },
                Qt::QueuedConnection);
        });
        control = std::make_unique<taplink::TracingComm>(std::move(control), trace);
    }
    // The journal: a transfer goes on without one, and the operator is told.
    QString journalError;
    const std::unique_ptr<taplink::Journal> journal =
        taplink::Journal::Open(parser.value(QStringLiteral("journal")), &journalError);
    options.journal = journal.get();
    if (parser.isSet(traceOption)) {
        options.tracePath = QFileInfo(parser.value(traceOption)).absoluteFilePath();
    }
    taplink::CCncCommDlg dialog(std::move(control), options);
    window = &dialog;
    dialog.show();
    if (!journal && !journalError.isEmpty()) {
        QMessageBox::warning(&dialog,
                             QString::fromLatin1(taplink::kAppName.data(),
                                                 static_cast<qsizetype>(taplink::kAppName.size())),
                             Programs::tr("Transfers are not recorded: %1").arg(journalError));
    }
    dialog.exec();
    window = nullptr;
    return 0;
}
