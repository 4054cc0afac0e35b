#pragma once
#include <string>
#include <string_view>

// Text rules of the database layer that need no database.

// `text` as an SQL string literal: in single quotes, inner single quotes doubled. (A text in
// double quotes is taken by SQLite for a column name when one of that name exists, so a cookie
// whose value is "name" would match every row.)
std::string QuoteSqlText(const std::string& text);

// A floating-point cell as text, the way the program shows numbers: up to 15 significant digits,
// fixed notation from 0.00001 up to 15 integer digits, else "1.5E20" / "1E-7" (no plus sign, no
// leading zeros in the exponent).
std::string FloatToText(double value);

// True when what follows the first statement of an SQL text is only blanks and semicolons.
bool IsOnlyStatementEnd(std::string_view tail);
