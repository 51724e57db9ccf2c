#include "dbc_Conversion.h"

#include "cls_Catalog.h"
#include "cls_ClassMetadata.h"
#include "cls_ClassRegistrar.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"
#include "dbc_DatabaseConverter.h"
#include "dbc_OldClassRegistrar.h"
#include "dbc_Table.h"
#include "nex_Message.h"

#include <algorithm>

namespace {
constexpr const char* kSourceFile = "framework/dbc/dbc_Conversion";

dbc_Row::Value valueOf(const cls_SqliteStatement& s, int c) {
    switch (s.KindOf(c)) {
    case cls_SqliteStatement::Kind::Integer: return s.Int(c);
    case cls_SqliteStatement::Kind::Real: return s.Real(c);
    case cls_SqliteStatement::Kind::Text: return std::string(s.Text(c));
    case cls_SqliteStatement::Kind::Blob:
        return std::string(static_cast<const char*>(s.Blob(c)), static_cast<std::size_t>(s.Bytes(c)));
    case cls_SqliteStatement::Kind::Null: break;
    }
    return dbc_Row::Null{};
}

void bindValue(cls_SqliteStatement& s, int position, const dbc_Row::Value& v) {
    if (const auto* i = std::get_if<std::int64_t>(&v))
        s.Bind(position, *i);
    else if (const auto* r = std::get_if<double>(&v))
        s.Bind(position, *r);
    else if (const auto* t = std::get_if<std::string>(&v))
        s.Bind(position, std::string_view(*t));
    else
        s.BindNull(position);
}
} // namespace

dbc_Conversion::dbc_Conversion(cls_SqliteConnection& sql, const dbc_OldClassRegistrar& oldClasses,
                               const dbc_DatabaseConverter& converter, std::string file)
    : sql_(sql), oldClasses_(oldClasses), file_(std::move(file)) {
    cls_SqliteStatement& s = sql_.Cached("SELECT typeId, name, version FROM cls_catalog");
    while (s.Step())
        stored_[static_cast<std::uint32_t>(s.Int(0))] = {std::string(s.Text(1)),
                                                         static_cast<int>(s.Int(2))};
    s.Reset();
    plan(converter);
}

dbc_Conversion::~dbc_Conversion() = default;

void dbc_Conversion::Fail(const std::string& problem) const {
    constexpr int kFailLine = 57;
    nex_Message::Raise(kSourceFile, kFailLine, "model database '%1$s': %2$s", file_, problem);
}

const cls_ClassMetadata* dbc_Conversion::layoutOf(std::uint32_t typeId, int version) const {
    const cls_ClassMetadata* current = cls_ClassRegistrar::Current().Find(typeId);
    if (current && current->Version() == version)
        return current;
    return oldClasses_.Layout(typeId, version);
}

void dbc_Conversion::plan(const dbc_DatabaseConverter& converter) {
    for (const auto& [typeId, stored] : stored_) {
        const cls_ClassMetadata* current = cls_ClassRegistrar::Current().Find(typeId);
        if (!current || stored.version == current->Version())
            continue; // unknown classes are carried over as they are
        if (stored.version > current->Version())
            Fail("class '" + stored.name + "' is stored in version " +
                 std::to_string(stored.version) + ", newer than this program's " +
                 std::to_string(current->Version()) + "; it needs a newer program");
        std::vector<int> versions = oldClasses_.Versions(typeId);
        versions.push_back(current->Version());
        if (std::find(versions.begin(), versions.end(), stored.version) == versions.end())
            Fail("class '" + stored.name + "' is stored in version " +
                 std::to_string(stored.version) + ", a layout this program does not know");
        std::vector<Step> chain;
        for (auto at = std::find(versions.begin(), versions.end(), stored.version);
             at + 1 != versions.end(); ++at) {
            const Step* found = nullptr;
            Step step{};
            for (const auto& [number, c] : converter.Converters()) {
                auto it = c->Steps().find({typeId, *at});
                if (it != c->Steps().end()) {
                    step = {number, typeId, stored.name, *at, *(at + 1), &it->second.converter};
                    found = &step;
                    break;
                }
            }
            if (!found)
                Fail("nothing converts class '" + stored.name + "' from version " +
                     std::to_string(*at));
            if (!chain.empty() && chain.back().converter >= step.converter)
                Fail("the steps of class '" + stored.name + "' are bound out of order");
            chain.push_back(step);
        }
        plan_.insert(plan_.end(), chain.begin(), chain.end());
    }
    std::stable_sort(plan_.begin(), plan_.end(), [](const Step& a, const Step& b) {
        return a.converter != b.converter ? a.converter < b.converter : a.typeId < b.typeId;
    });
}

std::uint64_t dbc_Conversion::AllocateRow() {
    ++rowsAdded_;
    return static_cast<std::uint64_t>(nextRow_++);
}

dbc_Row::Layout dbc_Conversion::LayoutOf(const std::string& sqlTable) {
    auto it = layouts_.find(sqlTable);
    if (it != layouts_.end())
        return it->second;
    auto layout = std::make_shared<dbc_RowLayout>();
    cls_SqliteStatement s(sql_, "SELECT * FROM " + cls_Catalog::Quoted(sqlTable) + " LIMIT 0");
    if (s.ColumnCount() < 2 || std::string_view(s.ColumnName(0)) != "oid" ||
        std::string_view(s.ColumnName(1)) != cls_Catalog::kUidColumn)
        Fail("damaged: the table '" + sqlTable + "' lacks its key columns");
    for (int c = 2; c < s.ColumnCount(); ++c)
        layout->fields.emplace_back(s.ColumnName(c));
    for (const auto& [typeId, stored] : stored_)
        if (stored.name == sqlTable)
            layout->metadata = layoutOf(typeId, stored.version);
    return layouts_[sqlTable] = layout;
}

void dbc_Conversion::Insert(const std::string& sqlTable, const dbc_Row& row) {
    const std::vector<std::string>& fields = row.Fields()->fields;
    // Rows come in runs into one table: the statement of the last run is kept at hand.
    if (!lastInsert_ || lastInsertLayout_ != row.Fields() || lastInsertTable_ != sqlTable) {
        std::string& sql = insertSql_[{sqlTable, row.Fields()}];
        if (sql.empty()) {
            std::string names = "oid, \"#uid\"", marks = "?, ?";
            for (const std::string& f : fields) {
                names += ", " + cls_Catalog::Quoted(f);
                marks += ", ?";
            }
            sql = "INSERT INTO " + cls_Catalog::Quoted(sqlTable) + " (" + names + ") VALUES (" +
                  marks + ")";
        }
        lastInsert_ = &sql_.Cached(sql);
        lastInsertLayout_ = row.Fields();
        lastInsertTable_ = sqlTable;
    }
    cls_SqliteStatement& s = *lastInsert_;
    s.Bind(1, static_cast<std::int64_t>(row.ObjectId()));
    s.Bind(2, static_cast<std::int64_t>(row.Uid()));
    for (std::size_t i = 0; i < fields.size(); ++i)
        bindValue(s, static_cast<int>(i) + 3, row.Values()[i]);
    s.Run();
}

std::string dbc_Conversion::ClassName(std::uint32_t typeId) const {
    auto it = stored_.find(typeId);
    return it == stored_.end() ? std::string() : it->second.name;
}

std::string dbc_Conversion::OutputTable(std::uint32_t typeId) {
    if (typeId == converting_)
        return convertingInto_;
    if (auto it = stored_.find(typeId); it != stored_.end())
        return it->second.name;
    const cls_ClassMetadata* md = cls_ClassRegistrar::Current().Find(typeId);
    if (!md)
        Fail("conversion: no registered class has the type id " + std::to_string(typeId));
    const std::string name = md->Name().str();
    sql_.Execute(cls_Catalog::TableDefinition(*md, name).c_str());
    cls_SqliteStatement& c = sql_.Cached(
        "INSERT INTO cls_catalog (typeId, name, version, layout) VALUES (?, ?, ?, ?)");
    c.Bind(1, std::int64_t{typeId}).Bind(2, std::string_view(name));
    c.Bind(3, std::int64_t{md->Version()}).Bind(4, cls_Catalog::LayoutText(*md)).Run();
    stored_[typeId] = {name, md->Version()};
    return name;
}

void dbc_Conversion::Run(const Progress& progress) {
    cls_SqliteStatement& counters = sql_.Cached("SELECT nextRow FROM cls_counters WHERE id = 1");
    if (!counters.Step()) {
        counters.Reset();
        Fail("damaged: the row counters are missing");
    }
    nextRow_ = counters.Int(0);
    counters.Reset();

    long total = 0, done = 0;
    for (const Step& step : plan_) {
        cls_SqliteStatement count(sql_, "SELECT count(*) FROM " + cls_Catalog::Quoted(step.className));
        count.Step();
        total += static_cast<long>(count.Int(0));
    }
    if (progress)
        progress(0, total);
    // Consecutive steps of one class run as one pass: each row goes through all of them in
    // memory and is written once.
    for (std::size_t i = 0; i < plan_.size();) {
        std::size_t n = 1;
        while (i + n < plan_.size() && plan_[i + n].typeId == plan_[i].typeId)
            ++n;
        runSteps(&plan_[i], n, progress, done, total);
        i += n;
    }

    cls_SqliteStatement& update = sql_.Cached(
        "UPDATE cls_counters SET nextRow = ?, rows = rows + ?, newRows = newRows + ? WHERE id = 1");
    update.Bind(1, nextRow_).Bind(2, rowsAdded_).Bind(3, rowsAdded_).Run();
}

void dbc_Conversion::runSteps(const Step* steps, std::size_t n, const Progress& progress,
                              long& done, long total) {
    const Step& first = steps[0];
    const std::string into = first.className + "#upgrading";
    // The layout after each step: layouts[0] is the stored table's, layouts[i + 1] step i's.
    std::vector<dbc_Row::Layout> layouts{LayoutOf(first.className)};
    std::vector<std::vector<int>> copied(n); // per step: the input field of each output field
    const cls_ClassMetadata* target = nullptr;
    for (std::size_t i = 0; i < n; ++i) {
        target = layoutOf(first.typeId, steps[i].to);
        if (!target)
            Fail("internal: no layout " + std::to_string(steps[i].to) + " of class '" +
                 first.className + "'");
        auto layout = std::make_shared<dbc_RowLayout>();
        for (const auto& column : target->Columns())
            layout->fields.push_back(column.name);
        layout->metadata = target;
        const std::vector<std::string>& in = layouts[i]->fields;
        for (const std::string& f : layout->fields) {
            auto at = std::find(in.begin(), in.end(), f);
            copied[i].push_back(at == in.end() ? -1 : static_cast<int>(at - in.begin()));
        }
        layouts.push_back(layout);
    }
    sql_.Execute(("DROP TABLE IF EXISTS " + cls_Catalog::Quoted(into)).c_str());
    sql_.Execute(cls_Catalog::TableDefinition(*target, into).c_str());

    converting_ = first.typeId;
    convertingInto_ = into;
    {
        // Not a cached statement: a conversion function may read the same table meanwhile.
        cls_SqliteStatement rows(sql_, "SELECT * FROM " + cls_Catalog::Quoted(first.className) +
                                           " ORDER BY oid");
        const int columns = rows.ColumnCount();
        // The rows of the chain (the stored one, then one after each step), reused from one
        // stored row to the next.
        std::vector<dbc_Row> chain;
        chain.reserve(n + 1);
        for (std::size_t i = 0; i <= n; ++i)
            chain.emplace_back(layouts[i], 0, 0);
        while (rows.Step()) {
            const auto oid = static_cast<std::uint64_t>(rows.Int(0));
            const auto uid = static_cast<std::uint64_t>(rows.Int(1));
            for (dbc_Row& row : chain)
                row.Reset(oid, uid);
            for (int c = 2; c < columns; ++c)
                chain[0].Values()[c - 2] = valueOf(rows, c);
            for (std::size_t i = 0; i < n; ++i) {
                for (std::size_t f = 0; f < copied[i].size(); ++f)
                    if (copied[i][f] >= 0)
                        chain[i + 1].Values()[f] = chain[i].Values()[copied[i][f]];
                if (const auto conversion = steps[i].functions->Conversion())
                    conversion(chain[i], chain[i + 1], 0);
            }
            Insert(into, chain.back());
            done += static_cast<long>(n);
            if (progress && (done % 1024 < static_cast<long>(n) || done == total))
                progress(done, total);
        }
    }
    // After the last row of each step, its finalize function: on the stored table it read and
    // the table it wrote, where those exist (steps run together pass their rows between them
    // in memory, and see empty tables there).
    for (std::size_t i = 0; i < n; ++i) {
        if (const auto finalize = steps[i].functions->Finalize()) {
            dbc_Table input(*this, first.className, first.typeId,
                            i == 0 ? first.className : std::string(), layouts[i]);
            dbc_Table output(*this, first.className, first.typeId,
                             i + 1 == n ? into : std::string(), layouts[i + 1]);
            if (i != 0)
                input.Loaded();
            if (i + 1 != n)
                output.Loaded();
            finalize(input, output);
        }
    }
    converting_ = 0;
    convertingInto_.clear();

    sql_.Execute(("DROP TABLE " + cls_Catalog::Quoted(first.className)).c_str());
    sql_.Execute(("ALTER TABLE " + cls_Catalog::Quoted(into) + " RENAME TO " +
                  cls_Catalog::Quoted(first.className))
                     .c_str());
    const int to = steps[n - 1].to;
    cls_SqliteStatement& catalog =
        sql_.Cached("UPDATE cls_catalog SET version = ?, layout = ? WHERE typeId = ?");
    catalog.Bind(1, std::int64_t{to}).Bind(2, cls_Catalog::LayoutText(*target));
    catalog.Bind(3, std::int64_t{first.typeId}).Run();
    stored_[first.typeId].version = to;
    layouts_.erase(first.className);
    layouts_.erase(into);
}
