#pragma once

#include <fstream>
#include <string>

#include "settings/KorvSettings.h"
#include "settings/SettingsFolder.h"

namespace korvex::test {

// Writes the default Korv.ini into `dir` with the activity log quick to open
// and close (one and two seconds), recording when `audio` is set: a program
// run that logs transmissions sees its entries within a test's patience.
inline bool writeQuickLogSettings(const std::string& dir, bool audio) {
    const std::string ini = dir + "/Korv.ini";
    std::ofstream(ini) << defaultSettingsText(currentVersionNumber());
    KorvSettings settings = loadSettings(ini);
    settings.logAudio = audio;
    settings.logOpenTime = 1;
    settings.logCloseTime = 2;
    return saveSettings(ini, settings, settings.window);
}

}  // namespace korvex::test
