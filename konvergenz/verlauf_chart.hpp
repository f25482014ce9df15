#pragma once

#include "method_picture.hpp"

#include <string>
#include <vector>

namespace konvergenz {

// One panel of the chart of the methods at work.
struct VerlaufRun {
    RunStart start;
    std::string function;  // "f(x) = x^2 - 2" or "g(x) = ..."; empty where unknown
    std::string notes;     // the marks the table gives the run, in words, "" for none
    std::size_t steps = 0;  // the run's records
};

// A panel's geometry, in page coordinates, as the chart draws it.
struct PanelLayout {
    PlotFrame frame;
    MethodPicture picture;
    std::optional<PlotFrame> zoom;  // the inset, where the last steps crowd together
    std::optional<Curve> graph;     // f or g across the frame, where the run names it
    std::vector<std::string> title;  // its lines: a second one for marks that do not fit
    double title_size = 14;
};

// Lays out the panel of `run` with its top left corner at (left, top), `width` wide, its
// title set at most `title_size` large.
PanelLayout lay_out_panel(const VerlaufRun& run, double left, double top, double width,
                          double title_size = 14);

// A self-contained SVG document: one panel per run, in the order given, each titled with
// its method and function and showing f (or g and y = x) with the construction of the
// run's first steps, the iterates numbered, and an inset that zooms in on the last of
// them where they crowd together. German labels.
std::string render_verlauf_svg(const std::vector<VerlaufRun>& runs);

// The graph of f alone over [from, to], with its sign changes marked.
std::string render_function_svg(const PlotFunction& f, std::string_view formula, double from,
                                double to);

}  // namespace konvergenz
