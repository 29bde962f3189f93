// The program's version, written once: the version block, the About box and the
// release packages (scripts/dist.sh) all take it from here.
// The About box prints the two numbers as hexadecimal ("Version %2X.%02X"), so the
// text a person reads is the digits written below: 1 and 00 read "1.00". Write only
// decimal digits (the minor number with two): the version block shows the same digits
// as decimal numbers, so that "1.10" is FILEVERSION 1.10 there too, not 1.16.
// Shared by C++ and the resource compiler, hence include guards and no #pragma once.
#ifndef TAVEX_VERSION_H
#define TAVEX_VERSION_H

#define TAVEX_VERSION_MAJOR_DIGITS 1
#define TAVEX_VERSION_MINOR_DIGITS 00

#define TAVEX_VERSION_HEX_(digits) 0x##digits
#define TAVEX_VERSION_HEX(digits) TAVEX_VERSION_HEX_(digits)
// Two decimal digits as a number: "09" is 109 - 100, never an octal literal.
#define TAVEX_VERSION_TWO_DIGITS_(digits) (1##digits - 100)
#define TAVEX_VERSION_TWO_DIGITS(digits) TAVEX_VERSION_TWO_DIGITS_(digits)
#define TAVEX_VERSION_STRING_(text) #text
#define TAVEX_VERSION_STRING(text) TAVEX_VERSION_STRING_(text)

// What the About box formats.
#define TAVEX_VERSION_MAJOR TAVEX_VERSION_HEX(TAVEX_VERSION_MAJOR_DIGITS)
#define TAVEX_VERSION_MINOR TAVEX_VERSION_HEX(TAVEX_VERSION_MINOR_DIGITS)
// What the version block holds: the same digits, read as decimal.
#define TAVEX_VERSION_MAJOR_NUMBER TAVEX_VERSION_MAJOR_DIGITS
#define TAVEX_VERSION_MINOR_NUMBER TAVEX_VERSION_TWO_DIGITS(TAVEX_VERSION_MINOR_DIGITS)
// "1.00"
#define TAVEX_VERSION_TEXT TAVEX_VERSION_STRING(TAVEX_VERSION_MAJOR_DIGITS.TAVEX_VERSION_MINOR_DIGITS)

#endif
