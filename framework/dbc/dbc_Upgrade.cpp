#include "dbc_Upgrade.h"

#include "cls_Catalog.h"
#include "cls_Compactor.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"
#include "cls_SqliteTransaction.h"
#include "dbc_Conversion.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_DatabaseConverterHolder.h"
#include "dbc_InputDatabase.h"
#include "dbc_OldClassRegistrar.h"
#include "dbc_OutputDatabase.h"
#include "nex_Message.h"
#include "omi_Singleton.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kSourceFile = "framework/dbc/dbc_Upgrade";

constexpr int kFailLine = 30;

[[noreturn]] void fail(const std::string& file, const std::string& problem) {
    nex_Message::Raise(kSourceFile, kFailLine, "model database '%1$s': %2$s", file, problem);
}

void removeFile(const std::string& path) {
    for (const char* suffix : {"", "-journal"})
        std::remove((path + suffix).c_str());
}

// Makes a rename (or a removal) in `folder` survive a power loss.
void syncFolder(const std::string& file) {
    const std::filesystem::path parent = std::filesystem::path(file).parent_path();
    const int fd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Binds every registered old version's conversion functions on a new converter.
void bindSchemaChanges(dbc_DatabaseConverter& converter) {
    for (const auto& entry : omi_Singleton<dbc_OldClassRegistrar>::Instance().Entries())
        if (const dbc_OldClassVersion* version = entry.holder->ConstPtr())
            version->SchemaChanges(converter);
}

// The running upgrade as seen by conversion functions, for the time of one conversion.
class RunningConversion {
public:
    RunningConversion(dbc_DatabaseConverter& converter, dbc_Conversion& conversion)
        : converter_(converter), input_(conversion), output_(conversion) {
        converter_.SetDatabases(&input_, &output_);
        omi_Singleton<dbc_DatabaseConverterHolder>::Instance().SetDatabaseConverter(&converter_);
    }
    ~RunningConversion() {
        omi_Singleton<dbc_DatabaseConverterHolder>::Instance().SetDatabaseConverter(nullptr);
        converter_.SetDatabases(nullptr, nullptr);
    }
    RunningConversion(const RunningConversion&) = delete;
    RunningConversion& operator=(const RunningConversion&) = delete;

private:
    dbc_DatabaseConverter& converter_;
    dbc_InputDatabase input_;
    dbc_OutputDatabase output_;
};

} // namespace

std::string dbc_UpgradeTemporaryPath(const std::string& newPath) { return newPath + ".upgrading"; }

dbc_UpgradeResult dbc_Upgrade(const std::string& oldPath, const std::string& newPath,
                              const dbc_UpgradeProgress& progress) {
    const std::string temporary = dbc_UpgradeTemporaryPath(newPath);
    removeFile(temporary); // what a killed upgrade left
    std::error_code ignored;
    if (newPath != oldPath && std::filesystem::exists(newPath, ignored))
        fail(newPath, "exists already; an upgrade writes a new file");

    dbc_DatabaseConverter converter;
    bindSchemaChanges(converter);
    const dbc_OldClassRegistrar& oldClasses = omi_Singleton<dbc_OldClassRegistrar>::Instance();
    {
        cls_SqliteConnection old(oldPath, cls_SqliteConnection::Mode::ReadOnly, false);
        cls_Catalog(old).CheckFormat();
        dbc_Conversion plan(old, oldClasses, converter, oldPath);
        if (plan.Plan().empty())
            return dbc_UpgradeResult::AlreadyCurrent;
        // A compact copy, read in one transaction of the old file.
        cls_SqliteStatement copy(old, "VACUUM INTO ?");
        copy.Bind(1, std::string_view(temporary)).Run();
    }
    try {
        {
            cls_SqliteConnection sql(temporary, cls_SqliteConnection::Mode::ReadWrite);
            sql.Execute("PRAGMA cache_size = -8000");
            cls_SqliteTransaction transaction(sql);
            dbc_Conversion conversion(sql, oldClasses, converter, oldPath);
            {
                RunningConversion running(converter, conversion);
                conversion.Run(progress);
            }
            // Rows the old file kept but no root reached, and rows the conversion replaced,
            // do not move into the new file.
            cls_Catalog catalog(sql);
            cls_Compactor::Sweep(sql, catalog, {});
            transaction.Commit(); // syncs the file
        }
        if (std::rename(temporary.c_str(), newPath.c_str()) != 0)
            fail(newPath, std::string("cannot be put in place: ") + std::strerror(errno));
        syncFolder(newPath);
    } catch (...) {
        removeFile(temporary);
        throw;
    }
    return dbc_UpgradeResult::Upgraded;
}
