#pragma once
#include <QObject>
#include <functional>

namespace voicememo {

// While a sound plays, the program takes one input of the user: Esc, which
// ends the sound. Every other one (keys, shortcuts, mouse, wheel, touch) is
// dropped, so nothing changes under the sound. Lives for the length of one
// playback.
class EscEndsPlayback : public QObject {
    Q_OBJECT
public:
    explicit EscEndsPlayback(std::function<void()> stop);
    ~EscEndsPlayback() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> stop_;
};

}  // namespace voicememo
