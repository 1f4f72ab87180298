#include "reference/ReferenceSort.h"

#include <utility>

#include "reference/ReferenceRules.h"

namespace korvane::reference {

void SelectionSortByColumn(EventTable& table, int column) {
    for (int i = 0; i < table.count; ++i) {
        int m = i;
        for (int j = i; j < table.count; ++j) {
            if (Coordinate(table.rows[j], column) < Coordinate(table.rows[m], column)) {
                m = j;
            }
        }
        std::swap(table.rows[i], table.rows[m]);
    }
}

}  // namespace korvane::reference
