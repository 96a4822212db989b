// A demonstration document: what a new user sees from `make run`.
#pragma once

#include "content/Model.h"

namespace lumavox {

// A 160 x 16 tri-colour work area with a coloured, moving greeting, a date and
// time, a two-window screen whose windows run their own files, a small graphic,
// a schedule task and a run sequence.
WorkArea makeDemoWorkArea(const Clock& clock);

}  // namespace lumavox
