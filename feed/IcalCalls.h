#pragma once
// libical, loaded when a calendar feed is first written rather than at every
// start of the window, which writes one only where the user switched it on.
#include <libical/ical.h>

namespace voicememo {

struct IcalCalls {
    decltype(&::icalattach_new_from_url) attach_new_from_url;
    decltype(&::icalattach_unref) attach_unref;
    decltype(&::icalcomponent_add_component) component_add_component;
    decltype(&::icalcomponent_add_property) component_add_property;
    decltype(&::icalcomponent_as_ical_string_r) component_as_ical_string_r;
    decltype(&::icalcomponent_free) component_free;
    decltype(&::icalcomponent_new_vcalendar) component_new_vcalendar;
    decltype(&::icalcomponent_new_vevent) component_new_vevent;
    decltype(&::icalmemory_free_buffer) memory_free_buffer;
    decltype(&::icalparameter_new_fmttype) parameter_new_fmttype;
    decltype(&::icalproperty_add_parameter) property_add_parameter;
    decltype(&::icalproperty_new_attach) property_new_attach;
    decltype(&::icalproperty_new_description) property_new_description;
    decltype(&::icalproperty_new_dtend) property_new_dtend;
    decltype(&::icalproperty_new_dtstamp) property_new_dtstamp;
    decltype(&::icalproperty_new_dtstart) property_new_dtstart;
    decltype(&::icalproperty_new_prodid) property_new_prodid;
    decltype(&::icalproperty_new_rrule) property_new_rrule;
    decltype(&::icalproperty_new_summary) property_new_summary;
    decltype(&::icalproperty_new_uid) property_new_uid;
    decltype(&::icalproperty_new_version) property_new_version;
    decltype(&::icalproperty_new_x) property_new_x;
    decltype(&::icalproperty_set_x_name) property_set_x_name;
    decltype(&::icalrecurrencetype_clear) recurrencetype_clear;
    decltype(&::icaltime_adjust) time_adjust;
    decltype(&::icaltime_current_time_with_zone) time_current_time_with_zone;
    decltype(&::icaltime_null_date) time_null_date;
    decltype(&::icaltimezone_get_utc_timezone) timezone_get_utc_timezone;
};

// The calls, loaded at the first call to this; null when libical or one of
// its calls cannot be had (the reason is logged once).
const IcalCalls* Ical();

}  // namespace voicememo
