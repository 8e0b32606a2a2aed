// The answering service on the simulated exchange: callers are rung in, say their
// messages through the exchange and hang up or press keys; the messages, their INFO
// lists and calls.jsonl are checked as a person collecting them would.

#include "../wave/WaveControlSupport.h"

#include <Attendant.h>

#include <InstantService.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

using namespace wavetest;

namespace {

class AttendantService : public InstantServiceTest {
protected:
    void SetUp() override
    {
        InstantServiceTest::SetUp();
        m_oldState = qgetenv("XDG_STATE_HOME");
        qputenv("XDG_STATE_HOME", m_dir.filePath(QStringLiteral("state")).toLocal8Bit());
        m_options.messages = m_dir.filePath(QStringLiteral("messages"));
        m_words = tone(3200, 99);
        ASSERT_TRUE(writeFile(file("words.wav"), pcmFile(8000, m_words)));
    }
    void TearDown() override
    {
        m_attendant.reset();
        qputenv("XDG_STATE_HOME", m_oldState);
        InstantServiceTest::TearDown();
    }

    QString file(const char* name) const { return m_dir.filePath(QLatin1String(name)); }

    void start()
    {
        m_attendant = std::make_unique<Attendant>(m_options);
        m_attendant->onCallDone = [this](const AttendantCall& call) { m_calls.push_back(call); };
        m_attendant->onFinished = [this] { m_finished = true; };
        m_attendant->onLog = [this](const QString& line) { m_log << line; };
        QString error;
        ASSERT_TRUE(m_attendant->start(&error)) << error.toStdString();
    }

    // The exchange's state of the newest call on line, or empty.
    static QString state(int line)
    {
        const QJsonArray calls = Telephony::serviceControl(QStringLiteral("calls"), {{"line", line}})
                                     .value(QStringLiteral("calls"))
                                     .toArray();
        return calls.isEmpty() ? QString() : calls.last().toObject().value(QStringLiteral("state")).toString();
    }

    bool ringAndSay(int line, const QString& number, const QString& name, const QString& then)
    {
        // The call by its id: it has no state the line command could find before the line sees it.
        const QJsonObject rung = Telephony::serviceControl(QStringLiteral("ring"), {{"line", line}, {"number", number}, {"name", name}});
        const QJsonObject said = Telephony::serviceControl(
            QStringLiteral("say"), {{"call", rung.value(QStringLiteral("call"))}, {"file", file("words.wav")}, {"then", then}});
        for (const QJsonObject& answer : {rung, said}) {
            if (!answer.value(QStringLiteral("ok")).toBool()) {
                ADD_FAILURE() << answer.value(QStringLiteral("error")).toString().toStdString();
                return false;
            }
        }
        return true;
    }

    bool waitForCalls(std::size_t count, int timeoutMs = 20000)
    {
        return waitUntil([&] { return m_calls.size() >= count; }, timeoutMs);
    }

    static QList<QJsonObject> jsonLines(const QString& name)
    {
        QList<QJsonObject> lines;
        for (const QByteArray& line : readFile(name).split('\n'))
            if (!line.isEmpty())
                lines << QJsonDocument::fromJson(line).object();
        return lines;
    }

    QTemporaryDir m_dir;
    QByteArray m_oldState;
    QByteArray m_words;
    AttendantOptions m_options;
    std::unique_ptr<Attendant> m_attendant;
    std::vector<AttendantCall> m_calls;
    QStringList m_log;
    bool m_finished = false;
};

} // namespace

TEST_F(AttendantService, EachLineTakesAMessageUntilHashOrHangUp)
{
    start();
    EXPECT_EQ(m_attendant->lines(), QList<int>({1, 2})) << "every voice line, not the modem";
    ASSERT_TRUE(ringAndSay(1, QStringLiteral("5550100"), QStringLiteral("SMITH JOHN"), QStringLiteral("#")));
    ASSERT_TRUE(ringAndSay(2, QStringLiteral("5550123"), QStringLiteral("DOE JANE"), QStringLiteral("hangup")));
    ASSERT_TRUE(waitForCalls(2)) << m_log.join('\n').toStdString();

    const QList<QJsonObject> logged = jsonLines(m_options.messages + QStringLiteral("/calls.jsonl"));
    ASSERT_EQ(logged.size(), 2);
    EXPECT_TRUE(readFile(m_options.messages + QStringLiteral("/calls.jsonl")).startsWith("{\"line\":")) << "in reading order";
    for (const QJsonObject& entry : logged) {
        SCOPED_TRACE(QJsonDocument(entry).toJson().toStdString());
        const int line = entry.value("line").toInt();
        const bool first = line == 1;
        EXPECT_EQ(entry.value("result").toString(), QStringLiteral("recorded"));
        EXPECT_EQ(entry.value("callerNumber").toString(), first ? QStringLiteral("5550100") : QStringLiteral("5550123"));
        EXPECT_EQ(entry.value("callerName").toString(), first ? QStringLiteral("SMITH JOHN") : QStringLiteral("DOE JANE"));
        EXPECT_EQ(entry.value("digits").toString(), first ? QStringLiteral("#") : QString());
        const QDateTime start = QDateTime::fromString(entry.value("start").toString(), Qt::ISODate);
        ASSERT_TRUE(start.isValid());
        EXPECT_GE(entry.value("seconds").toDouble(), 0.3);

        const QString message = entry.value("file").toString();
        EXPECT_EQ(QFileInfo(message).fileName(), start.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral("-%1-%2.wav").arg(line).arg(entry.value("callerNumber").toString()));
        EXPECT_GE(dataOf(readFile(message)).indexOf(m_words), 0) << "the caller's words are not in the message whole";
        TnvRecord reader;
        ASSERT_TRUE(reader.Source()->Buffer()->LoadFromFile(message));
        EXPECT_EQ(reader.Source()->Buffer()->Name(), entry.value("callerName").toString());
        EXPECT_EQ(reader.Source()->Buffer()->Subject(), entry.value("callerNumber").toString());
        EXPECT_EQ(reader.Source()->Buffer()->Comments(), entry.value("digits").toString());
        EXPECT_EQ(reader.Source()->Buffer()->CreationDate().date(), start.date());
    }
    // The lines are free for the next callers.
    EXPECT_EQ(state(1), QString());
    EXPECT_EQ(state(2), QString());
}

TEST_F(AttendantService, ASecondCallerWaitsForTheLineToBeFree)
{
    m_options.lines = {1};
    start();
    ASSERT_TRUE(ringAndSay(1, QStringLiteral("5550100"), QStringLiteral("SMITH JOHN"), QStringLiteral("hangup")));
    ASSERT_TRUE(ringAndSay(1, QStringLiteral("5550123"), QStringLiteral("DOE JANE"), QStringLiteral("hangup")));
    ASSERT_TRUE(waitForCalls(2)) << m_log.join('\n').toStdString();
    EXPECT_EQ(m_calls.at(0).callerNumber, QStringLiteral("5550100"));
    EXPECT_EQ(m_calls.at(1).callerNumber, QStringLiteral("5550123"));
    for (const AttendantCall& call : m_calls) {
        EXPECT_EQ(call.result, AttendantCall::Recorded);
        EXPECT_GE(dataOf(readFile(call.file)).indexOf(m_words), 0) << call.file.toStdString();
    }
}

TEST_F(AttendantService, ASilentCallerIsCutOffAtTheLimit)
{
    m_options.lines = {1};
    m_options.maxSeconds = 1;
    start();
    ASSERT_TRUE(exchangeCommand(QStringLiteral("ring"), {{"line", 1}, {"number", "5550100"}}));
    ASSERT_TRUE(waitForCalls(1));
    EXPECT_EQ(m_calls.front().result, AttendantCall::Recorded);
    // Ended by the limit, not by the caller: nothing pressed, and far short of the default.
    EXPECT_TRUE(m_calls.front().digits.isEmpty());
    EXPECT_GT(m_calls.front().seconds, 0.0);
    EXPECT_LT(m_calls.front().seconds, 30.0);
    EXPECT_TRUE(waitUntil([] { return state(1).isEmpty(); })) << "the attendant hangs up at the limit";
}

TEST_F(AttendantService, MenuDigitsPlayTheirFileAndZeroReachesTheOperator)
{
    // A greeting long enough that the caller's keys come while it plays.
    ASSERT_TRUE(writeFile(file("greeting.wav"), pcmFile(8000, tone(8000 * 20))));
    ASSERT_TRUE(writeFile(file("hours.wav"), pcmFile(8000, tone(800))));
    m_options.lines = {1};
    m_options.greeting = file("greeting.wav");
    m_options.menu.insert(QLatin1Char('1'), file("hours.wav"));
    m_options.operatorNumber = QStringLiteral("202");
    start();

    ASSERT_TRUE(ringAndSay(1, QStringLiteral("5550100"), QStringLiteral("SMITH JOHN"), QStringLiteral("#")));
    ASSERT_TRUE(waitUntil([] { return state(1) == QLatin1String("CONNECTED"); }));
    ASSERT_TRUE(exchangeCommand(QStringLiteral("digits"), {{"line", 1}, {"digits", "1"}}));
    ASSERT_TRUE(waitForCalls(1)) << m_log.join('\n').toStdString();
    EXPECT_EQ(m_calls.back().digits, QStringLiteral("1#"));
    EXPECT_EQ(m_calls.back().result, AttendantCall::Recorded);
    EXPECT_TRUE(m_log.join('\n').contains(QStringLiteral("playing ") + file("hours.wav"))) << m_log.join('\n').toStdString();

    ASSERT_TRUE(exchangeCommand(QStringLiteral("ring"), {{"line", 1}, {"number", "5550123"}}));
    ASSERT_TRUE(waitUntil([] { return state(1) == QLatin1String("CONNECTED"); }));
    ASSERT_TRUE(exchangeCommand(QStringLiteral("digits"), {{"line", 1}, {"digits", "0"}}));
    ASSERT_TRUE(waitForCalls(2)) << m_log.join('\n').toStdString();
    EXPECT_EQ(m_calls.back().result, AttendantCall::Transferred);
    EXPECT_TRUE(m_calls.back().file.isEmpty());
    EXPECT_TRUE(waitUntil([] { return state(2) == QLatin1String("OFFERING"); })) << "the operator's line rings";
}

TEST_F(AttendantService, AMessageTheFolderCannotTakeGoesToRecovery)
{
    m_options.lines = {1};
    start();
    // The folder is gone, and a file is in its way.
    ASSERT_TRUE(QDir(m_options.messages).removeRecursively());
    ASSERT_TRUE(writeFile(m_options.messages, "in the way"));
    ASSERT_TRUE(ringAndSay(1, QStringLiteral("5550100"), QStringLiteral("SMITH JOHN"), QStringLiteral("hangup")));
    ASSERT_TRUE(waitForCalls(1)) << m_log.join('\n').toStdString();

    const QString recovery = m_dir.filePath(QStringLiteral("state/linkora/recordings"));
    const QList<QJsonObject> logged = jsonLines(recovery + QStringLiteral("/calls.jsonl"));
    ASSERT_EQ(logged.size(), 1);
    EXPECT_EQ(logged.front().value("result").toString(), QStringLiteral("recovered"));
    EXPECT_FALSE(logged.front().value("error").toString().isEmpty());
    const QString kept = logged.front().value("file").toString();
    EXPECT_TRUE(kept.startsWith(recovery + QLatin1Char('/'))) << kept.toStdString();
    EXPECT_GE(dataOf(readFile(kept)).indexOf(m_words), 0) << "the recovered message is not whole";
    TnvRecord reader;
    ASSERT_TRUE(reader.Source()->Buffer()->LoadFromFile(kept));
    EXPECT_EQ(reader.Source()->Buffer()->Subject(), QStringLiteral("5550100"));
}

TEST_F(AttendantService, StoppingLetsTheCallEndAndASecondStopCutsItShort)
{
    m_options.lines = {1, 2};
    start();
    // The caller on line 1 is heard out; line 2 is already closed for new callers.
    ASSERT_TRUE(ringAndSay(1, QStringLiteral("5550100"), QStringLiteral("SMITH JOHN"), QStringLiteral("#")));
    ASSERT_TRUE(waitUntil([] { return state(1) == QLatin1String("CONNECTED"); }));
    m_attendant->stop();
    ASSERT_TRUE(waitUntil([&] { return m_finished; }, 20000)) << m_log.join('\n').toStdString();
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(m_calls.front().result, AttendantCall::Recorded);
    EXPECT_GE(dataOf(readFile(m_calls.front().file)).indexOf(m_words), 0);

    // A caller who never stops talking: the second stop ends the message, which is saved.
    m_attendant.reset();
    m_calls.clear();
    m_finished = false;
    m_options.lines = {1};
    start();
    ASSERT_TRUE(exchangeCommand(QStringLiteral("ring"), {{"line", 1}, {"number", "5550123"}}));
    ASSERT_TRUE(waitUntil([] { return state(1) == QLatin1String("CONNECTED"); }));
    m_attendant->stop();
    m_attendant->stop();
    ASSERT_TRUE(waitUntil([&] { return m_finished; }, 10000)) << m_log.join('\n').toStdString();
    ASSERT_EQ(m_calls.size(), 1u);
    EXPECT_EQ(jsonLines(m_options.messages + QStringLiteral("/calls.jsonl")).size(), 2);
}
