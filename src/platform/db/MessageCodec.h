#pragma once
// Moving values in and out of Firebird message buffers.

#include "platform/db/Value.h"

#include <firebird/Interface.h>
#include <vector>

namespace db {

class Transaction;

struct ColumnInfo {
    QString name;      // alias as returned by the statement, upper case for unquoted names
    QString relation;  // table the column comes from, when any
    QString field;     // column name in that table
    unsigned type = 0; // SQL_* without the null bit
    int scale = 0;     // decimals (>= 0)
    unsigned length = 0;
    unsigned subType = 0;
    unsigned charSet = 0;
    unsigned offset = 0;
    unsigned nullOffset = 0;
};

std::vector<ColumnInfo> DescribeMessage(Firebird::IMessageMetadata *meta);

// Reads one column of a fetched row. Blobs are read through `tx`.
Value DecodeColumn(const ColumnInfo &col, const unsigned char *buffer, Firebird::IAttachment *att,
                   Firebird::ITransaction *tx);
// Reads every column of a fetched row.
void DecodeRow(const std::vector<ColumnInfo> &cols, const unsigned char *buffer, Firebird::IAttachment *att,
               Firebird::ITransaction *tx, std::vector<Value> &out);

// Writes one value into the buffer slot of `col`, converting to the column's type. Throws DbError
// for a value that cannot convert, and for text longer than the slot (it is never cut: a cut
// value could match another record); trailing blanks past the slot are dropped.
void EncodeValue(const ColumnInfo &col, const Value &value, unsigned char *buffer, Firebird::IAttachment *att,
                 Firebird::ITransaction *tx);

} // namespace db
