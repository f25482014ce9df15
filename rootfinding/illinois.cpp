// Illinois: x = b - FB(b - a)/(FB - FA); FB or FA is halved at an end kept twice in a row.
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

ENDING ILLINOIS(double& A, double& B, double& X, RealFunction F, std::int32_t& STEPS,
                std::string_view AUSGABE, const SETTINGS& RUN)
{
    runtime::LogFile LOG(AUSGABE);
    runtime::StepRecords RECORDS(LOG);
    STEPS = 0;
    LOG.write(runtime::Record().text("Ausgangswerte - a= ").real(A).text(", b= ").real(B),
              RUN.HEADER);

    // The halving moves the next point off the end that regula falsi would never leave.
    double FA = F(A), FB = F(B);
    double KEPT = 0;  // the end the last step kept: -1 a, +1 b, 0 before the first step
    runtime::IterationWatch<std::array<double, 5>> WATCH(RUN.MAX_STEPS);
    runtime::Verdict WHY = runtime::Verdict::go;
    std::array<double, 4> ALT = {A, FA, B, FB};  // the last step's start, for the messages
    X = FIRST_POINT(A, FA, B, FB, CHORD_POINT(A, FA, B, FB));
    double FX = F(X);  // serves the test and the step: one evaluation per step
    while (BISEC_MEASURE(FX) > RUN.TOLERANCE) {
        if ((WHY = WATCH.check({A, B, FA, FB, KEPT}, STEPS)) != runtime::Verdict::go) break;
        ALT = {A, FA, B, FB};
        X = CHORD_POINT(A, FA, B, FB);
        FX = F(X);
        RECORDS.write(STEPS, X, FX);
        const int VZFA = SIGN(FA);
        const int VZFX = SIGN(FX);
        double NOW_KEPT = 0;
        if (VZFX == VZFA) {
            A = X;
            FA = FX;
            NOW_KEPT = 1;
        } else {
            B = X;
            FB = FX;
            NOW_KEPT = -1;
        }
        if (NOW_KEPT == KEPT) {
            if (KEPT > 0) {
                FB = FB / 2;
            } else {
                FA = FA / 2;
            }
        }
        KEPT = NOW_KEPT;
        ++STEPS;
    }
    LOG.close();

    return REPORT_CHORD_END(ILLINOIS_NAME, WHY, STEPS, X, FX, ALT, AUSGABE, RUN.UNDERFLOWS,
                            RUN.TOLERANCE);
}

}  // namespace METHODS
