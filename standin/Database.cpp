#include "standin/Database.h"

#include "standin/Schema.h"

#include <sqlite3.h>

#include <stdexcept>
#include <utility>

namespace tvp::standin {

namespace {

// Writers of this server queue at the write gate, never in SQLite's busy loop; this only covers
// another program holding the file, and stays well below the client's 35 s channel wait.
constexpr int kBusyTimeoutMs = 10000;

[[noreturn]] void fail(sqlite3* db, const char* what)
{
    if (sqlite3_errcode(db) == SQLITE_BUSY)
        throw std::runtime_error(
            "Die Daten sind durch eine andere Transaktion gesperrt, bitte später erneut versuchen.");
    throw std::runtime_error(std::string("Datenbankfehler (") + what + "): " + sqlite3_errmsg(db));
}

} // namespace

void Db::Close::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
} // rolls back an open transaction

Statement::Statement(sqlite3* db, const char* sql) : db_(db)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK)
        fail(db, sql);
    stmt_ = s;
}

Statement::Statement(sqlite3* db, sqlite3_stmt* cached, bool* inUse) : db_(db), stmt_(cached), inUse_(inUse)
{
    *inUse_ = true;
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_),
      stmt_(std::exchange(other.stmt_, nullptr)),
      inUse_(std::exchange(other.inUse_, nullptr)),
      nextParam_(other.nextParam_)
{
}

Statement::~Statement()
{
    if (!inUse_) {
        sqlite3_finalize(stmt_);
        return;
    }
    // Reset at once: a statement left stepping would hold its read snapshot open.
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    *inUse_ = false;
}

Statement& Statement::bind(int value)
{
    sqlite3_bind_int(stmt_, nextParam_++, value);
    return *this;
}

Statement& Statement::bind(double value)
{
    sqlite3_bind_double(stmt_, nextParam_++, value);
    return *this;
}

Statement& Statement::bind(const QString& value)
{
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt_, nextParam_++, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

Statement& Statement::bind(const proto::XsDate& value)
{
    if (value)
        return bind(value->toString(Qt::ISODate));
    sqlite3_bind_null(stmt_, nextParam_++);
    return *this;
}

Statement& Statement::bindNull()
{
    sqlite3_bind_null(stmt_, nextParam_++);
    return *this;
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    nextParam_ = 1;
}

bool Statement::next()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        fail(db_, sqlite3_sql(stmt_));
    return false;
}

void Statement::run()
{
    while (next()) {
    }
}

int Statement::intAt(int column) const
{
    return sqlite3_column_int(stmt_, column);
}

double Statement::doubleAt(int column) const
{
    return sqlite3_column_double(stmt_, column);
}

bool Statement::isNullAt(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

bool Statement::isRealAt(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_FLOAT;
}

QString Statement::textAt(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(stmt_, column)) : QString();
}

std::string_view Statement::utf8At(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return text ? std::string_view(text, std::size_t(sqlite3_column_bytes(stmt_, column))) : std::string_view();
}

proto::XsDate Statement::dateAt(int column) const
{
    if (isNullAt(column))
        return std::nullopt;
    return QDate::fromString(textAt(column), Qt::ISODate);
}

Db::Db(const std::string& path)
{
    sqlite3* db = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(db);
    if (rc != SQLITE_OK)
        fail(db, path.c_str());
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // In WAL mode NORMAL keeps every commit across a crash of the process.
    exec("PRAGMA synchronous = NORMAL");
    // SQLite checks the schema's references only when asked to, per connection.
    exec("PRAGMA foreign_keys = ON");
    // Computed tables read whole disciplines; a larger page cache keeps a competition's results
    // between reads.
    exec("PRAGMA cache_size = -32000");
}

Db::Cached::~Cached()
{
    sqlite3_finalize(stmt);
}

Statement Db::prepare(const char* sql)
{
    auto it = cache_.find(sql);
    if (it == cache_.end()) {
        if (cache_.size() >= kMaxCached)
            return Statement(db_.get(), sql);
        auto cached = std::make_unique<Cached>();
        if (sqlite3_prepare_v2(db_.get(), sql, -1, &cached->stmt, nullptr) != SQLITE_OK)
            fail(db_.get(), sql);
        it = cache_.emplace(sql, std::move(cached)).first;
    }
    // The same text asked for again while its statement is still in use (a nested read).
    if (it->second->inUse)
        return Statement(db_.get(), sql);
    return Statement(db_.get(), it->second->stmt, &it->second->inUse);
}

void Db::exec(const char* sql)
{
    if (sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(db_.get(), sql);
}

int Db::lastInsertId() const
{
    return int(sqlite3_last_insert_rowid(db_.get()));
}
int Db::changes() const
{
    return sqlite3_changes(db_.get());
}

bool Db::inTransaction() const
{
    return !sqlite3_get_autocommit(db_.get());
}

void Db::setQueryOnly(bool on)
{
    exec(on ? "PRAGMA query_only = 1" : "PRAGMA query_only = 0");
    queryOnly_ = on;
}

int Db::nextId(std::string_view kind)
{
    query("INSERT INTO ids(kind) VALUES (?)", QString::fromUtf8(kind.data(), qsizetype(kind.size()))).run();
    return lastInsertId();
}

ConnectionPool::ConnectionPool(std::string path) : path_(std::move(path))
{
}

ConnectionPool::Lease ConnectionPool::take()
{
    {
        std::lock_guard lock(mutex_);
        if (!idle_.empty()) {
            std::unique_ptr<Db> db = std::move(idle_.back());
            idle_.pop_back();
            return Lease(this, std::move(db));
        }
    }
    return Lease(this, std::make_unique<Db>(path_));
}

ConnectionPool::Lease::Lease(Lease&& other) noexcept
    : pool_(std::exchange(other.pool_, nullptr)), db_(std::move(other.db_))
{
}

ConnectionPool::Lease& ConnectionPool::Lease::operator=(Lease&& other) noexcept
{
    if (this != &other) {
        giveBack();
        pool_ = std::exchange(other.pool_, nullptr);
        db_ = std::move(other.db_);
    }
    return *this;
}

ConnectionPool::Lease::~Lease()
{
    giveBack();
}

void ConnectionPool::Lease::giveBack()
{
    if (!db_ || !pool_)
        return;
    try {
        if (db_->inTransaction())
            db_->exec("ROLLBACK");
        if (db_->queryOnly())
            db_->setQueryOnly(false);
    } catch (const std::exception&) {
        db_.reset(); // closing it rolls back
        return;
    }
    std::unique_ptr<Db> surplus; // closed outside the lock
    std::lock_guard lock(pool_->mutex_);
    if (pool_->idle_.size() < kMaxIdle)
        pool_->idle_.push_back(std::move(db_));
    else
        surplus = std::move(db_);
}

void prepareDatabase(const std::string& path)
{
    Db db(path);
    db.exec("PRAGMA journal_mode = WAL");
    migrate(db);
}

} // namespace tvp::standin
