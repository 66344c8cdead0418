#include "setup/TemplateWrappers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tvp {

TPathProperty TAbstractTemplateWrapper::pathProperty(QStringView name) const
{
    if (name == u"Name" || name == u"DisplayName")
        return {TPathKind::Text, 0, getDisplayName(), nullptr, 0};
    return {};
}

QByteArray TAbstractTemplateWrapper::readFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ETemplateFileError(file.errorString());
    QByteArray bytes = file.readAll();
    FileHash = secureHashOf(bytes);
    return bytes;
}

// A reader's error used to leave an empty template listed as "-"; it is refused instead, so the
// wizard can report the file and leave it out.
TDisciplineTemplateWrapper::TDisciplineTemplateWrapper(const QString& fileName)
{
    TTemplateRead<TDisciplineTemplate> read = LoadDiscFromStream(readFile(fileName));
    if (!read.error.isEmpty())
        throw ETemplateFileError(read.error);
    templ_ = std::move(read.templ);
}

QString TDisciplineTemplateWrapper::getDisplayName() const
{
    return templ_.DisciplinInfo ? templ_.DisciplinInfo->Name : QStringLiteral("-");
}

void TDisciplineTemplateWrapper::setDisplayName(const QString& name)
{
    if (templ_.DisciplinInfo)
        templ_.DisciplinInfo->Name = name;
}

TPathProperty TDisciplineTemplateWrapper::pathProperty(QStringView name) const
{
    if (name == u"GivenID")
        return {TPathKind::Integer, GivenID, {}, nullptr, 0};
    return TAbstractTemplateWrapper::pathProperty(name);
}

TResEvalTemplateWrapper::TResEvalTemplateWrapper(const QString& fileName)
{
    TTemplateRead<TResultsTemplate> read = LoadResultsFromStream(readFile(fileName));
    if (!read.error.isEmpty())
        throw ETemplateFileError(read.error);
    templ_ = std::move(read.templ);
    Name = QFileInfo(fileName).fileName();
    if (const qsizetype dot = Name.lastIndexOf(QLatin1Char('.')); dot >= 0)
        Name.truncate(dot);
}

void TAbstractTemplateSelectionState::select(const QString& hash, const QString& algorithm)
{
    if (!isSelected(hash, algorithm))
        selected_.push_back({hash, algorithm});
}

bool TAbstractTemplateSelectionState::isSelected(const QString& hash, const QString& algorithm) const
{
    return std::any_of(selected_.begin(), selected_.end(), [&](const THash& h) { return h.equals(hash, algorithm); });
}

} // namespace tvp
