#pragma once

// The column layouts of the list view: nine columns in every layout, unused
// ones with an empty caption and width 5.

#include <array>
#include <string>

#include "ui/ListKind.h"

namespace korvex {

inline constexpr int kListColumnCount = 9;

struct ListColumn {
    std::string caption;
    int width = 5;

    bool operator==(const ListColumn&) const = default;
};

using ListLayout = std::array<ListColumn, kListColumnCount>;

// The columns of a list; for the database this is the layout shown while no
// database is connected.
ListLayout listLayout(ListMode mode);
// The columns the view shows when it is created, before any list is chosen.
ListLayout startupLayout();

}  // namespace korvex
