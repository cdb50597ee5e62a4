// A tiny stroke font with the letters of the demo's name (Z, U, O, R): rounded geometric
// capitals made of straight strokes and quarter arcs, drawn by distance to their centre lines.
#pragma once

namespace zuzor {

// Letter box in font units: x from 0 to glyphWidth, y from 0 (baseline) to glyphHeight.
// Strokes are glyphStroke wide and stay inside the box.
inline constexpr double glyphWidth = 42.0;
inline constexpr double glyphHeight = 66.0;
inline constexpr double glyphStroke = 13.0;

// Signed distance from (x, y) to the letter's strokes: negative inside. A letter the font
// does not have is empty (a large positive distance).
double glyphDistance(char letter, double x, double y);

}  // namespace zuzor
