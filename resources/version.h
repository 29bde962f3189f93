// The program's version, written once: the version block, the About box and the
// release packages (scripts/dist.sh) all take it from here.
// The digits are hexadecimal, as the About box prints them ("Version %2X.%02X"), so
// the text a person reads is always the digits written below: 1 and 00 read "1.00".
// Shared by C++ and the resource compiler, hence include guards and no #pragma once.
#ifndef TAVEX_VERSION_H
#define TAVEX_VERSION_H

#define TAVEX_VERSION_MAJOR_DIGITS 1
#define TAVEX_VERSION_MINOR_DIGITS 00

#define TAVEX_VERSION_HEX_(digits) 0x##digits
#define TAVEX_VERSION_HEX(digits) TAVEX_VERSION_HEX_(digits)
#define TAVEX_VERSION_STRING_(text) #text
#define TAVEX_VERSION_STRING(text) TAVEX_VERSION_STRING_(text)

#define TAVEX_VERSION_MAJOR TAVEX_VERSION_HEX(TAVEX_VERSION_MAJOR_DIGITS)
#define TAVEX_VERSION_MINOR TAVEX_VERSION_HEX(TAVEX_VERSION_MINOR_DIGITS)
// "1.00"
#define TAVEX_VERSION_TEXT TAVEX_VERSION_STRING(TAVEX_VERSION_MAJOR_DIGITS.TAVEX_VERSION_MINOR_DIGITS)

#endif
