// Helpers shared by the window tests: a player that records, and a way to
// answer the modal boxes the window opens.
#pragma once

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStringList>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <utility>

#include "sound_player.h"

// Runs a helper program such as xdotool or xprop and returns what it printed;
// a failure is reported, and the caller's checks then fail on the output.
inline QString Run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(20000) || process.exitCode() != 0) {
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A folder as the windows take it, from a name Qt holds as text.
inline std::filesystem::path Folder(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

class RecordingPlayer final : public SoundPlayer {
  public:
    void play(const std::filesystem::path& path) override {
        lastPath = path;
        played.append(QFile::decodeName(path.c_str()));
        if (failWith != nullptr) {
            throw std::runtime_error(failWith);
        }
    }
    QStringList played;
    std::filesystem::path lastPath;
    const char* failWith = nullptr;
};

// What a modal message box showed before it was answered.
struct SeenBox {
    bool seen = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QList<QMessageBox::StandardButton> buttons;
};

// While it lives, answers every modal message box by pressing its first
// button, keeping what the last one showed. `whileOpen` runs while a box is
// on screen.
class BoxWatcher final {
  public:
    explicit BoxWatcher(std::function<void()> whileOpen = {}) : whileOpen_(std::move(whileOpen)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { answer(); });
        timer_.start();
    }
    SeenBox seen;
    int count = 0;

  private:
    void answer() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->buttons().isEmpty()) {
            return;
        }
        ++count;
        seen = SeenBox{};
        seen.seen = true;
        seen.title = box->windowTitle();
        seen.text = box->text();
        seen.icon = box->icon();
        for (QAbstractButton* button : box->buttons()) {
            seen.buttons.append(box->standardButton(button));
        }
        if (whileOpen_) {
            whileOpen_();
        }
        box->buttons().value(0)->click();
    }

    QTimer timer_;
    std::function<void()> whileOpen_;
};
