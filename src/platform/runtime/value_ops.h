#pragma once
// Runtime value operations the controls use on text: the numeric-text test of the mask engine,
// the canonical text of a number, the language's Val, upper-casing, and the shortest decimal
// digits of a double that the number texts are built from.
#include <string>
#include <string_view>

namespace ov {

// The shortest decimal digits that read back to the same value: value = 0.d1d2d3... x 10^exponent
// with d1 != 0 (digits "0" and exponent 1 for zero). No trailing zeros.
// A `&H` (hexadecimal) or `&O`/`&` (octal) literal starting at text[pos] == '&'. Reads as many
// digits as the radix allows and leaves `pos` after the last one read; `digits` counts them.
// Throws error 6 beyond 32 bits. Like the language's literals, a value that fits 16 bits reads
// as an Integer (&HFFFF is -1), a larger one as a Long.
struct RadixLiteral {
    double value = 0;
    int digits = 0;
};
RadixLiteral ReadRadixLiteral(std::string_view text, std::size_t& pos);

struct DecimalDigits {
    bool negative = false;
    std::string digits = "0";
    int exponent = 1;
};
DecimalDigits ShortestDigits(double value);
DecimalDigits ShortestDigits(float value);

// Positional text of decimal digits: never an exponent ("10000000000000000", "0.00001").
std::string PositionalText(const DecimalDigits& d);

// The canonical text of a number: shortest round-trip digits written positionally, no leading
// zeros except a single "0" before the point of values below 1, no trailing decimal zeros, no
// point for whole numbers, "-" for negatives; negative zero is "0".
std::string CanonicalNumberText(double value);

// The numeric-text test of the mask engine: optional blanks around, one optional sign (+ or -),
// digits with at most one "." and at least one digit. Nothing else (no exponent, grouping,
// currency or hex). A number beyond the range of a Double (309 nines, say) is not numeric,
// as it cannot be converted.
bool IsNumericText(std::string_view text);
// The value of a text that passes IsNumericText; 0 for any other text.
double NumericTextValue(std::string_view text);

// The language's Val: blanks, tabs and line feeds are ignored anywhere, the rest is read as far
// as it can continue a number (sign, digits, one point, an E or D exponent, or &H / &O / &
// radix literals, which read as 16-bit when they fit four hex digits and 32-bit when they fit
// eight). Text that starts no number gives 0. Throws AutomationError 6 when the number
// overflows a double or a radix literal has more than 32 bits.
double Val(std::string_view text);

// Upper-casing as the platform does it for the library's text (Windows-1252): the ASCII letters
// and the accented ones (é to É, ÿ to Ÿ, š, œ, ž); ß and µ have no capital and stay, as does
// every byte that is no letter. Case-insensitive matching upper-cases both sides with this.
std::string UpperCase(std::string_view text);
char UpperCase(char c);

}  // namespace ov
