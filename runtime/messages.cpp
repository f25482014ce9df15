#include "runtime/messages.hpp"

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace runtime {
namespace {

// The names of the errors a file, a pipe or the terminal can give, as glibc's
// strerrorname_np says them; written here because not every C library has that call.
#define ERRNO_NAME(error)                                                                          \
    std::pair<int, std::string_view> { error, #error }
constexpr std::array ERRNO_NAMES{
    ERRNO_NAME(EPERM),      ERRNO_NAME(ENOENT),    ERRNO_NAME(EINTR),        ERRNO_NAME(EIO),
    ERRNO_NAME(ENXIO),      ERRNO_NAME(EBADF),     ERRNO_NAME(EAGAIN),       ERRNO_NAME(ENOMEM),
    ERRNO_NAME(EACCES),     ERRNO_NAME(EFAULT),    ERRNO_NAME(EBUSY),        ERRNO_NAME(EEXIST),
    ERRNO_NAME(EXDEV),      ERRNO_NAME(ENODEV),    ERRNO_NAME(ENOTDIR),      ERRNO_NAME(EISDIR),
    ERRNO_NAME(EINVAL),     ERRNO_NAME(ENFILE),    ERRNO_NAME(EMFILE),       ERRNO_NAME(ENOTTY),
    ERRNO_NAME(ETXTBSY),    ERRNO_NAME(EFBIG),     ERRNO_NAME(ENOSPC),       ERRNO_NAME(ESPIPE),
    ERRNO_NAME(EROFS),      ERRNO_NAME(EMLINK),    ERRNO_NAME(EPIPE),        ERRNO_NAME(ERANGE),
    ERRNO_NAME(ENOLCK),     ERRNO_NAME(ENOSYS),    ERRNO_NAME(ENAMETOOLONG), ERRNO_NAME(ELOOP),
    ERRNO_NAME(EOVERFLOW),  ERRNO_NAME(EDQUOT),    ERRNO_NAME(ESTALE),       ERRNO_NAME(EOPNOTSUPP),
    ERRNO_NAME(ECONNRESET), ERRNO_NAME(ETIMEDOUT),
};
#undef ERRNO_NAME

constexpr Phrases GERMAN{
    .not_a_number = "keine Zahl",
    .expected_number = "erwartet wird genau eine endliche Zahl je Zeile, etwa 2,5 oder -1.5e3",
    .out_of_range = "Zahl außerhalb des darstellbaren Bereichs",
    .line_too_long = "Eingabezeile zu lang",
    .input_ended = "Eingabe zu Ende, bevor eine Zahl gelesen wurde",
    .input_unreadable = "Eingabe nicht lesbar",
    .interrupted = "unterbrochen",
    .waiting_for_reader = "beim Warten auf einen Leser",
    .standard_output = "Standardausgabe",
    .cannot_create = "kann nicht angelegt werden",
    .cannot_write = "kann nicht geschrieben werden",
    .cannot_close = "kann nicht geschlossen werden",
    .foreign_link = "symbolische Verknüpfung eines anderen Benutzers (uid), ihr wird nicht gefolgt",
    .foreign_file =
        "Datei eines anderen Benutzers (uid) in einem gemeinsamen Ordner mit Sticky-Bit, "
        "sie wird nicht überschrieben",
    .locked = "ein anderer Lauf schreibt gerade in diese Datei",
    .being_read = "die Datei wird gerade gelesen, etwa von konvergenz",
    .unknown_argument = "unbekanntes Argument",
    .surplus_argument = "überzähliges Argument",
    .missing_value = "fehlender Wert zu",
    .ambiguous_option = "mehrdeutige Option",
    .fits = "passt zu",
    .bad_tolerance = "ungültige Toleranz",
    .expected_tolerance = "erwartet wird eine endliche Zahl größer als 0, etwa 1e-10",
    .range_of_reals = "Zahl außerhalb des Bereichs der (bits)-Bit-Gleitkommazahlen des "
                      "Programms, etwa (min) bis (max)",
    .bad_step_limit = "ungültige Höchstzahl der Schritte",
    .expected_step_limit = "erwartet wird eine ganze Zahl von 1 bis 2147483647, nur aus Ziffern",
    .help = "Hilfe",
};

constexpr Phrases ENGLISH{
    .not_a_number = "not a number",
    .expected_number = "expected exactly one finite number per line, such as 2.5 or -1.5e3",
    .out_of_range = "number out of range",
    .line_too_long = "input line too long",
    .input_ended = "input ended before a number was read",
    .input_unreadable = "cannot read input",
    .interrupted = "interrupted",
    .waiting_for_reader = "while waiting for a reader",
    .standard_output = "standard output",
    .cannot_create = "cannot be created",
    .cannot_write = "cannot be written",
    .cannot_close = "cannot be closed",
    .foreign_link = "a symbolic link of another user (uid), which is not followed",
    .foreign_file = "another user's file (uid) in a shared folder with the sticky bit, which is "
                    "not overwritten",
    .locked = "another run is writing this file",
    .being_read = "the file is being read, by konvergenz perhaps",
    .unknown_argument = "unknown argument",
    .surplus_argument = "unexpected argument",
    .missing_value = "missing value for",
    .ambiguous_option = "ambiguous option",
    .fits = "it fits",
    .bad_tolerance = "invalid tolerance",
    .expected_tolerance = "expected a finite number greater than 0, such as 1e-10",
    .range_of_reals = "number out of the range of the program's (bits)-bit reals, about (min) "
                      "to (max)",
    .bad_step_limit = "invalid step limit",
    .expected_step_limit = "expected a whole number from 1 to 2147483647, in digits only",
    .help = "help",
};

// The causes a user of these programs meets: a missing or protected folder, a full
// or read-only disk, a closed pipe.
constexpr std::pair<int, std::string_view> GERMAN_REASONS[] = {
    {ENOENT, "Datei oder Ordner nicht vorhanden"},
    {EACCES, "keine Berechtigung"},
    {EPERM, "Vorgang nicht erlaubt"},
    {EISDIR, "ist ein Ordner"},
    {ENOTDIR, "ein Teil des Pfades ist kein Ordner"},
    {ENOSPC, "kein Platz mehr auf dem Gerät"},
    {EDQUOT, "Speicherkontingent überschritten"},
    {EROFS, "Dateisystem ist nur lesbar"},
    {EPIPE, "der Empfänger hat die Verbindung geschlossen (Pipe unterbrochen)"},
    {EIO, "Ein-/Ausgabefehler"},
    {EBADF, "Deskriptor nicht geöffnet"},
    {EMFILE, "zu viele offene Dateien"},
    {ENFILE, "zu viele offene Dateien im System"},
    {EFBIG, "Datei zu groß"},
    {ELOOP, "zu viele Ebenen symbolischer Verknüpfungen"},
    {ENAMETOOLONG, "Dateiname zu lang"},
};

}  // namespace

const Phrases& phrases_for(Language language)
{
    return language == Language::german ? GERMAN : ENGLISH;
}

std::string_view errno_name(int error)
{
    for (const auto& [number, name] : ERRNO_NAMES)
        if (number == error) return name;
    return {};
}

std::string system_reason(Language language, int error)
{
    if (language == Language::german) {
        for (const auto& [number, reason] : GERMAN_REASONS)
            if (number == error) return std::string(reason);
    }
    std::string reason = std::strerror(error);
    if (const std::string_view name = errno_name(error); !name.empty())
        reason.append(" (").append(name).append(")");
    return reason;
}

std::string quoted(std::string_view text, std::size_t limit)
{
    static constexpr std::array<char, 16> HEX{'0', '1', '2', '3', '4', '5', '6', '7',
                                              '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};
    std::string out = "\"";
    for (const char c : text.substr(0, limit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\t') {
            out += "\\t";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20 || byte >= 0x7f) {
            out += "\\x";
            out += HEX[byte >> 4];
            out += HEX[byte & 0xf];
        } else {
            out += c;
        }
    }
    out += text.size() > limit ? "\"..." : "\"";
    return out;
}

std::size_t character_bytes(std::string_view text)
{
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0xC0   ? 1
                               : lead < 0xE0 ? 2
                               : lead < 0xF0 ? 3
                               : lead < 0xF8 ? 4
                                             : 1;
    std::size_t k = 1;
    while (k < length && k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80)
        ++k;
    return k;
}

std::size_t characters(std::string_view text)
{
    std::size_t count = 0;
    for (; !text.empty(); ++count) text.remove_prefix(character_bytes(text));
    return count;
}

}  // namespace runtime
