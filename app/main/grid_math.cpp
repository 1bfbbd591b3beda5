#include "grid_math.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace browse {

int16_t saturate16(long long value) {
    return static_cast<int16_t>(std::clamp<long long>(value, std::numeric_limits<int16_t>::min(),
                                                      std::numeric_limits<int16_t>::max()));
}

int16_t roundHalfEven16(double value) {
    return saturate16(static_cast<long long>(std::nearbyint(value))); // FE_TONEAREST
}

int scrollMaximum(int count) {
    if (count <= kCellCount) return 0;
    return std::min(count / kColumns, kLastReachableRow);
}

std::optional<int> cellFileIndex(int16_t firstRow, int k) {
    const long index = static_cast<long>(firstRow) * kColumns + k - 1;
    if (index < 0 || index > std::numeric_limits<int16_t>::max()) return std::nullopt;
    return static_cast<int>(index);
}

GridGeometry gridGeometry(int scrollTop, int scrollHeight, int scrollLeft) {
    GridGeometry g;
    g.rowStep = roundHalfEven16((scrollTop + scrollHeight - 1200) / 4.0);
    g.colStep = roundHalfEven16((scrollLeft - 105 - 4080) / 4.0);
    for (int k = 1; k <= kCellCount; ++k) {
        const int r = cellRow(k), c = cellColumn(k);
        CellPlaces& cell = g.cells[k - 1];
        cell.player = {4350 + c * g.colStep, 1350 + r * g.rowStep, g.colStep - 650,
                       g.rowStep - 650};
        // The framing button is as wide as the row pitch, not the column pitch.
        cell.button = {4200 + c * g.colStep, 1250 + r * g.rowStep, g.rowStep + 150,
                       g.rowStep - 150};
        const int below = cell.player.top + cell.player.height;
        cell.label = {cell.player.left, below + 100, cell.player.width, 255};
        cell.text = {cell.player.left + 450, below + 30 + (k == 7 || k == 8 ? 40 : 0), 1215, 270};
    }
    return g;
}

} // namespace browse
