// The table as text and as CSV: the run's inputs, the estimated errors and limits, the
// sentences on results far from the root, and on a real run of quarlen the estimates
// against roots computed here independently.
#include "app.hpp"
#include "csv_table.hpp"
#include "error_estimate.hpp"
#include "log_analysis.hpp"
#include "options.hpp"
#include "rootfinding/functions.hpp"
#include "runtime/expression.hpp"
#include "quarlen_log.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <functional>
#include <limits>
#include <map>

namespace konvergenz {
namespace {

namespace fs = std::filesystem;
using test::bisection_header;
using test::start_header;

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run_in_folder(const fs::path& folder, bool csv, bool no_chart)
{
    Options options;
    options.folder = folder;
    options.csv = csv;
    options.no_chart = no_chart;
    std::ostringstream out, err;
    const int status = run(options, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> lines_starting_with(const std::string& text, std::string_view start)
{
    std::vector<std::string> found;
    for (const std::string& line : lines_of(text)) {
        if (line.starts_with(start)) found.push_back(line);
    }
    return found;
}

// The fixed point of g(x) = x + e^-x - 0.1/(x+1) and the root of F1(x) = x^3 - 5x^2 + 100x - 400,
// bisected in long double.
long double bisect(long double (*f)(long double), long double a, long double b)
{
    for (int i = 0; i < 200; ++i) {
        const long double m = (a + b) / 2;
        ((f(m) > 0) == (f(a) > 0) ? a : b) = m;
    }
    return (a + b) / 2;
}
long double f2(long double x) { return std::exp(-x) - 0.1L / (x + 1); }
long double f1(long double x) { return ((x - 5) * x + 100) * x - 400; }

// quarlen's runs made here with its own functions: bisection of F1 in [0, 10], Newton on F1
// from 10, and the fixed-point iteration from 4, which contracts so slowly (by 0.984) that
// its last iterate is still 6.2e-3 from the fixed point.
void write_known_root_logs(const fs::path& folder)
{
    test::write_log(folder / "bisec_f1.dat", bisection_header(0, 10),
                    test::bisection_run(FUNCTIONS::F1, 0, 10));
    test::write_log(folder / "newto_f1.dat", start_header(10),
                    test::newton_run(FUNCTIONS::F1, FUNCTIONS::DF1, 10));
    test::write_log(folder / "fixpk_f1.dat", start_header(4),
                    test::fixed_point_run(FUNCTIONS::GF2, 4));
}

TEST(Table, ShowsInputsAndEstimatesAndSaysWhichResultIsStillFarOff)
{
    const test_support::TempDir dir;
    write_known_root_logs(dir.path());
    const Outcome r = run_in_folder(dir.path(), false, true);
    ASSERT_EQ(r.status, exit_ok) << r.err;

    const std::pair<const char*, const char*> inputs[] = {{"Bisektion", "a = 0, b = 10"},
                                                          {"Newton-Verfahren", "x0 = 10"},
                                                          {"Fixpunktiteration", "x0 = 4"}};
    for (const auto& [label, start_values] : inputs) {
        auto row = test::table_row(r.out, label);
        EXPECT_EQ(row.count("(cells)"), 0u) << r.out;  // a cell in every column
        EXPECT_EQ(row["Startwerte"], start_values);
    }
    auto fixed_point = test::table_row(r.out, "Fixpunktiteration");
    const long double x_star = bisect(f2, 3, 5);
    const double true_error =
        static_cast<double>(std::fabs(std::stold(fixed_point["letzte Iterierte"]) - x_star));
    EXPECT_NEAR(std::stod(fixed_point["geschätzter Fehler"]), true_error, 0.01 * true_error)
        << r.out;
    EXPECT_NEAR(std::stod(fixed_point["geschätzter Grenzwert"]), static_cast<double>(x_star), 3e-5)
        << r.out;
    EXPECT_EQ(test::table_row(r.out, "Bisektion")["Ordnung p"], "-") << r.out;

    const auto far_off = lines_starting_with(r.out, "Fixpunktiteration: ");
    ASSERT_EQ(far_off.size(), 1u) << r.out;
    EXPECT_NE(far_off[0].find("Toleranz 1e-04, doch die letzte Iterierte liegt noch etwa 6.1e-03 "
                              "von der Nullstelle"),
              std::string::npos)
        << far_off[0];
    for (const char* quiet : {"Bisektion: ", "Newton-Verfahren: ", "* "}) {
        EXPECT_TRUE(lines_starting_with(r.out, quiet).empty()) << r.out;
    }
    EXPECT_EQ(r.out.find("Diagramm"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir / "konvergenz.svg"));
}

TEST(Table, MarksABisectionBoundThatTheLogContradicts)
{
    const test_support::TempDir dir;
    // F does not change sign in [0, 1]; the midpoints run towards 1.
    test::write_log(dir / "bisec_f1.dat", bisection_header(0, 1),
                    test::bisection_run(test::slowly_shrinking_without_root, 0, 1, 40));
    const Outcome r = run_in_folder(dir.path(), false, true);
    ASSERT_EQ(r.status, exit_ok) << r.err;
    auto row = test::table_row(r.out, "Bisektion");
    EXPECT_TRUE(row["geschätzter Fehler"].ends_with('*')) << r.out;
    EXPECT_EQ(row["geschätzter Grenzwert"], "-");
    const auto footnote = lines_starting_with(r.out, "* Bisektion: ");
    ASSERT_EQ(footnote.size(), 1u) << r.out;
    EXPECT_NE(footnote[0].find("2.6e-10"), std::string::npos) << footnote[0];
    // The bound itself is tiny; what is said is that the midpoints never met the test.
    const auto said = lines_starting_with(r.out, "Bisektion: ");
    ASSERT_EQ(said.size(), 1u) << r.out;
    EXPECT_TRUE(said[0].starts_with("Bisektion: Toleranz nicht erreicht: ")) << said[0];
}

TEST(Table, AResultIsFarOffOnlyBeyondTenTimesTheTolerance)
{
    EXPECT_FALSE(far_beyond_tolerance(std::nullopt, 1e-4));
    EXPECT_FALSE(far_beyond_tolerance(5e-4, 1e-4));
    EXPECT_FALSE(far_beyond_tolerance(1e-3, 1e-4));
    EXPECT_TRUE(far_beyond_tolerance(1.0001e-3, 1e-4));
}

double parse_real(const std::string& field)
{
    double value = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), value);
    EXPECT_TRUE(ec == std::errc{} && end == field.data() + field.size()) << '"' << field << '"';
    return value;
}

// The CSV's lines by their first field, after checking the header and the field count of each.
std::map<std::string, std::vector<std::string>> csv_rows(const std::string& csv)
{
    const auto lines = lines_of(csv);
    EXPECT_FALSE(lines.empty());
    if (lines.empty()) return {};
    EXPECT_EQ(lines[0], csv_header);
    const std::size_t columns = test::csv_fields(csv_header).size();
    std::map<std::string, std::vector<std::string>> rows;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const auto fields = test::csv_fields(lines[i]);
        EXPECT_EQ(fields.size(), columns) << lines[i];
        if (fields.size() == columns) rows[fields[0]] = fields;
    }
    return rows;
}

enum CsvColumn {
    verfahren,
    schritte,
    letzte_iterierte,
    letztes_abs_f,
    faktor_q,
    ordnung_p,
    fehlerschaetzung,
    geschaetzter_grenzwert,
    startwerte,
    nicht_endlich,
    hinweise,
    toleranz,
    funktion
};

TEST(Csv, HoldsEveryFigureExactlyAndLeavesUnknownOnesEmpty)
{
    const test_support::TempDir dir;
    write_known_root_logs(dir.path());
    const Outcome r = run_in_folder(dir.path(), true, false);
    ASSERT_EQ(r.status, exit_ok) << r.err;
    EXPECT_EQ(r.out.find("Diagramm"), std::string::npos);  // nothing but the CSV on stdout
    EXPECT_TRUE(fs::exists(dir / "konvergenz.svg"));       // the chart is still written

    auto rows = csv_rows(r.out);
    ASSERT_EQ(rows.size(), 3u) << r.out;
    EXPECT_EQ(rows["bisektion"][startwerte], "0 10");
    EXPECT_EQ(rows["newton"][startwerte], "10");
    EXPECT_EQ(rows["fixpunkt"][startwerte], "4");
    for (const MethodKind kind :
         {MethodKind::bisection, MethodKind::newton, MethodKind::fixed_point}) {
        const Method& method = method_of(kind);
        SCOPED_TRACE(method.key);
        const MethodSummary s = analyse_log(dir / std::string(method.log_file), method);
        const auto& fields = rows[std::string(method.key)];
        EXPECT_EQ(fields[schritte], std::to_string(s.steps));
        EXPECT_EQ(parse_real(fields[letzte_iterierte]), *s.stats.last_iterate());
        EXPECT_EQ(parse_real(fields[letztes_abs_f]), *s.stats.last_residual());
        EXPECT_EQ(parse_real(fields[faktor_q]), *s.stats.final_factor());
        if (method.shows_order) {
            EXPECT_EQ(parse_real(fields[ordnung_p]), *s.stats.order());
        } else {
            EXPECT_EQ(fields[ordnung_p], "");
        }
        EXPECT_EQ(parse_real(fields[fehlerschaetzung]), *s.estimate.error);
        EXPECT_EQ(parse_real(fields[geschaetzter_grenzwert]), *s.estimate.limit);
        EXPECT_EQ(fields[nicht_endlich], "0");
        EXPECT_EQ(fields[hinweise], method.kind == MethodKind::fixed_point ? "weit_von_nullstelle" : "");
    }

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    test::write_log(dir / "newto_f1.dat", "Startwert= 0\n",
                    {{0, 1, 1}, {1, 2, 1e-2}, {2, inf, nan}, {3, nan, -inf}});
    test::write_log(dir / "fixpk_f1.dat", "Startwert= 4\n", {});
    fs::remove(dir / "bisec_f1.dat");
    fs::remove(dir / "konvergenz.svg");
    const Outcome odd = run_in_folder(dir.path(), true, true);
    ASSERT_EQ(odd.status, exit_ok) << odd.err;
    EXPECT_FALSE(fs::exists(dir / "konvergenz.svg"));
    const auto lines = lines_of(odd.out);
    ASSERT_EQ(lines.size(), 3u) << odd.out;
    auto newton = test::csv_fields(lines[1]);
    EXPECT_NEAR(parse_real(newton[faktor_q]), 0.01, 1e-15);
    newton[faktor_q] = "q";
    // quarlen's own tolerance and f, as the README writes it.
    EXPECT_EQ(newton, (std::vector<std::string>{"newton", "4", "NaN", "Infinity", "q", "", "", "",
                                                "0", "2", "toleranz_nicht_erreicht", "0.0001",
                                                "x\u00B3 \u2212 5x\u00B2 + 100x \u2212 400"}));
    // A step replayed from 4 sizes the error of the start, 4 - 3.8897.
    auto fixed_point = test::csv_fields(lines[2]);
    EXPECT_NEAR(parse_real(fixed_point[fehlerschaetzung]), 0.110, 0.01);
    fixed_point[fehlerschaetzung] = "e";
    EXPECT_EQ(fixed_point,
              (std::vector<std::string>{"fixpunkt", "0", "", "", "", "", "e", "", "4", "0",
                                        "toleranz_nicht_erreicht;weit_von_nullstelle", "0.0001",
                                        "x + e^(\u2212x) \u2212 0.1/(x + 1)"}));
}

struct TypicalRun {
    test_support::TempDir dir;
    std::string csv;
};

// quarlen with a = 0, b = 10, Newton from 0, fixed point from 4, or the input given to
// the stages given; konvergenz's CSV of it.
void run_typical(TypicalRun& run, std::vector<std::string> quarlen_args = {},
                 std::string input = "0\n10\n0\n4\n", int quarlen_status = 0)
{
    const auto quarlen = test::run_in(run.dir.path(), QUARLEN_EXE, std::move(quarlen_args), input);
    ASSERT_EQ(quarlen.exit_status, quarlen_status) << quarlen.err;
    const auto konvergenz =
        test::run_in(run.dir.path(), KONVERGENZ_EXE, {"--csv", "--kein-diagramm"});
    ASSERT_EQ(konvergenz.exit_status, 0) << konvergenz.err;
    EXPECT_EQ(konvergenz.err, "");
    run.csv = konvergenz.out;
}

TEST(Programs, EstimatesOfTheTypicalRunHoldAgainstTheTrueRoots)
{
    TypicalRun typical;
    ASSERT_NO_FATAL_FAILURE(run_typical(typical));
    EXPECT_EQ(std::distance(fs::directory_iterator(typical.dir.path()), fs::directory_iterator()),
              3);

    const long double fixed_point = bisect(f2, 3, 5), root = bisect(f1, 0, 10);
    auto rows = csv_rows(typical.csv);
    ASSERT_EQ(rows.size(), 3u) << typical.csv;
    const auto true_error = [&](const char* method, long double x) {
        return static_cast<double>(std::fabs(parse_real(rows[method][letzte_iterierte]) - x));
    };
    const auto figure = [&](const char* method, CsvColumn column) {
        return parse_real(rows[method][column]);
    };

    // About 6.2e-3: 62 times the tolerance the iteration stopped at.
    EXPECT_NEAR(figure("fixpunkt", fehlerschaetzung), true_error("fixpunkt", fixed_point),
                0.01 * true_error("fixpunkt", fixed_point));
    EXPECT_GT(figure("fixpunkt", fehlerschaetzung), 6e-3);
    EXPECT_LT(std::fabs(figure("fixpunkt", geschaetzter_grenzwert) - fixed_point), 3e-5L);
    // q as the iteration ends: |g'(x*)| = 1 - e^-x* + 0.1/(x*+1)^2.
    const long double slope =
        1 - std::exp(-fixed_point) + 0.1L / ((fixed_point + 1) * (fixed_point + 1));
    EXPECT_NEAR(figure("fixpunkt", faktor_q), static_cast<double>(slope), 1e-3);
    // About 1.4e-7.
    EXPECT_NEAR(figure("newton", fehlerschaetzung), true_error("newton", root),
                0.01 * true_error("newton", root));
    EXPECT_LT(std::fabs(figure("newton", geschaetzter_grenzwert) - root), 1e-10L);
    // At most 10 / 2^21 = 4.8e-6, from the interval in the header and the last step, 20.
    EXPECT_EQ(figure("bisektion", fehlerschaetzung), std::ldexp(10.0, -21));
    EXPECT_GE(figure("bisektion", fehlerschaetzung), true_error("bisektion", root));
    EXPECT_EQ(rows["bisektion"][startwerte], "0 10");
    // quarlen's own logs, replayed: each test was met where its run ended.
    EXPECT_EQ(rows["bisektion"][hinweise] + '|' + rows["newton"][hinweise] + '|' +
                  rows["fixpunkt"][hinweise],
              "||weit_von_nullstelle");

    // Without a chart, a chart path that could not take one does not matter.
    std::filesystem::create_directory(typical.dir / "ordner.svg");
    const auto text = test::run_in(typical.dir.path(), KONVERGENZ_EXE,
                                   {"--kein-diagramm", "-o", "ordner.svg"});
    ASSERT_EQ(text.exit_status, 0) << text.err;
    EXPECT_EQ(lines_starting_with(text.out, "Fixpunktiteration: ").size(), 1u) << text.out;
    EXPECT_TRUE(lines_starting_with(text.out, "Newton-Verfahren: ").empty()) << text.out;
    EXPECT_TRUE(lines_starting_with(text.out, "Bisektion: ").empty()) << text.out;
}

// All seven on the interval 0, 10, Newton's start 0, the secant method's 0 and 10, the
// fixed-point start 0: each order as the textbooks give it, the bounds and estimates
// against the true root and fixed point.
TEST(Programs, SevenMethodsSideBySideShowTheirTextbookOrders)
{
    TypicalRun seven;
    ASSERT_NO_FATAL_FAILURE(run_typical(
        seven, {"-m", "bisektion,regula-falsi,illinois,newton,sekante,fixpunkt,steffensen"},
        "0\n10\n0\n0\n10\n0\n"));
    const long double fixed_point = bisect(f2, 3, 5), root = bisect(f1, 0, 10);
    struct Row {
        const char* key;
        double lowest_p, highest_p;  // 0, 0: no order shown
        long double solution;
        const char* codes;
    };
    const Row rows[] = {
        {"bisektion", 0, 0, root, ""},
        {"regula_falsi", 0.95, 1.05, root, "klammer_breit"},  // the end 10 never moves
        {"illinois", 0, 0, root, ""},
        {"newton", 1.9, 2.1, root, ""},
        {"sekante", 1.6, 1.8, root, ""},
        {"fixpunkt", 0.95, 1.05, fixed_point, "weit_von_nullstelle"},
        {"steffensen", 1.8, 2.3, fixed_point, ""},
    };
    const auto lines = lines_of(seven.csv);
    ASSERT_EQ(lines.size(), std::size(rows) + 1) << seven.csv;
    auto fields = csv_rows(seven.csv);
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.key);
        EXPECT_TRUE(lines[i + 1].starts_with(std::string(row.key) + ',')) << lines[i + 1];
        const auto& f = fields[row.key];
        if (row.highest_p == 0) {
            EXPECT_EQ(f[ordnung_p], "");
        } else {
            EXPECT_GE(parse_real(f[ordnung_p]), row.lowest_p);
            EXPECT_LE(parse_real(f[ordnung_p]), row.highest_p);
        }
        EXPECT_EQ(f[hinweise], row.codes);
        const double error = parse_real(f[fehlerschaetzung]);
        const auto true_error =
            static_cast<double>(std::fabs(parse_real(f[letzte_iterierte]) - row.solution));
        const std::string key = row.key;
        if (key == "bisektion" || key == "regula_falsi" || key == "illinois") {
            EXPECT_GE(error, true_error);  // a bound
        } else if (key != "fixpunkt") {
            EXPECT_NEAR(error, true_error, 0.02 * true_error);
        }
    }
    // The regula falsi bracket reaches from the last point to the end 10 that never moved.
    EXPECT_EQ(parse_real(fields["regula_falsi"][fehlerschaetzung]),
              10 - parse_real(fields["regula_falsi"][letzte_iterierte]));
    // Steffensen's limit is its last iterate, 2.2e-4 from the fixed point.
    EXPECT_LT(std::fabs(parse_real(fields["steffensen"][geschaetzter_grenzwert]) - fixed_point),
              3e-4L);

    const auto text = test::run_in(seven.dir.path(), KONVERGENZ_EXE);
    ASSERT_EQ(text.exit_status, 0) << text.err;
    std::vector<std::string> labels;
    for (const std::string& line : lines_of(text.out)) {
        for (const Method& method : all_methods) {
            if (line.starts_with(std::string(method.label) + "  "))
                labels.emplace_back(method.label);
        }
    }
    std::vector<std::string> expected;
    for (const Method& method : all_methods) expected.emplace_back(method.label);
    EXPECT_EQ(labels, expected) << text.out;
    const std::string svg = test_support::read_file(seven.dir / "konvergenz.svg");
    EXPECT_EQ(test::xmllint_errors(svg), "");
    for (const Method& method : all_methods) {
        EXPECT_NE(svg.find("stroke=\"" + std::string(method.colour) + "\" stroke-width=\"1.8\""),
                  std::string::npos)
            << method.label;
    }
}

// A formula as long as quarlen allows: `formula`, of even length, then "+0" as often as
// it takes.
std::string longest_formula(std::string formula)
{
    while (formula.size() < runtime::FORMULA_MAX_LENGTH) formula += "+0";
    return formula;
}

struct TypedRunCase {
    const char* name;
    std::vector<std::string> args;
    const char* input;
    int status;               // quarlen's
    std::string codes;        // hinweise of each log, "|" between, in the table's order
    std::string toleranz;     // of every log
    std::string functions;    // funktion of each log, "|" between
    std::string subtitle;     // in the chart
    std::string table_lines;  // below the table's rows
};

// The built quarlen on formulas and tolerances of its own, konvergenz on its logs: the
// functions named and replayed, each run judged against its own tolerance.
TEST(Programs, TypedFormulasAndTolerancesAreNamedReplayedAndJudgedByTheirOwn)
{
    const std::string seven = "bisektion,regula-falsi,illinois,newton,sekante,fixpunkt,steffensen";
    const std::string long_f = longest_formula("x^2 - 20"), long_df = longest_formula("2x");
    ASSERT_EQ(long_f.size() + long_df.size(), 2 * runtime::FORMULA_MAX_LENGTH);
    const TypedRunCase cases[] = {
        // The fixed-point iteration from 4 ends 6e-5 from its fixed point: ten times 1e-6.
        {"quarlen's functions, a tolerance of its own", {"-t", "1e-6"}, "0\n10\n0\n4\n", 0,
         "||weit_von_nullstelle", "1e-06",
         "x\u00B3 \u2212 5x\u00B2 + 100x \u2212 400|x\u00B3 \u2212 5x\u00B2 + 100x \u2212 400|"
         "x + e^(\u2212x) \u2212 0.1/(x + 1)",
         "logarithmisch; f(x) = x\u00B3 \u2212 5x\u00B2 + 100x \u2212 400</text>",
         "f(x)       x\u00B3 \u2212 5x\u00B2 + 100x \u2212 400\ng(x)       x + e^(\u2212x) \u2212 "
         "0.1/(x + 1)\nToleranz   1e-06\n"},
        // Replayed with quarlen's F1 instead, each run would look unfinished.
        {"all seven on f and g typed",
         {"-m", seven, "-f", "cos(x) - x", "-g", "cos(x)", "-t", "1e-10"},
         "0\n1\n1\n0\n1\n1\n", 0, "|klammer_breit|||||", "1e-10",
         "cos(x) - x|cos(x) - x|cos(x) - x|cos(x) - x|cos(x) - x|cos(x)|cos(x)",
         "logarithmisch; f(x) = cos(x) - x; g(x) = cos(x)</text>",
         "f(x)       cos(x) - x\nf'(x)      exakt aus f(x) abgeleitet\ng(x)       cos(x)\n"
         "Toleranz   1e-10\n"},
        // g = x + f(x) runs from 1 into the cycle 0, -2 until the cycle check stops it.
        {"g formed from f", {"-f", "x^2 - 2"}, "0\n2\n1\n1\n", 1,
         "||toleranz_nicht_erreicht;divergiert", "0.0001", "x^2 - 2|x^2 - 2|x + (x^2 - 2)",
         "f(x) = x^2 - 2; g(x) = x + f(x)",
         "f(x)       x^2 - 2\nf'(x)      exakt aus f(x) abgeleitet\ng(x)       x + f(x)\n"
         "Toleranz   1e-04\n"},
        // Newton's header holds both at the length limit: read, named in full, and shortened
        // in the chart. g = x + f(x) overflows.
        {"the longest formulas", {"-f", long_f, "--ableitung", long_df}, "0\n10\n5\n5\n", 1,
         "||toleranz_nicht_erreicht;divergiert", "0.0001",
         long_f + '|' + long_f + "|x + (" + long_f + ')', "f(x) = " + long_f.substr(0, 80),
         "f(x)       " + long_f + "\nf'(x)      " + long_df + "\ng(x)       x + f(x)\n"
         "Toleranz   1e-04\n"},
    };
    for (const TypedRunCase& c : cases) {
        SCOPED_TRACE(c.name);
        TypicalRun run;
        ASSERT_NO_FATAL_FAILURE(run_typical(run, c.args, c.input, c.status));
        const auto lines = lines_of(run.csv);
        std::string codes, functions;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const auto fields = test::csv_fields(lines[i]);
            ASSERT_EQ(fields.size(), test::csv_fields(csv_header).size()) << lines[i];
            codes += (i > 1 ? "|" : "") + fields[hinweise];
            functions += (i > 1 ? "|" : "") + fields[funktion];
            EXPECT_EQ(fields[toleranz], c.toleranz);
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(functions, c.functions);

        const auto text = test::run_in(run.dir.path(), KONVERGENZ_EXE);
        ASSERT_EQ(text.exit_status, 0) << text.err;
        EXPECT_NE(text.out.find(c.table_lines + "q          Faktor"), std::string::npos)
            << text.out;
        const std::string svg = test_support::read_file(run.dir / "konvergenz.svg");
        EXPECT_EQ(test::xmllint_errors(svg), "");
        EXPECT_NE(svg.find(c.subtitle), std::string::npos) << svg.substr(0, 2000);
        // The tolerance line, labelled at the run's own tolerance.
        const std::string exponent =
            c.toleranz == "0.0001" ? "4" : c.toleranz == "1e-06" ? "6" : "10";
        EXPECT_NE(svg.find("Toleranz</text><text x=\"872\" y=\""), std::string::npos);
        EXPECT_NE(svg.find("\u2212" + exponent + "</tspan></text></g>"), std::string::npos);
    }
}

// ---- runs that did not finish, or finished far from the root ----

using FUNCTIONS::DF1;
using FUNCTIONS::F1;
using FUNCTIONS::GF2;

// The first `count` records of a run.
test::Records first(test::Records records, std::size_t count)
{
    records.resize(count);
    return records;
}

// A log whose last line is cut off in its middle, as a killed run leaves it.
void write_cut_log(const fs::path& path, const std::string& header, const test::Records& records)
{
    test::write_log(path, header, records);
    const std::string text = test_support::read_file(path);
    test_support::write_file(path, text.substr(0, text.size() - 20));
}

// Writes a golden log, or its header and first `keep` records, into a folder.
std::function<void(const fs::path&)> golden(const char* folder, const char* log,
                                            std::size_t keep = std::string::npos)
{
    return [=](const fs::path& d) {
        test_support::write_file(d / log, test::golden_log(folder, log, keep));
    };
}

// The fixed-point iteration on g(x) = cos(x) from 1, stopped at 1e-4 as quarlen's default
// stops it; quarlen's own g is 0.42 away from x there.
void write_typed_fixed_point_log(const fs::path& folder, const std::string& items)
{
    test::write_log(folder / "fixpk_f1.dat", "Startwert= 1" + items + '\n',
                    test::fixed_point_run([](double x) { return std::cos(x); }, 1));
}

// Runs the built quarlen in a folder on each set of arguments and input in turn, as a
// person would; the logs of all but the last run are then made an hour older each time,
// as those of an earlier session.
using QuarlenRun = std::pair<std::vector<std::string>, std::string>;
std::function<void(const fs::path&)> quarlen_runs(std::vector<QuarlenRun> runs)
{
    return [=](const fs::path& d) {
        for (std::size_t i = 0; i < runs.size(); ++i) {
            test::run_in(d, QUARLEN_EXE, runs[i].first, runs[i].second);
            if (i + 1 == runs.size()) break;
            for (const auto& entry : fs::directory_iterator(d))
                fs::last_write_time(entry, entry.last_write_time() - std::chrono::hours(1));
        }
    };
}

// The fixed point of cos(x), the Dottie number, to 20 digits.
constexpr double dottie = 0.73908513321516064166;

struct DoubtCase {
    const char* name;
    MethodKind kind;
    std::function<void(const fs::path&)> write_logs;
    const char* codes;     // the run's field hinweise in the CSV
    const char* words;     // its cell "Hinweise" in the table
    const char* sentence;  // below the table, after "<method>: "; "" for none
    const char* in_chart = "";
    const char* in_table = "";
    const char* warning = "";    // on stderr
    const char* error = nullptr;  // its field fehlerschaetzung in the CSV, where given
    // The root, and how near to it the last iterate the row shows lies, where given.
    std::optional<std::pair<double, double>> near = {};
};

TEST(Notes, ADoubtfulRunLooksDoubtfulInTheTableTheCsvAndTheChart)
{
    // The test met, and more than ten tolerances still to go.
    const char* const HELD = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 1e-04) hielt";
    // A run stopped before its test held, whose ratios show no convergence.
    const char* const RAN_OFF =
        "Toleranz nicht erreicht: der letzte Schritt, aus der letzten Zeile nachgerechnet, erfüllt "
        "das Abbruchkriterium (Toleranz 1e-04) nicht; der Lauf wurde unterbrochen, angehalten oder "
        "brach ab, und die Quotienten von |f| zeigen am Ende keine Konvergenz.";
    const char* const RAN_OFF_CODES = "toleranz_nicht_erreicht;divergiert";
    const char* const RAN_OFF_WORDS = "Toleranz nicht erreicht, divergiert";
    const DoubtCase cases[] = {
        {"interrupted", MethodKind::fixed_point,
         [](const fs::path& d) {
             test::write_log(d / "fixpk_f1.dat", start_header(4),
                             first(test::fixed_point_run(GF2, 4), 100));
         },
         "toleranz_nicht_erreicht;weit_von_nullstelle", "Toleranz nicht erreicht",
         "Toleranz nicht erreicht: der letzte Schritt, aus der letzten Zeile nachgerechnet, "
         "erfüllt das Abbruchkriterium (Toleranz 1e-04) nicht",
         "Fixpunktiteration, x\u2080 = 4 (Toleranz nicht erreicht)"},
        // The last whole line is the step before the one that met the test.
        {"killed, with a cut line", MethodKind::newton,
         [](const fs::path& d) {
             write_cut_log(d / "newto_f1.dat", start_header(0), test::newton_run(F1, DF1, 0));
         },
         "toleranz_nicht_erreicht;weit_von_nullstelle;abgeschnitten",
         "Toleranz nicht erreicht, abgeschnitten", "Toleranz nicht erreicht: "},
        {"stopped by a limit", MethodKind::bisection,
         [](const fs::path& d) {
             test::write_log(d / "bisec_f1.dat", bisection_header(0, 10),
                             test::bisection_run(F1, 0, 10, 10));
         },
         "toleranz_nicht_erreicht;klammer_breit", "Toleranz nicht erreicht",
         "Toleranz nicht erreicht: ", "Bisektion, a = 0, b = 10 (Toleranz nicht erreicht)"},
        // |g(999) - 999| meets the test at once, 995 from the fixed point 3.89. A step
        // replayed from there, one ratio of |g(x) - x|, says nothing of divergence.
        {"met far from the root", MethodKind::fixed_point,
         [](const fs::path& d) { test::write_log(d / "fixpk_f1.dat", start_header(999), {}); },
         "weit_von_nullstelle", "",
         "Das Abbruchkriterium prüft gegen die Toleranz 1e-04 und war schon vor dem ersten "
         "Schritt erfüllt, doch das Ergebnis liegt noch etwa 1.0e+03 von der Nullstelle entfernt"},
        // Starts within the tolerance: no step, nothing diverged, and the secant through them
        // has no slope to size anything with.
        {.name = "the secant method's starts equal", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-f", "x^2-2"}, "1\n1\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Protokoll enthält keinen Schritt; das "
                     "Abbruchkriterium (Toleranz 1e-04) hielt schon vor dem ersten",
         .error = ""},
        // g(0) - 0 = 5e-5 meets the test at once; g is linear, so Steffensen's step would
        // divide by 0. The run is judged at |g(0) - 0| instead, but g(x) = x + 5e-5 has no
        // fixed point at all: no error is estimated.
        {.name = "Steffensen's method met at the start of a linear g",
         .kind = MethodKind::steffensen,
         .write_logs = quarlen_runs({{{"-m", "steffensen", "-g", "x + 0.00005"}, "0\n"}}),
         .codes = "", .words = "", .sentence = "", .error = "", .near = {{0, 0}}},
        // f is exactly 0 at the start: the step is 0 there, though f' is 0 too.
        {.name = "Newton's method at a double root", .kind = MethodKind::newton,
         .write_logs = quarlen_runs({{{"-m", "newton", "-f", "(x-1)^2"}, "1\n"}}),
         .codes = "", .words = "", .sentence = "", .near = {{1, 0}}},
        // F(-2) = F(2) = 0: the step from the roots is 0/0, and 2 the result.
        {.name = "the secant method between two roots", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-f", "x^2-4"}, "-2\n2\n"}}),
         .codes = "", .words = "", .sentence = "", .near = {{2, 0}}},
        // g(0) - 0 = 5e-5 meets the test at once, 5 from the fixed point 5, where g
        // contracts: a step replayed from 0 puts it there.
        {"met at the start, far from the root", MethodKind::fixed_point,
         [](const fs::path& d) {
             test::write_log(d / "fixpk_f1.dat", "Startwert= 0, g(x) = x - 0.00001*(x - 5)\n", {});
         },
         "weit_von_nullstelle", "",
         "Das Abbruchkriterium prüft gegen die Toleranz 1e-04 und war schon vor dem ersten "
         "Schritt erfüllt, doch das Ergebnis liegt noch etwa 5.0e+00 von der Nullstelle entfernt"},
        // The fixed-point iteration on tan(x) jumps about and lands on -0.0664, where
        // |tan(x) - x| is below the tolerance: the result, 0.066 from the root 0, where the
        // iterate before it is 3.2 away; and its steps there grow.
        {.name = "the fixed point judged at its result", .kind = MethodKind::fixed_point,
         .write_logs = quarlen_runs({{{"-m", "fixpunkt", "-f", "tan(x) - x"}, "4.5\n"}}),
         .codes = "divergiert", .words = "divergiert",
         .sentence = "Fehler, Grenzwert und Ordnung werden nicht geschätzt: die Quotienten von "
                     "|f| zeigen am Ende keine Konvergenz.",
         .in_chart = "(divergiert)", .error = "", .near = {{0, 0.07}}},
        // From 1, g jumps to 3.004, where |g(x) - x| = 8e-5 meets the test; g contracts by
        // 0.98 there, so the result lies 50 times that from the fixed point 3. A secant through
        // the record at 1 would say 8e-5; one through the result and the step after it says
        // how far off it is.
        {.name = "a fixed point reached in one jump", .kind = MethodKind::fixed_point,
         .write_logs = quarlen_runs(
             {{{"-m", "fixpunkt", "-g", "3 + 0.98*(x - 3) - 0.2455*(x - 3)^3"}, "1\n"}}),
         .codes = "weit_von_nullstelle", .words = "",
         .sentence = "Das Abbruchkriterium prüft gegen die Toleranz 1e-04, doch die letzte "
                     "Iterierte liegt noch etwa 4.0e-03 von der Nullstelle entfernt.",
         .near = {{3, 0.0041}}},
        // Its last line shows the step from 0.7280 to 0.7390670, 1.8e-5 from the fixed
        // point; the result is the step after it, within the tolerance.
        {.name = "Steffensen's method judged at its result", .kind = MethodKind::steffensen,
         .write_logs =
             quarlen_runs({{{"-m", "steffensen", "-g", "cos(x)", "-t", "1e-10"}, "1\n"}}),
         .codes = "", .words = "", .sentence = "", .near = {{dottie, 1e-10}}},
        // x e^x - 1 from 0: the iterates run off to the left one by one, |g(x) - x| = 1;
        // from 1, to the right, to an infinity in the fourth step.
        {.name = "a fixed point running off", .kind = MethodKind::fixed_point,
         .write_logs =
             quarlen_runs({{{"-m", "fixpunkt", "-f", "x*exp(x) - 1", "-n", "60"}, "0\n"}}),
         .codes = RAN_OFF_CODES, .words = RAN_OFF_WORDS, .sentence = RAN_OFF, .error = ""},
        {.name = "a fixed point running off to an infinity", .kind = MethodKind::fixed_point,
         .write_logs =
             quarlen_runs({{{"-m", "fixpunkt", "-f", "x*exp(x) - 1", "-n", "60"}, "1\n"}}),
         .codes = RAN_OFF_CODES, .words = RAN_OFF_WORDS, .sentence = RAN_OFF, .error = ""},
        // x0 = 10 is the record before the last, x1 = 2.667 the last; their step leads to
        // the result 3.546, 0.60 from the root, and the step after it to 4.195.
        {.name = "the secant method's result", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-n", "2"}, "0\n10\n"}}),
         .codes = "toleranz_nicht_erreicht;weit_von_nullstelle", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: der letzte Schritt, aus der letzten Zeile "
                     "nachgerechnet, erfüllt das Abbruchkriterium (Toleranz 1e-04) nicht; der "
                     "Lauf wurde unterbrochen, angehalten oder brach ab, und das Ergebnis liegt "
                     "noch etwa 6.5e-01 von der Nullstelle entfernt"},
        // sin(x)^2 + 0.001 has no root; the secant ends at 4.3e14, where doubles lie 1/16
        // apart and a next step below that passes only for the rounding level.
        {.name = "the secant method where doubles are too coarse", .kind = MethodKind::secant,
         .write_logs = quarlen_runs(
             {{{"-m", "sekante", "-f", "sin(x)^2 + 0.001", "-t", "1e-8"}, "0.1\n0.2\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 1e-08) hielt, doch "
                     "die Rundungsstufe von x übersteigt die Toleranz, und f wechselt in diesem "
                     "Abstand das Vorzeichen nicht und ist nicht nahe 0; eine Nullstelle ist damit "
                     "nicht gefunden.",
         .error = ""},
        // F(x) = |x| + 1 is 2 at 1 and at the secant's next point -1: the step after it
        // divides by 0, and an infinite error sizes nothing.
        {.name = "the secant method's step after the result infinite", .kind = MethodKind::secant,
         .write_logs =
             quarlen_runs({{{"-m", "sekante", "-f", "abs(x) + 1", "-n", "1"}, "3\n1\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: "},
        // Values that are 0 only by underflow, a Newton step of 0 where f is not, and a
        // fixed point that is an addend lost in x + atan(x) at 1e17: quarlen ends each with
        // status 1, and the replay does not count the test as met; a 0 sizes no error.
        {.name = "Newton's method at a 0 only by underflow", .kind = MethodKind::newton,
         .write_logs = quarlen_runs(
             {{{"-m", "newton", "-f", "x*exp(-1/x^2)", "-t", "1e-10", "-n", "2000"}, "1.5\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "the secant method at a 0 only by underflow", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-f", "exp(-x)", "-n", "2000"}, "1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "Newton's step 0 by an infinite derivative", .kind = MethodKind::newton,
         .write_logs = quarlen_runs({{{"-m", "newton", "-f", "sqrt(x) - 2"}, "0\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: "},
        {.name = "a fixed point only by rounding", .kind = MethodKind::fixed_point,
         .write_logs =
             quarlen_runs({{{"-m", "fixpunkt", "-f", "atan(x)", "-n", "100"}, "1e17\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "bisection from an end 0 only by underflow", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs({{{"-m", "bisektion", "-f", "x*exp(-1/x^2)"}, "0.01\n2\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 1e-04) hielt nur",
         .error = ""},
        {.name = "Illinois from an end 0 only by underflow", .kind = MethodKind::illinois,
         .write_logs = quarlen_runs({{{"-m", "illinois", "-f", "x*exp(-1/x^2)"}, "0.01\n2\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "bisection at a midpoint 0 only by underflow", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs(
             {{{"-m", "bisektion", "-f", "x*exp(-1/x^2)", "-t", "1e-300"}, "-1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        // 1/x is 0 at the infinity the secant runs off to: no root, quarlen breaks down.
        {.name = "the secant method run off to infinity", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-f", "1/x", "-n", "2000"}, "1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "Newton's method run off to infinity", .kind = MethodKind::newton,
         .write_logs = quarlen_runs({{{"-m", "newton", "-f", "1/x", "-n", "2000"}, "1\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        // Brackets closing on a pole or a jump: |f| grows, stays, or is not finite at the
        // end; the bracket's width is the distance to no root.
        {.name = "bisection closing on the pole of tan", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs({{{"-m", "bisektion", "-f", "tan(x)"}, "1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "bisection at the pole of 1/x", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs({{{"-m", "bisektion", "-f", "1/x", "-n", "200"}, "-1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        {.name = "regula falsi closing on a jump", .kind = MethodKind::regula_falsi,
         .write_logs =
             quarlen_runs({{{"-m", "regula-falsi", "-f", "abs(x-1)/(x-1)"}, "0.5\n2\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        // At a root |f| stalls too, where the ends are neighbouring doubles, but at the
        // rounding level: the bracket, one unit in the last place of sqrt(2), still bounds.
        {.name = "bisection stalling at a root below its tolerance", .kind = MethodKind::bisection,
         .write_logs =
             quarlen_runs({{{"-m", "bisektion", "-f", "x^2-2", "-t", "1e-30"}, "1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht;klammer_breit", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: ", .error = "2.2204460492503131e-16"},
        {.name = "Illinois closing on the pole of tan", .kind = MethodKind::illinois,
         .write_logs = quarlen_runs({{{"-m", "illinois", "-f", "tan(x)"}, "1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert",
         .sentence = "Toleranz nicht erreicht: ", .error = ""},
        // Steps that meet the tolerance but shrink too slowly, or not at all: quarlen ends
        // each with status 1. On (x-1)^25 each Newton step is 1/25 of the distance to the
        // root 1, so the steps to come add up to the distance itself, 2.4e-3.
        {.name = "Newton's steps shrinking slowly", .kind = MethodKind::newton,
         .write_logs = quarlen_runs({{{"-m", "newton", "-f", "(x-1)^25", "-n", "2000"}, "2\n"}}),
         .codes = "toleranz_nicht_erreicht;weit_von_nullstelle", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 1e-04) hielt, doch "
                     "die noch kommenden Schritte führen zusammen weiter als zehn Toleranzen; "
                     "eine Nullstelle ist damit nicht gefunden, und das Ergebnis liegt noch etwa "
                     "2.4e-03 von der Nullstelle entfernt",
         .error = "", .near = {{1, 0.0025}}},
        {.name = "the secant method's steps shrinking slowly", .kind = MethodKind::secant,
         .write_logs = quarlen_runs(
             {{{"-m", "sekante", "-f", "x*exp(-1/x^2)", "-n", "2000"}, "1.5\n1.4\n"}}),
         .codes = "toleranz_nicht_erreicht;weit_von_nullstelle", .words = "Toleranz nicht erreicht",
         .sentence = HELD, .error = ""},
        {.name = "Newton's steps not shrinking", .kind = MethodKind::newton,
         .write_logs = quarlen_runs(
             {{{"-m", "newton", "-f", "tan(x) - x", "-t", "1e-8", "-n", "2000"}, "1\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 1e-08) hielt",
         .error = ""},
        {.name = "Newton's one step not shrinking", .kind = MethodKind::newton,
         .write_logs = quarlen_runs(
             {{{"-m", "newton", "-f", "x^3 - 2", "--ableitung", "1", "-t", "0.5"}, "1.3\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 0.5) hielt",
         .error = ""},
        // A last step too short to move x, after a jump to 2e10: a chord at x = 0.000435
        // shows a next step of 6.6e9, which says x is no root but not how far the roots
        // +-1.316 are. Steffensen along a tail of x e^-x, whose only root is 0.
        {.name = "the secant method's last step too short to move", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-f", "x^4 - 3"}, "0.5\n0\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = HELD, .error = ""},
        // A steep chord's short step far from the root (0.018 away), which quarlen takes for
        // convergence: the step replayed from the result is long, and the last step, as
        // short as the chord was steep, is no estimate of the error.
        {.name = "the secant method's steep chord taken for convergence",
         .kind = MethodKind::secant,
         .write_logs = quarlen_runs(
             {{{"-m", "sekante", "-f", "x - 0.999999*sin(x) - 1e-6"}, "0\n0.5\n"}}),
         .codes = "weit_von_nullstelle", .words = "",
         .sentence = "Das Abbruchkriterium prüft gegen die Toleranz 1e-04, doch das Ergebnis",
         .error = ""},
        // Steps flat at the rounding level, then g(x) = x exactly: a fixed point, not a run
        // whose last ratios, 1, show divergence.
        {.name = "the fixed point reached to the last bit", .kind = MethodKind::fixed_point,
         .write_logs = quarlen_runs({{{"-m", "fixpunkt", "-f", "x^x - 0.7", "-t", "1e-300",
                                       "-n", "5000"},
                                      "0.3678794411714423\n"}}),
         .codes = "", .words = "", .sentence = "", .error = "0"},
        // The two steps ahead that quarlen weighs where one step says little: after a first
        // step uphill beside a pole, and after a last step that left x unchanged.
        {.name = "Newton's first step uphill beside a pole", .kind = MethodKind::newton,
         .write_logs = quarlen_runs(
             {{{"-m", "newton", "-f", "(101325 + 0.3640/x^2)*(x - 4.267e-5) - 8.314*300"},
               "1e-4\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = HELD, .error = ""},
        {.name = "the secant method unmoved on a steep exponential", .kind = MethodKind::secant,
         .write_logs = quarlen_runs(
             {{{"-m", "sekante", "-f", "x/10*cosh(500/x) - x/10 - 15", "-t", "1e-3"}, "1\n2\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Abbruchkriterium (Toleranz 0.001) hielt",
         .error = ""},
        // A short step after a jump, with a long one from the result: x^4 + 1 has no root.
        {.name = "the secant method's short step after a jump", .kind = MethodKind::secant,
         .write_logs = quarlen_runs({{{"-m", "sekante", "-f", "x^4 + 1"}, "0.1\n0.2\n"}}),
         .codes = "toleranz_nicht_erreicht;divergiert",
         .words = "Toleranz nicht erreicht, divergiert", .sentence = HELD, .error = ""},
        {.name = "Steffensen's steps shrinking slowly", .kind = MethodKind::steffensen,
         .write_logs = quarlen_runs({{{"-m", "steffensen", "-f", "x*exp(-x)"}, "2\n"}}),
         .codes = "toleranz_nicht_erreicht;weit_von_nullstelle", .words = "Toleranz nicht erreicht",
         .sentence = HELD, .error = ""},
        // A test that compared only the starts: x0 + 1 is x0 at 1e300, or starts within the
        // tolerance. quarlen ends without a step and with status 1.
        {.name = "Newton's method where x0 + 1 is x0", .kind = MethodKind::newton,
         .write_logs = quarlen_runs({{{"-m", "newton", "-f", "x^2 - 1e300"}, "1e300\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Protokoll enthält keinen Schritt; das "
                     "Abbruchkriterium (Toleranz 1e-04) hielt schon vor dem ersten"},
        {.name = "the secant method's starts within the tolerance", .kind = MethodKind::secant,
         .write_logs =
             quarlen_runs({{{"-m", "sekante", "-f", "x^2-2", "-t", "0.5"}, "3\n3.5\n"}}),
         .codes = "toleranz_nicht_erreicht", .words = "Toleranz nicht erreicht",
         .sentence = "Toleranz nicht erreicht: das Protokoll enthält keinen Schritt; das "
                     "Abbruchkriterium (Toleranz 0.5) hielt schon vor dem ersten"},
        // There f(x) is lost in x + f(x) too, but g(y) - y changes sign beside x.
        {.name = "a fixed point below the last bit", .kind = MethodKind::fixed_point,
         .write_logs = quarlen_runs(
             {{{"-m", "fixpunkt", "-f", "0.1*(3 - x^2)", "-t", "1e-20", "-n", "1000"}, "0.5\n"}}),
         .codes = "", .words = "", .sentence = "", .near = {{std::sqrt(3.0), 1e-15}}},
        // The first chord point is the root 1: no step, no bracket left, not the midpoint 1.5.
        {.name = "regula falsi's first chord point the root", .kind = MethodKind::regula_falsi,
         .write_logs = quarlen_runs({{{"-m", "regula-falsi", "-f", "x - 1"}, "0\n3\n"}}),
         .codes = "", .words = "", .sentence = "", .error = "0", .near = {{1, 0}}},
        // Steps of |f| / 20 meet the tolerance at 1.4148, where steps of |f| / 2x would not.
        {.name = "Newton's method on a typed f'", .kind = MethodKind::newton,
         .write_logs = quarlen_runs(
             {{{"-m", "newton", "-f", "x^2 - 2", "--ableitung", "20"}, "1.5\n"}}),
         .codes = "", .words = "", .sentence = ""},
        // The logs of an earlier run of another equation or tolerance beside the newest.
        {.name = "a log of another equation", .kind = MethodKind::regula_falsi,
         .write_logs = quarlen_runs(
             {{{"-m", "bisektion,regula-falsi", "-f", "x*exp(x) - 1"}, "0\n1\n"},
              {{"-m", "newton", "-f", "x^2 - 2"}, "1\n"}}),
         .codes = "klammer_breit;veraltet", .words = "veraltet",
         .sentence = "Das Abbruchkriterium prüft gegen die Toleranz 1e-04, doch die Klammer",
         .in_chart = "Regula falsi, a = 0, b = 1 (veraltet)",
         .warning = "regfa_f1.dat\" hat andere Funktionen oder eine andere Toleranz als das "
                    "neueste Protokoll \""},
        {.name = "a log of another tolerance", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs({{{"-t", "1e-6"}, "0\n10\n0\n4\n"}, {{"-m", "newton"}, "1\n"}}),
         .codes = "veraltet", .words = "veraltet", .sentence = "",
         .warning = "bisec_f1.dat\" hat andere Funktionen oder eine andere Toleranz"},
        // A header without formulas names quarlen's own g, and so its own f.
        {.name = "a log of quarlen's own g beside one of another g",
         .kind = MethodKind::fixed_point,
         .write_logs = quarlen_runs(
             {{{"-m", "fixpunkt"}, "4\n"}, {{"-m", "steffensen", "-g", "cos(x)"}, "1\n"}}),
         .codes = "weit_von_nullstelle;veraltet", .words = "veraltet",
         .sentence = "Das Abbruchkriterium prüft"},
        // The fixed-point iteration run again from another start, and a formula spaced
        // otherwise: the same equation.
        {.name = "a log of the same equation", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs({{{}, "0\n10\n0\n4\n"}, {{"-m", "fixpunkt"}, "0\n"}}),
         .codes = "", .words = "", .sentence = ""},
        {.name = "a formula spaced otherwise", .kind = MethodKind::bisection,
         .write_logs = quarlen_runs({{{"-m", "bisektion", "-f", "x^2-2"}, "0\n2\n"},
                                     {{"-m", "newton", "-f", " x ^ 2 - 2 "}, "1\n"}}),
         .codes = "", .words = "", .sentence = ""},
        // quarlen solves an interval whose end is a root at once, without a step.
        {.name = "an end of the interval the root", .kind = MethodKind::bisection,
         .write_logs =
             [](const fs::path& d) {
                 test_support::write_file(
                     d / "bisec_f1.dat", "Ausgangswerte - a= 2, b= 4, f(x) = x^2 - 4\n");
             },
         .codes = "", .words = "", .sentence = "", .error = "0", .near = {{2, 0}}},
        {.name = "an end of Illinois's interval the root", .kind = MethodKind::illinois,
         .write_logs = quarlen_runs({{{"-m", "illinois", "-f", "x^2 - 4"}, "2\n4\n"}}),
         .codes = "", .words = "", .sentence = "", .error = "0", .near = {{2, 0}}},
        // 0 is a fixed point of x/2: no step from it; Steffensen's first step lands on it,
        // where its next step would be 0/0.
        {.name = "a fixed point at the start", .kind = MethodKind::fixed_point,
         .write_logs = quarlen_runs({{{"-m", "fixpunkt", "-g", "x/2"}, "0\n"}}),
         .codes = "", .words = "", .sentence = "", .near = {{0, 0}}},
        {.name = "Steffensen's method onto an exact fixed point", .kind = MethodKind::steffensen,
         .write_logs = quarlen_runs({{{"-m", "steffensen", "-g", "x/2"}, "1\n"}}),
         .codes = "", .words = "", .sentence = "", .near = {{0, 0}}},
        // As quarlen leaves it when its cycle check stops it after 64 steps.
        {"no sign change", MethodKind::bisection,
         [](const fs::path& d) {
             test::write_log(d / "bisec_f1.dat", bisection_header(5, 10),
                             test::bisection_run(F1, 5, 10, 64));
         },
         "toleranz_nicht_erreicht;divergiert", "Toleranz nicht erreicht, divergiert",
         "Toleranz nicht erreicht: "},
        // An hour older than the newest log, and of another tolerance.
        {"stale", MethodKind::fixed_point,
         [](const fs::path& d) {
             test::write_log(d / "newto_f1.dat", "Startwert= 4, Toleranz= 1e-06\n",
                             test::newton_run(F1, DF1, 4));
             test::write_log(d / "fixpk_f1.dat", start_header(4), test::fixed_point_run(GF2, 4));
             fs::last_write_time(d / "fixpk_f1.dat",
                                 fs::last_write_time(d / "newto_f1.dat") - std::chrono::hours(1));
         },
         "weit_von_nullstelle;veraltet", "veraltet",
         "Das Abbruchkriterium prüft gegen die Toleranz 1e-04, doch",
         "Fixpunktiteration, x\u2080 = 4 (veraltet)"},
        {"all non-finite", MethodKind::fixed_point,
         [](const fs::path& d) {
             test::write_log(d / "fixpk_f1.dat", start_header(-1), test::fixed_point_run(GF2, -1));
         },
         "toleranz_nicht_erreicht;keine_endlichen_werte",
         "Toleranz nicht erreicht, keine endlichen Werte", "Toleranz nicht erreicht: ",
         "(Toleranz nicht erreicht, keine endlichen Werte)"},
        // After 200 halvings the bound 6e239 is marked on the axis's edge instead of
        // stretching it from |f| ~ 1e80 to 10^240.
        {"an extreme mark", MethodKind::bisection,
         [](const fs::path& d) {
             test::write_log(d / "bisec_f1.dat", bisection_header(-1e300, 1e300),
                             test::bisection_run([](double x) { return std::cbrt(x - 4); },
                                                 -1e300, 1e300));
         },
         "toleranz_nicht_erreicht;klammer_breit", "Toleranz nicht erreicht",
         "Toleranz nicht erreicht: ", "class=\"beyond-axis\""},
        // Its last record is the step to 4.1448; the replay finds it 1.9e-3 from the root.
        {"secant method stopped early", MethodKind::secant,
         golden("verfahren/sieben", "sekan_f1.dat", 4),
         "toleranz_nicht_erreicht;weit_von_nullstelle", "Toleranz nicht erreicht",
         "Toleranz nicht erreicht: ",
         "Sekantenverfahren, x\u2080 = 0, x\u2081 = 10 (Toleranz nicht erreicht)"},
        {"Steffensen's method interrupted", MethodKind::steffensen,
         golden("verfahren/sieben", "steff_f1.dat", 3),
         "toleranz_nicht_erreicht;weit_von_nullstelle", "Toleranz nicht erreicht",
         "Toleranz nicht erreicht: ", "gesch\u00E4tzter Fehler 4,8\u00B710\u207B\u00B9"},
        // The end 10 never moves; the bracket is what the log can vouch for.
        {"regula falsi's fixed end", MethodKind::regula_falsi,
         golden("verfahren/sieben", "regfa_f1.dat"), "klammer_breit", "",
         "Das Abbruchkriterium prüft gegen die Toleranz 1e-04, doch die Klammer um die "
         "Nullstelle ist noch 5.9e+00 breit.",
         "Klammerbreite 5,9"},
        // g(-1) is -infinity: the step replayed from the result is NaN, and nothing sizes
        // the result's error.
        {"Steffensen's step onto the pole at -1", MethodKind::steffensen,
         [](const fs::path& d) {
             test::write_log(d / "steff_f1.dat", start_header(0), {{0, 0, -1}});
         },
         "toleranz_nicht_erreicht", "Toleranz nicht erreicht", "Toleranz nicht erreicht: "},
        // Replayed with the header's formula, the run met its test; against its header's
        // tolerance it stopped short, its last iterate 3e-4 off.
        {"a typed run", MethodKind::fixed_point,
         [](const fs::path& d) { write_typed_fixed_point_log(d, ", g(x) = cos(x)"); }, "", "", ""},
        {"a typed run stopped short of its own tolerance", MethodKind::fixed_point,
         [](const fs::path& d) {
             write_typed_fixed_point_log(d, ", g(x) = cos(x), Toleranz= 1e-10");
         },
         "toleranz_nicht_erreicht;weit_von_nullstelle", "Toleranz nicht erreicht",
         "Toleranz nicht erreicht: der letzte Schritt, aus der letzten Zeile nachgerechnet, "
         "erfüllt das Abbruchkriterium (Toleranz 1e-10) nicht"},
        // Nothing is replayed with functions the header may not name, and nothing that
        // needs its tolerance is said: quarlen's own g and tolerance would find the run
        // unfinished and far from the fixed point.
        {"a header not understood", MethodKind::fixed_point,
         [](const fs::path& d) { write_typed_fixed_point_log(d, ", h(x) = cos(x)"); }, "", "", "",
         "", "g(x)       unbekannt (Kopfzeile nicht verstanden)\nToleranz   unbekannt",
         "fixpk_f1.dat\", Zeile 1: Kopfzeile nicht verstanden"},
        // The run from 4 ends 6e-3 from the fixed point: far off for quarlen's tolerance.
        {.name = "a tolerance not a number", .kind = MethodKind::fixed_point,
         .write_logs =
             [](const fs::path& d) {
                 test::write_log(d / "fixpk_f1.dat", "Startwert= 4, Toleranz= nan\n",
                                 test::fixed_point_run(GF2, 4));
             },
         .codes = "", .words = "", .sentence = "",
         .in_table = "Toleranz   unbekannt (Kopfzeile nicht verstanden)",
         .warning = "Zeile 1: Kopfzeile nicht verstanden; Funktion und Toleranz des Laufs sind "
                    "unbekannt, er wird nicht nachgerechnet"},
        {.name = "a tolerance given twice", .kind = MethodKind::fixed_point,
         .write_logs =
             [](const fs::path& d) {
                 test::write_log(d / "fixpk_f1.dat",
                                 "Startwert= 4, Toleranz= 1e-04, Toleranz= 1e-04\n",
                                 test::fixed_point_run(GF2, 4));
             },
         .codes = "", .words = "", .sentence = "",
         .in_table = "Toleranz   unbekannt (Kopfzeile nicht verstanden)",
         .warning = "Zeile 1: Kopfzeile nicht verstanden"},
        {.name = "a start with a plus sign", .kind = MethodKind::secant,
         .write_logs =
             [](const fs::path& d) {
                 test::write_log(d / "sekan_f1.dat", "Startwerte - x0= 0, x1= +10\n",
                                 {{0, 10, 1100}, {1, 2.6666666666666670, -149.9259259259259}});
             },
         .codes = "", .words = "", .sentence = "",
         .in_table = "f(x)       unbekannt (Kopfzeile nicht verstanden)",
         .warning = "Zeile 1: Kopfzeile nicht verstanden"},
        // A steep first chord, then a step below the tolerance at 5.0, 0.85 from the root.
        {"secant method met far from the root", MethodKind::secant,
         golden("verfahren/eigenart", "sekan_f1.dat"), "weit_von_nullstelle", "",
         "Das Abbruchkriterium prüft gegen die Toleranz 1e-04, doch das Ergebnis liegt noch etwa "
         "8.0e-01 von der Nullstelle entfernt (geschätzt aus einem nachgerechneten Schritt).",
         "gesch\u00E4tzter Fehler 8,0\u00B710\u207B\u00B9"},
    };
    for (const DoubtCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Method& method = method_of(c.kind);
        const std::string label(method.label);
        const test_support::TempDir dir;
        c.write_logs(dir.path());

        const Outcome csv = run_in_folder(dir.path(), true, true);
        ASSERT_EQ(csv.status, exit_ok) << csv.err;
        const auto fields = csv_rows(csv.out)[std::string(method.key)];
        ASSERT_FALSE(fields.empty()) << csv.out;
        EXPECT_EQ(fields[hinweise], c.codes);
        EXPECT_NE(csv.err.find(c.warning), std::string::npos) << csv.err;
        if (c.error) {
            EXPECT_EQ(fields[fehlerschaetzung], c.error);
        }
        if (c.near) {
            EXPECT_NEAR(parse_real(fields[letzte_iterierte]), c.near->first, c.near->second);
            EXPECT_TRUE(std::isfinite(parse_real(fields[letztes_abs_f])));
        }

        const Outcome text = run_in_folder(dir.path(), false, false);
        ASSERT_EQ(text.status, exit_ok) << text.err;
        auto row = test::table_row(text.out, label);
        EXPECT_EQ(row["Hinweise"], c.words) << text.out;
        if (std::string(c.codes).starts_with("toleranz_nicht_erreicht")) {
            EXPECT_EQ(row["geschätzter Grenzwert"], "-") << text.out;
        }
        const auto said = lines_starting_with(text.out, label + ": ");
        ASSERT_EQ(said.size(), *c.sentence ? 1u : 0u) << text.out;
        if (*c.sentence) {
            EXPECT_TRUE(said[0].starts_with(label + ": " + c.sentence)) << said[0];
        }

        EXPECT_NE(text.out.find(c.in_table), std::string::npos) << text.out;

        const std::string svg = test_support::read_file(dir / "konvergenz.svg");
        EXPECT_EQ(test::xmllint_errors(svg), "");
        EXPECT_NE(svg.find(c.in_chart), std::string::npos) << c.in_chart;
        EXPECT_EQ(svg.find("75%\">300<"), std::string::npos) << "the axis reaches 10^300";
    }
}

// The golden runs were computed in exact arithmetic, independently of quarlen: the replay
// of their last steps in double comes to the same end as each run did. The codes of each
// log present, in the table's order.
TEST(Notes, TheReplayAgreesWithRunsComputedIndependently)
{
    const std::pair<const char*, const char*> cases[] = {
        {"far_starts", "||weit_von_nullstelle"},
        {"negative_ends", "||weit_von_nullstelle"},
        // The fixed-point iteration jumps from -8.3 to 4010.6, where |g(x) - x| < 1e-4 but
        // grows from step to step.
        {"reversed_ends", "||divergiert"},
        // A NaN at the first midpoint, Newton's start 1e20 where x + 1 is x (no step, no
        // root), g(-1000) = inf.
        // The NaN sizes no bracket.
        {"breakdowns",
         "toleranz_nicht_erreicht|toleranz_nicht_erreicht;weit_von_nullstelle|"
         "toleranz_nicht_erreicht;keine_endlichen_werte"},
        // Regula falsi never moves the end 10, so its bracket stays 5.85 wide.
        {"verfahren/sieben", "|klammer_breit||||weit_von_nullstelle|"},
        // From 3 and 5 the brackets are 0.85 and 3.4e-3 wide as the tests are met.
        {"verfahren/typisch", "klammer_breit|klammer_breit||"},
        // The secant method from -1000 and 1000 stops at 5.0, 0.85 from the root.
        {"verfahren/eigenart", "klammer_breit||weit_von_nullstelle|"},
        // From 2000 the fixed-point iteration meets its test at once, 1996 from the fixed
        // point: a step replayed from there sizes that, but is no trend. The secant method's
        // starts lie within the tolerance: no step, and no root.
        {"verfahren/ohne_schritt",
         "toleranz_nicht_erreicht;weit_von_nullstelle|weit_von_nullstelle|weit_von_nullstelle"},
        // The chords leave [5, 10]: no bracket, and a root found all the same.
        {"verfahren/ohne_vorzeichenwechsel", "||"},
        // Equal ends, an infinite F(x1), Steffensen's NaN.
        {"verfahren/zusammenbrueche",
         "toleranz_nicht_erreicht|toleranz_nicht_erreicht|"
         "toleranz_nicht_erreicht;keine_endlichen_werte|"
         "toleranz_nicht_erreicht;keine_endlichen_werte"},
    };
    for (const auto& [folder, codes] : cases) {
        SCOPED_TRACE(folder);
        const test_support::TempDir dir;
        // Copied in the order of the table, so that none is older than one before it.
        std::vector<std::string> keys;
        for (const Method& method : all_methods) {
            const std::string log(method.log_file);
            if (!fs::exists(fs::path(QUARLEN_GOLDEN_DIR) / folder / log)) continue;
            test_support::write_file(dir / log, test::golden_log(folder, log));
            keys.emplace_back(method.key);
        }
        const Outcome r = run_in_folder(dir.path(), true, true);
        ASSERT_EQ(r.status, exit_ok) << r.err;
        auto rows = csv_rows(r.out);
        std::string found;
        for (std::size_t i = 0; i < keys.size(); ++i)
            found += (i > 0 ? "|" : "") + rows[keys[i]][hinweise];
        EXPECT_EQ(found, codes);
    }
}

// "geschätzter Fehler" holds an umlaut: two bytes, one column on the screen.
TEST(Table, ColumnsLineUpInCharactersNotBytes)
{
    const test_support::TempDir dir;
    write_known_root_logs(dir.path());
    const Outcome r = run_in_folder(dir.path(), false, true);
    ASSERT_EQ(r.status, exit_ok) << r.err;
    const auto lines = lines_of(r.out);
    ASSERT_GE(lines.size(), 4u);
    // The right edge of a right-aligned column, counted in characters.
    const auto right_edge = [](const std::string& line, const std::string& cell) {
        const std::size_t end = line.find(cell) + cell.size();
        return std::count_if(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(end),
                             [](char c) { return (c & 0xC0) != 0x80; });
    };
    const auto edge = right_edge(lines[0], "geschätzter Fehler");
    for (std::size_t i = 1; i <= 3; ++i) {
        const std::string line = lines[i];
        const std::string cell = test::cells_of(line)[7];
        EXPECT_EQ(right_edge(line, cell), edge) << line;
    }
}

// Python's csv module reads the table as it is, and reads the same values.
TEST(Programs, PythonsCsvModuleReadsTheTable)
{
    if (std::string(PYTHON3_EXE).empty()) GTEST_SKIP() << "no python3";
    TypicalRun typical;
    ASSERT_NO_FATAL_FAILURE(run_typical(typical));
    test_support::write_file(typical.dir / "tabelle.csv", typical.csv);
    const std::string script = R"(
import csv, sys
with open(sys.argv[1], newline="") as f:
    reader = csv.DictReader(f)
    print(",".join(reader.fieldnames))
    for row in reader:
        assert None not in row and None not in row.values(), row
        reals = [row[k] for k in reader.fieldnames[2:8]]
        print(row["verfahren"], " ".join(repr(float(v)) if v else "-" for v in reals))
)";
    const auto python =
        test::run_in(typical.dir.path(), PYTHON3_EXE, {"-c", script, "tabelle.csv"});
    ASSERT_EQ(python.exit_status, 0) << python.err;
    const auto lines = lines_of(python.out);
    ASSERT_EQ(lines.size(), 4u) << python.out;
    EXPECT_EQ(lines[0], csv_header);
    auto rows = csv_rows(typical.csv);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::istringstream words(lines[i]);
        std::string method;
        words >> method;
        SCOPED_TRACE(method);
        ASSERT_EQ(rows.count(method), 1u);
        for (int column = letzte_iterierte; column <= geschaetzter_grenzwert; ++column) {
            std::string value;
            words >> value;
            if (value == "-") {
                EXPECT_EQ(rows[method][column], "") << column;
            } else {
                EXPECT_EQ(parse_real(value), parse_real(rows[method][column])) << column;
            }
        }
    }
}

}  // namespace
}  // namespace konvergenz
