#include "runtime/command_line.hpp"

#include <algorithm>
#include <cstdlib>
#include <getopt.h>
#include <string>

#include "runtime/console.hpp"
#include "runtime/messages.hpp"
#include "runtime/program.hpp"
#include "runtime/record.hpp"

#ifndef QUARLEN_VERSION
#error "QUARLEN_VERSION must be defined by the build"
#endif

namespace runtime {
namespace {

// getopt_long's codes for the options without a short name: past every character.
constexpr int VERSION_CODE = 256;
constexpr int FIRST_LONG_ONLY_CODE = 257;

[[noreturn]] void refuse(std::string_view what, std::string_view argument,
                         std::string_view detail = "")
{
    std::string message(what);
    message.append(" ").append(quoted(argument)).append(detail).append(" (").append(phrases().help);
    message.append(": ").append(program_name()).append(" --help)");
    fail(ExitStatus::bad_input, message);
}

// Each line as a record of its own, through the console, so that a failed write of
// standard output is reported and ends with status 3 as in a run.
[[noreturn]] void answer(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        console::write(Record().text(text.substr(0, end)));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    std::exit(end());
}

// The option a refusal names: a long one as typed (getopt has moved past it), a short
// one by its letter, which may sit inside a group such as "-xh". A missing value can
// only be missing at the end, after the option itself.
std::string offending(char* argv[], int code, bool value_missing)
{
    const std::string_view last = optind > 0 ? argv[optind - 1] : "";
    if ((value_missing || code == 0 || code >= VERSION_CODE) && last.starts_with("--"))
        return std::string(last);
    return std::string("-") + static_cast<char>(code);
}

// For a long option getopt refused: ": fits --a, --b" when it is short for more than
// one (getopt's own message would be English), else "".
std::string ambiguity(std::string_view argument, const std::vector<option>& long_options)
{
    std::vector<std::string_view> names;
    for (const option& o : long_options)
        if (o.name != nullptr) names.emplace_back(o.name);
    const std::vector<std::string_view> fitting = long_names_fitting(argument, names);
    return fitting.size() < 2 ? "" : fits_several(fitting, language());
}

}  // namespace

std::vector<std::string_view> long_names_fitting(std::string_view typed,
                                                 std::span<const std::string_view> names)
{
    if (!typed.starts_with("--")) return {};
    typed = typed.substr(2, typed.find('=') - 2);
    if (typed.empty()) return {};
    std::vector<std::string_view> fitting;
    for (const std::string_view name : names)
        if (name.starts_with(typed)) fitting.push_back(name);
    return fitting;
}

std::string fits_several(std::vector<std::string_view> fitting, Language language)
{
    std::sort(fitting.begin(), fitting.end());
    std::string detail = ": ";
    detail.append(phrases_for(language).fits);
    for (std::size_t k = 0; k < fitting.size(); ++k)
        detail.append(k == 0 ? " --" : ", --").append(fitting[k]);
    return detail;
}

std::string_view version() { return QUARLEN_VERSION; }

std::vector<GivenOption> command_line(int argc, char* argv[], std::string_view help,
                                      std::span<const OptionDefinition> options)
{
    // "+": stop at the first argument that is no option; ":": report a missing value.
    std::string short_options = "+:h";
    std::vector<std::string> names;  // getopt wants them NUL-terminated
    names.reserve(options.size());
    const auto code_of = [&](std::size_t k) {
        return options[k].short_name != 0 ? int{options[k].short_name}
                                          : FIRST_LONG_ONLY_CODE + static_cast<int>(k);
    };
    std::vector<option> long_options;
    long_options.push_back({"help", no_argument, nullptr, 'h'});
    long_options.push_back({"version", no_argument, nullptr, VERSION_CODE});
    for (std::size_t k = 0; k < options.size(); ++k) {
        if (options[k].short_name != 0) short_options.append(1, options[k].short_name).append(":");
        names.emplace_back(options[k].long_name);
        long_options.push_back({names.back().c_str(), required_argument, nullptr, code_of(k)});
    }
    long_options.push_back({nullptr, 0, nullptr, 0});

    std::vector<GivenOption> given;
    int answer_with = 0;  // 'h' or VERSION_CODE, whichever came first
    opterr = 0;           // the messages are ours, in the dialogue's language
    optind = 0;           // from the start, even when called again
    for (;;) {
        const int code =
            getopt_long(argc, argv, short_options.c_str(), long_options.data(), nullptr);
        if (code == -1) break;
        if (code == '?') {
            const std::string argument = offending(argv, optopt, false);
            const std::string detail = ambiguity(argument, long_options);
            refuse(detail.empty() ? phrases().unknown_argument : phrases().ambiguous_option,
                   argument, detail);
        }
        if (code == ':') refuse(phrases().missing_value, offending(argv, optopt, true));
        if (code == 'h' || code == VERSION_CODE) {
            if (answer_with == 0) answer_with = code;
            continue;
        }
        for (std::size_t k = 0; k < options.size(); ++k)
            if (code == code_of(k)) given.push_back({k, optarg});
    }
    if (optind < argc)
        refuse(optind > 1 ? phrases().surplus_argument : phrases().unknown_argument, argv[optind]);

    if (answer_with == VERSION_CODE)
        answer(std::string(program_name()).append(" ").append(version()));
    if (answer_with == 'h') answer(help);
    return given;
}

}  // namespace runtime
