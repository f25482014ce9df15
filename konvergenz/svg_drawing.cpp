#include "svg_drawing.hpp"

#include "runtime/messages.hpp"
#include "runtime/real_format.hpp"

#include <cstdlib>

namespace konvergenz {

std::string number(double value)
{
    std::string text = runtime::real_text(value, std::chars_format::fixed, 1);
    if (text.ends_with(".0")) text.resize(text.size() - 2);
    if (text == "-0") text = "0";
    return text;
}

std::string power_of_ten(int exponent)
{
    std::string text = "10<tspan dy=\"-0.55em\" font-size=\"75%\">";
    if (exponent < 0) text += minus_sign;
    text += std::to_string(std::abs(exponent)) + "</tspan>";
    return text;
}

std::string xml_escaped(std::string_view text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '&':
            escaped += "&amp;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

double estimated_width(std::string_view text, double font_size)
{
    return static_cast<double>(runtime::characters(text)) * font_size * 0.6;
}

std::string cut_to_width(std::string_view text, double font_size, double width)
{
    if (estimated_width(text, font_size) <= width) return std::string(text);
    const auto keep = static_cast<std::size_t>(width / estimated_width("x", font_size)) - 1;
    std::size_t end = 0;
    for (std::size_t characters = 0; end < text.size(); ++end) {
        if ((text[end] & 0xC0) != 0x80 && characters++ == keep) break;
    }
    return std::string(text.substr(0, end)) + "\u2026";
}

void append_line(std::string& svg, double x1, double y1, double x2, double y2)
{
    svg += "<line x1=\"" + number(x1) + "\" y1=\"" + number(y1) + "\" x2=\"" + number(x2) +
           "\" y2=\"" + number(y2) + "\"/>";
}

void append_text(std::string& svg, double x, double y, std::string_view content,
                 std::string_view attributes)
{
    svg += "<text x=\"" + number(x) + "\" y=\"" + number(y) + '"';
    if (!attributes.empty()) svg += ' ' + std::string(attributes);
    svg += '>' + std::string(content) + "</text>";
}

void append_document_start(std::string& svg, double width, double height, std::string_view title)
{
    svg += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" +
           number(height) + "\" viewBox=\"0 0 " + number(width) + ' ' + number(height) +
           "\" font-family=\"DejaVu Sans, Helvetica, Arial, sans-serif\" font-size=\"13\">\n";
    svg += "<title>" + xml_escaped(title) + "</title>\n";
    svg += "<rect width=\"100%\" height=\"100%\" fill=\"#fff\"/>\n";
}

void append_heading(std::string& svg, double x, double y, std::string_view text)
{
    append_text(svg, x, y, text,
                "font-size=\"20\" font-weight=\"bold\" fill=\"" + std::string(text_colour) + '"');
}

void append_marker(std::string& svg, Marker shape, double x, double y, std::string_view colour)
{
    const std::string style =
        " fill=\"" + std::string(colour) + "\" stroke=\"#fff\" stroke-width=\"1\"/>";
    const std::string at = number(x) + ' ' + number(y);
    const auto path = [&](std::string_view start_offset, std::string_view outline,
                          std::string_view extra = {}) {
        svg += "<path d=\"M" + at + std::string(start_offset) + std::string(outline) + "z\"" +
               std::string(extra) + style;
    };
    switch (shape) {
    case Marker::circle:
        svg += "<circle cx=\"" + number(x) + "\" cy=\"" + number(y) + "\" r=\"4\"" + style;
        break;
    case Marker::square:
        svg += "<rect x=\"" + number(x - 3.5) + "\" y=\"" + number(y - 3.5) +
               "\" width=\"7\" height=\"7\"" + style;
        break;
    case Marker::diamond:
        path("m0-5", "l5 5-5 5-5-5");
        break;
    case Marker::triangle_up:
        path("m0-5.5", "l5.2 8.8h-10.4");
        break;
    case Marker::triangle_down:
        path("m0 5.5", "l5.2-8.8h-10.4");
        break;
    case Marker::plus:
    case Marker::cross:
        path("m-1.6-5", "h3.2v3.4h3.4v3.2h-3.4v3.4h-3.2v-3.4h-3.4v-3.2h3.4",
             shape == Marker::cross ? " transform=\"rotate(45 " + at + ")\"" : "");
        break;
    }
}

}  // namespace konvergenz
