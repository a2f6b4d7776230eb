#pragma once
// The recorder's one window: the file's name, the input it records from
// (the server's default, or one the user chose, remembered in the
// recorder's settings), the take's length, the input level, a status line,
// and the buttons record, pause, resume, stop, play
// and close.
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <string>

#include "InputSources.h"
#include "TakeRecorder.h"

class QComboBox;
class QProgressBar;
class QPushButton;

namespace voicememo {

class SoundPlayer;

// The window's status line, announced to a screen reader as one: each new
// status shown is told to it as the line's new name.
class StatusLine : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
    void Tell(const QString& text);
};

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
    StatusLine* statusLabel_;
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
