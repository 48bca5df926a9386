#pragma once
// Qt keeps a user's runtime files in the folder XDG_RUNTIME_DIR names. A session that sets
// none (root on a console, a container) would make it fall back to a folder of its own
// choice, and say so on every start.

#include <QString>

namespace common {

// With XDG_RUNTIME_DIR unset or empty: makes the private folder "runtime-<user id>" in
// `tempFolder` (mode 0700), or takes it as it is when it is already there, a folder of this
// user's (narrowing its mode to 0700), and names it in XDG_RUNTIME_DIR for this process and
// the programs it starts. Anything else of that name is not used and the variable stays
// unset. Returns whether XDG_RUNTIME_DIR names a folder afterwards.
bool ProvideRuntimeFolder(const QString& tempFolder);

}  // namespace common
