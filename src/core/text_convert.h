// Whole-string conversions between the model's UTF-16 text and UTF-8 (the
// narrow text of file names, the log and the console on Linux).
#pragma once

#include "core/dynamic_string.h"

void WideToUtf8(const WChar* text, NString& out);
void WideToUtf8(const WChar* text, int32_t length, NString& out);
void Utf8ToWide(const char* text, WString& out);
void Utf8ToWide(const char* text, int32_t length, WString& out);

// The decimal number a text starts with (after blanks), as "%f" reads it in
// the C locale whatever the user's locale: sign, digits, a point and
// digits, an exponent. False when the text starts with no such number or
// it does not fit a double; "nan" and "inf" are no numbers.
bool ScanLeadingNumber(const char* text, double& value);
