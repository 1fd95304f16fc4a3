// Form1, the window the program opens with: two frequencies, a duration and
// a volume make test.wav, which is then played.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string_view>

#include <QString>
#include <QWidget>

#include "tonegen/tone_file.h"

class DigitBox;
class FlatButton;
class QLabel;
class QPushButton;
class SoundPlayer;
class VolumeBar;

class MainWindow final : public QWidget {
    Q_OBJECT

  public:
    using ToneFileMaker = tonegen::ToneFileMaker;

    // programDirectory is where test.wav is written and played from.
    MainWindow(std::filesystem::path programDirectory, SoundPlayer& player,
               ToneFileMaker makeToneFile = tonegen::CreateToneFile, QWidget* parent = nullptr);

    [[nodiscard]] std::filesystem::path toneFilePath() const;

  public slots:
    // "Créer": writes test.wav from the inputs, then plays it or shows why not.
    void createAndPlay();
    // "Rejouer": plays test.wav again, whether or not it exists.
    void replay();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    void showError(const QString& description);

    std::filesystem::path programDirectory_;
    SoundPlayer& player_;
    ToneFileMaker makeToneFile_;

    FlatButton* cmdAide_ = nullptr;
    DigitBox* txtFreq1_ = nullptr;
    DigitBox* txtFreq2_ = nullptr;
    QLabel* label1_ = nullptr;
    QLabel* label2_ = nullptr;
    DigitBox* text5_ = nullptr;
    QLabel* label5_ = nullptr;
    VolumeBar* volumeScroll_ = nullptr;
    QLabel* label6_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* cmdRejoue_ = nullptr;
};
