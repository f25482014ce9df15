// The analysis run in-process (table, chart, exit statuses), and the built programs
// run as a person would: quarlen in a fresh folder, then konvergenz on its logs.
#include "app.hpp"
#include "options.hpp"
#include "quarlen_log.hpp"
#include "runtime/program.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <map>

namespace konvergenz {
namespace {

namespace fs = std::filesystem;
using test_support::read_file;

TEST(ParseOptions, AcceptsShortLongAndEqualsFormsAndRejectsTheRest) {
    const std::pair<std::vector<std::string_view>, const char*> cases[] = {  // -> folder, chart
        {{}, ". konvergenz.svg"},
        {{"-d", "lauf1"}, "lauf1 lauf1/konvergenz.svg"},
        {{"--dir=lauf1", "--output", "a.svg"}, "lauf1 a.svg"},
        {{"-o", "b.svg", "--dir", "x"}, "x b.svg"},
        {{"-dlauf1", "-ob.svg"}, "lauf1 b.svg"},  // joined to the option, as getopt allows
        {{"--help"}, ". konvergenz.svg help"},
        {{"--verbose"}, "rejected"}, {{"ordner"}, "rejected"}, {{"-o"}, "rejected"},
        {{"--dir"}, "rejected"}, {{"--output="}, "rejected"}, {{"-d", ""}, "rejected"},
        // A long name shortened while it stays unique, as getopt takes it.
        {{"--d=lauf1", "--ou", "a.svg"}, "lauf1 a.svg"},
        {{"--ver", "--kein-d", "--he"}, ". konvergenz.svg help version kein-diagramm"},
        {{"--ou"}, "rejected"}, {{"--csv=1"}, "rejected"},
        {{"--kein"}, "mehrdeutige Option \"--kein\": passt zu --kein-diagramm, --kein-verlauf "
                     "(Hilfe: konvergenz --help)"},
        {{"--v=1"}, "mehrdeutige Option \"--v=1\": passt zu --version, --von (Hilfe: "
                    "konvergenz --help)"},
    };
    for (const auto& [arguments, expected] : cases) {
        std::string got = "rejected";
        try {
            const Options o = parse_options(arguments);
            got = o.folder.string() + ' ' + o.chart_path().string() + (o.help ? " help" : "") +
                  (o.version ? " version" : "") + (o.no_chart ? " kein-diagramm" : "");
        } catch (const OptionsError& e) {
            // An ambiguous name is called so, with the names it fits.
            if (std::string_view(e.what()).starts_with("mehrdeutig")) got = e.what();
        }
        EXPECT_EQ(got, expected);
    }
}

// The classic cells of a method's line in the table.
std::vector<std::string> row(const std::string& table, const std::string& label) {
    auto cells = test::table_row(table, label);
    return {cells["Schritte"], cells["letzte Iterierte"], cells["letztes |f|"],
            cells["Faktor q"], cells["Ordnung p"],        cells["nicht endlich"]};
}

struct Outcome {
    int status;
    std::string out, err;
};

Outcome run_on(const Options& options) {
    std::ostringstream out, err;
    const int status = run(options, out, err);
    return {status, out.str(), err.str()};
}

void expect_no_temporary_files(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        EXPECT_FALSE(entry.path().string().ends_with(".tmp")) << entry.path();
    }
}

TEST(Run, CountsNonFiniteValuesLeavesThemOutOfTheChartAndSkipsMissingLogs) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const test_support::TempDir dir;
    test::write_log(dir / "newto_f1.dat", "Startwert= 0\n",
                    {{0, 1, 1}, {1, 2, 1e-2}, {2, inf, nan}, {3, nan, -inf}});
    test::write_log(dir / "fixpk_f1.dat", "Startwert= 4\n", {});
    Options options;
    options.folder = dir.path();
    const Outcome r = run_on(options);
    ASSERT_EQ(r.status, exit_ok) << r.err;
    // A method not run cannot be told from a lost log: neither is named.
    EXPECT_EQ(r.err, "");
    using Cells = std::vector<std::string>;
    EXPECT_EQ(row(r.out, "Newton-Verfahren"), (Cells{"4", "NaN", "Infinity", "0.01", "-", "2"}));
    EXPECT_EQ(row(r.out, "Fixpunktiteration"), (Cells{"0", "-", "-", "-", "-", "0"}));
    const std::string svg = read_file(dir / "konvergenz.svg");
    EXPECT_EQ(test::polyline(svg).size(), 2u);  // Newton's steps 0 and 1 only
    // From 4 the test is not met before a step: the run ended before its first.
    EXPECT_NE(svg.find("Fixpunktiteration, x\u2080 = 4 (keine Werte, Toleranz nicht erreicht)"),
              std::string::npos);

    // Nor beside a log of a further method, as after quarlen --verfahren.
    test::write_log(dir / "steff_f1.dat", "Startwert= 4\n", {});
    const Outcome chosen = run_on(options);
    ASSERT_EQ(chosen.status, exit_ok) << chosen.err;
    EXPECT_EQ(chosen.err, "");
}

void write_good_logs(const fs::path& folder) {
    test::write_log(folder / "bisec_f1.dat", "Ausgangswerte - a= 0, b= 10\n", {{0, 5, 100}, {1, 2.5, -50}});
    test::write_log(folder / "newto_f1.dat", "Startwert= 0\n", {{0, 0, -400}, {1, 4, -16}});
    test::write_log(folder / "fixpk_f1.dat", "Startwert= 4\n", {{0, 4, 3.9}, {1, 3.9, 3.85}});
}

struct FailureCase {
    const char* name;
    void (*spoil)(const fs::path& folder, Options& options);
    int status;
    const char* message;
};

TEST(Run, FailuresWriteNoChartOverAGoodOne) {
    const FailureCase cases[] = {
        {"malformed line",
         [](const fs::path& f, Options&) {
             test_support::write_file(f / "newto_f1.dat", "Startwert= 0\n0 1 2\n1 x 2\n");
         },
         exit_bad_input, "newto_f1.dat\", Zeile 3: "},
        {"no logs at all",
         [](const fs::path& f, Options&) {
             for (const char* log : {"bisec_f1.dat", "newto_f1.dat", "fixpk_f1.dat"}) fs::remove(f / log);
         },
         exit_bad_input,
         "keine Protokolldatei (bisec_f1.dat, regfa_f1.dat, illin_f1.dat, newto_f1.dat, "
         "sekan_f1.dat, fixpk_f1.dat, steff_f1.dat) in "},
        {"a formula in a header that does not compile",
         [](const fs::path& f, Options&) {
             test_support::write_file(f / "newto_f1.dat", "Startwert= 0, f(x) = x +\n0 0 -400\n");
         },
         exit_bad_input,
         "newto_f1.dat\", Zeile 1: Formel für f(x) \"x +\", Stelle 4 (Ende): erwartet wird eine "
         "Zahl"},
        {"no folder", [](const fs::path& f, Options& o) { o.folder = f / "fehlt"; }, exit_bad_input,
         "fehlt\" nicht gefunden"},
        {"a folder name too long for the system",
         [](const fs::path& f, Options& o) { o.folder = f / std::string(300, 'n'); }, exit_bad_input,
         "nnn\": Dateiname zu lang"},
        {"chart into a missing folder", [](const fs::path& f, Options& o) { o.output = f / "fehlt/k.svg"; },
         exit_write_failed, "k.svg\" lässt sich nicht schreiben"},
        {"a folder in the chart's place",
         [](const fs::path& f, Options& o) { fs::create_directory(o.output.emplace(f / "k.svg")); },
         exit_write_failed, "k.svg\" lässt sich nicht schreiben"},
        {"the chart onto a log", [](const fs::path& f, Options& o) { o.output = f / "fixpk_f1.dat"; },
         exit_write_failed, "fixpk_f1.dat\" lässt sich nicht schreiben: das ist das Protokoll "},
        {"a link to a log",
         [](const fs::path& f, Options& o) {
             fs::create_symlink("newto_f1.dat", o.output.emplace(f / "k.svg"));
         },
         exit_write_failed, "das ist das Protokoll "},
        {"a link to a log where the second chart goes",
         [](const fs::path& f, Options&) {
             fs::remove(f / "verlauf.svg");
             fs::create_symlink("newto_f1.dat", f / "verlauf.svg");
         },
         exit_write_failed, "verlauf.svg\" lässt sich nicht schreiben: das ist das Protokoll "},
        {"a missing log's name, spelt another way",
         [](const fs::path& f, Options& o) {
             fs::remove(f / "bisec_f1.dat");
             fs::create_directory(f / "unter");
             o.output = f / "unter/../bisec_f1.dat";
         },
         exit_write_failed, "das ist das Protokoll "},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        const test_support::TempDir dir;
        write_good_logs(dir.path());
        Options options;
        options.folder = dir.path();
        ASSERT_EQ(run_on(options).status, exit_ok);
        const std::string good_chart = read_file(dir / "konvergenz.svg");

        c.spoil(dir.path(), options);
        std::map<fs::path, std::string> logs;
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path().extension() == ".dat") logs[entry.path()] = read_file(entry.path());
        }
        const Outcome r = run_on(options);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(r.err.starts_with("konvergenz: ")) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_TRUE(c.status != exit_bad_input || r.out.empty()) << r.out;
        EXPECT_EQ(read_file(dir / "konvergenz.svg"), good_chart);
        for (const auto& [log, text] : logs) EXPECT_EQ(read_file(log), text) << log;
        expect_no_temporary_files(dir.path());
    }
}

TEST(Run, InterruptLeavesNoChartBehind) {
    const test_support::TempDir dir;
    write_good_logs(dir.path());
    Options options;
    options.folder = dir.path();
    EXPECT_EXIT(  // in a child process, so that the raised flag stays there
        {
            std::signal(SIGINT, SIG_DFL);
            runtime::start("konvergenz", runtime::Language::german);
            std::raise(SIGINT);
            std::exit(run(options, std::cout, std::cerr));
        },
        ::testing::ExitedWithCode(exit_interrupted), "konvergenz: unterbrochen");
    EXPECT_FALSE(fs::exists(dir / "konvergenz.svg"));
    expect_no_temporary_files(dir.path());
}

TEST(Programs, KonvergenzChartsATypicalQuarlenRun) {
    const test_support::TempDir dir;
    const auto quarlen = test::run_in(dir.path(), QUARLEN_EXE, {}, "0\n10\n0\n4\n");
    ASSERT_EQ(quarlen.exit_status, 0) << quarlen.err;
    const auto result = test::run_in(dir.path(), KONVERGENZ_EXE);
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto bisection = row(result.out, "Bisektion"), newton = row(result.out, "Newton-Verfahren"),
               fixed_point = row(result.out, "Fixpunktiteration");
    EXPECT_EQ(bisection[0] + ' ' + newton[0] + ' ' + fixed_point[0], "21 4 180") << result.out;
    EXPECT_NEAR(std::stod(newton[4]), 2.0, 0.35) << result.out;
    EXPECT_NEAR(std::stod(fixed_point[4]), 1.0, 0.1) << result.out;
    EXPECT_LT(std::stod(fixed_point[2]), 2e-4) << result.out;  // |g(x) - x| at the end

    const std::string svg = read_file(dir / "konvergenz.svg");
    EXPECT_EQ(test::xmllint_errors(svg), "");
    EXPECT_EQ(test::count_of(svg, "class=\"series\""), 3u);
    EXPECT_EQ(test::count_of(svg, "class=\"legend\""), 1u);
    // The logs and the two charts, no temporary file.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 5);

    // A chart under another name than *.svg is written all the same, with a warning.
    const auto png = test::run_in(dir.path(), KONVERGENZ_EXE, {"-overgleich.png", "-d."});
    EXPECT_EQ(png.exit_status, 0) << png.err;
    EXPECT_EQ(png.err, "konvergenz: \"vergleich.png\": der Name endet nicht auf .svg, die Datei erhält "
                       "aber ein SVG-Diagramm\n");
    EXPECT_EQ(read_file(dir / "vergleich.png").rfind("<?xml", 0), 0u);

    const auto unknown = test::run_in(dir.path(), KONVERGENZ_EXE, {"--laut"});
    EXPECT_EQ(unknown.exit_status, 2);
    EXPECT_TRUE(unknown.err.starts_with("konvergenz: ")) << unknown.err;
}

}  // namespace
}  // namespace konvergenz
