// The editor view on a 100 MB, 3.5-million-line program, against references measured in
// the same run:
//   painting a full screen        <= 2 x drawing the same visible text with drawText
//   typing a character, Enter, or pasting 1 000 lines: <= 1 ms, the same for a program of
//     1 000 lines and one of 3.5 million lines (only the touched rows are laid out again)
//   Ctrl+End and painting          <= 2 ms
//   the first Enter in a freshly opened program, painted <= 16 ms at 3.5 million lines
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "app/AppSettings.h"
#include "editor/CLiDoc.h"
#include "editor/ui/CLiView.h"
#include "editor/ui/EditorEnvironment.h"
#include "platform/Notifier.h"
#include "platform/ui/Latin1.h"

namespace {

using namespace quillon;

std::filesystem::path folder()
{
    static const struct Folder {
        std::filesystem::path path =
            std::filesystem::exists("/dev/shm")
                ? std::filesystem::path("/dev/shm/quillon-view-bench")
                : std::filesystem::temp_directory_path() / "quillon-view-bench";
        Folder() { std::filesystem::create_directories(path); }
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

// A finishing program of the given number of lines, about 28 bytes a line, CR LF.
std::string programOf(std::size_t lines)
{
    const std::string path = (folder() / ("P" + std::to_string(lines) + ".NC")).string();
    if (!std::filesystem::exists(path)) {
        std::mt19937 random(1);
        std::string bytes;
        bytes.reserve(lines * 30);
        bytes += "%\r\nO9000 (CAVITY FINISH)\r\nN10 G90 G54 G17\r\n";
        char buffer[64];
        for (std::size_t i = 3; i + 1 < lines; ++i) {
            const int x = static_cast<int>(random() % 200000);
            const int y = static_cast<int>(random() % 100000);
            const int n =
                std::snprintf(buffer, sizeof buffer, "G1 X%d.%03d Y%d.%03d Z-1.%d\r\n", x / 1000,
                              x % 1000, y / 1000, y % 1000, static_cast<int>(random() % 10));
            bytes.append(buffer, static_cast<std::size_t>(n));
        }
        bytes += "M30";
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    return path;
}

// A view of its own on a program, the size of a normal editor window.
struct OpenView {
    explicit OpenView(std::size_t lines)
    {
        ScriptedNotifier notifier;
        doc.open(programOf(lines), notifier);
        settings.flags.showLineNumbers = true;
        environment = std::make_unique<EditorEnvironment>(
            EditorSettings{settings.flags, settings.colors, settings.fonts[FontRole::Editor]},
            messages);
        view = std::make_unique<CLiView>(doc, *environment, false);
        view->resize(1000, 800);
        view->show();
        QApplication::processEvents();
        image = QImage(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    }
    void paint() { view->viewport()->render(&image); }

    AppSettings settings;
    ScriptedNotifier messages;
    CLiDoc doc;
    std::unique_ptr<EditorEnvironment> environment;
    std::unique_ptr<CLiView> view;
    QImage image;
};

OpenView& bigView()
{
    static OpenView view(3'500'000);
    return view;
}

void BM_Reference_DrawTextOfTheScreen(benchmark::State& state)
{
    OpenView& open = bigView();
    const RenderMetrics& metrics = open.environment->metrics();
    const std::size_t top = 1'000'000;
    const std::size_t rows = open.view->visibleLines() + 1;
    QImage image = open.image;
    for (auto _ : state) {
        QPainter painter(&image);
        painter.setFont(metrics.font);
        painter.fillRect(image.rect(), Qt::white);
        for (std::size_t row = 0; row < rows; ++row)
            painter.drawText(QPointF(40, row * metrics.lineHeight + metrics.ascent),
                             fromBytes(std::string(open.doc.lineText(top + row))));
    }
}
BENCHMARK(BM_Reference_DrawTextOfTheScreen)->Unit(benchmark::kMicrosecond);

// The same screen, every row laid out afresh as after a jump.
void BM_PaintScreenFirstTime(benchmark::State& state)
{
    OpenView& open = bigView();
    std::size_t line = 1'000'000;
    for (auto _ : state) {
        state.PauseTiming();
        open.view->scrollToLine(static_cast<int>(line));
        line += open.view->visibleLines() + 1;  // a part not seen before
        state.ResumeTiming();
        open.paint();
    }
}
BENCHMARK(BM_PaintScreenFirstTime)->Unit(benchmark::kMicrosecond);

// Painting again what is on screen (the caret blinking, a window moved over it).
void BM_PaintScreenAgain(benchmark::State& state)
{
    OpenView& open = bigView();
    open.view->scrollToLine(1'000'000);
    open.paint();
    for (auto _ : state)
        open.paint();
}
BENCHMARK(BM_PaintScreenAgain)->Unit(benchmark::kMicrosecond);

OpenView& viewOf(std::size_t lines)
{
    static OpenView small(1000);
    return lines == 1000 ? small : bigView();
}

void keystroke(benchmark::State& state, const std::function<void(OpenView&)>& edit)
{
    OpenView& open = viewOf(static_cast<std::size_t>(state.range(0)));
    const std::size_t middle = open.doc.lineCount() / 2;
    open.view->GoToLine(middle);
    open.view->setFocus();
    open.paint();
    for (auto _ : state) {
        edit(open);
        open.paint();
        state.PauseTiming();
        open.view->undo();
        open.view->setCaret({middle - 1, 3});
        open.paint();
        state.ResumeTiming();
    }
    state.counters["lines"] = static_cast<double>(open.doc.lineCount());
}

void BM_TypeACharacter(benchmark::State& state)
{
    keystroke(state, [](OpenView& open) { QTest::keyClick(open.view.get(), Qt::Key_A); });
}
BENCHMARK(BM_TypeACharacter)->Arg(1000)->Arg(3'500'000)->Unit(benchmark::kMicrosecond);

void BM_Enter(benchmark::State& state)
{
    keystroke(state, [](OpenView& open) { QTest::keyClick(open.view.get(), Qt::Key_Return); });
}
BENCHMARK(BM_Enter)->Arg(1000)->Arg(3'500'000)->Unit(benchmark::kMicrosecond);

// Enter as the first edit of a program just opened: the line table is still as loading
// left it, which the keystroke benchmarks above never see again after their first round.
void BM_FirstEnterAfterOpening(benchmark::State& state)
{
    const auto lines = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto open = std::make_unique<OpenView>(lines);
        open->view->GoToLine(open->doc.lineCount() / 2);
        open->view->setFocus();
        open->paint();
        state.ResumeTiming();
        QTest::keyClick(open->view.get(), Qt::Key_Return);
        open->paint();
        state.PauseTiming();
        if (open->doc.lineCount() != lines + 1)
            state.SkipWithError("Enter did not split the line");
        open.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstEnterAfterOpening)
    ->Arg(1000)
    ->Arg(350'000)
    ->Arg(3'500'000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

void BM_PasteAThousandLines(benchmark::State& state)
{
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += "G1 X" + std::to_string(i) + ".5 Y2.25\r\n";
    QApplication::clipboard()->setText(fromBytes(lines));
    keystroke(state, [](OpenView& open) {
        QTest::keyClick(open.view.get(), Qt::Key_V, Qt::ControlModifier);
    });
}
BENCHMARK(BM_PasteAThousandLines)->Arg(1000)->Arg(3'500'000)->Unit(benchmark::kMicrosecond);

void BM_CtrlEndAndPaint(benchmark::State& state)
{
    OpenView& open = bigView();
    for (auto _ : state) {
        state.PauseTiming();
        open.view->setCaret({0, 0});
        open.paint();
        state.ResumeTiming();
        QTest::keyClick(open.view.get(), Qt::Key_End, Qt::ControlModifier);
        open.paint();
    }
}
BENCHMARK(BM_CtrlEndAndPaint)->Unit(benchmark::kMicrosecond);

void BM_LayoutOneLine(benchmark::State& state)
{
    OpenView& open = bigView();
    const std::string line = "G1 X123.456 Y78.901 Z-1.5 F1200";
    for (auto _ : state)
        benchmark::DoNotOptimize(layoutLine(line, open.environment->metrics()));
}
BENCHMARK(BM_LayoutOneLine);

}  // namespace
