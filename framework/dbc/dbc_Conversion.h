// One conversion of a model database, in place, inside one transaction of the connection it is
// given (an upgrade runs it on a copy of the old file): it plans the steps from the catalog's
// stored versions and the bound class converters, and runs them.
//
// A step converts the table of one class from its stored version to the next registered layout
// of that class (the old layouts, then the current one): each output row starts with the
// fields both layouts share, copied; fields the target lacks are dropped; then the step's
// conversion function runs on the row; after the last row, its finalize function. Steps run in
// ascending converter number; the rows of a class are converted on one thread, this one.
// Steps of one class that follow each other in that order run as one pass over its rows.
#pragma once

#include "dbc_Row.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class cls_ClassMetadata;
class cls_SqliteConnection;
class dbc_DatabaseConverter;
class dbc_OldClassRegistrar;

class dbc_Conversion {
public:
    // Rows converted so far and rows to convert in all.
    using Progress = std::function<void(long done, long total)>;

    struct Step {
        int converter;
        std::uint32_t typeId;
        std::string className;
        int from, to;
        const class dbc_ClassConverter* functions;
    };

    // `file` names the database in messages.
    dbc_Conversion(cls_SqliteConnection& sql, const dbc_OldClassRegistrar& oldClasses,
                   const dbc_DatabaseConverter& converter, std::string file);
    ~dbc_Conversion();

    // The steps the database needs, in the order they run; empty when it is current. A class
    // stored in a version newer than its current one, or in one nothing converts from, is
    // refused with a message naming the file and the class.
    const std::vector<Step>& Plan() const { return plan_; }
    // Runs the plan; the caller's transaction keeps it whole.
    void Run(const Progress& progress);

    // ---- for the tables, rows and utilities of the running conversion ----
    cls_SqliteConnection& Sql() { return sql_; }
    const std::string& File() const { return file_; }
    // A new object's row key, from the file's counter.
    std::uint64_t AllocateRow();
    // The fields of an SQL table (its oid and #uid left out), read once.
    dbc_Row::Layout LayoutOf(const std::string& sqlTable);
    void Insert(const std::string& sqlTable, const dbc_Row& row);
    // The class's table as stored now (its version in the catalog), or none.
    bool HasClass(std::uint32_t typeId) const { return stored_.count(typeId) != 0; }
    std::string ClassName(std::uint32_t typeId) const;
    // Where new rows of a class go: the table a running step writes, else the class's table,
    // made in the current layout when the database lacks it.
    std::string OutputTable(std::uint32_t typeId);
    [[noreturn]] void Fail(const std::string& problem) const;

private:
    struct StoredClass {
        std::string name;
        int version;
    };

    void plan(const dbc_DatabaseConverter& converter);
    void runSteps(const Step* steps, std::size_t n, const Progress& progress, long& done,
                  long total);
    const cls_ClassMetadata* layoutOf(std::uint32_t typeId, int version) const;

    cls_SqliteConnection& sql_;
    const dbc_OldClassRegistrar& oldClasses_;
    std::string file_;
    std::map<std::uint32_t, StoredClass> stored_;
    std::vector<Step> plan_;
    std::map<std::string, dbc_Row::Layout> layouts_;
    // The insert of rows of one layout into one table, made once. The key holds the layout, so
    // that a layout made later cannot take the address of one that went.
    std::map<std::pair<std::string, dbc_Row::Layout>, std::string> insertSql_;
    class cls_SqliteStatement* lastInsert_ = nullptr;
    dbc_Row::Layout lastInsertLayout_;
    std::string lastInsertTable_;
    std::int64_t nextRow_ = 0;
    std::int64_t rowsAdded_ = 0;
    std::uint32_t converting_ = 0; // the class of the running step
    std::string convertingInto_;   // the table it writes
};
