// Wave buffer throughput on a PCM file with the page cache warm: loading, saving, and
// both, against a plain memcpy of the same bytes and against sox copying the same file;
// and DeleteBefore, which should cost one move of the remaining bytes (compare memmove).
// LINKORA_BENCH_WAVE_MB sets the data size (64 by default).
//
// A save replaces its file only once the new bytes are on their way to the disk, so
// that a crash never leaves the old name empty. What that costs on this filesystem,
// without any of our code, is what the raw* cases show: write() alone (page cache
// only, no safety), write() and rename over the old file (what a safe save must do),
// and O_DIRECT writes and rename (the disk's own speed). saveSettled saves over a file
// whose bytes have reached the disk, as a save after a pause does; save repeats at
// once and also waits for the previous file's disk writes.

#include <TnvWaveControl.h>
#include <TnvNotation.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace {

quint32 dataBytes()
{
    const int mb = qEnvironmentVariableIntValue("LINKORA_BENCH_WAVE_MB");
    return quint32(mb > 0 ? mb : 64) << 20;
}

class BenchControl : public TnvWaveControl {
public:
    BenchControl()
        : TnvWaveControl(ckPlay)
    {
        // The trace is not what is measured.
        Log()->setActive(false);
    }
    TnvWaveBuffer* buffer() const { return Source()->Buffer(); }
};

// One 16-bit stereo 44.1 kHz file for the whole run.
struct Files {
    QTemporaryDir dir;
    QString in;
    QString out;

    Files()
    {
        in = dir.filePath(QStringLiteral("in.wav"));
        out = dir.filePath(QStringLiteral("out.wav"));
        const quint32 size = dataBytes();
        QByteArray header(44, '\0');
        const auto put32 = [&header](int at, quint32 v) { std::memcpy(header.data() + at, &v, 4); };
        const auto put16 = [&header](int at, quint16 v) { std::memcpy(header.data() + at, &v, 2); };
        std::memcpy(header.data(), "RIFF", 4);
        put32(4, size + 36);
        std::memcpy(header.data() + 8, "WAVEfmt ", 8);
        put32(16, 16);
        put16(20, 1);
        put16(22, 2);
        put32(24, 44100);
        put32(28, 176400);
        put16(32, 4);
        put16(34, 16);
        std::memcpy(header.data() + 36, "data", 4);
        put32(40, size);
        QByteArray samples(qsizetype(size), '\0');
        char* out = samples.data();
        for (quint32 i = 0; i < size; ++i)
            out[i] = char(i * 7);
        QFile file(in);
        if (file.open(QIODevice::WriteOnly)) {
            file.write(header);
            file.write(samples);
        }
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

void memcpyBaseline(benchmark::State& state)
{
    const size_t size = dataBytes();
    std::vector<char> from(size, 1);
    std::vector<char> to(size, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), size);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(size));
}

void memmoveBaseline(benchmark::State& state)
{
    const size_t size = dataBytes();
    std::vector<char> block(size, 1);
    for (auto _ : state) {
        std::memmove(block.data(), block.data() + 176400, size - 176400);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(size - 176400));
}

void load(benchmark::State& state)
{
    BenchControl control;
    for (auto _ : state) {
        if (!control.buffer()->LoadFromFile(files().in))
            state.SkipWithError("load failed");
        control.buffer()->FreeBuffer();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes()));
}

void save(benchmark::State& state)
{
    BenchControl control;
    if (!control.buffer()->LoadFromFile(files().in))
        state.SkipWithError("load failed");
    for (auto _ : state) {
        if (!control.buffer()->SaveToFile(files().out))
            state.SkipWithError("save failed");
    }
    control.buffer()->FreeBuffer();
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes()));
}

void loadAndSave(benchmark::State& state)
{
    BenchControl control;
    for (auto _ : state) {
        if (!control.buffer()->LoadFromFile(files().in) || !control.buffer()->SaveToFile(files().out))
            state.SkipWithError("load or save failed");
        control.buffer()->FreeBuffer();
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes()));
}

// The same copy by an outside program, start-up included, as a user would run it.
void soxCopy(benchmark::State& state)
{
    const QString sox = QStandardPaths::findExecutable(QStringLiteral("sox"));
    if (sox.isEmpty()) {
        state.SkipWithError("sox is not installed");
        return;
    }
    for (auto _ : state) {
        QProcess process;
        process.start(sox, {files().in, files().out});
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            state.SkipWithError("sox failed");
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes()));
}

// The bytes a save writes, from one page-aligned block as the buffer image is.
struct RawImage {
    char* data = nullptr;
    size_t size = 0;
    RawImage()
    {
        QFile file(files().in);
        size = file.open(QIODevice::ReadOnly) ? size_t(file.size()) : 0;
        data = static_cast<char*>(std::aligned_alloc(4096, (size + 4095) / 4096 * 4096));
        if (data)
            file.read(data, qint64(size));
    }
    ~RawImage() { std::free(data); }
};

bool writeRaw(int fd, const char* data, size_t size)
{
    for (size_t done = 0; done < size;) {
        const ssize_t put = ::write(fd, data + done, size - done);
        if (put <= 0)
            return false;
        done += size_t(put);
    }
    return true;
}

// Makes the previous target's bytes reach the disk, outside the timing.
void settle(benchmark::State& state, const QString& path)
{
    state.PauseTiming();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    state.ResumeTiming();
}

enum class Raw { Write, WriteRename, DirectRename };

void raw(benchmark::State& state, Raw kind)
{
    RawImage image;
    if (!image.data || !image.size) {
        state.SkipWithError("no image");
        return;
    }
    const QByteArray target = QFile::encodeName(files().out);
    const QByteArray temp = QFile::encodeName(files().dir.filePath(QStringLiteral(".raw.part")));
    // O_DIRECT takes whole blocks; the few bytes past the last one go as usual.
    const size_t direct = kind == Raw::DirectRename ? image.size / 4096 * 4096 : 0;
    for (auto _ : state) {
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (direct ? O_DIRECT : 0), 0644);
        bool ok = fd >= 0 && writeRaw(fd, image.data, direct);
        if (ok && direct)
            ok = ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_DIRECT) == 0;
        ok = ok && writeRaw(fd, image.data + direct, image.size - direct);
        if (fd >= 0)
            ::close(fd);
        if (kind == Raw::Write) {
            state.PauseTiming();
            ::unlink(temp.constData());
            state.ResumeTiming();
        } else {
            ok = ok && ::rename(temp.constData(), target.constData()) == 0;
        }
        if (!ok)
            state.SkipWithError("raw write failed");
    }
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes()));
}

void rawWrite(benchmark::State& state)
{
    raw(state, Raw::Write);
}

void rawWriteRename(benchmark::State& state)
{
    raw(state, Raw::WriteRename);
}

void rawDirectRename(benchmark::State& state)
{
    raw(state, Raw::DirectRename);
}

void saveSettled(benchmark::State& state)
{
    BenchControl control;
    if (!control.buffer()->LoadFromFile(files().in))
        state.SkipWithError("load failed");
    for (auto _ : state) {
        settle(state, files().out);
        if (!control.buffer()->SaveToFile(files().out))
            state.SkipWithError("save failed");
    }
    control.buffer()->FreeBuffer();
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes()));
}

void deleteBefore(benchmark::State& state)
{
    BenchControl source;
    if (!source.buffer()->LoadFromFile(files().in))
        state.SkipWithError("load failed");
    const QString handle = TnvNotation::hex8(source.buffer()->Handle());
    BenchControl control;
    for (auto _ : state) {
        state.PauseTiming();
        control.buffer()->LoadFromBuffers(handle);
        state.ResumeTiming();
        // One second of 44.1 kHz stereo: the rest moves down once.
        if (!control.buffer()->DeleteBefore(1.0))
            state.SkipWithError("nothing cut");
        state.PauseTiming();
        control.buffer()->FreeBuffer();
        state.ResumeTiming();
    }
    source.buffer()->FreeBuffer();
    state.SetBytesProcessed(qint64(state.iterations()) * qint64(dataBytes() - 176400));
}

} // namespace

BENCHMARK(memcpyBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(load)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(save)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(saveSettled)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(rawWrite)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(rawWriteRename)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(rawDirectRename)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(loadAndSave)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(soxCopy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(memmoveBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(deleteBefore)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    // The file is written, and so in the page cache, before anything is timed.
    files();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
