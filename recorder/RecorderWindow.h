#pragma once
// The recorder's one window: the file's name, the input it records from
// (the server's default, or one the user chose, remembered in the
// recorder's settings), the input level, a status bar with the take's time
// (its length, the running take's, or the place played), and the buttons
// record, pause, resume, stop, play and close.
#include <QTimer>
#include <QWidget>
#include <string>

#include "InputSources.h"
#include "TakeRecorder.h"

class QComboBox;
class QPushButton;

namespace voicememo {

class LevelMeter;
class PlaybackKeys;
class SoundPlayer;
class StatusArea;

class RecorderWindow : public QWidget {
    Q_OBJECT
public:
    RecorderWindow(const std::string& target, SoundPlayer& player, QWidget* parent = nullptr);

    // Starts a take at once, as the command line asks; 録音 asks first
    // when the file holds a take.
    void StartTake();
    void StopTake();
    void PauseTake();
    void ResumeTake();
    void PlayTake();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void RecordPressed();
    void ShowSources();
    void ChooseSource(int index);
    void ShowProgress();
    void ShowTakeLength();
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
    LevelMeter* levelMeter_;
    StatusArea* statusArea_;
    QPushButton* recordButton_;
    QPushButton* pauseButton_;
    QPushButton* resumeButton_;
    QPushButton* stopButton_;
    QPushButton* playButton_;
    QPushButton* closeButton_;
    PlaybackKeys* playbackKeys_;
};

// A take's length as the window shows it: "m:ss.s".
QString FormatTakeLength(double seconds);
// The place played in a take of that length: "0:03.2 / 0:22.3".
QString FormatPlayPosition(double seconds, double length);

}  // namespace voicememo
