#include "RecorderWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <cmath>

#include "AccessibleRoles.h"
#include "LevelMeter.h"
#include "PlaybackKeys.h"
#include "RecorderMessages.h"
#include "SoundPlayer.h"
#include "StatusArea.h"
#include "TakeFile.h"

namespace voicememo {

namespace {

constexpr int kMeterIntervalMs = 50;
const QString kSourceKey = QStringLiteral("Input/Source");
const QString kTakeTimeCaption = QStringLiteral("録音時間:");
const QString kPlayPositionCaption = QStringLiteral("再生位置:");

// The recorder's own settings: ~/.config/voicememo/voicememo-recorder.conf.
std::unique_ptr<QSettings> RecorderSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("voicememo"),
                                       QStringLiteral("voicememo-recorder"));
}

// Whether the user lets a new take replace the one the file holds. "いいえ"
// is the default, for Enter as for Esc: a stray key keeps the take.
bool AgreesToReplaceTake(QWidget* owner, const std::string& target)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("録音"), ReplaceTakeQuestion(target), QMessageBox::NoButton,
                    owner);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return box.clickedButton() == yes;
}

}  // namespace

QString FormatTakeLength(double seconds)
{
    const long tenths = std::lround(std::max(seconds, 0.0) * 10);
    return QStringLiteral("%1:%2.%3").arg(tenths / 600).arg(tenths / 10 % 60, 2, 10, QLatin1Char('0')).arg(tenths % 10);
}

QString FormatPlayPosition(double seconds, double length)
{
    return QStringLiteral("%1 / %2").arg(FormatTakeLength(std::min(seconds, length)), FormatTakeLength(length));
}

RecorderWindow::RecorderWindow(const std::string& target, SoundPlayer& player, QWidget* parent)
    : QWidget(parent),
      recorder_(target),
      player_(player),
      chosenSource_(RecorderSettings()->value(kSourceKey).toString().toStdString()),
      hasTake_(HoldsTake(target))
{
    GiveAccessibleRole(RecorderWindow::staticMetaObject, QAccessible::Window);
    recorder_.SetSource(chosenSource_);
    const QString fileName = FileNameOf(target);
    setWindowTitle(QStringLiteral("録音 - %1").arg(fileName));

    auto* nameLabel = new QLabel(fileName);
    nameLabel->setObjectName(QStringLiteral("nameLabel"));
    nameLabel->setToolTip(QString::fromUtf8(target));
    levelMeter_ = new LevelMeter;
    levelMeter_->setObjectName(QStringLiteral("levelMeter"));
    statusArea_ = new StatusArea;

    sourceBox_ = new QComboBox;
    sourceBox_->setObjectName(QStringLiteral("sourceBox"));
    sourceBox_->setToolTip(QStringLiteral("録音する入力を選びます。"));

    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("ファイル:"), nameLabel);
    fields->addRow(QStringLiteral("入力:"), sourceBox_);
    fields->addRow(QStringLiteral("入力レベル:"), levelMeter_);

    recordButton_ = new QPushButton(QStringLiteral("録音(&R)"));
    pauseButton_ = new QPushButton(QStringLiteral("一時停止(&U)"));
    resumeButton_ = new QPushButton(QStringLiteral("再開(&E)"));
    stopButton_ = new QPushButton(QStringLiteral("停止(&S)"));
    playButton_ = new QPushButton(QStringLiteral("再生(&P)"));
    closeButton_ = new QPushButton(QStringLiteral("閉じる(&C)"));
    recordButton_->setObjectName(QStringLiteral("recordButton"));
    pauseButton_->setObjectName(QStringLiteral("pauseButton"));
    resumeButton_->setObjectName(QStringLiteral("resumeButton"));
    stopButton_->setObjectName(QStringLiteral("stopButton"));
    playButton_->setObjectName(QStringLiteral("playButton"));
    closeButton_->setObjectName(QStringLiteral("closeButton"));
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {recordButton_, pauseButton_, resumeButton_, stopButton_, playButton_, closeButton_}) {
        button->setAutoDefault(true);  // Enter presses the focused button, as Space does
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(statusArea_);
    layout->addLayout(buttons);

    playbackKeys_ = new PlaybackKeys(QKeySequence::mnemonic(stopButton_->text()), this);

    connect(recordButton_, &QPushButton::clicked, this, &RecorderWindow::RecordPressed);
    connect(pauseButton_, &QPushButton::clicked, this, &RecorderWindow::PauseTake);
    connect(resumeButton_, &QPushButton::clicked, this, &RecorderWindow::ResumeTake);
    connect(stopButton_, &QPushButton::clicked, this, [this] { playing_ ? player_.Stop() : StopTake(); });
    connect(playButton_, &QPushButton::clicked, this, &RecorderWindow::PlayTake);
    connect(closeButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(sourceBox_, &QComboBox::activated, this, &RecorderWindow::ChooseSource);
    connect(&sources_, &InputSources::Changed, this, &RecorderWindow::ShowSources);
    meterTimer_.setInterval(kMeterIntervalMs);
    connect(&meterTimer_, &QTimer::timeout, this, &RecorderWindow::ShowProgress);

    ShowStatus(QStringLiteral("「録音」を押すと録音を始めます。"));
    ShowTakeLength();
    ShowSources();
    UpdateButtons();
}

// The server's default first, then every source the server has; the chosen
// one is shown while the server has it, the default otherwise.
void RecorderWindow::ShowSources()
{
    QString defaultDescription;
    for (const InputSource& source : sources_.sources())
        if (source.name == sources_.defaultName())
            defaultDescription = QString::fromStdString(source.description);
    sourceBox_->clear();
    sourceBox_->addItem(defaultDescription.isEmpty() ? QStringLiteral("既定の入力")
                                                     : QStringLiteral("既定の入力（%1）").arg(defaultDescription),
                        QString());
    for (const InputSource& source : sources_.sources())
        sourceBox_->addItem(QString::fromStdString(source.description), QString::fromStdString(source.name));
    sourceBox_->setCurrentIndex(std::max(0, sourceBox_->findData(QString::fromStdString(chosenSource_))));
}

void RecorderWindow::ChooseSource(int index)
{
    chosenSource_ = sourceBox_->itemData(index).toString().toStdString();
    recorder_.SetSource(chosenSource_);
    auto settings = RecorderSettings();
    if (chosenSource_.empty())
        settings->remove(kSourceKey);
    else
        settings->setValue(kSourceKey, QString::fromStdString(chosenSource_));
}

void RecorderWindow::StartTake()
{
    if (playing_)
        return;
    if (recorder_.IsRecording())
        StopTake();
    const TakeOutcome started = recorder_.Start();
    if (started.problem != TakeProblem::None) {
        ShowStatus(DescribeProblem(started), started.cause);
        ShowTakeLength();
    } else {
        ShowStatus(QStringLiteral("録音中…"));
        meterTimer_.start();
        ShowProgress();
    }
    UpdateButtons();
}

void RecorderWindow::RecordPressed()
{
    if (playing_ || recorder_.IsRecording())
        return;
    if (HoldsTake(recorder_.target()) && !AgreesToReplaceTake(this, recorder_.target()))
        return;
    StartTake();
}

void RecorderWindow::StopTake()
{
    if (!recorder_.IsRecording())
        return;
    meterTimer_.stop();
    ShowOutcome(recorder_.Stop());
    levelMeter_->SetValue(0);
    ShowTakeLength();
    UpdateButtons();
}

void RecorderWindow::PlayTake()
{
    if (playing_ || recorder_.IsRecording() || !hasTake_)
        return;
    playing_ = true;
    ShowStatus(QStringLiteral("再生中…"));
    UpdateButtons();
    // The place is the time since the sound began: the player tells no
    // other, and the server's start-up delay is a few milliseconds.
    const double length = TakeSeconds(recorder_.target());
    QElapsedTimer played;
    played.start();
    const auto showPosition = [&] {
        statusArea_->ShowTime(kPlayPositionCaption, FormatPlayPosition(played.elapsed() / 1000.0, length));
    };
    showPosition();
    playbackKeys_->setStop([this] { player_.Stop(); });
    player_.PlayToEnd(recorder_.target(), [&] {
        showPosition();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    });
    playbackKeys_->setStop({});
    playing_ = false;
    ShowStatus({});
    ShowTakeLength();
    UpdateButtons();
    if (closeAfterPlaying_)
        close();
}

void RecorderWindow::PauseTake()
{
    if (!recorder_.IsRecording() || recorder_.IsPaused())
        return;
    recorder_.Pause();
    ShowStatus(QStringLiteral("一時停止中です。「再開」で続きを録音します。"));
    ShowProgress();
    UpdateButtons();
}

void RecorderWindow::ResumeTake()
{
    if (!recorder_.IsPaused())
        return;
    recorder_.Resume();
    ShowStatus(QStringLiteral("録音中…"));
    UpdateButtons();
}

void RecorderWindow::closeEvent(QCloseEvent* event)
{
    // Playback runs inside this window's button handler: the sound is
    // ended at once, and the window goes when the handler returns.
    if (playing_) {
        closeAfterPlaying_ = true;
        player_.Stop();
        event->ignore();
        return;
    }
    // A question still up is answered "いいえ": the take it asks about
    // never starts in a window that is gone.
    for (QMessageBox* question : findChildren<QMessageBox*>())
        question->reject();
    StopTake();
    event->accept();
}

void RecorderWindow::ShowProgress()
{
    if (recorder_.HasEndedByItself()) {
        StopTake();
        return;
    }
    statusArea_->ShowTime(kTakeTimeCaption, FormatTakeLength(recorder_.Seconds()));
    levelMeter_->SetValue(recorder_.Level());
}

// Outside a take, the length of the take the file holds: what 再生 plays.
void RecorderWindow::ShowTakeLength()
{
    statusArea_->ShowTime(kTakeTimeCaption, FormatTakeLength(TakeSeconds(recorder_.target())));
}

void RecorderWindow::ShowOutcome(const TakeOutcome& outcome)
{
    if (outcome.saved)
        hasTake_ = true;
    ShowStatus(DescribeProblem(outcome), outcome.cause);
}

void RecorderWindow::ShowStatus(const QString& text, const ProblemCause& cause)
{
    statusArea_->Tell(text, DescribeCause(cause));
}

void RecorderWindow::UpdateButtons()
{
    // A button disabled under the keyboard's focus hands it on to the one
    // that follows it in use, so Space or Enter goes on doing what the
    // focused button's caption says.
    QWidget* focused = focusWidget();
    const bool recording = recorder_.IsRecording();
    const bool paused = recorder_.IsPaused();
    recordButton_->setEnabled(!recording && !playing_);
    sourceBox_->setEnabled(!recording && !playing_);
    pauseButton_->setEnabled(recording && !paused);
    resumeButton_->setEnabled(paused);
    stopButton_->setEnabled(recording || playing_);
    playButton_->setEnabled(!recording && !playing_ && hasTake_);
    const std::pair<QPushButton*, QPushButton*> followers[] = {
        {recordButton_, stopButton_}, {pauseButton_, resumeButton_}, {resumeButton_, pauseButton_},
        {playButton_, stopButton_},   {stopButton_, playButton_},    {stopButton_, recordButton_},
    };
    for (const auto& [button, follower] : followers) {
        if (focused == button && !button->isEnabled() && follower->isEnabled()) {
            follower->setFocus();
            break;
        }
    }
}

}  // namespace voicememo
