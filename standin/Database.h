#pragma once
// A thin SQLite layer: one Db is one connection; statements bind values in order.

#include "core/protocol/Record.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tvp::standin {

class Statement {
public:
    Statement(sqlite3* db, const char* sql);

    Statement& bind(int value);
    Statement& bind(double value);
    Statement& bind(const QString& value);
    Statement& bind(const proto::XsDate& value);

    // Steps once; true while a row is there.
    bool next();
    // Steps to the end, for statements without rows.
    void run();

    int intAt(int column) const;
    double doubleAt(int column) const;
    bool isNullAt(int column) const;
    QString textAt(int column) const;
    // The column's bytes, valid until the next step; for comparisons that need no copy.
    std::string_view utf8At(int column) const;
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
    // True between BEGIN and COMMIT or ROLLBACK.
    bool inTransaction() const;
    // Refuses every change to the file while set (read-only transactions and operations).
    void setQueryOnly(bool on);
    bool queryOnly() const { return queryOnly_; }

    // A new id from the one sequence that all kinds of entity share.
    int nextId(std::string_view kind);

private:
    struct Close {
        void operator()(sqlite3* db) const;
    };
    std::unique_ptr<sqlite3, Close> db_;
    bool queryOnly_ = false;
};

// Connections to one file, kept open for the next request: opening one reads the whole schema,
// which costs more than most requests. A connection comes back only outside a transaction and
// able to write. At most kMaxIdle wait for the next request; the rest are closed, so the
// descriptors of a burst are given back.
class ConnectionPool {
public:
    explicit ConnectionPool(std::string path);
    ConnectionPool(const ConnectionPool&) = delete;
    ConnectionPool& operator=(const ConnectionPool&) = delete;

    static constexpr std::size_t kMaxIdle = 32;

    class Lease {
    public:
        Lease() = default;
        Lease(Lease&& other) noexcept;
        Lease& operator=(Lease&& other) noexcept;
        ~Lease(); // a transaction left open is rolled back first
        Db& operator*() const { return *db_; }
        Db* operator->() const { return db_.get(); }

    private:
        friend class ConnectionPool;
        Lease(ConnectionPool* pool, std::unique_ptr<Db> db) : pool_(pool), db_(std::move(db)) {}
        void giveBack();
        ConnectionPool* pool_ = nullptr;
        std::unique_ptr<Db> db_;
    };

    Lease take();

private:
    const std::string path_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Db>> idle_;
};

// Brings the file (created when missing) to the newest schema and switches it to WAL.
void prepareDatabase(const std::string& path);

} // namespace tvp::standin
