// The RTF engine over the 1,000-page benchmark document: read, write, round trip, and the
// headless conversion of the LibreOffice-style file to plain text.

#include "DocumentGenerator.h"

#include "app/Converter.h"
#include "platform/rtf/Rtf.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextStream>

#include <benchmark/benchmark.h>

namespace
{

const QByteArray& benchmarkRtf()
{
    static const QByteArray bytes = bench::generateBenchmarkRtf();
    return bytes;
}

const QByteArray& libreOfficeRtf()
{
    static const QByteArray bytes = bench::generateLibreOfficeStyleRtf();
    return bytes;
}

void setCounters(benchmark::State& state, qsizetype bytes, const QTextDocument& document)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes);
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["chars"] = document.characterCount();
    state.counters["paragraphs"] = document.blockCount();
}

void BM_ReadRtf(benchmark::State& state)
{
    const QByteArray& bytes = benchmarkRtf();
    QTextDocument document;
    for (auto _ : state)
        rtf::read(bytes, document);
    setCounters(state, bytes.size(), document);
}
BENCHMARK(BM_ReadRtf)->Unit(benchmark::kMillisecond);

void BM_ReadLibreOfficeRtf(benchmark::State& state)
{
    const QByteArray& bytes = libreOfficeRtf();
    QTextDocument document;
    for (auto _ : state)
        rtf::read(bytes, document);
    setCounters(state, bytes.size(), document);
}
BENCHMARK(BM_ReadLibreOfficeRtf)->Unit(benchmark::kMillisecond);

void BM_WriteRtf(benchmark::State& state)
{
    QTextDocument document;
    bench::buildBenchmarkDocument(document);
    QByteArray out;
    for (auto _ : state) {
        out = rtf::write(document);
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state, out.size(), document);
}
BENCHMARK(BM_WriteRtf)->Unit(benchmark::kMillisecond);

void BM_WriteLibreOfficeDocument(benchmark::State& state)
{
    QTextDocument document;
    rtf::read(libreOfficeRtf(), document);
    QByteArray out;
    for (auto _ : state) {
        out = rtf::write(document);
        benchmark::DoNotOptimize(out.data());
    }
    setCounters(state, out.size(), document);
}
BENCHMARK(BM_WriteLibreOfficeDocument)->Unit(benchmark::kMillisecond);

void BM_RoundTrip(benchmark::State& state)
{
    QTextDocument document;
    bench::buildBenchmarkDocument(document);
    QTextDocument back;
    qsizetype size = 0;
    for (auto _ : state) {
        const QByteArray bytes = rtf::write(document);
        rtf::read(bytes, back);
        size = bytes.size();
    }
    setCounters(state, size, back);
}
BENCHMARK(BM_RoundTrip)->Unit(benchmark::kMillisecond);

void BM_ConvertLibreOfficeRtfToTxt(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("libreoffice.rtf"));
    const QString out = dir.filePath(QStringLiteral("libreoffice.txt"));
    {
        QFile file(in);
        file.open(QIODevice::WriteOnly);
        file.write(libreOfficeRtf());
    }
    QString errors;
    QTextStream err(&errors);
    for (auto _ : state) {
        if (runConversion(in, out, err) != 0) {
            state.SkipWithError("conversion failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * libreOfficeRtf().size());
    state.counters["bytes"] = static_cast<double>(libreOfficeRtf().size());
    state.counters["txt_bytes"] = static_cast<double>(QFileInfo(out).size());
}
BENCHMARK(BM_ConvertLibreOfficeRtfToTxt)->Unit(benchmark::kMillisecond);

void BM_BuildDocumentThroughCursor(benchmark::State& state)
{
    QTextDocument document;
    for (auto _ : state)
        bench::buildBenchmarkDocument(document);
    state.counters["chars"] = document.characterCount();
}
BENCHMARK(BM_BuildDocumentThroughCursor)->Unit(benchmark::kMillisecond);

} // namespace
