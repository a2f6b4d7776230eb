#include "LocalTime.h"

#include <algorithm>
#include <ctime>

#include <QLocale>
#include <QString>

namespace voicememo {

LocalDateTime SystemClock::Now()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     std::min(local.tm_sec, 59)};
}

char SeparatorOfFormat(const QString& format, char fallback)
{
    for (const QChar c : format) {
        // Letters, digits and the quotes around literal text are format syntax.
        if (c.isLetterOrNumber() || c == u'\'')
            continue;
        if (c.unicode() < 0x80 && !QChar::isSurrogate(c.unicode()))
            return static_cast<char>(c.unicode());
        return fallback;
    }
    return fallback;
}

// The locale dates and times are written in, as the C library picks it:
// LC_ALL, else LC_TIME, else LANG. Read anew at each call, since Qt keeps
// the system locale it found at start.
static QLocale TimeLocale()
{
    for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return QLocale(name);
    }
    return QLocale::c();
}

Separators SystemRegionalSettings::Current()
{
    const QLocale locale = TimeLocale();
    // The C and POSIX locales have no regional formats of their own (Qt's
    // "d MMM yyyy" would give a space): the plain separators stand.
    if (locale.language() == QLocale::C)
        return {'/', ':'};
    return {SeparatorOfFormat(locale.dateFormat(QLocale::ShortFormat), '/'),
            SeparatorOfFormat(locale.timeFormat(QLocale::ShortFormat), ':')};
}

}  // namespace voicememo
