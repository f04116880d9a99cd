#include "shell/settingkeys.h"

#include <QtGlobal>

#include <array>

namespace korvel
{

namespace
{

using F = SettingForm;
using S = Setting;

constexpr std::array kKeys = {
    SettingKey{S::TournamentName, "TournamentName", F::Text, "", nullptr},
    SettingKey{S::SetupFiles, "SetupFiles", F::Text, "", nullptr},
    SettingKey{S::LabelColor, "labelcolor", F::Text, "", nullptr},
    SettingKey{S::ImpactColor, "impactcolor", F::Text, "", nullptr},
    SettingKey{S::Grids, "grids", F::WholeNumber, "0", nullptr},
    SettingKey{S::Grid1File, "grid1File", F::Text, "", ""},
    SettingKey{S::Grid2File, "grid2File", F::Text, "", ""},
    SettingKey{S::Grid3File, "grid3File", F::Text, "", ""},
    SettingKey{S::RightToLeft, "right2left", F::Boolean, "False", nullptr},
    SettingKey{S::BoxLineOff, "boxlineoff", F::Boolean, "False", nullptr},
    SettingKey{S::TournamentType, "tournamentType", F::Text, "", nullptr},
    SettingKey{S::Wstims, "WSTIMS", F::Checkbox, "0", nullptr},
    SettingKey{S::Lensor, "Lensor", F::Checkbox, "0", nullptr},
    SettingKey{S::BuoyMarker, "buoymarker", F::Text, "", nullptr},
    SettingKey{S::PictureSave, "PictureSave", F::Text, "", nullptr},
    SettingKey{S::VideoSave, "VideoSave", F::Text, "", nullptr},
    SettingKey{S::LogPath, "logpath", F::Text, "", ""},
    SettingKey{S::LogFile, "logfile", F::Text, "", ""},
    SettingKey{S::Barefoot, "barefoot", F::Checkbox, "0", "0"},
    SettingKey{S::Compression, "compression", F::WholeNumber, "0", "0"},
    SettingKey{S::Device, "device", F::WholeNumber, "0", "0"},
    SettingKey{S::FrameRate, "framerate", F::WholeNumber, "0", "0"},
    SettingKey{S::VideoResolution, "VideoResolution", F::WholeNumber, "0", nullptr},
    SettingKey{S::ColorFormat, "ColorFormat", F::WholeNumber, "0", nullptr},
    SettingKey{S::VideoInput, "VideoInput", F::WholeNumber, "0", nullptr},
    SettingKey{S::CaptureTime, "captureTime", F::Decimal, "0", nullptr},
    // Ours: the scoring program's exchange folder when it is not /kvio.
    SettingKey{S::KvioDir, "kviodir", F::Text, "", nullptr},
    // Ours: "1" lists the built-in test camera beside real cameras.
    SettingKey{S::TestCamera, "testcamera", F::Checkbox, "0", nullptr},
    // Ours: the results file, captures path and skier name file the operator
    // chose, each with the day (mmddyy) it was chosen on; kept for that day.
    SettingKey{S::ResultsFile, "resultsfile", F::Text, "", nullptr},
    SettingKey{S::ResultsFileDay, "resultsfileday", F::Text, "", nullptr},
    SettingKey{S::CapturesPath, "capturespath", F::Text, "", nullptr},
    SettingKey{S::CapturesPathDay, "capturespathday", F::Text, "", nullptr},
    SettingKey{S::SkierNameFile, "skiernamefile", F::Text, "", nullptr},
    SettingKey{S::SkierNameFileDay, "skiernamefileday", F::Text, "", nullptr},
};

// The table is in the enum's order, so a key is its own index.
constexpr bool inEnumOrder()
{
    for (std::size_t i = 0; i < kKeys.size(); ++i)
        if (static_cast<std::size_t>(kKeys[i].id) != i)
            return false;
    return true;
}
static_assert(inEnumOrder(), "the key table follows the order of enum Setting");
static_assert(kKeys.size() == static_cast<std::size_t>(Setting::SkierNameFileDay) + 1,
              "every Setting has its row");

} // namespace

const SettingKey& settingKey(Setting key)
{
    return kKeys[static_cast<std::size_t>(key)];
}

QString settingName(Setting key)
{
    return QString::fromLatin1(settingKey(key).name);
}

QString settingDefault(Setting key)
{
    return QString::fromLatin1(settingKey(key).defaultValue);
}

Setting gridFileSetting(int grid)
{
    Q_ASSERT(grid >= 1 && grid <= 3);
    switch (grid) {
    case 2:
        return Setting::Grid2File;
    case 3:
        return Setting::Grid3File;
    default:
        return Setting::Grid1File;
    }
}

std::span<const SettingKey> settingKeys()
{
    return kKeys;
}

std::optional<SettingKey> findSettingKey(const QString& name)
{
    for (const SettingKey& k : kKeys) {
        if (name.trimmed().compare(QLatin1String(k.name), Qt::CaseInsensitive) == 0)
            return k;
    }
    return std::nullopt;
}

} // namespace korvel
