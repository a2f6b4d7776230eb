#include "InputSources.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>
#include <pulse/thread-mainloop.h>

namespace voicememo {

namespace {

std::string TextOf(const char* text) { return text ? text : ""; }

}  // namespace

InputSources::InputSources(QObject* parent) : QObject(parent)
{
    loop_ = pa_threaded_mainloop_new();
    if (!loop_)
        return;
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "voicememo-recorder");
    if (!context_)
        return;
    pa_context_set_state_callback(context_, &InputSources::OnState, this);
    pa_threaded_mainloop_lock(loop_);
    // Without a server the list stays empty and the server's default is used.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) == 0)
        pa_threaded_mainloop_start(loop_);
    pa_threaded_mainloop_unlock(loop_);
}

InputSources::~InputSources()
{
    if (loop_)
        pa_threaded_mainloop_stop(loop_);
    if (context_) {
        pa_context_disconnect(context_);
        pa_context_unref(context_);
    }
    if (loop_)
        pa_threaded_mainloop_free(loop_);
}

void InputSources::OnState(pa_context* context, void* self)
{
    if (pa_context_get_state(context) != PA_CONTEXT_READY)
        return;
    pa_context_set_subscribe_callback(context, &InputSources::OnEvent, self);
    const auto mask = static_cast<pa_subscription_mask_t>(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
    if (pa_operation* subscribed = pa_context_subscribe(context, mask, nullptr, nullptr))
        pa_operation_unref(subscribed);
    static_cast<InputSources*>(self)->Refresh();
}

void InputSources::OnEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* self)
{
    static_cast<InputSources*>(self)->Refresh();
}

// The server's information first (its default source), then the sources.
// An event while a reading runs reads the whole list again once it is done.
void InputSources::Refresh()
{
    if (reading_) {
        readAgain_ = true;
        return;
    }
    reading_ = true;
    readAgain_ = false;
    readingSources_.clear();
    if (pa_operation* reading = pa_context_get_server_info(context_, &InputSources::OnServerInfo, this))
        pa_operation_unref(reading);
    else
        reading_ = false;
}

void InputSources::OnServerInfo(pa_context* context, const pa_server_info* info, void* self)
{
    auto* sources = static_cast<InputSources*>(self);
    sources->readingDefault_ = info ? TextOf(info->default_source_name) : std::string();
    if (pa_operation* reading = pa_context_get_source_info_list(context, &InputSources::OnSourceInfo, self))
        pa_operation_unref(reading);
    else
        sources->reading_ = false;
}

void InputSources::OnSourceInfo(pa_context*, const pa_source_info* info, int last, void* self)
{
    auto* sources = static_cast<InputSources*>(self);
    if (!last) {
        if (info && info->name)
            sources->readingSources_.push_back(
                {info->name, TextOf(info->description ? info->description : info->name)});
        return;
    }
    sources->reading_ = false;
    QMetaObject::invokeMethod(
        sources,
        [sources, list = sources->readingSources_, defaultName = sources->readingDefault_]() mutable {
            sources->sources_ = std::move(list);
            sources->defaultName_ = std::move(defaultName);
            emit sources->Changed();
        },
        Qt::QueuedConnection);
    if (sources->readAgain_)
        sources->Refresh();
}

}  // namespace voicememo
