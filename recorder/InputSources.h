#pragma once
// The sound server's inputs (its sources) and which one is its default, as
// the server lists them, followed as inputs are plugged in or removed and the
// default changes. Read through libpulse's asynchronous API on a thread of
// its own; Changed() comes on the thread that made the object.
#include <QObject>
#include <pulse/def.h>
#include <string>
#include <vector>

struct pa_context;
struct pa_server_info;
struct pa_source_info;
struct pa_threaded_mainloop;

namespace voicememo {

struct InputSource {
    std::string name;         // the server's name, as a stream is opened on it
    std::string description;  // what the desktop calls it
};

class InputSources : public QObject {
    Q_OBJECT
public:
    explicit InputSources(QObject* parent = nullptr);
    ~InputSources() override;

    // Empty until the server first answers, and without a server.
    const std::vector<InputSource>& sources() const { return sources_; }
    const std::string& defaultName() const { return defaultName_; }

signals:
    void Changed();

private:
    // These run on the main loop's thread.
    static void OnState(pa_context* context, void* self);
    static void OnEvent(pa_context* context, pa_subscription_event_type_t event, uint32_t index, void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnSourceInfo(pa_context* context, const pa_source_info* info, int last, void* self);
    void Refresh();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    // The list being read from the server; the main loop's thread only.
    bool reading_ = false;
    bool readAgain_ = false;
    std::vector<InputSource> readingSources_;
    std::string readingDefault_;

    std::vector<InputSource> sources_;
    std::string defaultName_;
};

}  // namespace voicememo
