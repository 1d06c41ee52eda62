#include "store/sqltext.h"

namespace store {

QString sqlEscape(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return escaped;
}

QString sqlQuote(const QString& text) {
    return QLatin1Char('\'') + sqlEscape(text) + QLatin1Char('\'');
}

} // namespace store
