#pragma once
// SIGTERM, SIGHUP, SIGINT and SIGQUIT, the ways a desktop or a user ends a
// program from outside (Ctrl+C in a terminal), turned into a call on the GUI
// thread, so the program ends through its window's close like any other
// close request.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace voicememo {

class EndSignals : public QObject {
public:
    explicit EndSignals(std::function<void()> onEnd, QObject* parent = nullptr);
    // The signals end the process again, as they do by default.
    ~EndSignals() override;

private:
    std::function<void()> onEnd_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace voicememo
