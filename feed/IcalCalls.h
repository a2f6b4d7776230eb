#pragma once
// libical, loaded when a calendar feed is first written rather than at every
// start of the window, which writes one only where the user switched it on.
#include <libical/ical.h>

#include "LazyLibrary.h"

namespace voicememo {

#define VOICEMEMO_ICAL_CALLS(CALL)                                                                                     \
    CALL(icalattach_new_from_url)                                                                                      \
    CALL(icalattach_unref)                                                                                             \
    CALL(icalcomponent_add_component)                                                                                  \
    CALL(icalcomponent_add_property)                                                                                   \
    CALL(icalcomponent_as_ical_string_r)                                                                               \
    CALL(icalcomponent_free)                                                                                           \
    CALL(icalcomponent_new_vcalendar)                                                                                  \
    CALL(icalcomponent_new_vevent)                                                                                     \
    CALL(icalmemory_free_buffer)                                                                                       \
    CALL(icalparameter_new_fmttype)                                                                                    \
    CALL(icalproperty_add_parameter)                                                                                   \
    CALL(icalproperty_new_attach)                                                                                      \
    CALL(icalproperty_new_description)                                                                                 \
    CALL(icalproperty_new_dtend)                                                                                       \
    CALL(icalproperty_new_dtstamp)                                                                                     \
    CALL(icalproperty_new_dtstart)                                                                                     \
    CALL(icalproperty_new_prodid)                                                                                      \
    CALL(icalproperty_new_rrule)                                                                                       \
    CALL(icalproperty_new_summary)                                                                                     \
    CALL(icalproperty_new_uid)                                                                                         \
    CALL(icalproperty_new_version)                                                                                     \
    CALL(icalproperty_new_x)                                                                                           \
    CALL(icalproperty_set_x_name)                                                                                      \
    CALL(icalrecurrencetype_clear)                                                                                     \
    CALL(icaltime_adjust)                                                                                              \
    CALL(icaltime_current_time_with_zone)                                                                              \
    CALL(icaltime_null_date)                                                                                           \
    CALL(icaltimezone_get_utc_timezone)

struct IcalCalls {
    VOICEMEMO_ICAL_CALLS(VOICEMEMO_DECLARE_CALL)
};

// The calls, loaded at the first call to this; null when libical or one of
// its calls cannot be had (the reason is logged once).
const IcalCalls* Ical();

}  // namespace voicememo
