// The version of the cell data layout.
//
// History:
//   5.2035  the last layout with VeryOldName in StdHCell.
//   5.2036  what data without a version text (or a text starting with "0")
//           is read as; chunk files with marker -1, or without a header.
//   5.5     current: tags are read by position when the version matches and
//           by name (with legacy tags) otherwise; chunk headers carry the
//           version text ("%.4f"), tag bodies carry "%f".
#pragma once

constexpr double kLayoutVersion = 5.5;
constexpr double kUnversionedLayout = 5.2036;
