#include "IcalCalls.h"

#include "Diagnostics.h"
#include "LazyLibrary.h"

namespace voicememo {

const IcalCalls* Ical()
{
    static const auto calls =
        LazyLibrary::Load<IcalCalls>({"libical.so.3"}, lcFiles, "カレンダーのファイルを書けません",
                                     [](LazyLibrary& loader, IcalCalls& taken) {
                                         loader.Take(taken.attach_new_from_url, "icalattach_new_from_url");
                                         loader.Take(taken.attach_unref, "icalattach_unref");
                                         loader.Take(taken.component_add_component, "icalcomponent_add_component");
                                         loader.Take(taken.component_add_property, "icalcomponent_add_property");
                                         loader.Take(taken.component_as_ical_string_r,
                                                     "icalcomponent_as_ical_string_r");
                                         loader.Take(taken.component_free, "icalcomponent_free");
                                         loader.Take(taken.component_new_vcalendar, "icalcomponent_new_vcalendar");
                                         loader.Take(taken.component_new_vevent, "icalcomponent_new_vevent");
                                         loader.Take(taken.memory_free_buffer, "icalmemory_free_buffer");
                                         loader.Take(taken.parameter_new_fmttype, "icalparameter_new_fmttype");
                                         loader.Take(taken.property_add_parameter, "icalproperty_add_parameter");
                                         loader.Take(taken.property_new_attach, "icalproperty_new_attach");
                                         loader.Take(taken.property_new_description, "icalproperty_new_description");
                                         loader.Take(taken.property_new_dtend, "icalproperty_new_dtend");
                                         loader.Take(taken.property_new_dtstamp, "icalproperty_new_dtstamp");
                                         loader.Take(taken.property_new_dtstart, "icalproperty_new_dtstart");
                                         loader.Take(taken.property_new_prodid, "icalproperty_new_prodid");
                                         loader.Take(taken.property_new_rrule, "icalproperty_new_rrule");
                                         loader.Take(taken.property_new_summary, "icalproperty_new_summary");
                                         loader.Take(taken.property_new_uid, "icalproperty_new_uid");
                                         loader.Take(taken.property_new_version, "icalproperty_new_version");
                                         loader.Take(taken.property_new_x, "icalproperty_new_x");
                                         loader.Take(taken.property_set_x_name, "icalproperty_set_x_name");
                                         loader.Take(taken.recurrencetype_clear, "icalrecurrencetype_clear");
                                         loader.Take(taken.time_adjust, "icaltime_adjust");
                                         loader.Take(taken.time_current_time_with_zone,
                                                     "icaltime_current_time_with_zone");
                                         loader.Take(taken.time_null_date, "icaltime_null_date");
                                         loader.Take(taken.timezone_get_utc_timezone, "icaltimezone_get_utc_timezone");
                                     });
    return calls ? &*calls : nullptr;
}

}  // namespace voicememo
