#include "quarlen/driver.hpp"

#include <cstdint>
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

using BRACKETING = void (*)(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
                            std::string_view AUSGABE, const METHODS::SETTINGS& RUN);

// A and B are the interval as typed; the method narrows its own copy.
void RUN_BRACKETING(BRACKETING METHOD, double A, double B, const EQUATION::TYPED& E,
                    std::string_view AUSGABE)
{
    double X = 0;
    std::int32_t STEPS = 0;
    METHOD(A, B, X, E.F, STEPS, AUSGABE, E.ON_F);
    runtime::console::write(runtime::Record().real(X).integer(STEPS));
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

    // Each method leaves its last iterate in its start variable and its step count in its
    // N variable; only the bracketing stages show them.
    for (const STAGE S : ORDER) {
        switch (S) {
        case STAGE::BISEKTION:
            NEED_INTERVAL();
            RUN_BRACKETING(METHODS::BISEC, A, B, E, "bisec_f1.dat");
            break;
        case STAGE::REGULA_FALSI:
            NEED_INTERVAL();
            RUN_BRACKETING(METHODS::REGULA_FALSI, A, B, E, "regfa_f1.dat");
            break;
        case STAGE::ILLINOIS:
            NEED_INTERVAL();
            RUN_BRACKETING(METHODS::ILLINOIS, A, B, E, "illin_f1.dat");
            break;
        case STAGE::NEWTON: {
            double X1N = 0;
            std::int32_t N1N = 0;
            ASK_START(X1N);
            METHODS::NEWTON(X1N, N1N, E.F, E.DF, "newto_f1.dat", E.ON_F_DF);
            break;
        }
        case STAGE::SEKANTE: {
            double X0S = 0, X1S = 0;
            std::int32_t N1S = 0;
            ASK_TWO_STARTS(X0S, X1S);
            METHODS::SECANT(X0S, X1S, N1S, E.F, "sekan_f1.dat", E.ON_F);
            break;
        }
        case STAGE::FIXPUNKT: {
            NEED_XF();
            double X1F = XF;
            std::int32_t N1F = 0;
            METHODS::FIX(X1F, E.G, N1F, "fixpk_f1.dat", E.ON_G);
            break;
        }
        case STAGE::STEFFENSEN: {
            NEED_XF();
            double X1T = XF;
            std::int32_t N1T = 0;
            METHODS::STEFFENSEN(X1T, E.G, N1T, "steff_f1.dat", E.ON_G);
            break;
        }
        }
    }
}

}  // namespace DRIVER
