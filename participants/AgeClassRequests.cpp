#include "participants/AgeClassRequests.h"

#include "participants/ServerChanges.h"

#include <cmath>

namespace tvp {

namespace {

using enum TAgeRequestType;

void getAgeClasses(TServicePorts& ports, const TAgeRequest&, TAgeResponse& response)
{
    response.getAgeClass = ports.drs().getAgeClasses(ports.competitionId(), nullptr);
}

void createAgeClass(TServicePorts& ports, const TAgeRequest& request, TAgeResponse& response)
{
    const proto::createAgeClassResponse1 created =
        ports.cms().createAgeClass(ageClassInfo(request), ports.competitionId());
    response.AgeClassID = created.AgeClass ? created.AgeClass->AgeClassID : 0;
}

void modifyAgeClass(TServicePorts& ports, const TAgeRequest& request, TAgeResponse&)
{
    proto::AgeClassInfoType ageClass = ageClassInfo(request);
    if (request.loaded)
        for (const proto::AgeClassType& a : ports.drs().getAgeClasses(ports.competitionId(), nullptr))
            if (a.AgeClassID == request.id)
                takeServerAgeClassChanges(ageClass, *request.loaded, a);
    ports.cms().modifyAgeClass(request.id, ageClass);
}

void removeAgeClass(TServicePorts& ports, const TAgeRequest& request, TAgeResponse&)
{
    ports.cms().removeAgeClass(request.id);
}

QLocale plain(QLocale locale)
{
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

} // namespace

const TRequestTable<TAgeRequest, TAgeResponse>& ageClassRequests()
{
    static const TRequestTable<TAgeRequest, TAgeResponse> table{{
        {rt_get, QStringLiteral("Altersklassen laden"), &getAgeClasses},
        {rt_create, QStringLiteral("Altersklasse anlegen"), &createAgeClass},
        {rt_modify, QStringLiteral("Altersklasse ändern"), &modifyAgeClass},
        {rt_delete, QStringLiteral("Altersklasse löschen"), &removeAgeClass},
    }};
    return table;
}

proto::AgeClassInfoType ageClassInfo(const TAgeRequest& r)
{
    proto::AgeClassInfoType i;
    i.Name = r.name;
    i.BillingPricePerTeam = r.pricePerTeam;
    i.MinTeamMembers = r.minTeamMem;
    i.MaxTeamMembers = r.maxTeamMem;
    i.MinMembersPerGender = r.MinMembersPerGender;
    i.MaleMembersLessThan = r.MaleLessThan;
    i.FemaleMembersLessThan = r.FemaleLessThan;
    return i;
}

proto::AgeClassInfoType ageClassAsEdited(const proto::AgeClassInfoType& stored)
{
    proto::AgeClassInfoType a = stored;
    a.Name = a.Name.trimmed();
    a.BillingPricePerTeam = roundFeeToCents(a.BillingPricePerTeam);
    if (a.MaxTeamMembers < a.MinTeamMembers)
        a.MaxTeamMembers = -1;
    return a;
}

void takeServerAgeClassChanges(proto::AgeClassInfoType& edited, const proto::AgeClassInfoType& loaded,
                               const proto::AgeClassInfoType& server)
{
    using proto::AgeClassInfoType;
    takeServerChanges(edited, loaded, server, &AgeClassInfoType::Name, &AgeClassInfoType::BillingPricePerTeam,
                      &AgeClassInfoType::MinTeamMembers, &AgeClassInfoType::MaxTeamMembers,
                      &AgeClassInfoType::MinMembersPerGender, &AgeClassInfoType::MaleMembersLessThan,
                      &AgeClassInfoType::FemaleMembersLessThan);
}

const proto::AgeClassType& defaultAgeClass()
{
    static const proto::AgeClassType d = [] {
        proto::AgeClassType a;
        a.MaxTeamMembers = -1;
        return a;
    }();
    return d;
}

double roundFeeToCents(double fee)
{
    // nearbyint rounds ties to even in the default rounding mode.
    return std::nearbyint(fee * 100.0) / 100.0;
}

QString feeEditText(double fee, const QLocale& locale)
{
    return plain(locale).toString(fee, 'f', 2);
}

std::unique_ptr<TAgeRequest> getRequestFromUI(TAgeRequestType type, const TAgeClassEditor& editor,
                                              const QLocale& locale, QString* error)
{
    auto r = std::make_unique<TAgeRequest>();
    r->reqType = type;
    r->name = editor.name.trimmed();
    if (r->name.isEmpty() && error) {
        *error = QStringLiteral("Leere Bezeichnung für Altersklasse.");
        return nullptr;
    }
    const QString fee = editor.fee.trimmed();
    if (!fee.isEmpty()) {
        bool ok = false;
        const double value = locale.toDouble(fee, &ok);
        if (ok && std::isfinite(value)) {
            r->pricePerTeam = roundFeeToCents(value);
        } else if (error) {
            *error = QStringLiteral("Ungültiger Wert für Startgeld.");
            return nullptr;
        }
    }
    r->minTeamMem = editor.minimum;
    r->maxTeamMem = editor.maximum < editor.minimum ? -1 : editor.maximum;
    r->MinMembersPerGender = editor.genderMix;
    r->MaleLessThan = editor.male;
    r->FemaleLessThan = editor.female;
    return r;
}

bool ageClassDiffers(const TAgeRequest& r, const proto::AgeClassType& a)
{
    // Fees are cents; compared so, a stored 12.34 equals the 12,34 the editor reads back.
    return r.name != a.Name || std::llround(r.pricePerTeam * 100) != std::llround(a.BillingPricePerTeam * 100) ||
           r.minTeamMem != a.MinTeamMembers || r.maxTeamMem != a.MaxTeamMembers ||
           r.MinMembersPerGender != a.MinMembersPerGender || r.MaleLessThan != a.MaleMembersLessThan ||
           r.FemaleLessThan != a.FemaleMembersLessThan;
}

QString minimumText(int minimum)
{
    return minimum > 0 ? QString::number(minimum) : QStringLiteral("unbegrenzt");
}

QString maximumText(int maximum, int minimum)
{
    return minimum <= maximum ? QString::number(maximum) : QStringLiteral("unbegrenzt");
}

QString genderMixText(int genderMix)
{
    return genderMix > 0 ? QStringLiteral("Mindestens %1 TN pro Geschlecht").arg(genderMix)
                         : QStringLiteral("nicht prüfen");
}

QString genderMaximumText(int position)
{
    return position >= 1 ? QString::number(position - 1) : QStringLiteral("unbegrenzt");
}

std::vector<TRecordListModel<proto::AgeClassType>::Column> ageClassColumns(const QLocale& locale)
{
    using A = proto::AgeClassType;
    const QLocale l = plain(locale);
    return {
        {QStringLiteral("Bezeichnung"), [](const A& a) { return a.Name; }},
        {QStringLiteral("Startgeld pro Team"),
         [l](const A& a) {
             return a.BillingPricePerTeam > 0.0 ? l.toString(a.BillingPricePerTeam, 'f', 2) + QStringLiteral(" €")
                                                : QStringLiteral("-");
         }},
        {QStringLiteral("Min #Athl."),
         [](const A& a) {
             return a.MinTeamMembers > 0 ? QString::number(a.MinTeamMembers) : QStringLiteral("unbegr.");
         }},
        {QStringLiteral("Max #Athl."),
         [](const A& a) {
             QString text =
                 a.MaxTeamMembers < a.MinTeamMembers ? QStringLiteral("unbegr.") : QString::number(a.MaxTeamMembers);
             if (a.MaleMembersLessThan > 0)
                 text += QStringLiteral(", %1 m").arg(a.MaleMembersLessThan - 1);
             if (a.FemaleMembersLessThan > 0)
                 text += QStringLiteral(", %1 w").arg(a.FemaleMembersLessThan - 1);
             return text;
         }},
        {QStringLiteral("m/w"),
         [](const A& a) {
             return a.MinMembersPerGender > 0 ? QStringLiteral("min. %1").arg(a.MinMembersPerGender)
                                              : QStringLiteral("unbeschr.");
         }},
    };
}

} // namespace tvp
