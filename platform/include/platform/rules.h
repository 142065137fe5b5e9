// The number and text rules that both programs share: rounding halves to
// even, checked conversions to 16- and 32-bit integers, the leading-number
// rule and trimming of the space character.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// Rounds to the nearest whole number, halves to the even neighbour.
double RoundHalfEven(double v);

// Converts a number to a 16- or 32-bit integer, rounding halves to even.
// Empty when the rounded value is out of range or not finite.
std::optional<std::int16_t> ToInt16(double v);
std::optional<std::int32_t> ToInt32(double v);

// Reads a text as a number: surrounding spaces allowed, a decimal number with
// an optional sign, fraction and exponent. Empty for an empty text or one that
// is not a number.
std::optional<double> ParseNumber(std::string_view text);

// A text converted to a 16-bit integer: ParseNumber, then ToInt16.
std::optional<std::int16_t> TextToInt16(std::string_view text);

// The leading-number rule: leading blanks skipped, the longest leading run
// that forms a decimal number taken (spaces inside it ignored); 0 when the
// text has no such run.
double LeadingNumber(std::string_view text);

// Removes leading and trailing U+0020 only (tabs are content).
std::string Trim(std::string_view text);
bool IsBlank(std::string_view text);

// Upper and lower case for ASCII letters.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// A number as plain decimal text: no leading blank, no decimal point for a
// whole number.
std::string NumberText(double v);

// The screen's pixels of a twips value: both rounded halves to even, then an
// integer division truncated toward zero. Throws plat::RuntimeError on a
// division by zero.
std::int32_t TwipsToPixels(float twips, float twipsPerPixel);

}  // namespace plat
