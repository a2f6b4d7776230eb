#pragma once
// While a take plays, the recorder takes only its playback keys: Esc and the
// stop button's key (Alt+S) end the sound; every other key, shortcut and
// underlined letter is dropped, so that no key pressed during the sound
// presses a button (a screen reader's "where am I", KP_Enter, once closed
// the window). The mouse still reaches the buttons, of which only 停止 and
// 閉じる can be pressed while a take plays.
//
// A filter on the application, made with the window, before the
// accessibility bridge sets up its own: filters run last made first, so the
// bridge still sees each key and hands it to a screen reader, and the keys
// it gives back are dropped here.
#include <QKeySequence>
#include <QObject>
#include <functional>

namespace voicememo {

class PlaybackKeys : public QObject {
    Q_OBJECT
public:
    PlaybackKeys(QKeySequence stopKey, QObject* parent);
    ~PlaybackKeys() override;

    // While set (a take plays), keys are dropped and the playback keys call stop.
    void setStop(std::function<void()> stop) { stop_ = std::move(stop); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QKeySequence stopKey_;
    std::function<void()> stop_;
};

}  // namespace voicememo
