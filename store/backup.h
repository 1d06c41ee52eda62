#pragma once
// Copies of catalogue data between the catalogue and backup files (plain SQLite files
// made from the template sy.mdb). Every failure throws store::DbError.
namespace store {
} // namespace store
