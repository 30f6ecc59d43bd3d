#pragma once

// One input for the scenario-file reader: the file gives what its text gives.

#include <string_view>

#include "simulator/Scenario.h"
#include "support/FuzzInput.h"

namespace korvex::test {

// False when what was read breaks a rule the reader promises.
inline bool readScenarioInput(std::string_view data) {
    const std::string path = scratchFile("scenario", data).string();
    std::string fileError;
    std::string textError;
    const auto fromFile = sim::readScenarioFile(path, &fileError);
    const auto fromText = sim::parseScenario(data, &textError);
    if (fromFile != fromText) {
        return false;
    }
    if (!fromFile) {
        return fileError == path + ": " + textError;
    }
    for (const sim::Transmission& t : fromFile->transmissions) {
        if (t.level < 0 || t.level > 255 || t.durationMs < 1) {
            return false;
        }
    }
    return true;
}

}  // namespace korvex::test
