// Outlined text against one plain drawText of the same caption, measured in the same run.
#include "roLabel.h"
#include "roLabelPaint.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <ctime>

namespace {

// CPU time of this thread: the machine is shared, wall time says little.
double cpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e9 + static_cast<double>(ts.tv_nsec);
}

const QString kCaption = QStringLiteral("東京 晴れ\r\n最低 12℃ / 最高 20℃");
constexpr int kWidth = 140;
constexpr int kHeight = 32;

QFont telopFont()
{
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSize(9);
    return font;
}

roLabelPaint::Look telopLook(int borderWidth, roLabelPaint::OutlineMethod method)
{
    roLabelPaint::Look look;
    look.Caption = kCaption;
    look.Font = telopFont();
    look.Charset = 128;
    look.Bordering = true;
    look.BorderingWidth = borderWidth;
    look.BorderingColor = 0xFEFFFF;
    look.BackColor = 0x00FF00;
    look.ForeColor = 0;
    look.Alignment = roAlignCenter;
    look.Method = method;
    return look;
}

// Per-iteration time of the plain draw; the outlined benchmarks report their multiple of it.
double plainDrawNs()
{
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    const QFont font = roLabelPaint::BuildFontRecord(telopFont(), 128, 96);
    const QString text = QString(kCaption).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const auto once = [&] {
        image.fill(Qt::green);
        QPainter painter(&image);
        painter.setFont(font);
        painter.drawText(image.rect(), Qt::AlignHCenter | Qt::AlignTop, text);
    };
    for (int i = 0; i < 200; ++i)
        once();
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        const double start = cpuNs();
        constexpr int n = 2000;
        for (int i = 0; i < n; ++i)
            once();
        best = std::min(best, (cpuNs() - start) / n);
    }
    return best;
}

template <typename F>
void timed(benchmark::State &state, double plainNs, F &&body)
{
    const double start = cpuNs();
    for (auto _ : state)
        body();
    state.counters["x_plain"] = (cpuNs() - start) / static_cast<double>(state.iterations()) / plainNs;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QFont::insertSubstitution(QStringLiteral("MS UI Gothic"), QStringLiteral("IPAGothic"));
    const double plainNs = plainDrawNs();

    benchmark::RegisterBenchmark("PlainDrawText", [&](benchmark::State &state) {
        QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
        const QFont font = roLabelPaint::BuildFontRecord(telopFont(), 128, 96);
        const QString text = QString(kCaption).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        timed(state, plainNs, [&] {
            image.fill(Qt::green);
            QPainter painter(&image);
            painter.setFont(font);
            painter.drawText(image.rect(), Qt::AlignHCenter | Qt::AlignTop, text);
        });
    });
    benchmark::RegisterBenchmark("FontRecord", [&](benchmark::State &state) {
        timed(state, plainNs, [&] { benchmark::DoNotOptimize(roLabelPaint::BuildFontRecord(telopFont(), 128, 96)); });
    });
    benchmark::RegisterBenchmark("LabelPaintNoOutline", [&](benchmark::State &state) {
        QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
        roLabelPaint::Look look = telopLook(1, roLabelPaint::OutlineMethod::Coverage);
        look.Bordering = false;
        timed(state, plainNs, [&] { benchmark::DoNotOptimize(roLabelPaint::Paint(image, look)); });
    });
    for (const int width : {1, 3}) {
        for (const auto method : {roLabelPaint::OutlineMethod::Coverage, roLabelPaint::OutlineMethod::Ring}) {
            const char *name = method == roLabelPaint::OutlineMethod::Coverage ? "Outline/Coverage" : "Outline/Ring";
            benchmark::RegisterBenchmark(name, [&, width, method](benchmark::State &state) {
                QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
                const roLabelPaint::Look look = telopLook(width, method);
                timed(state, plainNs, [&] { benchmark::DoNotOptimize(roLabelPaint::Paint(image, look)); });
            })->Arg(width);
        }
        // the whole refresh of the control: paint, then the transparency mask
        benchmark::RegisterBenchmark("LabelRefreshTransparent", [&, width](benchmark::State &state) {
            QWidget host;
            roLabel label(&host, QStringLiteral("Telop"));
            label.resize(kWidth, kHeight);
            label.setFont(telopFont());
            label.setFontCharset(128);
            label.setBackColor(0x00FF00);
            label.setBordering(true);
            label.setBorderingWidth(width);
            label.setBorderingColor(0xFEFFFF);
            label.setAlignment(roAlignCenter);
            label.setCaption(kCaption);
            label.setBackStyle(roTransparent);
            timed(state, plainNs, [&] { label.Refresh(); });
        })->Arg(width);
    }

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
