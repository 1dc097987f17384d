// "Import" / "Table (CSV)...": a table as spreadsheets write it (RFC 4180: quoted fields, a
// field spanning lines, "," or ";" between fields) read with the object import's rules and
// dialog: the first row names the columns, every later row of as many fields is an object.
#pragma once

#include "model/PairedTrees.h"
#include "platform/TextCodec.h"
#include "platform/UserPrompts.h"

namespace quorvia::importing {

// The fields are UTF-8 (a byte-order mark in front is dropped), or the code page's own bytes
// where they are not; a line break inside a field becomes a blank. A field holding a ";", a NUL
// or a character the code page cannot write, and a file that is not CSV, are refused with a
// warning naming the line, before anything is asked or added.
void importCsvTable(model::PairedTrees& trees, platform::UserPrompts& prompts,
                    const platform::TextCodec& codec);

}  // namespace quorvia::importing
