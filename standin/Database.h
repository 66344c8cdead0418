#pragma once
// A thin SQLite layer: one Db is one connection; statements bind values in order.

#include "core/protocol/Record.h"

#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tvp::standin {

class Statement {
public:
    Statement(sqlite3* db, const char* sql);

    Statement& bind(int value);
    Statement& bind(const QString& value);
    Statement& bind(const proto::XsDate& value);

    // Steps once; true while a row is there.
    bool next();
    // Steps to the end, for statements without rows.
    void run();

    int intAt(int column) const;
    QString textAt(int column) const;
    proto::XsDate dateAt(int column) const;

private:
    struct Finalize {
        void operator()(sqlite3_stmt* s) const;
    };
    sqlite3* db_;
    std::unique_ptr<sqlite3_stmt, Finalize> stmt_;
    int nextParam_ = 1;
};

class Db {
public:
    // Opens the file (created when missing) with the busy timeout, so writers wait for each other.
    explicit Db(const std::string& path);

    void exec(const char* sql);

    template <class... Args>
    Statement query(const char* sql, const Args&... args)
    {
        Statement s(db_.get(), sql);
        (s.bind(args), ...);
        return s;
    }

    int lastInsertId() const;
    int changes() const;

    // A new id from the one sequence that all kinds of entity share.
    int nextId(std::string_view kind);

private:
    struct Close {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Close> db_;
};

// Brings the file (created when missing) to the newest schema and switches it to WAL.
void prepareDatabase(const std::string& path);

} // namespace tvp::standin
