// What is wrong with a formula, in the language of the program's dialogue: which
// formula, where, and what was expected there.
#include <string>

#include "runtime/expression.hpp"

namespace runtime {
namespace {

struct Words {
    std::string_view formula_for, position, at_end, found;
    std::string_view empty, too_long, too_long_limit, too_deep, too_many_pending;
    std::string_view operand, operator_or_end, unknown_name, names, unknown_character, characters,
        open, close, unmatched_close, exponent_digits;
};

constexpr Words GERMAN_WORDS{
    .formula_for = "Formel für ",
    .position = ", Stelle ",
    .at_end = " (Ende)",
    .found = ", gefunden ",
    .empty = "die Formel ist leer; erwartet wird ein Ausdruck in x, etwa x^2 - 2",
    .too_long = "die Formel ist zu lang: ",
    .too_long_limit = " Zeichen, erlaubt sind höchstens 4096",
    .too_deep = "mehr als 200 Klammern ineinander",
    .too_many_pending =
        "mehr als 256 Zwischenergebnisse zugleich, etwa eine zu lange Kette x^x^...^x",
    .operand = "erwartet wird eine Zahl, x, pi, e, eine Funktion, \"(\" oder \"-\"",
    .operator_or_end = "erwartet wird +, -, *, /, ^, \")\" oder das Ende der Formel",
    .unknown_name = "unbekannter Name ",
    .names = "; erwartet wird x, pi, e oder eine Funktion: exp log sqrt sin cos tan asin acos "
             "atan sinh cosh tanh abs",
    .unknown_character = "unerwartetes Zeichen ",
    .characters = "; erlaubt sind Zahlen mit Dezimalpunkt, x, pi, e, Funktionen, + - * / ^, "
                  "Klammern und Leerzeichen",
    .open = "erwartet wird \"(\" nach dem Namen der Funktion",
    .close = "erwartet wird \")\" zu \"(\" an Stelle ",
    .unmatched_close =
        "\")\" ohne \"(\" davor; erwartet wird +, -, *, /, ^ oder das Ende der Formel",
    .exponent_digits = "erwartet werden die Ziffern des Exponenten (das Produkt mit der "
                       "Konstanten e schreibt man mit *, etwa 2*e)",
};

constexpr Words ENGLISH_WORDS{
    .formula_for = "formula for ",
    .position = ", character ",
    .at_end = " (end)",
    .found = ", found ",
    .empty = "the formula is empty; expected an expression in x, such as x^2 - 2",
    .too_long = "the formula is too long: ",
    .too_long_limit = " characters, at most 4096 allowed",
    .too_deep = "more than 200 parentheses inside each other",
    .too_many_pending = "more than 256 partial results at once, such as a chain x^x^...^x too long",
    .operand = "expected a number, x, pi, e, a function, \"(\" or \"-\"",
    .operator_or_end = "expected +, -, *, /, ^, \")\" or the end of the formula",
    .unknown_name = "unknown name ",
    .names = "; expected x, pi, e or a function: exp log sqrt sin cos tan asin acos atan sinh "
             "cosh tanh abs",
    .unknown_character = "unexpected character ",
    .characters = "; allowed are numbers with a decimal point, x, pi, e, functions, + - * / ^, "
                  "parentheses and blanks",
    .open = "expected \"(\" after the name of the function",
    .close = "expected \")\" to close \"(\" at character ",
    .unmatched_close =
        "\")\" without \"(\" before it; expected +, -, *, /, ^ or the end of the formula",
    .exponent_digits = "expected the digits of the exponent (the product with the constant e is "
                       "written with *, as in 2*e)",
};

}  // namespace

std::string describe(const FormulaError& error, std::string_view name, std::string_view text,
                     Language language)
{
    const Words& say = language == Language::german ? GERMAN_WORDS : ENGLISH_WORDS;
    std::string message(say.formula_for);
    message.append(name).append(" ").append(quoted(text, 60));
    const bool at_end = error.position > characters(text);
    if (error.problem != FormulaProblem::too_long && error.problem != FormulaProblem::empty) {
        message.append(say.position).append(std::to_string(error.position));
        if (at_end) message.append(say.at_end);
    }
    message.append(": ");
    const auto found = [&] {
        if (!at_end) message.append(say.found).append(quoted(error.found));
    };
    switch (error.problem) {
    case FormulaProblem::none:
        break;
    case FormulaProblem::empty:
        message.append(say.empty);
        break;
    case FormulaProblem::too_long:
        message.append(say.too_long)
            .append(std::to_string(error.number))
            .append(say.too_long_limit);
        break;
    case FormulaProblem::too_deep:
        message.append(say.too_deep);
        break;
    case FormulaProblem::too_many_pending:
        message.append(say.too_many_pending);
        break;
    case FormulaProblem::operand_expected:
        message.append(say.operand);
        found();
        break;
    case FormulaProblem::operator_expected:
        message.append(say.operator_or_end);
        found();
        break;
    case FormulaProblem::unknown_name:
        message.append(say.unknown_name).append(quoted(error.found)).append(say.names);
        break;
    case FormulaProblem::unknown_character:
        message.append(say.unknown_character).append(quoted(error.found)).append(say.characters);
        break;
    case FormulaProblem::open_expected:
        message.append(say.open);
        found();
        break;
    case FormulaProblem::close_expected:
        message.append(say.close).append(std::to_string(error.number));
        break;
    case FormulaProblem::unmatched_close:
        message.append(say.unmatched_close);
        break;
    case FormulaProblem::exponent_digits:
        message.append(say.exponent_digits);
        break;
    case FormulaProblem::out_of_range:
        message.append(phrases_for(language).out_of_range).append(": ").append(quoted(error.found));
        break;
    }
    return message;
}

}  // namespace runtime
