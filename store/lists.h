#pragma once
// The lists windows offer (units, retention periods, security levels), each read through
// a connection of its own that is closed at once.

#include <QString>
#include <QStringList>

namespace store {

// The first column of every row of sql, as text, in the order read.
QStringList readList(const QString& sql);

} // namespace store
