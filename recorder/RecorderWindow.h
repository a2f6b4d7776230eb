#pragma once
// The recorder's one window: the file's name, the input it records from
// (the server's default, or one the user chose, remembered in the
// recorder's settings), the take's length, the input level, a status line,
// and the buttons record, pause, resume, stop, play
// and close.
#include <QTimer>
#include <QWidget>
#include <string>

#include "InputSources.h"
#include "TakeRecorder.h"

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace voicememo {

class SoundPlayer;

class RecorderWindow : public QWidget {
    Q_OBJECT
public:
    RecorderWindow(const std::string& target, SoundPlayer& player, QWidget* parent = nullptr);

    void StartTake();
    void StopTake();
    void PauseTake();
    void ResumeTake();
    void PlayTake();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowSources();
    void ChooseSource(int index);
    void ShowProgress();
    void ShowOutcome(const TakeOutcome& outcome);
    void ShowStatus(const QString& text, const ProblemCause& cause = {});
    void UpdateButtons();

    TakeRecorder recorder_;
    SoundPlayer& player_;
    InputSources sources_;
    std::string chosenSource_;  // empty: the server's default
    QTimer meterTimer_;
    bool hasTake_ = false;
    bool playing_ = false;
    bool closeAfterPlaying_ = false;

    QComboBox* sourceBox_;
    QLabel* elapsedLabel_;
    QProgressBar* levelBar_;
    QLabel* statusLabel_;
    QPushButton* recordButton_;
    QPushButton* pauseButton_;
    QPushButton* resumeButton_;
    QPushButton* stopButton_;
    QPushButton* playButton_;
    QPushButton* closeButton_;
};

// A take's length as the window shows it: "m:ss.s".
QString FormatTakeLength(double seconds);

}  // namespace voicememo
