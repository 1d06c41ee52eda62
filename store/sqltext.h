#pragma once
#include <QString>

namespace store {

// The one escaping helper: text typed by a user and placed between single quotes in SQL
// or in a filter literal goes through it, so a quote cannot end the literal.
QString sqlEscape(const QString& text);
// The text escaped and between single quotes: O'Brien -> 'O''Brien'.
QString sqlQuote(const QString& text);

} // namespace store
