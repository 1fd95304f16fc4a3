// quenbrix_playback_probe FILE [SECONDS]: plays FILE with the program's
// player ten times, 300 ms apart, printing how long the sound server took
// from each call to the start of the sound; then lets the last play go on
// for SECONDS (default 30), printing the program's resident memory.
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

#include "pulse_player.h"

namespace {

// VmRSS of /proc/self/status, in KiB.
long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args.size() > 3) {
        QTextStream(stderr) << "Usage : quenbrix_playback_probe FICHIER [SECONDES]\n";
        return 2;
    }
    // The name as given, byte for byte.
    const std::filesystem::path file(argv[1]);
    const int seconds = args.size() == 3 ? args.at(2).toInt() : 30;

    PulsePlayer player;
    std::vector<double> delays;
    for (int play = 0; play < 10; ++play) {
        player.play(file);
        const auto asked = std::chrono::steady_clock::now();
        std::optional<std::chrono::microseconds> delay;
        while (!(delay = player.lastStartDelay()) &&
               std::chrono::steady_clock::now() - asked < std::chrono::seconds(2)) {
            QThread::msleep(1);
        }
        if (!delay) {
            out << "lecture " << play + 1 << " : pas de début de son en 2 s\n";
            return 1;
        }
        delays.push_back(static_cast<double>(delay->count()) / 1000.0);
        out << "lecture " << play + 1 << " : début du son après " << delays.back() << " ms\n";
        QThread::msleep(300);
    }
    std::sort(delays.begin(), delays.end());
    out << "médiane " << delays[delays.size() / 2] << " ms, maximum " << delays.back() << " ms\n";

    long lowest = residentKiB();
    long highest = lowest;
    for (int second = 1; second <= seconds; ++second) {
        QThread::sleep(1);
        const long now = residentKiB();
        lowest = std::min(lowest, now);
        highest = std::max(highest, now);
        if (second % 10 == 0 || second == seconds) {
            out << second << " s : " << now << " Kio résidents\n";
            out.flush();
        }
    }
    out << "mémoire résidente pendant la lecture : de " << lowest << " à " << highest << " Kio\n";
    return 0;
}
