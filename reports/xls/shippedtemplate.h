#pragma once
#include <QString>
namespace xls {
// Writes the shipped report template (three worksheets: document, contract and archive
// catalogues) to path. false with a description in error on failure.
bool writeShippedTemplate(const QString& path, QString* error);
} // namespace xls
