#include "app.hpp"
#include "interrupt.hpp"
#include "options.hpp"
#include "runtime/command_line.hpp"

#include <iostream>
#include <string_view>
#include <vector>

int main(int argc, char* argv[])
{
    using namespace konvergenz;
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
    if (options.version) {
        std::cout << "konvergenz " << runtime::version() << '\n';
        return exit_ok;
    }
    install_interrupt_handler();
    return run(options, std::cout, std::cerr);
}
