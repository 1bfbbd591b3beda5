// The preview grid's arithmetic: sixteen cells in four rows of four, paged by rows. Counts,
// rows and pitches are 16-bit signed numbers, as the window keeps them.
#pragma once

#include "twips.h"

#include <array>
#include <cstdint>
#include <optional>

namespace browse {

inline constexpr int kCellCount = 16;
inline constexpr int kColumns = 4;

// A count kept in 16 bits: larger values stay at the largest one instead of wrapping.
int16_t saturate16(long long value);

// Rounds to the nearest whole number, halves to the even neighbour, kept in 16 bits.
int16_t roundHalfEven16(double value);

// Cell indices are 16-bit numbers, so the grid can show files 0 to 32767. The scroll bar
// stops at the last row whose sixteen cells all lie in that range.
inline constexpr int kLastReachableRow = (32767 - (kCellCount - 1)) / kColumns; // 8188

// Maximum of the scroll bar for a folder of `count` files: no scrolling up to sixteen
// files, otherwise count / 4 rows (never past kLastReachableRow).
int scrollMaximum(int count);

// The file shown by cell k (1..16) when the grid's top row is `firstRow`: firstRow * 4 +
// k - 1, or nothing when that lies outside the 16-bit range.
std::optional<int> cellFileIndex(int16_t firstRow, int k);

// Row and column of cell k, from 0.
constexpr int cellRow(int k) {
    return (k - 1) / kColumns;
}
constexpr int cellColumn(int k) {
    return (k - 1) % kColumns;
}

struct CellPlaces {
    TwipsRect player, button, label, text;
};

struct GridGeometry {
    int16_t rowStep = 0, colStep = 0;
    std::array<CellPlaces, kCellCount> cells{}; // cell k at index k - 1
};

// Pitches and cell places from the scroll bar's place (twips). The pitches are 16-bit;
// places are computed in ordinary integers so wide screens do not overflow.
GridGeometry gridGeometry(int scrollTop, int scrollHeight, int scrollLeft);

} // namespace browse
