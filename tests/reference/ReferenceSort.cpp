#include "reference/ReferenceSort.h"

#include <utility>

namespace korvane::reference {

void SelectionSortByColumn(EventTable& table, int column) {
    for (int i = 0; i < table.count; ++i) {
        int m = i;
        for (int j = i; j < table.count; ++j) {
            if (table.rows[j].Column(column) < table.rows[m].Column(column)) {
                m = j;
            }
        }
        std::swap(table.rows[i], table.rows[m]);
    }
}

}  // namespace korvane::reference
