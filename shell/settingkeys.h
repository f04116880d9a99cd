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

// One name for each key korvel reads or writes: a misspelt key does not
// compile. The file spells them as the table below does, in any letter case.
enum class Setting {
    TournamentName,
    SetupFiles,
    LabelColor,
    ImpactColor,
    Grids,
    Grid1File,
    Grid2File,
    Grid3File,
    RightToLeft,
    BoxLineOff,
    TournamentType,
    Wstims,
    Lensor,
    BuoyMarker,
    PictureSave,
    VideoSave,
    LogPath,
    LogFile,
    Barefoot,
    Compression,
    Device,
    FrameRate,
    VideoResolution,
    ColorFormat,
    VideoInput,
    CaptureTime,
    KvioDir,
    TestCamera,
    ResultsFile,
    ResultsFileDay,
    CapturesPath,
    CapturesPathDay,
    SkierNameFile,
    SkierNameFileDay,
};

struct SettingKey {
    Setting id;
    const char* name;
    SettingForm form;
    const char* defaultValue;
    const char* resetValue; // nullptr: the emergency reset leaves the key alone
};

std::span<const SettingKey> settingKeys();

const SettingKey& settingKey(Setting key);
// The key as the file spells it.
QString settingName(Setting key);
// The default a reader gets when the key was never written.
QString settingDefault(Setting key);
// The grid file key of grid 1, 2 or 3.
Setting gridFileSetting(int grid);

// The key's entry, matched without regard to letter case; nullopt for a key
// that is not korvel's.
std::optional<SettingKey> findSettingKey(const QString& name);

} // namespace korvel
