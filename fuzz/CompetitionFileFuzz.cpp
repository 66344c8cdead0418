// Competition files as a user may pick them: the import window's proposal of name and date, and the
// stand-in's import, which takes a file whole or refuses it with 260 (2 for a name in use), never
// a crash, and leaves nothing of a refused one.

#include "core/competition/CompetitionFiles.h"
#include "standin/CompetitionExchange.h"
#include "standin/ErrorMessages.h"
#include "standin/Operations.h"
#include "standin/Schema.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace tvp;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const TCompInfo info = compInfoOfBytes(bytes);
    if (!info.date.isValid())
        std::abort();

    static standin::Db db = [] {
        standin::Db d(":memory:");
        standin::migrate(d);
        return d;
    }();
    db.exec("SAVEPOINT fuzz");
    try {
        standin::importCompetitionText(db, QString::fromUtf8(bytes), QStringLiteral("Fuzz"), QDate(2027, 1, 1));
    } catch (const standin::ServerError& e) {
        if (e.id != standin::errors::InvalidCompetitionFile && e.id != standin::errors::TemplateNotFound)
            std::abort();
    }
    db.exec("ROLLBACK TO fuzz");
    db.exec("RELEASE fuzz");
    return 0;
}
