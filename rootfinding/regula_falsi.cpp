// Regula falsi: x = b - F(b)(b - a)/(F(b) - F(a)); keep the part of [a, b] where F changes sign.
#include <array>

#include "rootfinding/chord_report.hpp"
#include "rootfinding/methods.hpp"
#include "rootfinding/sign.hpp"
#include "rootfinding/stopping_tests.hpp"
#include "runtime/console.hpp"
#include "runtime/iteration_watch.hpp"
#include "runtime/log_file.hpp"
#include "runtime/record.hpp"
#include "runtime/step_records.hpp"

namespace METHODS {

ENDING REGULA_FALSI(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
                    std::string_view AUSGABE, const SETTINGS& RUN)
{
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG);
    STEPS = 0;
    LOG.write(runtime::Record().text("Ausgangswerte - a= ").real(A).text(", b= ").real(B),
              RUN.HEADER);

    runtime::IterationWatch<std::array<double, 2>> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    double ALT_A = A, ALT_B = B;  // the ends the last step started from
    const double FA = F(A), FB = F(B);
    X = FIRST_POINT(A, FA, B, FB, CHORD_POINT(A, FA, B, FB));
    while (BISEC_MEASURE(F(X)) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check({A, B}, STEPS)) != runtime::Verdict::go) break;
        ALT_A = A;
        ALT_B = B;
        X = CHORD_POINT(A, F(A), B, F(B));
        const double FX = F(X);
        RECORDS.write(STEPS, X, FX);
        const int VZFA = SIGN(F(A));
        const int VZFX = SIGN(FX);
        if (VZFX == VZFA) {
            A = X;
        } else {
            B = X;
        }
        ++STEPS;
    }
    LOG.close();

    return REPORT_CHORD_END(REGULA_FALSI_NAME, WHY, STEPS, X, F(X),
                            {ALT_A, F(ALT_A), ALT_B, F(ALT_B)}, AUSGABE, RUN.UNDERFLOWS,
                            RUN.TOLERANCE);
}

}  // namespace METHODS
