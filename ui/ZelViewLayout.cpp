#include "ui/ZelViewLayout.h"

#include <cstddef>
#include <initializer_list>

namespace korvex {

namespace {

ListLayout make(std::initializer_list<ListColumn> used) {
    ListLayout layout{};
    std::size_t i = 0;
    for (const ListColumn& column : used) {
        layout[i++] = column;
    }
    return layout;
}

}  // namespace

ListLayout listLayout(ListMode mode) {
    switch (mode) {
        case ListMode::MemoryBank:
            return make({{"CH", 30},
                         {"PASS", 40},
                         {"FREQUENCY", 100},
                         {"STEP", 80},
                         {"AUTO", 50},
                         {"MODE", 50},
                         {"ATT", 50},
                         {"TEXT", 160}});
        case ListMode::SearchBanks:
            return make({{"CH", 30},
                         {"LOWER FREQ", 100},
                         {"UPPER FREQ", 100},
                         {"STEP", 80},
                         {"AUTO", 50},
                         {"MODE", 50},
                         {"ATT", 50},
                         {"TEXT", 100}});
        case ListMode::SelectScan:
            return make({{"LINK-CH", 60},
                         {"CH", 40},
                         {"FREQ", 100},
                         {"STEP", 80},
                         {"AUTO", 50},
                         {"MODE", 50},
                         {"ATT", 50},
                         {"TEXT", 130}});
        case ListMode::PassFrequencies:
            return make({{"PASS-CH", 60}, {"PASS-FREQ", 100}, {"", 375}});
        case ListMode::LogView:
            return make({{"DATE", 80},
                         {"TIME", 80},
                         {"DURATION", 80},
                         {"FREQ", 85},
                         {"LEVEL", 60},
                         {"AUDIOFILE", 185}});
        case ListMode::Database:
            return make({{"FREQ", 100}, {"NO", 35}, {"DATABASE", 140}, {"LOADED", 290}});
    }
    return ListLayout{};
}

ListLayout startupLayout() {
    return make({{"CH", 50},
                 {"PASS", 40},
                 {"FREQUENCY", 100},
                 {"STEP", 80},
                 {"AUTO", 50},
                 {"MODE", 50},
                 {"ATT", 50},
                 {"TEXT", 100}});
}

}  // namespace korvex
