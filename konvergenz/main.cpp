#include "app.hpp"
#include "options.hpp"
#include "runtime/program.hpp"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace konvergenz;
    runtime::start("konvergenz", runtime::Language::german);
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    Options options;
    try {
        options = parse_options(arguments);
    } catch (const OptionsError& e) {
        std::cerr << "konvergenz: " << e.what() << '\n';
        return exit_bad_input;
    }
    if (options.help) {
        std::cout << usage_text();
        return exit_ok;
    }
    return run(options, std::cout, std::cerr);
}
