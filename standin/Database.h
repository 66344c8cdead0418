#pragma once
// A thin SQLite layer: one Db is one connection; statements bind values in order. A connection
// keeps the statements it prepared and hands them out again for the same text: preparing parses
// and plans the SQL, which costs more than running most of them.

#include "core/protocol/Record.h"

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tvp::standin {

class Statement {
public:
    // Prepared for this one use, finalized at its end.
    Statement(sqlite3* db, const char* sql);
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    ~Statement();

    Statement& bind(int value);
    Statement& bind(double value);
    Statement& bind(const QString& value);
    Statement& bind(const proto::XsDate& value);
    Statement& bindNull();
    // Binds the next parameters anew; a statement run for many rows is prepared once.
    void reset();

    // Steps once; true while a row is there.
    bool next();
    // Steps to the end, for statements without rows.
    void run();

    int intAt(int column) const;
    double doubleAt(int column) const;
    bool isNullAt(int column) const;
    bool isRealAt(int column) const;
    QString textAt(int column) const;
    // The column's bytes, valid until the next step; for comparisons that need no copy.
    std::string_view utf8At(int column) const;
    proto::XsDate dateAt(int column) const;

private:
    friend class Db;
    // A statement of the connection's cache, lent until this one ends; inUse is the cache's mark.
    Statement(sqlite3* db, sqlite3_stmt* cached, bool* inUse);

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    bool* inUse_ = nullptr; // null for a statement of its own
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
        Statement s = prepare(sql);
        (s.bind(args), ...);
        return s;
    }

    // The cached statement of the text when it is free, else one of its own.
    Statement prepare(const char* sql);

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
    struct Cached {
        ~Cached();
        sqlite3_stmt* stmt = nullptr;
        bool inUse = false;
    };
    // The SQL texts are the program's own, a few hundred at most; the cap only guards against a
    // text built from data by mistake.
    static constexpr std::size_t kMaxCached = 512;

    std::unique_ptr<sqlite3, Close> db_;
    // Declared after db_: finalized before the connection closes.
    std::unordered_map<std::string, std::unique_ptr<Cached>> cache_;
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
