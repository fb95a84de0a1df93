// One key in a 99,999-character program: the pure decision alone, and the
// whole path through the editor widget (caret position, insertion, the
// window's copy of the text refreshed), Enter included.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>

#include "block_numbering.h"
#include "number_edit.h"
#include "text_codec.h"

namespace taplink {
namespace {

std::string LongProgram() {
    std::string t = "%12\r\n";
    for (int n = 0; t.size() < 99999 - 40; n += 10) {
        char line[64];
        std::snprintf(line, sizeof line, "N%04d G01 X%d.5 Z-%d F100\r\n", n % 10000, n, n / 10);
        t += line;
    }
    return t;
}

void BM_DecideEnter(benchmark::State& state) {
    const std::string text = LongProgram();
    const std::size_t caret = text.size() / 2;
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecideKey(text, caret, 0, kKeyEnter));
    }
}
BENCHMARK(BM_DecideEnter)->Unit(benchmark::kMicrosecond);

void BM_WidgetKey(benchmark::State& state, Qt::Key key, const char* where) {
    CNumberEdit edit;
    std::string copy;
    edit.SetHooks(
        {[&]() -> const std::string& { return copy; }, [] { return 0; }, [](const Message&) {}});
    // As the window does: the copy the rules read is refreshed on every change.
    QObject::connect(&edit, &QPlainTextEdit::textChanged, [&] { copy = EditorBytes(edit); });
    edit.show();
    const std::string program = LongProgram();
    for (auto _ : state) {
        state.PauseTiming();
        edit.setPlainText(BytesToEditorText(program));
        edit.moveCursor(std::string(where) == "end" ? QTextCursor::End : QTextCursor::Start);
        if (std::string(where) == "middle") {
            QTextCursor c = edit.textCursor();
            c.setPosition(edit.document()->characterCount() / 2);
            c.movePosition(QTextCursor::EndOfBlock);
            edit.setTextCursor(c);
        }
        state.ResumeTiming();
        QTest::keyClick(&edit, key);
    }
    state.counters["chars"] = static_cast<double>(program.size());
}
BENCHMARK_CAPTURE(BM_WidgetKey, EnterAtEnd, Qt::Key_Return, "end")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WidgetKey, EnterInMiddle, Qt::Key_Return, "middle")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_WidgetKey, LetterInMiddle, Qt::Key_G, "middle")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace taplink

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
