// Formula text to the flat form: a scanner for the tokens and an operator-precedence
// parser with explicit stacks, so that no input, however long its chains of "-" or "^",
// makes it recurse.
#include <array>
#include <cstddef>
#include <numbers>
#include <string>
#include <utility>

#include "runtime/expression.hpp"
#include "runtime/number_text.hpp"
#include "runtime/real_reading.hpp"

namespace runtime {
namespace {

constexpr std::int32_t MAX_PRODUCT_EXPONENT = 64;

constexpr std::array<std::pair<std::string_view, Elementary>, 13> FUNCTIONS{{
    {"exp", Elementary::exp},
    {"log", Elementary::log},
    {"sqrt", Elementary::sqrt},
    {"sin", Elementary::sin},
    {"cos", Elementary::cos},
    {"tan", Elementary::tan},
    {"asin", Elementary::asin},
    {"acos", Elementary::acos},
    {"atan", Elementary::atan},
    {"sinh", Elementary::sinh},
    {"cosh", Elementary::cosh},
    {"tanh", Elementary::tanh},
    {"abs", Elementary::abs},
}};

bool is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }
// Positions count characters, not bytes, so that they match what the user sees.
std::size_t position_of(std::string_view text, std::size_t offset)
{
    return characters(text.substr(0, offset)) + 1;
}

enum class Token {
    end,
    number,
    bad_exponent,  // a number whose exponent has no digits: "2e", "1e+"
    name,
    plus,
    minus,
    times,
    divide,
    caret,
    open,
    close,
    unknown,  // a character outside the language
};

struct Lexeme {
    Token token = Token::end;
    std::size_t begin = 0, end = 0;
    std::size_t problem_at = 0;  // bad_exponent: where the digits were expected
};

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    Lexeme next()
    {
        while (at_ < text_.size() && is_blank(text_[at_])) ++at_;
        Lexeme lexeme;
        lexeme.begin = at_;
        if (at_ == text_.size()) {
            lexeme.end = at_;
            return lexeme;
        }
        const char c = text_[at_];
        if (is_digit(c) || (c == '.' && is_digit(char_at(at_ + 1)))) {
            number(lexeme);
        } else if (is_letter(c)) {
            while (is_letter(char_at(at_)) || is_digit(char_at(at_))) ++at_;
            lexeme.token = Token::name;
        } else {
            ++at_;
            switch (c) {
            case '+':
                lexeme.token = Token::plus;
                break;
            case '-':
                lexeme.token = Token::minus;
                break;
            case '*':
                lexeme.token = Token::times;
                break;
            case '/':
                lexeme.token = Token::divide;
                break;
            case '^':
                lexeme.token = Token::caret;
                break;
            case '(':
                lexeme.token = Token::open;
                break;
            case ')':
                lexeme.token = Token::close;
                break;
            default:
                lexeme.token = Token::unknown;
                at_ = lexeme.begin + character_bytes(text_.substr(lexeme.begin));
            }
        }
        lexeme.end = at_;
        return lexeme;
    }

    Lexeme peek()
    {
        const std::size_t saved = at_;
        const Lexeme lexeme = next();
        at_ = saved;
        return lexeme;
    }

private:
    char char_at(std::size_t k) const { return k < text_.size() ? text_[k] : '\0'; }

    // Digits with an optional decimal point, then an optional exponent: e, E, d or D, an
    // optional sign and digits. An e directly followed by a letter starts a name
    // instead, so that 2exp(x) is a product.
    void number(Lexeme& lexeme)
    {
        lexeme.token = Token::number;
        while (is_digit(char_at(at_))) ++at_;
        if (char_at(at_) == '.') {
            ++at_;
            while (is_digit(char_at(at_))) ++at_;
        }
        const char marker = char_at(at_);
        if (marker != 'e' && marker != 'E' && marker != 'd' && marker != 'D') return;
        if (is_letter(char_at(at_ + 1))) return;
        std::size_t k = at_ + 1;
        if (char_at(k) == '+' || char_at(k) == '-') ++k;
        if (!is_digit(char_at(k))) {
            lexeme.token = Token::bad_exponent;
            lexeme.problem_at = k;
            at_ = k;
            return;
        }
        while (is_digit(char_at(k))) ++k;
        at_ = k;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// An operator, "(" or function waiting for its operands or its ")".
struct Pending {
    enum class Kind { binary, negate, open, function } kind;
    Operation operation = Operation::add;
    Elementary function = Elementary::exp;
    int precedence = 0;
    std::size_t begin = 0;  // the "(" of an open or function, for messages
};

constexpr int ADDITIVE = 1, MULTIPLICATIVE = 2, UNARY = 3, POWER = 4;

template <class Real> class Parser {
public:
    explicit Parser(std::string_view text) : text_(text), scanner_(text) {}

    FormulaError parse(std::vector<Instruction<Real>>& code)
    {
        bool operand_expected = true;
        for (;;) {
            const Lexeme lexeme = scanner_.next();
            if (operand_expected) {
                if (!operand(lexeme, operand_expected)) return error_;
            } else if (lexeme.token == Token::end) {
                if (!finish(lexeme)) return error_;
                code = std::move(code_);
                return {};
            } else if (!operator_or_close(lexeme, operand_expected)) {
                return error_;
            }
        }
    }

private:
    bool operand(const Lexeme& lexeme, bool& operand_expected)
    {
        switch (lexeme.token) {
        case Token::number:
            if (!number(lexeme)) return false;
            // A number followed by a name or "(" is a product: 5x, 2pi, 2(x+1).
            if (const Token next = scanner_.peek().token;
                next == Token::name || next == Token::open) {
                binary(Operation::multiply, MULTIPLICATIVE, false);
                return true;
            }
            operand_expected = false;
            return true;
        case Token::name:
            if (!name(lexeme, operand_expected)) return false;
            return true;
        case Token::open:
            return open({Pending::Kind::open}, lexeme);
        case Token::minus:
            pending_.push_back({Pending::Kind::negate, Operation::add, Elementary::exp, UNARY});
            return true;
        case Token::bad_exponent:
            return fail(FormulaProblem::exponent_digits, lexeme.problem_at, lexeme);
        case Token::unknown:
            return fail(FormulaProblem::unknown_character, lexeme.begin, lexeme);
        default:
            return fail(FormulaProblem::operand_expected, lexeme.begin, lexeme);
        }
    }

    bool operator_or_close(const Lexeme& lexeme, bool& operand_expected)
    {
        switch (lexeme.token) {
        case Token::plus:
            binary(Operation::add, ADDITIVE, false);
            break;
        case Token::minus:
            binary(Operation::subtract, ADDITIVE, false);
            break;
        case Token::times:
            binary(Operation::multiply, MULTIPLICATIVE, false);
            break;
        case Token::divide:
            binary(Operation::divide, MULTIPLICATIVE, false);
            break;
        case Token::caret:
            binary(Operation::power, POWER, true);
            break;
        case Token::close:
            return close(lexeme);
        case Token::unknown:
            return fail(FormulaProblem::unknown_character, lexeme.begin, lexeme);
        default:
            return fail(FormulaProblem::operator_expected, lexeme.begin, lexeme);
        }
        operand_expected = true;
        return true;
    }

    bool number(const Lexeme& lexeme)
    {
        const std::string_view digits = text_.substr(lexeme.begin, lexeme.end - lexeme.begin);
        Real value = 0;
        if (parse_number(digits, value) != NumberError::none)
            return fail(FormulaProblem::out_of_range, lexeme.begin, lexeme);
        if (!push({Operation::constant, Elementary::exp, 0, value}, lexeme)) return false;
        small_integer_.back() = small_integer(digits);
        return true;
    }

    bool name(const Lexeme& lexeme, bool& operand_expected)
    {
        const std::string_view word = text_.substr(lexeme.begin, lexeme.end - lexeme.begin);
        if (word == "x" || word == "pi" || word == "e") {
            operand_expected = false;
            if (word == "x") return push({Operation::x}, lexeme);
            const Real constant = word == "pi" ? std::numbers::pi_v<Real> : std::numbers::e_v<Real>;
            return push({Operation::constant, Elementary::exp, 0, constant}, lexeme);
        }
        for (const auto& [function_name, function] : FUNCTIONS) {
            if (word != function_name) continue;
            const Lexeme parenthesis = scanner_.next();
            if (parenthesis.token != Token::open)
                return fail(FormulaProblem::open_expected, parenthesis.begin, parenthesis);
            return open({Pending::Kind::function, Operation::add, function}, parenthesis);
        }
        return fail(FormulaProblem::unknown_name, lexeme.begin, lexeme);
    }

    bool open(Pending opener, const Lexeme& lexeme)
    {
        if (++nesting_ > FORMULA_MAX_NESTING)
            return fail(FormulaProblem::too_deep, lexeme.begin, lexeme);
        opener.begin = lexeme.begin;
        pending_.push_back(opener);
        return true;
    }

    bool close(const Lexeme& lexeme)
    {
        while (!pending_.empty() && !is_opener(pending_.back())) apply_last();
        if (pending_.empty()) return fail(FormulaProblem::unmatched_close, lexeme.begin, lexeme);
        const Pending opener = pending_.back();
        pending_.pop_back();
        --nesting_;
        if (opener.kind == Pending::Kind::function) apply(opener);
        return true;
    }

    bool finish(const Lexeme& end)
    {
        while (!pending_.empty() && !is_opener(pending_.back())) apply_last();
        if (pending_.empty()) return true;
        fail(FormulaProblem::close_expected, end.begin, end);
        error_.number = position_of(text_, pending_.back().begin);
        return false;
    }

    // Operators still waiting that bind at least as tightly go first; "^" groups to the
    // right, so a "^" waiting stays for the one that follows it.
    void binary(Operation operation, int precedence, bool right_grouping)
    {
        while (!pending_.empty() && !is_opener(pending_.back())) {
            const int waiting = pending_.back().precedence;
            if (waiting < precedence || (waiting == precedence && right_grouping)) break;
            apply_last();
        }
        pending_.push_back({Pending::Kind::binary, operation, Elementary::exp, precedence});
    }

    static bool is_opener(const Pending& p)
    {
        return p.kind == Pending::Kind::open || p.kind == Pending::Kind::function;
    }

    void apply_last()
    {
        const Pending last = pending_.back();
        pending_.pop_back();
        apply(last);
    }

    void apply(const Pending& p)
    {
        switch (p.kind) {
        case Pending::Kind::negate:
            emit({Operation::negate});
            break;
        case Pending::Kind::function:
            emit({Operation::function, p.function});
            break;
        case Pending::Kind::binary:
            --depth_;
            if (p.operation == Operation::power && integer_exponent()) break;
            emit({p.operation});
            break;
        case Pending::Kind::open:
            break;
        }
    }

    // An exponent written as an integer literal up to 64, or one with a minus before it,
    // makes the power a product. The exponent's code ends the code so far; when it is the
    // literal alone, or the literal and its negation, it is replaced.
    bool integer_exponent()
    {
        const std::size_t n = code_.size();
        std::int32_t exponent = 0;
        if (small_integer_[n - 1] >= 0) {
            exponent = small_integer_[n - 1];
        } else if (n >= 2 && code_[n - 1].operation == Operation::negate &&
                   small_integer_[n - 2] >= 0) {
            exponent = -small_integer_[n - 2];
            code_.pop_back();
            small_integer_.pop_back();
        } else {
            return false;
        }
        code_.back() = {Operation::integer_power, Elementary::exp, exponent};
        small_integer_.back() = -1;
        return true;
    }

    // The literal's value if it is written in digits alone and is at most 64, else -1.
    static std::int32_t small_integer(std::string_view digits)
    {
        std::int32_t value = 0;
        for (const char c : digits) {
            if (!is_digit(c)) return -1;
            value = value * 10 + (c - '0');
            if (value > MAX_PRODUCT_EXPONENT) return -1;
        }
        return value;
    }

    bool push(Instruction<Real> instruction, const Lexeme& lexeme)
    {
        if (++depth_ > FORMULA_STACK)
            return fail(FormulaProblem::too_many_pending, lexeme.begin, lexeme);
        emit(instruction);
        return true;
    }

    void emit(Instruction<Real> instruction)
    {
        code_.push_back(instruction);
        small_integer_.push_back(-1);
    }

    bool fail(FormulaProblem problem, std::size_t offset, const Lexeme& lexeme)
    {
        error_.problem = problem;
        error_.position = position_of(text_, offset);
        error_.found = std::string(text_.substr(lexeme.begin, lexeme.end - lexeme.begin));
        return false;
    }

    std::string_view text_;
    Scanner scanner_;
    std::vector<Instruction<Real>> code_;
    std::vector<std::int32_t> small_integer_;  // beside code_: see small_integer()
    std::vector<Pending> pending_;
    std::size_t nesting_ = 0;  // "(" not yet closed
    std::size_t depth_ = 0;    // values on the evaluation stack at this point of the code
    FormulaError error_;
};

}  // namespace

template <class Real> FormulaError compile(std::string_view text, Expression<Real>& expression)
{
    FormulaError error;
    const std::size_t length = position_of(text, text.size()) - 1;
    if (length > FORMULA_MAX_LENGTH) {
        error.problem = FormulaProblem::too_long;
        error.number = length;
        return error;
    }
    if (text.find_first_not_of(" \t") == std::string_view::npos) {
        error.problem = FormulaProblem::empty;
        error.position = 1;
        return error;
    }
    std::vector<Instruction<Real>> code;
    error = Parser<Real>(text).parse(code);
    if (error) return error;
    expression.text_ = std::string(text);
    expression.code_ = chain(code);
    return error;
}

template FormulaError compile(std::string_view text, Expression<double>& expression);
template FormulaError compile(std::string_view text, Expression<float>& expression);

}  // namespace runtime
