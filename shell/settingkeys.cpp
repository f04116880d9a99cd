#include "shell/settingkeys.h"

#include <array>

namespace korvel
{

namespace
{

using F = SettingForm;

constexpr std::array kKeys = {
    SettingKey{"TournamentName", F::Text, "", nullptr},
    SettingKey{"SetupFiles", F::Text, "", nullptr},
    SettingKey{"labelcolor", F::Text, "", nullptr},
    SettingKey{"impactcolor", F::Text, "", nullptr},
    SettingKey{"grids", F::WholeNumber, "0", nullptr},
    SettingKey{"grid1File", F::Text, "", ""},
    SettingKey{"grid2File", F::Text, "", ""},
    SettingKey{"grid3File", F::Text, "", ""},
    SettingKey{"right2left", F::Boolean, "False", nullptr},
    SettingKey{"boxlineoff", F::Boolean, "False", nullptr},
    SettingKey{"tournamentType", F::Text, "", nullptr},
    SettingKey{"WSTIMS", F::Checkbox, "0", nullptr},
    SettingKey{"Lensor", F::Checkbox, "0", nullptr},
    SettingKey{"buoymarker", F::Text, "", nullptr},
    SettingKey{"PictureSave", F::Text, "", nullptr},
    SettingKey{"VideoSave", F::Text, "", nullptr},
    SettingKey{"logpath", F::Text, "", ""},
    SettingKey{"logfile", F::Text, "", ""},
    SettingKey{"barefoot", F::Checkbox, "0", "0"},
    SettingKey{"compression", F::WholeNumber, "0", "0"},
    SettingKey{"device", F::WholeNumber, "0", "0"},
    SettingKey{"framerate", F::WholeNumber, "0", "0"},
    SettingKey{"VideoResolution", F::WholeNumber, "0", nullptr},
    SettingKey{"ColorFormat", F::WholeNumber, "0", nullptr},
    SettingKey{"VideoInput", F::WholeNumber, "0", nullptr},
    SettingKey{"captureTime", F::Decimal, "0", nullptr},
    // Ours: the scoring program's exchange folder when it is not /kvio.
    SettingKey{"kviodir", F::Text, "", nullptr},
    // Ours: "1" lists the built-in test camera beside real cameras.
    SettingKey{"testcamera", F::Checkbox, "0", nullptr},
    // Ours: the results file, captures path and skier name file the operator
    // chose, each with the day (mmddyy) it was chosen on; kept for that day.
    SettingKey{"resultsfile", F::Text, "", nullptr},
    SettingKey{"resultsfileday", F::Text, "", nullptr},
    SettingKey{"capturespath", F::Text, "", nullptr},
    SettingKey{"capturespathday", F::Text, "", nullptr},
    SettingKey{"skiernamefile", F::Text, "", nullptr},
    SettingKey{"skiernamefileday", F::Text, "", nullptr},
};

} // namespace

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

QString settingDefault(const QString& name)
{
    const auto k = findSettingKey(name);
    return k ? QString::fromLatin1(k->defaultValue) : QString();
}

} // namespace korvel
