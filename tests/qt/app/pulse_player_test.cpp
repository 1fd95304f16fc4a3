// The real player into a private PulseAudio server with a null sink, whose
// monitor is recorded and searched for the tones that were played.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "pulse_player.h"

namespace {

constexpr int kRate = 44100;
constexpr int kBlock = kRate / 20;  // 50 ms analysis blocks
constexpr double kAmplitude = 8000.0;

// A mono 16-bit file of two sines, independent of the program's own writer.
// With a longer `declaredSeconds`, the header announces that length and the
// file is extended to it with silence that takes no disk space.
void WriteTwoTones(const QString& path, double f1, double f2, double seconds,
                   double declaredSeconds = 0) {
    const auto count = static_cast<quint32>(seconds * kRate);
    const auto declared = std::max(count, static_cast<quint32>(declaredSeconds * kRate));
    QByteArray data;
    auto put32 = [&data](quint32 v) {
        for (int i = 0; i < 4; ++i) {
            data.append(static_cast<char>((v >> (8 * i)) & 0xFFu));
        }
    };
    auto put16 = [&data](quint16 v) {
        data.append(static_cast<char>(v & 0xFFu));
        data.append(static_cast<char>(v >> 8));
    };
    data.append("RIFF");
    put32(36 + 2 * declared);
    data.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(kRate);
    put32(2 * kRate);
    put16(2);
    put16(16);
    data.append("data");
    put32(2 * declared);
    for (quint32 i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v =
            kAmplitude / 2 *
            (std::sin(2 * std::numbers::pi * f1 * t) + std::sin(2 * std::numbers::pi * f2 * t));
        put16(static_cast<quint16>(static_cast<qint16>(std::lround(v))));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(data), data.size());
    QVERIFY(file.resize(44 + 2 * qint64{declared}));
}

// The amplitude of one frequency in a block (Goertzel).
double ToneAmplitude(const qint16* samples, int count, double frequency) {
    const double w = 2 * std::numbers::pi * frequency / kRate;
    const double coefficient = 2 * std::cos(w);
    double s1 = 0;
    double s2 = 0;
    for (int i = 0; i < count; ++i) {
        const double s0 = samples[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / count;
}

double Rms(const qint16* samples, int count) {
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += static_cast<double>(samples[i]) * samples[i];
    }
    return std::sqrt(sum / count);
}

// The loudest 50 ms block between two sample positions.
double Loudest(const std::vector<qint16>& samples, std::size_t from, std::size_t to) {
    double loudest = 0;
    for (std::size_t start = from; start + kBlock <= to; start += kBlock) {
        loudest = std::max(loudest, Rms(samples.data() + start, kBlock));
    }
    return loudest;
}

}  // namespace

class PulsePlayerTest final : public QObject {
    Q_OBJECT

    QTemporaryDir runtime_;
    QProcess server_;
    QProcess recorder_;
    QByteArray recording_;
    QString socket_;

    void startRecording() {
        recording_.clear();
        // Read as it comes: a full pipe would stall the recorder.
        disconnect(&recorder_, nullptr, this, nullptr);
        connect(&recorder_, &QProcess::readyReadStandardOutput, this,
                [this] { recording_ += recorder_.readAllStandardOutput(); });
        recorder_.setProcessEnvironment(clientEnvironment());
        recorder_.start(QStringLiteral("parec"),
                        {"-d", "quenbrix_sink.monitor", "--raw", "--format=s16le", "--rate=44100",
                         "--channels=1", "--latency-msec=20"});
        QVERIFY(recorder_.waitForStarted());
        // The recorder takes a moment to connect: play nothing before its
        // first bytes arrive.
        QTRY_VERIFY_WITH_TIMEOUT(!recording_.isEmpty(), 10000);
        QTest::qWait(200);
    }

    // Stops the recorder and returns the samples it got.
    std::vector<qint16> stopRecording() {
        recorder_.terminate();
        recorder_.waitForFinished(5000);
        recording_ += recorder_.readAllStandardOutput();
        std::vector<qint16> samples(static_cast<std::size_t>(recording_.size() / 2));
        std::memcpy(samples.data(), recording_.constData(), samples.size() * 2);
        return samples;
    }

    QProcessEnvironment clientEnvironment() const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PULSE_SERVER"), QStringLiteral("unix:") + socket_);
        return environment;
    }

  private slots:
    void initTestCase() {
        const QString pulseaudio = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
        if (pulseaudio.isEmpty()) {
            QSKIP("pulseaudio is not installed");
        }
        QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty());
        QVERIFY(runtime_.isValid());
        const QString run = runtime_.path() + QStringLiteral("/run");
        QVERIFY(QDir().mkpath(run + QStringLiteral("/pulse")));
        QVERIFY(QDir().mkpath(runtime_.path() + QStringLiteral("/home")));
        QFile::setPermissions(run, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        socket_ = run + QStringLiteral("/native");

        // A server of our own: not the system one, never autospawned, not
        // ending while idle, with one null sink to record from.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), run + QStringLiteral("/pulse"));
        environment.insert(QStringLiteral("HOME"), runtime_.path() + QStringLiteral("/home"));
        environment.remove(QStringLiteral("PULSE_SERVER"));
        server_.setProcessEnvironment(environment);
        server_.setProcessChannelMode(QProcess::MergedChannels);
        server_.start(pulseaudio,
                      {"-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
                       "--use-pid-file=no", "--log-target=stderr", "-L",
                       "module-null-sink sink_name=quenbrix_sink rate=44100 channels=1", "-L",
                       "module-native-protocol-unix auth-anonymous=1 socket=" + socket_});
        QVERIFY(server_.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket_), 10000);

        // The player connects on its first sound, to this server only.
        qputenv("PULSE_SERVER", ("unix:" + socket_).toLocal8Bit());
        qputenv("CANBERRA_DRIVER", "pulse");
        qputenv("PULSE_CLIENTCONFIG", "/dev/null");
    }

    void cleanupTestCase() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(5000)) {
                server_.kill();
                server_.waitForFinished(2000);
            }
        }
    }

    // The file is played from its beginning; a second call cuts the first
    // sound short, and plays what the file holds now (no cached copy).
    void playsBothTonesAndANewCallCutsTheOldSound() {
        const QString path = runtime_.path() + QStringLiteral("/Répertoire du programme/test.wav");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        WriteTwoTones(path, 1209, 697, 3.0);
        PulsePlayer player;
        startRecording();
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(600);
        WriteTwoTones(path, 1477, 852, 0.8);  // rewritten as "Créer" does
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(1500);
        const std::vector<qint16> samples = stopRecording();
        QVERIFY2(samples.size() > static_cast<std::size_t>(kRate),
                 qPrintable(QString::number(samples.size())));

        int firstBlocks = 0;
        int secondBlocks = 0;
        int firstAfterSecond = 0;
        for (std::size_t start = 0; start + kBlock <= samples.size(); start += kBlock) {
            const qint16* block = samples.data() + start;
            const bool first = ToneAmplitude(block, kBlock, 1209) > kAmplitude / 8 &&
                               ToneAmplitude(block, kBlock, 697) > kAmplitude / 8;
            const bool second = ToneAmplitude(block, kBlock, 1477) > kAmplitude / 8 &&
                                ToneAmplitude(block, kBlock, 852) > kAmplitude / 8;
            firstBlocks += first ? 1 : 0;
            secondBlocks += second ? 1 : 0;
            firstAfterSecond += (first && secondBlocks > 0 && !second) ? 1 : 0;
        }
        // about 600 ms of the first sound (of 3 s; a busy machine may stretch
        // the wait), then the whole 800 ms of the second
        QVERIFY2(firstBlocks >= 6, qPrintable(QString::number(firstBlocks)));
        QVERIFY2(firstBlocks <= 40, qPrintable(QString::number(firstBlocks)));
        QVERIFY2(secondBlocks >= 12, qPrintable(QString::number(secondBlocks)));
        QCOMPARE(firstAfterSecond, 0);
    }

    // Beyond the 64 MiB that the desktop's event sounds stop at: the file is
    // streamed, and a decoder hears the key that it holds.
    void fileOverSixtyFourMebibytesPlaysItsKey() {
        const QString decoder = QStandardPaths::findExecutable(QStringLiteral("multimon-ng"));
        if (decoder.isEmpty()) {
            QSKIP("multimon-ng is not installed");
        }
        const QString path = runtime_.path() + QStringLiteral("/long/test.wav");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        WriteTwoTones(path, 1336, 770, 2.0, 761.0);  // key "5", 761 s announced
        QVERIFY(QFileInfo(path).size() > qint64{64} * 1024 * 1024);
        PulsePlayer player;
        startRecording();
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(1500);
        const std::vector<qint16> samples = stopRecording();

        // multimon-ng reads 22,050 samples per second.
        QByteArray halved;
        for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
            const auto mean = static_cast<qint16>((samples[i] + samples[i + 1]) / 2);
            halved.append(reinterpret_cast<const char*>(&mean), sizeof mean);
        }
        QProcess decoding;
        decoding.start(decoder, {"-q", "-c", "-a", "DTMF", "-t", "raw", "-"});
        QVERIFY(decoding.waitForStarted());
        decoding.write(halved);
        decoding.closeWriteChannel();
        QVERIFY(decoding.waitForFinished(20000));
        const QString heard = QString::fromLatin1(decoding.readAllStandardOutput()).trimmed();
        QCOMPARE(heard, QStringLiteral("DTMF: 5"));
    }

    // A valid file without samples is silence, not the alert; and the
    // stream is the application's own, not an event sound.
    void emptyFileIsSilenceAndToneIsAnApplicationStream() {
        const QString path = runtime_.path() + QStringLiteral("/vide/test.wav");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        WriteTwoTones(path, 1209, 697, 0.0);
        QCOMPARE(QFileInfo(path).size(), 44);
        PulsePlayer player;
        startRecording();
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(1000);
        const std::vector<qint16> samples = stopRecording();
        QVERIFY(samples.size() > static_cast<std::size_t>(kRate / 2));
        const double loudest = Loudest(samples, 0, samples.size());
        QVERIFY2(loudest < 10, qPrintable(QString::number(loudest)));

        WriteTwoTones(path, 1209, 697, 3.0);
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(300);
        QProcess pactl;
        pactl.setProcessEnvironment(clientEnvironment());
        pactl.start(QStringLiteral("pactl"), {"list", "sink-inputs"});
        QVERIFY(pactl.waitForFinished(10000));
        const QString inputs = QString::fromUtf8(pactl.readAllStandardOutput());
        QVERIFY2(inputs.contains(QStringLiteral("application.name = \"Quenbrix\"")),
                 qPrintable(inputs));
        QVERIFY2(inputs.contains(QStringLiteral("media.filename = \"") + path), qPrintable(inputs));
        QVERIFY2(!inputs.contains(QStringLiteral("media.role")), qPrintable(inputs));
    }

    // "Créer" deletes the file it is about to rewrite: the old sound stops
    // and the player lets go of the deleted file.
    void deletedFileStopsAndIsReleased() {
        const QString path = runtime_.path() + QStringLiteral("/efface/test.wav");
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        WriteTwoTones(path, 1209, 697, 10.0);
        PulsePlayer player;
        startRecording();
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(600);
        QVERIFY(QFile::remove(path));
        QTest::qWait(900);
        const std::vector<qint16> samples = stopRecording();
        const QDir descriptors(QStringLiteral("/proc/self/fd"));
        for (const QString& entry :
             descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString target = QFile::symLinkTarget(descriptors.filePath(entry));
            QVERIFY2(!target.startsWith(path), qPrintable(target));
        }
        QVERIFY(samples.size() > static_cast<std::size_t>(kRate));
        const std::size_t tail = kRate / 2;  // the last half second
        QVERIFY(Loudest(samples, 0, samples.size() - tail) > 1000);
        QVERIFY2(Rms(samples.data() + samples.size() - tail, static_cast<int>(tail)) < 10,
                 "the deleted file still sounds");
    }

    // A file that is missing or is not a sound plays the desktop's alert.
    void unplayableFilePlaysTheAlert_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("not a sound") << "RIFF";
        QTest::newRow("a folder") << "folder";
    }

    void unplayableFilePlaysTheAlert() {
        QFETCH(QString, kind);
        const QString path = runtime_.path() + QStringLiteral("/absent-%1/test.wav").arg(kind);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()));
        if (kind == QLatin1String("RIFF")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("RIFF");  // what an overflowing run leaves behind
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        }
        PulsePlayer player;
        startRecording();
        player.play(QFile::encodeName(path).toStdString());
        QTest::qWait(1500);
        const std::vector<qint16> samples = stopRecording();
        const double loudest = Loudest(samples, 0, samples.size());
        QVERIFY2(loudest > 100, qPrintable(QString::number(loudest)));
    }

    // Silence is recorded when nothing plays: the checks above are no echo
    // of the recorder itself.
    void nothingPlayedRecordsSilence() {
        startRecording();
        QTest::qWait(500);
        const std::vector<qint16> samples = stopRecording();
        QVERIFY(!samples.empty());
        QVERIFY(Rms(samples.data(), static_cast<int>(samples.size())) < 10);
    }
};

QTEST_GUILESS_MAIN(PulsePlayerTest)
#include "pulse_player_test.moc"
