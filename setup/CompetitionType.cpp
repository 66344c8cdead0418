#include "setup/CompetitionType.h"

#include "core/protocol/XmlProblem.h"
#include "setup/CompetitionTypeSections.h"
#include "setup/XMLFunctions.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <cstring>

namespace tvp {

namespace {

// Children are looked up by local name, so a prefixed file reads the same.
bool hasLocalName(pugi::xml_node node, const char* name)
{
    const char* full = node.name();
    const char* colon = std::strrchr(full, ':');
    return node.type() == pugi::node_element && std::strcmp(colon ? colon + 1 : full, name) == 0;
}

pugi::xml_node localChild(pugi::xml_node parent, const char* name)
{
    for (pugi::xml_node child : parent.children())
        if (hasLocalName(child, name))
            return child;
    return {};
}

std::vector<pugi::xml_node> localChildren(pugi::xml_node parent, const char* name)
{
    std::vector<pugi::xml_node> found;
    for (pugi::xml_node child : parent.children())
        if (hasLocalName(child, name))
            found.push_back(child);
    return found;
}

QString textOf(pugi::xml_node node)
{
    return QString::fromUtf8(node.child_value());
}

// Plain reading: a missing child reads as an empty one.
QString childText(pugi::xml_node parent, const char* name)
{
    return textOf(localChild(parent, name));
}

pugi::xml_node findChild(pugi::xml_node parent, const char* name, const char* what)
{
    pugi::xml_node child = localChild(parent, name);
    if (!child)
        throw ECompetitionTypeError(QStringLiteral("Element %1 fehlt im Veranstaltungstyp.").arg(QLatin1String(what)));
    return child;
}

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

std::optional<QString> attribute(pugi::xml_node node, const char* name)
{
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        return std::nullopt;
    return QString::fromUtf8(a.value());
}

QString requiredAttribute(pugi::xml_node node, const char* name)
{
    std::optional<QString> value = attribute(node, name);
    if (!value)
        throw ECompetitionTypeError(QStringLiteral("Attribut %1 fehlt in metainfo.").arg(QLatin1String(name)));
    return *value;
}

// Both "." and the UI's separator are taken; anything else fails the age classes.
double feeOf(pugi::xml_node parent, const char* name)
{
    QString text = childText(parent, name);
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1)
        text.replace(point.front(), QLatin1Char('.'));
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok)
        throw ECompetitionTypeError(QStringLiteral("%1 ist keine Zahl: %2").arg(QLatin1String(name), text));
    return value;
}

QString feeText(double value)
{
    if (!(value > 0))
        return {};
    QString text = QString::asprintf("%.2f", value);
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

// The server keeps an exclusive upper limit.
int exclusiveLimit(const QString& text)
{
    const std::optional<int> value = wholeNumber(text);
    if (!value)
        return 0;
    return *value < 0 ? 0 : *value + 1;
}

} // namespace

QString secureHashOf(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().toUpper());
}

TMetaDataDataType stringToDataType(const QString& text)
{
    if (text == u"xsd:date")
        return mdt_Date;
    if (text == u"xsd:boolean")
        return mdt_Boolean;
    if (text == u"xsd:string")
        return mdt_String;
    if (text == u"xsd:nonNegativeInteger")
        return mdt_NNInteger;
    if (text == u"xsd:float")
        return mdt_Float;
    throw ECompetitionTypeError(QStringLiteral("Nicht unterstützter Datentyp: ") + text);
}

CTT_MetaDataItem::CTT_MetaDataItem(pugi::xml_node metainfo)
    : ID(requiredAttribute(metainfo, "id")),
      DisplayName(requiredAttribute(metainfo, "displayName")),
      dataType(stringToDataType(requiredAttribute(metainfo, "dataType"))),
      IsMandatoryField(attribute(metainfo, "required") == QStringLiteral("true")),
      DefaultValue(attribute(metainfo, "defaultValue").value_or(QString())),
      isReadOnly(attribute(metainfo, "readonly") == QStringLiteral("true"))
{
}

CTT_MetaDataItem::CTT_MetaDataItem(QString id, QString displayName, QString defaultValue, bool readOnly,
                                   TMetaDataDataType type, bool mandatory)
    : ID(std::move(id)),
      DisplayName(std::move(displayName)),
      dataType(type),
      IsMandatoryField(mandatory),
      DefaultValue(std::move(defaultValue)),
      isReadOnly(readOnly)
{
}

CTT_Options::CTT_Options(pugi::xml_node root)
{
    pugi::xml_node options = localChild(root, "Options");
    if (!options)
        return;
    auto is = [&](const char* name, const char* word) {
        return childText(options, name).compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    };
    EnableCopyDiscFeature = is("EnableCopyDiscFeature", "true");
    CopyDiscFeatureDefaultEnabled = is("CopyDiscFeatureDefault", "enabled");
    CreateDocumentationOption = is("CreateDocumentationOption", "enabled");
}

CTT_AgeClassType::CTT_AgeClassType(pugi::xml_node root, pugi::xml_node ageClass)
{
    bind(root);
    Name = childText(ageClass, "Name");
    MinTeamMembers = wholeNumber(childText(ageClass, "DefaultMinTeamMembers")).value_or(0);
    const std::optional<int> max = wholeNumber(childText(ageClass, "DefaultMaxTeamMembers"));
    MaxTeamMembers = max && *max >= MinTeamMembers ? *max : -1;
    if (const std::optional<int> perGender = wholeNumber(childText(ageClass, "MinMembersPerGender")))
        MinMembersPerGender = std::max(*perGender, 0);
    else
        MinMembersPerGender = childText(ageClass, "CheckMixGenders") == u"true" ? 1 : 0;
    MaleMembersLessThan = exclusiveLimit(childText(ageClass, "MaxMaleMembers"));
    FemaleMembersLessThan = exclusiveLimit(childText(ageClass, "MaxFemaleMembers"));
    if (const QString younger = childText(ageClass, "YoungerAge"); !younger.isEmpty())
        YoungerAge = younger;
    if (const QString older = childText(ageClass, "OlderAge"); !older.isEmpty())
        OlderAge = older;
}

CTT_AgeClassType::CTT_AgeClassType(pugi::xml_node root, const QString& name)
{
    bind(root);
    Name = name;
    MaxTeamMembers = -1;
}

CTT_AgeClassType::CTT_AgeClassType(const CTT_AgeClassType& other)
    : proto::AgeClassType(other), IPathObject(), YoungerAge(other.YoungerAge), OlderAge(other.OlderAge)
{
    bind(other.view_.getSrcRoot());
}

void CTT_AgeClassType::bind(pugi::xml_node root)
{
    evaluator_ = std::make_unique<TXMLEvaluator>();
    evaluator_->registerFunction(std::make_unique<TXFcurrent>(this));
    view_ = TXMLConditionalNode(root, evaluator_.get());
}

CTT_AgeClasses::CTT_AgeClasses(pugi::xml_node root)
{
    pugi::xml_node list = findChild(root, "AgeClasses", "AgeClasses");
    list_ = list;
    teamFee_ = feeOf(list, "TeamStartFeeDefault");
    athleteFee_ = feeOf(list, "AthleteStartFeeDefault");
    exclusive_ = attribute(list, "listMode") == QStringLiteral("exclusive");
    for (pugi::xml_node child : localChildren(list, "AgeClass"))
        ageClasses_.push_back(std::make_unique<CTT_AgeClassType>(root, child));
}

CTT_AgeClasses::~CTT_AgeClasses() = default;

CTT_AbstractGPCSection& CTT_AgeClasses::Section()
{
    if (!section_) {
        // No age class is current here: the list belongs to all of them.
        if (!evaluator_)
            evaluator_ = std::make_unique<TXMLEvaluator>();
        section_ = std::make_unique<CTT_AbstractGPCSection>(TXMLConditionalNode(list_, evaluator_.get()), false);
    }
    return *section_;
}

QString CTT_AgeClasses::TeamStartFeeDefault() const
{
    return feeText(teamFee_);
}

QString CTT_AgeClasses::AthStartFeeDefault() const
{
    return feeText(athleteFee_);
}

bool CTT_AgeClasses::checkAgeClassValidForCompType(const CTT_AgeClassType& ageClass) const
{
    if (!exclusive_)
        return true;
    for (const auto& own : ageClasses_)
        if (own->equals(ageClass))
            return true;
    return false;
}

TCompetitionType::TCompetitionType(const QByteArray& bytes)
{
    // No DTD is followed and no entity resolved: pugixml does neither.
    const pugi::xml_parse_result parsed =
        doc_.load_buffer(bytes.constData(), std::size_t(bytes.size()), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed)
        throw ECompetitionTypeError(
            QStringLiteral("Der Veranstaltungstyp ist kein gültiges XML: %1.")
                .arg(proto::xmlProblemText(parsed, std::string_view(bytes.constData(), std::size_t(bytes.size())))));
    if (!root())
        throw ECompetitionTypeError(QStringLiteral("Der Veranstaltungstyp hat kein Wurzelelement."));
    fileHash_ = secureHashOf(bytes);
}

std::unique_ptr<TCompetitionType> TCompetitionType::fromFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw ECompetitionTypeError(QStringLiteral("Die Datei %1 kann nicht gelesen werden: %2")
                                        .arg(QDir::toNativeSeparators(fileName), file.errorString()));
    return std::make_unique<TCompetitionType>(file.readAll());
}

QString TCompetitionType::DisplayName() const
{
    return textOf(findChild(root(), "DisplayName", "DisplayName"));
}

const std::vector<CTT_MetaDataItem>& TCompetitionType::MetaData()
{
    if (!metaDataRead_) {
        std::vector<CTT_MetaDataItem> items;
        for (pugi::xml_node info :
             localChildren(findChild(root(), "CompetitionMetaInformation", "CompetitionMetaInformation"), "metainfo"))
            items.emplace_back(info);
        metaData_ = std::move(items);
        metaDataRead_ = true;
    }
    return metaData_;
}

CTT_AgeClasses& TCompetitionType::AgeClasses()
{
    if (!ageClasses_)
        ageClasses_ = std::make_unique<CTT_AgeClasses>(root());
    return *ageClasses_;
}

const CTT_Options& TCompetitionType::Options()
{
    if (!options_)
        options_ = std::make_unique<CTT_Options>(root());
    return *options_;
}

std::vector<TCompetitionTypeEntry> listCompetitionTypes(const QString& folder)
{
    std::vector<TCompetitionTypeEntry> entries;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({QStringLiteral("*.qct")}, QDir::Files, QDir::Name)) {
        TCompetitionTypeEntry entry;
        entry.fileName = name;
        try {
            entry.type = TCompetitionType::fromFile(dir.filePath(name));
            entry.displayName = entry.type->DisplayName();
        } catch (const TvpError& e) {
            entry.type.reset();
            entry.error = e.message();
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

} // namespace tvp
