#pragma once
#include <QObject>
#include <functional>

namespace voicememo {

// While a sound plays, the program takes one input of the user: Esc, which
// ends the sound. Every other one (keys, shortcuts, mouse, wheel, touch) is
// dropped, so nothing changes under the sound.
//
// Made with the window, before the accessibility bridge sets up its own
// filter: filters run last made first, so the bridge still sees each key and
// hands it to a screen reader, whose own keys then work during the sound;
// the keys the bridge gives back are dropped here.
class EscEndsPlayback : public QObject {
    Q_OBJECT
public:
    explicit EscEndsPlayback(QObject* parent = nullptr);
    ~EscEndsPlayback() override;

    // While set, input is dropped and Esc calls stop.
    void setStop(std::function<void()> stop) { stop_ = std::move(stop); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> stop_;
};

}  // namespace voicememo
