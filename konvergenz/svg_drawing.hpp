#pragma once

#include "method.hpp"
#include "number_format.hpp"

#include <string>
#include <string_view>

namespace konvergenz {

// The pieces both of konvergenz's charts are drawn with, so that they share one look:
// colours, fonts, the number format of coordinates, text escaping and the markers.

inline constexpr std::string_view text_colour = "#222";
inline constexpr std::string_view muted_colour = "#666";
inline constexpr std::string_view grid_colour = "#e4e4e4";
inline constexpr std::string_view en_dash = "\xE2\x80\x93";

// A coordinate or length: one decimal at most, "-0" as "0".
std::string number(double value);

// "10" with the exponent raised; dy rather than baseline-shift, which not every browser knows.
std::string power_of_ten(int exponent);

// Text as XML character data: a function typed by the user may hold anything.
std::string xml_escaped(std::string_view text);

// Text width guessed from the character count: good enough to space legend entries and
// labels, and it needs no font metrics.
double estimated_width(std::string_view text, double font_size);

// The text as it stands where it fits the width, else as many characters of it as leave
// room for "…" and the ellipsis, never cut inside a character.
std::string cut_to_width(std::string_view text, double font_size, double width);

void append_line(std::string& svg, double x1, double y1, double x2, double y2);

void append_text(std::string& svg, double x, double y, std::string_view content,
                 std::string_view attributes = {});

// The document's opening: the XML declaration, the <svg> element with the charts' fonts,
// its <title> (escaped here) and a white background.
void append_document_start(std::string& svg, double width, double height, std::string_view title);

// A chart's heading at its top left.
void append_heading(std::string& svg, double x, double y, std::string_view text);

// The series differ in the shape of their markers as well as in colour, so that they stay
// apart in grey scale. Each shape fits a box of about 10 units around (x, y).
void append_marker(std::string& svg, Marker shape, double x, double y, std::string_view colour);

}  // namespace konvergenz
