#pragma once

namespace korvex {

// The six lists the list view can show, in the order of the list selector's
// fixed entries after the twenty banks.
enum class ListMode { MemoryBank, SearchBanks, SelectScan, PassFrequencies, LogView, Database };

// Which list the list selector asked for, and whether the list view has
// already been switched to it: a requested value is set when a choice is
// made, the shown value by the next display update after the switch. Nothing
// is requested at start, so the view keeps its start-up layout until the
// operator chooses a list.
struct ListKind {
    ListMode mode = ListMode::MemoryBank;
    bool shown = true;

    bool operator==(const ListKind&) const = default;
};

// What the tuning panel's display update needs of the list view.
class ListViewControl {
public:
    virtual ~ListViewControl() = default;
    // Sets up the columns of a list's layout.
    virtual void switchLayout(ListMode mode) = 0;
    // Refills the rows of the list shown now from the model.
    virtual void refill() = 0;
};

}  // namespace korvex
