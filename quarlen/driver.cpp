#include "quarlen/driver.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "rootfinding/methods.hpp"
#include "runtime/console.hpp"
#include "runtime/record.hpp"

namespace DRIVER {
namespace {

using STAGES::STAGE;

void ASK_INTERVAL(double& A, double& B)
{
    runtime::console::write(runtime::Record().text("Bitte Intervallgrenzen eingeben:"));
    runtime::console::prompt("a= ");
    runtime::console::read(A);
    runtime::console::prompt("b= ");
    runtime::console::read(B);
}

void ASK_START(double& X)
{
    runtime::console::prompt("Bitte Startwert eingeben");
    runtime::console::read(X);
}

void ASK_TWO_STARTS(double& X0, double& X1)
{
    runtime::console::write(runtime::Record().text("Bitte zwei Startwerte eingeben:"));
    runtime::console::prompt("x0= ");
    runtime::console::read(X0);
    runtime::console::prompt("x1= ");
    runtime::console::read(X1);
}

// The methods' names in the order of STAGE.
constexpr std::array<std::string_view, 7> NAMES = {
    METHODS::BISEC_NAME,      METHODS::REGULA_FALSI_NAME, METHODS::ILLINOIS_NAME,
    METHODS::NEWTON_NAME,     METHODS::SECANT_NAME,       METHODS::FIX_NAME,
    METHODS::STEFFENSEN_NAME,
};

// A method's result line: its last iterate and its number of steps, and, in a labelled
// dialogue, how it ended where it did not converge.
void RESULT(double X, std::int32_t STEPS, METHODS::ENDING HOW, bool LABELLED)
{
    using enum METHODS::ENDING;
    const runtime::Record LINE = runtime::Record().real(X).integer(STEPS);
    if (!LABELLED || HOW == CONVERGED) return runtime::console::write(LINE);
    const std::string_view WORD = HOW == STOPPED      ? " angehalten"
                                  : HOW == BROKE_DOWN ? " zusammengebrochen"
                                  : HOW == NO_STEP    ? " ohne Schritt"
                                                      : " nicht konvergiert";
    runtime::console::write(LINE, WORD);
}

using BRACKETING = METHODS::ENDING (*)(double& A, double& B, double& X, RealFunction F,
                                       std::int32_t& STEPS, std::string_view AUSGABE,
                                       const METHODS::SETTINGS& RUN);

// A and B are the interval as typed; the method narrows its own copy.
void RUN_BRACKETING(BRACKETING METHOD, double A, double B, const EQUATION::TYPED& E,
                    std::string_view AUSGABE, bool LABELLED)
{
    double X = 0;
    std::int32_t STEPS = 0;
    const METHODS::ENDING HOW = METHOD(A, B, X, E.F, STEPS, AUSGABE, E.ON_F);
    RESULT(X, STEPS, HOW, LABELLED);
}

}  // namespace

void RUN(const std::vector<STAGE>& ORDER, const EQUATION::TYPED& E)
{
    // The values as typed, each asked for once.
    double A = 0, B = 0;
    double XF = 0;  // the start of the fixed-point iteration and Steffensen's method
    bool INTERVAL_ASKED = false, XF_ASKED = false;
    const auto NEED_INTERVAL = [&] {
        if (!INTERVAL_ASKED) ASK_INTERVAL(A, B);
        INTERVAL_ASKED = true;
    };
    const auto NEED_XF = [&] {
        if (!XF_ASKED) ASK_START(XF);
        XF_ASKED = true;
    };

    // A person who watches a run of other methods than the default ones sees which method
    // each block of steps and each prompt belongs to, and every method's result. Through
    // a pipe or into a file the run writes the records alone, as the default run does.
    std::vector<STAGE> DEFAULT_ORDER;
    STAGES::PARSE(STAGES::DEFAULT, DEFAULT_ORDER);
    const bool LABELLED = ORDER != DEFAULT_ORDER && runtime::console::on_terminal();

    // Each method leaves its last iterate in its start variable and its step count in its
    // N variable; the bracketing stages show them, and in a labelled dialogue all.
    for (const STAGE S : ORDER) {
        if (LABELLED)
            runtime::console::write(runtime::Record().text(NAMES[static_cast<std::size_t>(S)]));
        switch (S) {
        case STAGE::BISEKTION:
            NEED_INTERVAL();
            RUN_BRACKETING(METHODS::BISEC, A, B, E, "bisec_f1.dat", LABELLED);
            break;
        case STAGE::REGULA_FALSI:
            NEED_INTERVAL();
            RUN_BRACKETING(METHODS::REGULA_FALSI, A, B, E, "regfa_f1.dat", LABELLED);
            break;
        case STAGE::ILLINOIS:
            NEED_INTERVAL();
            RUN_BRACKETING(METHODS::ILLINOIS, A, B, E, "illin_f1.dat", LABELLED);
            break;
        case STAGE::NEWTON: {
            double X1N = 0;
            std::int32_t N1N = 0;
            ASK_START(X1N);
            const auto HOW = METHODS::NEWTON(X1N, N1N, E.F, E.DF, "newto_f1.dat", E.ON_F_DF);
            if (LABELLED) RESULT(X1N, N1N, HOW, LABELLED);
            break;
        }
        case STAGE::SEKANTE: {
            double X0S = 0, X1S = 0;
            std::int32_t N1S = 0;
            ASK_TWO_STARTS(X0S, X1S);
            const auto HOW = METHODS::SECANT(X0S, X1S, N1S, E.F, "sekan_f1.dat", E.ON_F);
            if (LABELLED) RESULT(X1S, N1S, HOW, LABELLED);
            break;
        }
        case STAGE::FIXPUNKT: {
            NEED_XF();
            double X1F = XF;
            std::int32_t N1F = 0;
            const auto HOW = METHODS::FIX(X1F, E.G, N1F, "fixpk_f1.dat", E.ON_G);
            if (LABELLED) RESULT(X1F, N1F, HOW, LABELLED);
            break;
        }
        case STAGE::STEFFENSEN: {
            NEED_XF();
            double X1T = XF;
            std::int32_t N1T = 0;
            const auto HOW = METHODS::STEFFENSEN(X1T, E.G, N1T, "steff_f1.dat", E.ON_G);
            if (LABELLED) RESULT(X1T, N1T, HOW, LABELLED);
            break;
        }
        }
    }
}

}  // namespace DRIVER
