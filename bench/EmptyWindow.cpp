// The yardstick for the dialer's start-up: an empty widget window of the dialer's size,
// reporting once it is shown in the same words as the dialer's start-up probe, then ending.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

class EmptyWindow : public QWidget {
public:
    explicit EmptyWindow(const QElapsedTimer& started)
        : m_started(started)
    {
    }

protected:
    void showEvent(QShowEvent* event) override
    {
        QWidget::showEvent(event);
        QTimer::singleShot(0, this, [this] {
            std::printf("empty window shown: %lld ms, 0 devices, VmRSS %ld kB\n",
                        static_cast<long long>(m_started.elapsed()), residentKilobytes());
            std::fflush(stdout);
            QApplication::exit(0);
        });
    }

private:
    const QElapsedTimer& m_started;
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer started;
    started.start();
    QApplication app(argc, argv);
    EmptyWindow window(started);
    window.resize(345, 258);
    window.show();
    return app.exec();
}
