#pragma once
// Every key of the settings store in one place: its value form, the default a
// reader gets when the key was never written, and what the emergency reset
// writes ("-" entries are left alone by it).

#include <QString>

#include <optional>
#include <span>

namespace korvel
{

enum class SettingForm {
    Text,        // stored and read as is
    WholeNumber, // "0", "2"
    Boolean,     // "True" / "False"
    Checkbox,    // "0" unchecked, "1" checked
    Decimal,     // "5", "4.5"
};

struct SettingKey {
    const char* name;
    SettingForm form;
    const char* defaultValue;
    const char* resetValue; // nullptr: the emergency reset leaves the key alone
};

std::span<const SettingKey> settingKeys();

// The key's entry, matched without regard to letter case; nullopt for a key
// that is not korvel's.
std::optional<SettingKey> findSettingKey(const QString& name);

// The default of a known key; the empty text for any other.
QString settingDefault(const QString& name);

} // namespace korvel
