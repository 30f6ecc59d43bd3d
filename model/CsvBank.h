#pragma once

// Memory banks as the generic CSV of frequency lists and other radio
// programs: export of the used channels, import into a bank's channels.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Records.h"

namespace korvex::csv {

inline constexpr std::string_view kHeader =
    "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
    "RxDtcsCode,CrossMode,Mode,TStep,Skip,Power,Comment,URCALL,RPT1CALL,RPT2CALL,DVCODE";
inline constexpr std::size_t kNameLength = ChannelRecord::kTextLength;
// The most fields one record and the most bytes one field may have; a file
// beyond either is refused while it is read, before the record is held.
inline constexpr std::size_t kRecordFieldLimit = 1024;
inline constexpr std::size_t kFieldByteLimit = 128 * 1024;

// Every used row (column 1 not EMPTY_FIELD), names turned into UTF-8.
std::string exportBank(const std::vector<ChannelRecord>& rows);

struct ImportResult {
    // One entry per slot of the bank: the record to write there, marked "+".
    std::vector<std::optional<ChannelRecord>> channels;
    int placed = 0;
    int unusable = 0;      // no frequency or step that the receiver can hold, or no room
    int unknownModes = 0;  // written as NFM
    bool hasFrequencyColumn = false;
    // Why the whole file is refused (a record or a field beyond the limits);
    // empty when it was read. Nothing of a refused file is placed.
    std::string refused;
};

// The frequency ("dddd.dddddd", MHz) as the receiver will hold it, or
// nullopt for one it cannot: the caller's tuning rules.
using FrequencyRule = std::function<std::optional<std::string>(std::string_view frequency)>;

// A row is used only with a frequency the rule accepts (without a rule, any
// from 1 Hz to 9999.999999 MHz) and a step the receiver knows, or none (12.5 kHz).
ImportResult importBank(std::string_view text, char target, std::size_t bankSize,
                        const FrequencyRule& frequencyRule = {});

// What a record may hold while it is read.
struct RecordLimits {
    std::size_t fields = kRecordFieldLimit;
    std::size_t fieldBytes = kFieldByteLimit;
};
// How reading the records ended.
enum class RecordsEnd { Complete, Stopped, TooManyFields, FieldTooLong };

// CSV fields of one file, records split at separators outside quotes; empty
// when a record is beyond the limits.
std::vector<std::vector<std::string>> parseRecords(std::string_view text, char separator,
                                                   const RecordLimits& limits = {});
// The same records one at a time, so that a reader keeps only what it needs;
// reading stops when `take` returns false (Stopped), or as soon as the record
// being read has more fields or a longer field than the limits allow, so an
// endless quoted field or a line of separators never grows past them.
RecordsEnd forEachRecord(std::string_view text, char separator,
                         const std::function<bool(std::vector<std::string>& record)>& take,
                         const RecordLimits& limits = {});
// The refusal for a file whose reading ended in `end` beyond the limits.
std::string beyondLimitsText(RecordsEnd end, const RecordLimits& limits = {});
// UTF-8 to Windows-1252; characters the code page lacks become "?", bytes
// that are no UTF-8 are taken as Windows-1252 already.
std::string utf8ToCp1252(std::string_view text);
std::string cp1252ToUtf8(std::string_view text);

}  // namespace korvex::csv
