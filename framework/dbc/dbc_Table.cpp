#include "dbc_Table.h"

#include "cls_Catalog.h"
#include "cls_SqliteConnection.h"
#include "cls_SqliteStatement.h"
#include "cls_Uid.h"
#include "dbc_Conversion.h"

dbc_Table::dbc_Table(dbc_Conversion& conversion, std::string className, std::uint32_t typeId,
                     std::string sqlTable, dbc_Row::Layout layout)
    : conversion_(conversion), className_(std::move(className)), typeId_(typeId),
      sqlTable_(std::move(sqlTable)), layout_(std::move(layout)) {}

dbc_Table::~dbc_Table() = default;

std::vector<dbc_Row>& dbc_Table::Loaded() {
    if (!rows_)
        rows_ = std::make_unique<std::vector<dbc_Row>>();
    return *rows_;
}

void dbc_Table::load() const {
    if (rows_)
        return;
    auto rows = std::make_unique<std::vector<dbc_Row>>();
    cls_SqliteStatement s(conversion_.Sql(),
                          "SELECT * FROM " + cls_Catalog::Quoted(sqlTable_) + " ORDER BY oid");
    const int columns = s.ColumnCount();
    while (s.Step()) {
        dbc_Row& row = rows->emplace_back(layout_, static_cast<std::uint64_t>(s.Int(0)),
                                          static_cast<std::uint64_t>(s.Int(1)));
        for (int c = 2; c < columns && c - 2 < static_cast<int>(row.Values().size()); ++c) {
            switch (s.KindOf(c)) {
            case cls_SqliteStatement::Kind::Integer: row.Values()[c - 2] = s.Int(c); break;
            case cls_SqliteStatement::Kind::Real: row.Values()[c - 2] = s.Real(c); break;
            case cls_SqliteStatement::Kind::Text:
                row.Values()[c - 2] = std::string(s.Text(c));
                break;
            default: break;
            }
        }
    }
    rows_ = std::move(rows);
}

int dbc_Table::RowCount() const {
    load();
    return static_cast<int>(rows_->size());
}

const dbc_Row& dbc_Table::Row(int i) const {
    load();
    return rows_->at(static_cast<std::size_t>(i));
}

dbc_Row& dbc_Table::Row(int i) {
    load();
    return rows_->at(static_cast<std::size_t>(i));
}

dbc_Row& dbc_Table::NewRow() {
    dbc_Row& row = made_.emplace_back(layout_, conversion_.AllocateRow(),
                                      cls_Uid::AllocateUid().Value());
    row.pendingIn_ = this;
    return row;
}

void dbc_Table::Store(const dbc_Row& row) { conversion_.Insert(sqlTable_, row); }
