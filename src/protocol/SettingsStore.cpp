#include "SettingsStore.h"

QString SettingsStore::readString(const QString &key, const QString &fallback) const
{
    const QVariant v = readValue(key);
    return v.isValid() ? v.toString() : fallback;
}

int SettingsStore::readInteger(const QString &key, int fallback) const
{
    const QVariant v = readValue(key);
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok)
        return fallback;
    return int(n);
}

bool SettingsStore::readBool(const QString &key, bool fallback) const
{
    const QVariant v = readValue(key);
    if (!v.isValid())
        return fallback;
    const QString s = v.toString().trimmed();
    bool ok = false;
    const qlonglong n = s.toLongLong(&ok);
    if (ok)
        return n != 0;
    if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}

TColor SettingsStore::readColor(const QString &key, TColor fallback) const
{
    const QVariant v = readValue(key);
    if (!v.isValid())
        return fallback;
    bool ok = false;
    const qlonglong n = v.toString().trimmed().toLongLong(&ok);
    return ok ? TColor(quint32(n)) : fallback;
}

void SettingsStore::writeString(const QString &key, const QString &value)
{
    writeValue(key, value);
}

void SettingsStore::writeInteger(const QString &key, int value)
{
    writeValue(key, value);
}

void SettingsStore::writeBool(const QString &key, bool value)
{
    writeValue(key, value ? 1 : 0);
}

void SettingsStore::writeColor(const QString &key, TColor value)
{
    writeValue(key, qlonglong(value));
}
