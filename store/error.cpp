#include "store/error.h"

namespace store {

DbError::DbError(qint64 number, QString description)
    : number_(number), description_(std::move(description)), utf8_(description_.toUtf8()) {}

} // namespace store
