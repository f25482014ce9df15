// The run-time layer's own diagnostics, in the language of the program's dialogue.
#pragma once

#include <string>
#include <string_view>

namespace runtime {

enum class Language { german, english };

struct Phrases {
    std::string_view not_a_number;
    std::string_view expected_number;
    std::string_view out_of_range;
    std::string_view line_too_long;
    std::string_view input_ended;
    std::string_view input_unreadable;
    std::string_view interrupted;
    std::string_view waiting_for_reader;
    std::string_view standard_output;
    std::string_view cannot_create;
    std::string_view cannot_write;
    std::string_view cannot_close;
    // Why a path is not written; "(uid)" stands for the owner's number.
    std::string_view foreign_link;
    std::string_view foreign_file;
    std::string_view locked;            // another run holds the log
    std::string_view being_read;        // a reader holds the log (konvergenz)
    std::string_view unknown_argument;  // followed by the argument in quotes
    std::string_view surplus_argument;  // one after --help or --version
    std::string_view missing_value;     // followed by the option in quotes
    std::string_view ambiguous_option;  // followed by the option in quotes
    std::string_view fits;              // followed by the options it may be short for
    std::string_view bad_tolerance;     // followed by the value in quotes
    std::string_view expected_tolerance;
    // A number beyond the program's reals; "(bits)", "(min)", "(max)" stand for theirs.
    std::string_view range_of_reals;
    std::string_view bad_step_limit;  // followed by the value in quotes
    std::string_view expected_step_limit;
    std::string_view help;  // "see: <program> --help"
};

const Phrases& phrases_for(Language language);

// The system's reason for a failed call, in `language`: in German the common causes
// are said in German ("kein Platz mehr auf dem Gerät"); any other cause, and every
// cause in English, is the system's own text with the errno name ("... (EXDEV)").
std::string system_reason(Language language, int error);

// The errno name of `error` ("EXDEV"), or empty for one the programs do not expect.
std::string_view errno_name(int error);

// `text` in double quotes, fit for a one-line message: at most `limit` characters of
// it, control characters and bytes outside ASCII written as escapes (\t, \x00, \xc3).
std::string quoted(std::string_view text, std::size_t limit = 40);

// The bytes of the character that begins UTF-8 text: a lead byte and the continuation
// bytes it announces, or one byte alone (ASCII, or a byte that begins no character, such
// as a stray continuation byte, which a terminal shows as a character of its own).
std::size_t character_bytes(std::string_view text);

// The characters of UTF-8 text, as a terminal shows them: continuation bytes take no
// column of their own, unless they stray outside a character.
std::size_t characters(std::string_view text);

}  // namespace runtime
