#pragma once
// The recorder's one window: the file's name, the take's length, the input
// level, a status line, and the buttons record, pause, resume, stop, play
// and close.
#include <QTimer>
#include <QWidget>
#include <string>

#include "TakeRecorder.h"

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
    void ShowProgress();
    void ShowOutcome(const TakeOutcome& outcome);
    void ShowStatus(const QString& text, const ProblemCause& cause = {});
    void UpdateButtons();

    TakeRecorder recorder_;
    SoundPlayer& player_;
    QTimer meterTimer_;
    bool hasTake_ = false;
    bool playing_ = false;
    bool closeAfterPlaying_ = false;

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
