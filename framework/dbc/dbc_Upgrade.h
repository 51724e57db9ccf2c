// Upgrading a model database written in older class layouts.
//
//   dbc_Upgrade("old.db", "new.db", [](long done, long total) { ... });
//
// The old file is only read (read-only, a write cut short is not even rolled back): its bytes
// never change. The new file is built under dbc_UpgradeTemporaryPath(newPath) in the target's
// folder, converted in one transaction, synced and renamed into place only when every step has
// succeeded; a temporary file left by an upgrade that was killed is removed by the next one. A
// file already in the current layouts is left alone (the answer says so, nothing is written);
// a file stored by a newer program is refused, naming the file and the class.
#pragma once

#include <functional>
#include <string>

enum class dbc_UpgradeResult { Upgraded, AlreadyCurrent };

// Rows converted so far and rows to convert in all.
using dbc_UpgradeProgress = std::function<void(long done, long total)>;

dbc_UpgradeResult dbc_Upgrade(const std::string& oldPath, const std::string& newPath,
                              const dbc_UpgradeProgress& progress = {});

std::string dbc_UpgradeTemporaryPath(const std::string& newPath);
