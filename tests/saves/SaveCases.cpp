#include "tests/saves/SaveCases.h"

#include <fstream>
#include <memory>

#include "database/CsvFile.h"
#include "database/DbSlotConfig.h"
#include "log/LogEntry.h"
#include "log/ZelDoc.h"
#include "model/CsvBank.h"
#include "model/MemoryFile.h"
#include "model/Records.h"
#include "settings/AtomicFile.h"
#include "settings/KorvSettings.h"
#include "settings/SettingsFolder.h"
#include "tests/support/TempDir.h"
#include "ui/SweepFile.h"

namespace korvex::test {

namespace {

namespace fs = std::filesystem;

// Keys a settings file may hold beyond the program's own; every write keeps
// them, so they make a large file.
std::string extraSection(bool large, std::string_view value) {
    std::string text = "\n[NOTES]\n";
    const int count = large ? 40000 : 4;
    for (int i = 0; i < count; ++i) {
        text += "note" + std::to_string(i) + "=" + std::string(value) + "\n";
    }
    return text;
}

std::vector<ChannelRecord> channels(bool large, std::string_view frequency) {
    std::vector<ChannelRecord> rows;
    const std::string_view banks = large ? "ABCDEFGHIJabcdefghij" : "A";
    for (const char bank : banks) {
        for (int n = 0; n < 50; ++n) {
            ChannelRecord row = ChannelRecord::emptySlot(std::string(1, bank) +
                                                         (n < 10 ? "0" : "") + std::to_string(n));
            row[ChannelRecord::kPass] = "0";
            row[ChannelRecord::kFrequency] = std::string(frequency);
            row[ChannelRecord::kStep] = "12.50";
            row[ChannelRecord::kAutoMode] = "0";
            row[ChannelRecord::kMode] = "NFM";
            row[ChannelRecord::kAttenuator] = "0";
            row[ChannelRecord::kText] = "CHANNEL" + std::to_string(n);
            rows.push_back(row);
        }
    }
    return rows;
}

void fillSweep(CZelDoc& doc, bool large, std::uint32_t level) {
    doc.scopeLower = 100000000;
    doc.scopeStep = 12500;
    doc.bins.assign(large ? 200000 : 10, BandscopeBin{});
    for (std::size_t i = 0; i < doc.bins.size(); ++i) {
        BandscopeBin& bin = doc.bins[i];
        bin.frequency = doc.scopeLower + static_cast<std::uint32_t>(i) * 12500u;
        bin.level = level;
        bin.peak = level + 10;
        bin.hits = 1;
        bin.samples = 2;
        bin.percent = 50;
    }
}

// A stand-in for the encoded picture: what matters here is that it carries
// the digest of the CSV it was drawn with, as the real one does.
std::string pictureFor(const std::string& csv, bool large) {
    std::string png = "\x89PNG\r\n\x1a\n" + std::string(kSweepDigestKey) + "=" + sweepDigest(csv);
    png.append(large ? 3000000 : 100, 'p');
    return png;
}

std::string sweepText(bool large, std::uint32_t level) {
    CZelDoc doc;
    fillSweep(doc, large, level);
    return sweepCsv(doc);
}

std::string logText(bool large, std::string_view frequency) {
    std::string text;
    const int count = large ? 60000 : 3;
    for (int i = 0; i < count; ++i) {
        text += "2026-12-09\t15:18:" + std::to_string(10 + i % 50) + "\t00:00:05\t" +
                std::string(frequency) + "\t045\t-\r\n";
    }
    return text;
}

std::string tableText(bool large) {
    std::string text = "FREQ,NAME\n";
    const int count = large ? 200000 : 3;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(100 + i) + ",station" + std::to_string(i) + "\n";
    }
    return text;
}

}  // namespace

std::optional<std::string> readIfThere(const fs::path& file) {
    if (!std::ifstream(file, std::ios::binary)) {
        return std::nullopt;
    }
    return readBytes(file);
}

void writePlain(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> tempFilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (isSaveTempName(name)) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<SaveCase> allSaves() {
    std::vector<SaveCase> cases;

    cases.push_back({"Settings",
                     {"Korv.ini"},
                     [](const fs::path& folder, bool large) {
                         writePlain(folder / "Korv.ini",
                                    defaultSettingsText(currentVersionNumber()) +
                                        extraSection(large, "kept"));
                     },
                     [](const fs::path& folder, bool) {
                         return [folder] {
                             KorvSettings settings = loadSettings(folder / "Korv.ini");
                             settings.comPortDevice = "/dev/ttyUSB7";
                             settings.offOnExit = !settings.offOnExit;
                             return saveSettings(folder / "Korv.ini", settings, {40, 50, 900, 700});
                         };
                     }});

    cases.push_back(
        {"DatabaseSetup",
         {"dbconf.ini"},
         [](const fs::path& folder, bool large) {
             writePlain(folder / "dbconf.ini", db::defaultDbConf() + extraSection(large, "kept"));
         },
         [](const fs::path& folder, bool) {
             db::DbSlotConfig config;
             config.slot = 2;
             config.file = "/srv/tables/stations.dbf";
             config.type = "dBASE III;";
             config.fields[0] = "FREQ";
             config.readOnly = false;
             return [folder, config] { return db::writeSlotSetup(folder / "dbconf.ini", config); };
         }});

    cases.push_back({"MemoryFile",
                     {"bank.mem"},
                     [](const fs::path& folder, bool large) {
                         writePlain(folder / "bank.mem",
                                    memfile::fileText(channels(large, "145.50000"), "Old"));
                     },
                     [](const fs::path& folder, bool large) {
                         return [folder,
                                 text = memfile::fileText(channels(large, "433.92500"), "New")] {
                             return writeFileAtomically(folder / "bank.mem", text);
                         };
                     }});

    cases.push_back({"CsvExport",
                     {"bank.csv"},
                     [](const fs::path& folder, bool large) {
                         writePlain(folder / "bank.csv",
                                    csv::exportBank(channels(large, "145.50000")));
                     },
                     [](const fs::path& folder, bool large) {
                         return [folder, text = csv::exportBank(channels(large, "433.92500"))] {
                             return writeFileAtomically(folder / "bank.csv", text);
                         };
                     }});

    // A backup is a new file in its own folder: before it, nothing.
    cases.push_back(
        {"BankBackup",
         {fs::path("backups") / "bank-A-20261209-151830-000.mem"},
         [](const fs::path& folder, bool) { fs::create_directories(folder / "backups"); },
         [](const fs::path& folder, bool large) {
             return [folder, text = memfile::fileText(channels(large, "433.92500"), "Backup")] {
                 return writeFileAtomically(folder / "backups" / "bank-A-20261209-151830-000.mem",
                                            text);
             };
         }});

    cases.push_back({"SweepPair",
                     {"sweep.csv", "sweep.png"},
                     [](const fs::path& folder, bool large) {
                         const std::string csv = sweepText(large, 20);
                         writePlain(folder / "sweep.csv", csv);
                         writePlain(folder / "sweep.png", pictureFor(csv, large));
                     },
                     [](const fs::path& folder, bool large) {
                         const std::string csv = sweepText(large, 90);
                         return [folder, csv, png = pictureFor(csv, large)] {
                             return writeSweepPair(folder / "sweep.csv", csv, folder / "sweep.png",
                                                   png);
                         };
                     }});

    cases.push_back({"LogRewrite",
                     {"monitor.log"},
                     [](const fs::path& folder, bool large) {
                         writePlain(folder / "monitor.log", logText(large, "145.50000"));
                     },
                     [](const fs::path& folder, bool large) {
                         auto doc = std::make_shared<CZelDoc>();
                         doc->resetLog();
                         const int count = large ? 60000 : 3;
                         for (int i = 0; i < count; ++i) {
                             LogEntry entry;
                             entry.date = "2026-12-09";
                             entry.time = "16:00:00";
                             entry.duration = "00:00:07";
                             entry.frequency = "433.92500";
                             entry.level = "060";
                             doc->appendEntry(entry);
                         }
                         return [folder, doc] { return doc->writeLogFile(folder / "monitor.log"); };
                     }});

    cases.push_back({"CsvTableAppend",
                     {"stations.csv"},
                     [](const fs::path& folder, bool large) {
                         writePlain(folder / "stations.csv", tableText(large));
                     },
                     [](const fs::path& folder, bool) {
                         return [folder] {
                             return !db::appendCsvRecord(folder / "stations.csv", {"FREQ", "NAME"},
                                                         {"999", "added"})
                                         .has_value();
                         };
                     }});
    return cases;
}

}  // namespace korvex::test
