#pragma once

struct sqlite3_context;
struct sqlite3_value;

namespace HistoryMatch {

// kestrav_match(url, title, words): 1 when every word (one per line, case-folded) is in the
// title or the address, whatever the case.
void matchFunction(sqlite3_context *context, int count, sqlite3_value **values);

} // namespace HistoryMatch
