#include "rootfinding/stop_report.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "runtime/log_file.hpp"
#include "runtime/messages.hpp"
#include "runtime/number_text.hpp"
#include "runtime/program.hpp"
#include "runtime/real_format.hpp"
#include "runtime/record.hpp"

namespace METHODS {
namespace {

// "1 Schritt", "2 Schritten": the count after "nach".
std::string STEPS_AFTER(std::int32_t STEPS)
{
    return std::to_string(STEPS) + (STEPS == 1 ? " Schritt" : " Schritten");
}

// A terminal drops what is still queued for it when Ctrl-C comes, and a full pipe
// takes nothing more, so the console may show fewer steps than the log: the message
// says where the log ends. A FIFO log ends where its reader stopped taking lines.
std::string INTERRUPTED(std::string_view METHOD, std::int32_t STEPS, double X,
                        std::string_view AUSGABE)
{
    std::string MESSAGE(METHOD);
    MESSAGE.append(" ").append(runtime::interruption());
    const std::string FILE = runtime::quoted(AUSGABE);
    if (STEPS == 0)
        return MESSAGE.append(" vor dem ersten Schritt; ")
            .append(FILE)
            .append(" enthält nur die Kopfzeile");
    const auto LAST = static_cast<std::int64_t>(STEPS) - 1 -
                      static_cast<std::int64_t>(runtime::lines_dropped_from_last_log());
    MESSAGE.append(" nach ")
        .append(STEPS_AFTER(STEPS))
        .append(" bei x = ")
        .append(runtime::shortest(X))
        .append("; ");
    if (LAST < 0) return MESSAGE.append(FILE).append(" enthält keinen Schritt");
    return MESSAGE.append("letzter Schritt in ")
        .append(FILE)
        .append(": ")
        .append(std::to_string(LAST));
}

// An estimate to two significant digits, halves away from zero: 0.12 rather than
// 0.11723456789012345. Taken from the exact decimal digits of V (a double has at most 767
// significant ones) and read back once, it is the same on every machine.
std::string ABOUT(double V)
{
    if (V == 0 || !std::isfinite(V)) return runtime::shortest(V);
    const std::string DIGITS = runtime::real_text(std::abs(V), std::chars_format::scientific, 800);
    const int TWO = (DIGITS[0] - '0') * 10 + (DIGITS[2] - '0') + (DIGITS[3] >= '5' ? 1 : 0);
    const int EXPONENT = std::stoi(DIGITS.substr(DIGITS.find('e') + 1)) - 1;
    double ROUNDED = 0;
    if (runtime::parse_number(std::to_string(TWO) + "e" + std::to_string(EXPONENT), ROUNDED) !=
        runtime::NumberError::none)
        return std::string(V < 0 ? "-" : "") + "1.8e+308";  // beyond the doubles
    return runtime::shortest(std::copysign(ROUNDED, V));
}

}  // namespace

ENDING REPORT_STOP(std::string_view METHOD, runtime::Verdict WHY, std::int32_t STEPS, double X,
                   std::string_view CYCLE, std::string_view AUSGABE)
{
    std::string MESSAGE(METHOD);
    const std::string AFTER = " nach " + STEPS_AFTER(STEPS);
    switch (WHY) {
    case runtime::Verdict::go:
        return ENDING::CONVERGED;
    case runtime::Verdict::interrupted:
        runtime::fail(runtime::interrupted_status(), INTERRUPTED(METHOD, STEPS, X, AUSGABE));
    case runtime::Verdict::step_limit:
        MESSAGE += " angehalten" + AFTER + " bei x = " + runtime::shortest(X) +
                   (STEPS < std::numeric_limits<std::int32_t>::max()
                        ? ": die Höchstzahl der Schritte (-n/--max-schritte) ist erreicht"
                        : ": mehr Schritte kann der Schrittzähler nicht zählen");
        break;
    case runtime::Verdict::cycle:
        MESSAGE += " angehalten" + AFTER + ": ";
        MESSAGE += CYCLE;
        break;
    }
    runtime::warn(MESSAGE);
    runtime::note_not_converged();
    return ENDING::STOPPED;
}

ENDING REPORT_BREAKDOWN(std::string_view METHOD, std::int32_t STEP, std::string_view WHAT)
{
    std::string MESSAGE(METHOD);
    MESSAGE += " in Schritt " + std::to_string(STEP) + " zusammengebrochen: ";
    MESSAGE += WHAT;
    runtime::warn(MESSAGE);
    runtime::note_not_converged();
    return ENDING::BROKE_DOWN;
}

ENDING REPORT_NO_STEP(std::string_view METHOD, std::string_view WHY)
{
    std::string MESSAGE(METHOD);
    MESSAGE += " ohne einen Schritt beendet: ";
    MESSAGE += WHY;
    runtime::warn(MESSAGE);
    runtime::note_not_converged();
    return ENDING::NO_STEP;
}

std::string NOT_FINITE_THERE(std::string_view NAME, double V)
{
    return std::string(NAME) + "(x) = " + runtime::shortest(V) +
           " beim Ergebnis; eine Nullstelle liegt dort nicht";
}

ENDING FIXED_POINT_UNLESS_LOST(std::string_view METHOD, std::int32_t STEPS, double X, double V,
                               RealFunction G, const SETTINGS& RUN)
{
    if (double LOST; ZERO_BY_ROUNDING(X, V, G, RUN.DROPPED, RUN.TOLERANCE, LOST))
        return REPORT_NOT_CONVERGED(
            METHOD, STEPS, X,
            "g(x) - x ist nur durch Rundung 0: in den Summen von g geht ein Summand von " +
                ABOUT(LOST) + " ganz verloren; ob x nahe einem Fixpunkt liegt, zeigt das nicht");
    return CONVERGED_UNLESS_UNDERFLOW(METHOD, STEPS, X, V, RUN.UNDERFLOWS, RUN.TOLERANCE, true);
}

ENDING REPORT_NOT_CONVERGED(std::string_view METHOD, std::int32_t STEPS, double X,
                            std::string_view WHY)
{
    std::string MESSAGE(METHOD);
    MESSAGE += STEPS == 0 ? " ohne einen Schritt" : " nach " + STEPS_AFTER(STEPS);
    MESSAGE += " bei x = " + runtime::shortest(X) + " nicht konvergiert: ";
    MESSAGE += WHY;
    runtime::warn(MESSAGE);
    runtime::note_not_converged();
    return ENDING::NOT_CONVERGED;
}

ENDING CONVERGED_UNLESS_UNDERFLOW(std::string_view METHOD, std::int32_t STEPS, double X, double V,
                                  UnderflowTest UNDERFLOWS, double TOLERANCE, bool FIXED_POINT)
{
    const runtime::Loss LOSS = LOSS_BEHIND(X, V, UNDERFLOWS, TOLERANCE);
    if (LOSS == runtime::Loss::none) return ENDING::CONVERGED;
    const std::string BY = LOSS == runtime::Loss::overflow ? " ist nur durch Über- oder Unterlauf"
                                                           : " ist nur durch Unterlauf";
    std::string WHY = FIXED_POINT ? "g(x) - x" : "f(x)";
    if (runtime::tiny(V)) {
        WHY += V == 0 ? BY + " 0" : " = " + runtime::shortest(V) + BY + " so klein";
    } else {
        // A value that is not tiny may be right all the same: what the loss can hide is a
        // bound, and only that bound exceeds the tolerance.
        const double HIDDEN = UNDERFLOWS(X).hidden;
        WHY += " = " + runtime::shortest(V) + ", doch " +
               (LOSS == runtime::Loss::overflow ? "ein Über- oder Unterlauf" : "ein Unterlauf") +
               " unterwegs kann den Wert um " +
               (std::isfinite(HIDDEN) ? "bis zu " + ABOUT(HIDDEN) : std::string("beliebig viel")) +
               " verfälschen";
    }
    WHY += FIXED_POINT ? "; ob x nahe einem Fixpunkt liegt, zeigt das nicht"
                       : "; ob x nahe einer Nullstelle liegt, zeigt das nicht";
    return REPORT_NOT_CONVERGED(METHOD, STEPS, X, WHY);
}

ENDING CONVERGED_UNLESS_SLOW(std::string_view METHOD, std::int32_t STEPS, double X, double EARLIER,
                             double LATER, double AHEAD, double TOLERANCE, bool FIXED_POINT)
{
    if (!STEPS_TOO_SLOW(X, EARLIER, LATER, AHEAD, TOLERANCE)) return ENDING::CONVERGED;
    const double Q = LATER / EARLIER;
    const double LEFT = STEPS_LEFT(EARLIER, LATER, AHEAD);
    // Steps that shrink fast can still have far to go: then that, not the rate, is the news.
    return REPORT_NOT_CONVERGED(
        METHOD, STEPS, X,
        Q < 0.5 ? "die Schritte werden kürzer, doch die noch kommenden ergeben zusammen etwa " +
                      ABOUT(LEFT) + ", mehr als zehn Toleranzen"
        : Q < 1 ? "die Schritte werden je Schritt nur um " + ABOUT(100 * (1 - Q)) + " % kürzer; " +
                      (FIXED_POINT ? "der Fixpunkt" : "die Nullstelle") + " liegt wohl noch etwa " +
                      ABOUT(LEFT) + " entfernt"
                : "die Schritte werden nicht kürzer (" + ABOUT(EARLIER) + ", dann " + ABOUT(LATER) +
                      "); das Verfahren nähert sich " +
                      (FIXED_POINT ? "keinem Fixpunkt" : "keiner Nullstelle"));
}

ENDING CONVERGED_UNLESS_FOLLOWED_FAR(std::string_view METHOD, std::int32_t STEPS, double X,
                                     const FOLLOWED& ON)
{
    if (ON.STEPS == 0) return ENDING::CONVERGED;
    return REPORT_NOT_CONVERGED(
        METHOD, STEPS, X,
        "die Schritte werden nicht rasch genug kürzer: " + std::to_string(ON.STEPS) +
            (ON.STEPS == 1 ? " weiterer führte" : " weitere führten") + " schon " +
            ABOUT(ON.DISTANCE) + " weiter, mehr als zehn Toleranzen");
}

ENDING CONVERGED_UNLESS_NO_ROOT_WITHIN_ROUNDING(std::string_view METHOD, std::int32_t STEPS,
                                                double X, double FX, double TOLERANCE,
                                                RealFunction F, std::string_view NAME)
{
    if (!NO_ROOT_WITHIN_ROUNDING(X, FX, TOLERANCE, F)) return ENDING::CONVERGED;
    const std::string F_NAME(NAME);
    return REPORT_NOT_CONVERGED(
        METHOD, STEPS, X,
        "die Rundungsstufe von x (" + ABOUT(ROUNDING_LEVEL(X)) + ") übersteigt die Toleranz, und " +
            F_NAME + " wechselt in diesem Abstand das Vorzeichen nicht und ist mit " + F_NAME +
            "(x) = " + runtime::shortest(FX) +
            " auch nicht nahe 0; eine Nullstelle zeigt sich dort nicht");
}

ENDING CONVERGED_UNLESS_STILL_AHEAD(std::string_view METHOD, std::int32_t STEPS, double X,
                                    double AHEAD, double TOLERANCE)
{
    if (!STILL_AHEAD_TOO_FAR(X, AHEAD, TOLERANCE)) return ENDING::CONVERGED;
    return REPORT_NOT_CONVERGED(
        METHOD, STEPS, X,
        std::isfinite(AHEAD)
            ? "der letzte Schritt ließ x unverändert, doch der nächste führte noch etwa " +
                  ABOUT(AHEAD) + " weiter; der kurze Schritt kam von einer steilen Sehne"
            : std::string("der letzte Schritt ließ x unverändert, doch F ist dort nicht 0 und "
                          "ändert sich nahe x nicht; eine Nullstelle liegt dort nicht"));
}

}  // namespace METHODS
